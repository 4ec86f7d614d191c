// The exp scene: a plasma-skinned ball on a pedestal in the middle of a round
// neon floor, ringed by standing slabs; there is no sky, night all around.
#include <cmath>

#include "tools/content/art/scenery.h"

namespace {

// "sphere1": the script's collision sphere, centred on its pivot.
constexpr Vec3 kBallCentre{0, 0, 382};
constexpr float kBallRadius = 150;
// The floor ends before the far plane seen from the camera's circle (radius 3000).
constexpr float kFloorRadius = 2800;
constexpr float kSlabRing = 1500, kSlabHeight = 700;
constexpr int kSlabs = 6;

// The first light's flare is hidden by the script; the two glows show theirs.
// Three dim moonlights far off (see FarLight) reach the slabs' outer faces,
// which the camera circling outside the ring sees, so no slab is a black cut-out.
const LightDef kKey{"key", {400, -300, 1500}, 1.0f, 1.0f, 1.0f, 2500, 5500};
const LightDef kGlow1{"glow1", {1800, 1400, 300}, 0.3f, 0.5f, 1.0f, 500, 2600};
const LightDef kGlow2{"glow2", {-1700, -1500, 300}, 0.9f, 0.3f, 0.8f, 500, 2600};

Mesh Pedestal() {
  Mesh m;
  m.name = "pedestal";
  const float top = kBallCentre.z - kBallRadius + 12;
  AddLathe(m, {}, {{0, 0}, {180, 0}}, 24, "pedestal", 1, 200);
  AddLathe(m, {}, {{180, 0}, {180, 30}}, 24, "pedestal", 4, 200);
  AddLathe(m, {}, {{180, 30}, {120, 45}, {60, 70}, {45, top - 50}, {95, top}}, 24, "pedestal", 4, 300);
  AddLathe(m, {}, {{95, top}, {0, top}}, 24, "pedestal", 1, 200);
  return m;
}

}  // namespace

SceneFile BuildExpScene() {
  SceneFile s;
  s.name = "exp";
  s.materials = {Material("plasma", "PLASMA.TGA"), Material("pedestal", "METAL.TGA"),
                 Material("floor", "GRID.TGA"), Material("slab", "GRANITE.TGA")};
  Mesh floor;
  floor.name = "ground";
  AddDisc(floor, 0, 0, 0, kFloorRadius, 16, 40, "floor", 400);
  AddMesh(s, std::move(floor));
  AddMesh(s, Pedestal());
  Mesh ball;
  ball.name = "sphere1";
  ball.pivot = kBallCentre;
  AddSphere(ball, kBallCentre, kBallRadius, 24, 12, "plasma", 2, 1);
  AddMesh(s, std::move(ball));
  Mesh slabs;
  slabs.name = "slabs";
  for (int i = 0; i < kSlabs; ++i) {
    const float a = 2 * 3.14159265f * static_cast<float>(i) / kSlabs + 0.3f;
    const Vec3 dir{std::cos(a), std::sin(a), 0}, side{-std::sin(a), std::cos(a), 0};
    AddOrientedBox(slabs, dir * kSlabRing + Vec3{0, 0, kSlabHeight / 2}, dir * 25, side * 70,
                   Vec3{0, 0, kSlabHeight / 2}, "slab", 200);
  }
  AddMesh(s, std::move(slabs));
  s.lights = {kKey, kGlow1, kGlow2, FarLight("moon1", 90, 30, 0.3f, 0.35f, 0.55f),
              FarLight("moon2", 210, 25, 0.35f, 0.3f, 0.5f), FarLight("moon3", 330, 25, 0.3f, 0.3f, 0.5f)};
  return s;
}
