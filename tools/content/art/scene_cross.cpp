// The cross scene: a tall stone cross on a stepped plinth on a hill-ringed
// meadow at sunset, with cypresses and small grave crosses; the fixed eye sees
// the camera's pan run from the plinth's near corner up to the right arm.
#include <cmath>

#include "tools/content/art/scenery.h"

namespace {

// The monument's axis; its arms run along y, its front faces +x (the eye).
constexpr Vec3 kAxis{-1300, 680, 0};
struct Step {
  float halfX, halfY, top;
};
const Step kSteps[] = {{260, 620, 90}, {200, 560, 180}, {140, 500, 270}};
constexpr float kShaftHalfX = 50, kShaftHalfY = 60, kShaftTop = 1250;
constexpr float kArmLow = 820, kArmHigh = 940, kArmHalfSpan = 520;

// The eye stands still; the pan runs from (-1478, 148, 278) to (-1064, 1215, 882).
// From here the whole cross, top to plinth, stays in view along the pan.
constexpr Vec3 kEye{1600, 1000, 850};
constexpr Vec3 kPanStart{-1478, 148, 278};

struct Tree {
  float x, y, height;
};
const Tree kCypresses[] = {{-1900, -200, 620}, {-2100, 300, 520}, {-2050, 1500, 700},
                           {-1750, 2000, 560}, {-700, 2200, 480},  {-900, -700, 540}};
struct Stone {
  float x, y, angle;
};
const Stone kStones[] = {{-600, 100, 10}, {-550, 420, -5},  {-620, 760, 4},   {-540, 1100, -12}, {-600, 1420, 7},
                         {-250, 250, -8}, {-220, 600, 15},  {-280, 950, -3},  {-230, 1300, 9}};

constexpr float kGroundHalf = 4500, kGroundCell = 375, kHillsFrom = 2600;
constexpr float kSkyRadius = 3000;

// The setting sun behind the cross (its flare shows past the monument) and a
// cool light from the eye's side that shows the monument's face.
const LightDef kSunset{"sunset", {-3200, 900, 600}, 1.0f, 0.6f, 0.3f, 3500, 8000};
const LightDef kMoon{"moon", {600, 300, 1600}, 0.8f, 0.8f, 0.95f, 3000, 6500};

Mesh Monument() {
  Mesh m;
  m.name = "monument";
  m.pivot = kAxis;
  float bottom = 0;
  for (const Step& s : kSteps) {
    AddBox(m, kAxis + Vec3{-s.halfX, -s.halfY, bottom}, kAxis + Vec3{s.halfX, s.halfY, s.top}, "granite", 250);
    bottom = s.top;
  }
  AddBox(m, kAxis + Vec3{-kShaftHalfX, -kShaftHalfY, bottom}, kAxis + Vec3{kShaftHalfX, kShaftHalfY, kShaftTop},
         "granite", 250);
  AddBox(m, kAxis + Vec3{-kShaftHalfX, -kArmHalfSpan, kArmLow}, kAxis + Vec3{kShaftHalfX, -kShaftHalfY, kArmHigh},
         "granite", 250);
  AddBox(m, kAxis + Vec3{-kShaftHalfX, kShaftHalfY, kArmLow}, kAxis + Vec3{kShaftHalfX, kArmHalfSpan, kArmHigh},
         "granite", 250);
  return m;
}

}  // namespace

SceneFile BuildCrossScene() {
  SceneFile s;
  s.name = "cross";
  s.materials = {Material("granite", "GRANITE.TGA"), Material("grass", "GRASS.TGA"),
                 Material("tree", "GRASS.TGA"),      Material("bark", "ROCK.TGA"),
                 Material("stone", "ROCK.TGA"),      Material("sky", "SKYSUN.TGA")};
  AddMesh(s, Ground("ground", kAxis.x, kAxis.y, 0, kGroundHalf, kGroundCell, "grass", 500,
                    Hills(kAxis.x, kAxis.y, kHillsFrom, kGroundHalf - kHillsFrom, 800, 27)));
  AddMesh(s, Monument());
  Mesh trees;
  trees.name = "cypresses";
  trees.pivot = kAxis;
  for (const Tree& t : kCypresses) {
    const Vec3 b{t.x, t.y, 0};
    AddCylinder(trees, b, 16, 12, 70, 8, "bark", 1, 100);
    AddLathe(trees, b, {{0, 50}, {60, 110}, {70, t.height * 0.4f}, {45, t.height * 0.8f}, {0, t.height}}, 10,
             "tree", 2, 300);
  }
  AddMesh(s, std::move(trees));
  Mesh stones;
  stones.name = "graves";
  stones.pivot = kAxis;
  for (const Stone& st : kStones) {
    const std::size_t first = stones.vertices.size();
    AddBox(stones, {st.x - 30, st.y - 50, 0}, {st.x + 30, st.y + 50, 20}, "stone", 150);
    AddBox(stones, {st.x - 9, st.y - 9, 20}, {st.x + 9, st.y + 9, 150}, "stone", 150);
    AddBox(stones, {st.x - 9, st.y - 40, 95}, {st.x + 9, st.y + 40, 117}, "stone", 150);
    RotateZ(stones, first, {st.x, st.y, 0}, st.angle);
  }
  AddMesh(s, std::move(stones));
  AddMesh(s, SkySphere(kEye, kSkyRadius, "sky"));
  s.lights = {kSunset, kMoon};
  s.camera = CameraDef{"Camera01", kEye, kPanStart, 35};
  return s;
}
