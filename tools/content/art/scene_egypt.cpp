// The egypt scene: a desert with pyramids; the great pyramid carries the
// turning "ossik_sign" on a mast, an obelisk holds the fountain's basin, and
// a row of temple columns stands between them.
#include <cmath>

#include "tools/content/art/scenery.h"

namespace {

// The sign, where the camera's pan starts; it turns about its vertical axis.
constexpr Vec3 kSignCentre{14, -985, 913};
constexpr float kSignHalfWidth = 130, kSignHalfHeight = 65, kSignHalfThick = 6;
// The great pyramid under it, with a mast up to the sign.
constexpr Vec3 kGreatPyramid{14, -985, 0};
constexpr float kGreatHalf = 500, kGreatHeight = 700;
// The fountain's emitter sits in the obelisk's basin.
constexpr Vec3 kFountain{-563, 358, 575};
constexpr float kObeliskBase = 60, kObeliskTop = 520;

// Far pyramids, outside the eye's ellipse (1400 x 2000 around the origin).
struct Pyramid {
  Vec3 base;
  float half, height;
};
const Pyramid kFarPyramids[] = {{{2700, 1700, 0}, 800, 1050}, {{-2600, -2200, 0}, 600, 800},
                                {{-2500, 2300, 0}, 500, 650}};

constexpr Vec3 kColonnade{-900, 850, 0};
constexpr int kColumnCount = 6;
constexpr float kColumnStep = 150, kColumnHeight = 420;

constexpr float kGroundHalf = 5000, kGroundCell = 400, kDunesFrom = 2600;
constexpr float kSkyRadius = 3000;

const LightDef kSun{"sun", {1500, -1800, 2500}, 1.0f, 0.92f, 0.75f, 4000, 9000};
const LightDef kFill{"fill", {-2000, 1500, 800}, 0.45f, 0.5f, 0.75f, 2000, 5000};
const LightDef kTorch{"torch", {kFountain.x, kFountain.y, kFountain.z + 70}, 1.0f, 0.7f, 0.3f, 150, 800};

// The sign plate: the picture on both faces (readable from either side),
// gold on its edges; its pivot is its centre.
Mesh Sign() {
  Mesh m;
  m.name = "ossik_sign";
  m.pivot = kSignCentre;
  const float w = kSignHalfWidth, h = kSignHalfHeight, t = kSignHalfThick;
  auto p = [&](float x, float y, float z) { return kSignCentre + Vec3{x, y, z}; };
  AddQuad(m, p(-w, -t, -h), p(w, -t, -h), p(w, -t, h), p(-w, -t, h), "sign");
  AddQuad(m, p(w, t, -h), p(-w, t, -h), p(-w, t, h), p(w, t, h), "sign");
  AddQuad(m, p(w, -t, -h), p(w, t, -h), p(w, t, h), p(w, -t, h), "gold", 0, 0, 0.1f, 1);
  AddQuad(m, p(-w, t, -h), p(-w, -t, -h), p(-w, -t, h), p(-w, t, h), "gold", 0, 0, 0.1f, 1);
  AddQuad(m, p(-w, -t, h), p(w, -t, h), p(w, t, h), p(-w, t, h), "gold", 0, 0, 1, 0.1f);
  AddQuad(m, p(-w, t, -h), p(w, t, -h), p(w, -t, -h), p(-w, -t, -h), "gold", 0, 0, 1, 0.1f);
  return m;
}

Mesh GreatPyramid() {
  Mesh m;
  m.name = "pyramid1";
  m.pivot = kGreatPyramid;
  AddPyramid(m, kGreatPyramid, kGreatHalf, kGreatHeight, "sandstone", 250);
  // The mast rises from just below the apex to the sign's lower edge.
  const float mastBottom = kGreatHeight - 40, mastTop = kSignCentre.z - kSignHalfHeight;
  AddCylinder(m, {kGreatPyramid.x, kGreatPyramid.y, mastBottom}, 10, 7, mastTop - mastBottom, 8, "gold", 1, 100);
  return m;
}

Mesh Obelisk() {
  Mesh m;
  m.name = "obelisk";
  m.pivot = {kFountain.x, kFountain.y, 0};
  const Vec3 base{kFountain.x, kFountain.y, 0};
  AddBox(m, base + Vec3{-110, -110, 0}, base + Vec3{110, 110, 30}, "sandstone", 200);
  AddBox(m, base + Vec3{-85, -85, 30}, base + Vec3{85, 85, kObeliskBase}, "sandstone", 200);
  // A four-sided tapering shaft (a lathe of four segments turned square).
  const std::size_t first = m.vertices.size();
  AddCylinder(m, base + Vec3{0, 0, kObeliskBase}, 75, 48, kObeliskTop - kObeliskBase, 4, "granite", 1, 200);
  RotateZ(m, first, base, 45);
  // The basin the fountain springs from: a bowl whose water line is just below the emitter.
  const float lip = kFountain.z;
  AddLathe(m, base, {{0, kObeliskTop}, {45, kObeliskTop}}, 16, "gold", 1, 100);
  AddLathe(m, base, {{45, kObeliskTop}, {80, lip - 25}, {95, lip}}, 16, "gold", 2, 100);
  AddLathe(m, base, {{95, lip}, {82, lip}, {0, lip - 12}}, 16, "gold", 1, 100);
  return m;
}

Mesh Colonnade() {
  Mesh m;
  m.name = "temple";
  m.pivot = kColonnade;
  AddBox(m, kColonnade + Vec3{-100, -90, 0},
         kColonnade + Vec3{kColumnStep * (kColumnCount - 1) + 100, 90, 30}, "sandstone", 200);
  for (int i = 0; i < kColumnCount; ++i) {
    const Vec3 c = kColonnade + Vec3{kColumnStep * static_cast<float>(i), 0, 30};
    // Every other column has fallen to a stump.
    const float height = i % 3 == 1 ? kColumnHeight * 0.35f : kColumnHeight;
    AddCylinder(m, c, 38, 32, height - 30, 12, "sandstone", 1, 200);
    if (height == kColumnHeight) AddBox(m, c + Vec3{-50, -50, height - 30}, c + Vec3{50, 50, height}, "sandstone", 200);
  }
  // The lintel over the last two standing columns.
  const Vec3 l = kColonnade + Vec3{kColumnStep * 3, 0, kColumnHeight + 30};
  AddBox(m, l + Vec3{-60, -55, 0}, l + Vec3{kColumnStep * 2 + 60, 55, 45}, "sandstone", 200);
  return m;
}

}  // namespace

SceneFile BuildEgyptScene() {
  SceneFile s;
  s.name = "egypt";
  s.materials = {Material("sand", "SAND.TGA"),   Material("sandstone", "SANDSTON.TGA"),
                 Material("granite", "GRANITE.TGA"), Material("gold", "GOLD.TGA"),
                 Material("sign", "SIGN.TGA"),   Material("sky", "SKYDES.TGA")};
  AddMesh(s, Ground("ground", 0, 0, 0, kGroundHalf, kGroundCell, "sand", 600,
                    Hills(0, 0, kDunesFrom, kGroundHalf - kDunesFrom, 700, 17)));
  AddMesh(s, GreatPyramid());
  Mesh far;
  far.name = "pyramids";
  far.pivot = kFarPyramids[0].base;
  for (const Pyramid& p : kFarPyramids) {
    // Sunk a little, so that the dunes they stand on do not leave them hanging.
    AddPyramid(far, p.base + Vec3{0, 0, -60}, p.half, p.height + 60, "sandstone", 250);
  }
  AddMesh(s, std::move(far));
  AddMesh(s, Obelisk());
  AddMesh(s, Colonnade());
  AddMesh(s, Sign());
  AddMesh(s, SkySphere({0, -2000, 900}, kSkyRadius, "sky"));
  // Sand throws the sun back: two far, dim fills (see FarLight) light the
  // faces the swinging eye sees from the north and west, away from the sun.
  s.lights = {kSun, kFill, kTorch, FarLight("bounce1", 95, 20, 0.45f, 0.38f, 0.3f),
              FarLight("bounce2", 200, 25, 0.35f, 0.32f, 0.3f)};
  return s;
}
