// The sphere scene: three polished balls on a tiled court, exactly where the
// script's collision spheres are, inside a ring of marble columns.
#include <cmath>

#include "tools/content/art/scenery.h"

namespace {

// The script's three collision spheres (centre, radius); each ball rests on the floor.
struct Ball {
  const char* name;
  Vec3 centre;
  float radius;
  const char* material;
};
const Ball kBalls[] = {{"ball1", {-100, 375, 150}, 150, "chrome"},
                       {"ball2", {-600, 367, 100}, 100, "marble"},
                       {"ball3", {-300, -64, 75}, 75, "marble"}};

// The ring of columns around the balls; the camera circles outside it.
constexpr Vec3 kCourtCentre{-250, 250, 0};
constexpr float kColumnRing = 1100, kColumnHeight = 520, kColumnRadius = 38;
constexpr int kColumns = 8;

constexpr float kGroundHalf = 4500, kGroundCell = 375;
constexpr float kSkyRadius = 3000;
// The circling eye looks a little down and sees at most about 11 degrees of
// sky: spread the dusk picture so that its stars and clouds show, not only
// its red horizon.
constexpr float kSkyHorizonPower = 0.45f;

// The script replaces the eye every frame; the file gives the point looked at.
constexpr Vec3 kEye{-179, 2300, 400};
constexpr Vec3 kTarget{-250, 250, 120};

// The first light circles the court and pulses from black to white; the key
// and two dimmer fills stand far off around the court (see FarLight), so the
// columns' outer faces, which the circling camera sees, are never black.
const LightDef kLamp{"lamp", {-300, 1000, 400}, 1.0f, 1.0f, 1.0f, 1200, 3500};

Mesh Columns() {
  Mesh m;
  m.name = "columns";
  m.pivot = kCourtCentre;
  for (int i = 0; i < kColumns; ++i) {
    const float a = 2 * 3.14159265f * (static_cast<float>(i) + 0.5f) / kColumns;
    const Vec3 c = kCourtCentre + Vec3{kColumnRing * std::cos(a), kColumnRing * std::sin(a), 0};
    AddBox(m, c + Vec3{-60, -60, 0}, c + Vec3{60, 60, 30}, "column", 120);
    AddCylinder(m, c + Vec3{0, 0, 30}, kColumnRadius + 4, kColumnRadius, kColumnHeight - 60, 16, "column", 1, 250);
    AddBox(m, c + Vec3{-55, -55, kColumnHeight - 30}, c + Vec3{55, 55, kColumnHeight}, "column", 120);
  }
  return m;
}

}  // namespace

SceneFile BuildSphereScene() {
  SceneFile s;
  s.name = "sphere";
  s.materials = {Material("chrome", "CHROME.TGA"), Material("marble", "MARBLE.TGA"),
                 Material("column", "MARBLE.TGA"), Material("tiles", "TILES.TGA"),
                 Material("sky", "SKYDUSK.TGA")};
  AddMesh(s, Ground("ground", kCourtCentre.x, kCourtCentre.y, 0, kGroundHalf, kGroundCell, "tiles", 400));
  for (const Ball& b : kBalls) {
    Mesh m;
    m.name = b.name;
    m.pivot = b.centre;
    AddSphere(m, b.centre, b.radius, 24, 12, b.material, 1, 1);
    AddMesh(s, std::move(m));
  }
  AddMesh(s, Columns());
  AddMesh(s, SkySphere(kEye, kSkyRadius, "sky", kSkyHorizonPower));
  s.lights = {kLamp, FarLight("key", -55, 35, 0.8f, 0.75f, 0.65f), FarLight("fill", 75, 20, 0.3f, 0.32f, 0.45f),
              FarLight("dusk", 185, 12, 0.5f, 0.28f, 0.25f)};
  s.camera = CameraDef{"Camera01", kEye, kTarget, 35};
  return s;
}
