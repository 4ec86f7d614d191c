// The dante scene: a lava floor far below, a molten ball held up by a rock
// pedestal at the origin, rock spires all around, under a burning sky.
#include <cmath>

#include "tools/content/art/scenery.h"

namespace {

// "ground_noz": the sparks rise from x -2300..1000, y -2000..2000 at z -1000.
constexpr float kFloorZ = -1000;
constexpr float kFloorX0 = -3600, kFloorX1 = 2700, kFloorY0 = -3600, kFloorY1 = 3600, kFloorCell = 300;
// "osphere": the ball the camera looks at, rocking about its axis. It hangs
// low over the floor, west of the origin, so that the glide sees it with the
// spark field around and behind it rather than filling the view.
constexpr Vec3 kBallCentre{-600, 0, -620};
constexpr float kBallRadius = 200;
// The script leaves the camera's target where the file's camera chunk puts
// it: a little under the ball, so the floor and its sparks are in view.
constexpr Vec3 kGlideStart{1554, 2245, -600};
constexpr Vec3 kTarget{-600, 0, -720};

// Spires keep clear of the eye's glide along x ~ 1550..1700 and of the line
// from the glide to the ball.
struct Spire {
  float x, y, radius, height;
};
const Spire kSpires[] = {{-1800, 1500, 220, 1300}, {-2300, -700, 260, 1500}, {600, -1700, 180, 900},
                         {-800, 1900, 200, 1100},  {-1500, -1800, 240, 1250}, {500, 2900, 170, 850},
                         {-2800, 500, 300, 1700},  {-300, -2600, 220, 1000},  {2500, -2600, 250, 1200}};

constexpr float kSkyRadius = 3000;

// "redlight" and "sun" circle the set at the heights given here (the script
// moves only their x and y; their flares are hidden). The renderer divides a
// light by its distance from the origin, so a floor under a light gets
// (height above the floor / that distance) of its colour: the glow hangs high
// over the spark field to light the whole floor, out of view above. The fill
// stays behind the gliding eye (its flare is never seen) and lights the faces
// turned to the camera when both circling lights are behind the ball. The
// embers glow over the floor and show their flare.
const LightDef kRed{"redlight", {0, 2000, -300}, 1.0f, 0.2f, 0.1f, 1500, 4000};
const LightDef kSun{"sun", {2000, 0, 800}, 1.0f, 0.75f, 0.4f, 2500, 6000};
const LightDef kEmbers{"embers", {-1000, -300, -850}, 1.0f, 0.45f, 0.1f, 600, 2500};
const LightDef kGlow{"glow", {-600, 0, 1500}, 0.55f, 0.25f, 0.1f, 6000, 7000};
const LightDef kFill{"fill", {4500, 0, 800}, 0.7f, 0.45f, 0.3f, 9000, 10000};

Mesh Pedestal() {
  Mesh m;
  m.name = "pedestal";
  m.pivot = {kBallCentre.x, kBallCentre.y, kFloorZ};
  // A squat rock cradle from the floor up into the ball's underside.
  const float top = kBallCentre.z - kBallRadius + 30 - kFloorZ;
  AddLathe(m, m.pivot, {{0, 0}, {260, 0}, {170, 40}, {110, top * 0.6f}, {150, top - 15}, {120, top}, {0, top}}, 14,
           "rock", 3, 300);
  return m;
}

}  // namespace

SceneFile BuildDanteScene() {
  SceneFile s;
  s.name = "dante";
  s.materials = {Material("lava", "LAVA.TGA"), Material("molten", "LAVA.TGA"), Material("rock", "ROCK.TGA"),
                 Material("sky", "SKYHELL.TGA")};
  Mesh floor;
  floor.name = "ground_noz";
  floor.pivot = {0, 0, kFloorZ};
  AddGrid(floor, kFloorX0, kFloorY0, kFloorX1, kFloorY1, static_cast<int>((kFloorX1 - kFloorX0) / kFloorCell),
          static_cast<int>((kFloorY1 - kFloorY0) / kFloorCell), [](float, float) { return kFloorZ; }, "lava", 3000);
  AddMesh(s, std::move(floor));
  Mesh ball;
  ball.name = "osphere";
  ball.pivot = kBallCentre;
  AddSphere(ball, kBallCentre, kBallRadius, 24, 12, "molten", 1, 1);
  AddMesh(s, std::move(ball));
  AddMesh(s, Pedestal());
  Mesh spires;
  spires.name = "spires";
  spires.pivot = {0, 0, kFloorZ};
  for (const Spire& sp : kSpires) {
    const Vec3 b{sp.x, sp.y, kFloorZ - 20};
    AddLathe(spires, b,
             {{0, 0}, {sp.radius, 0}, {sp.radius * 0.55f, sp.height * 0.35f}, {sp.radius * 0.3f, sp.height * 0.7f},
              {0, sp.height}},
             9, "rock", 2, 600);
  }
  AddMesh(s, std::move(spires));
  AddMesh(s, SkySphere(kGlideStart, kSkyRadius, "sky"));
  s.lights = {kRed, kSun, kEmbers, kGlow, kFill};
  s.camera = CameraDef{"Camera01", kGlideStart, kTarget, 35};
  return s;
}
