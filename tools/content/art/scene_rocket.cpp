// The rocket scene: a rocket on its launch pad beside a gantry, with a bunker
// and fuel tanks on a grass field ringed by hills.
#include <cmath>

#include "tools/content/art/scenery.h"

namespace {

// The nozzle: the rocket's pivot and where the script's exhaust emitter sits.
constexpr Vec3 kNozzle{116, 29, 64};
// The exhaust bounces on the plane z = 0, so that is the pad's top; the pad
// is a slab standing on the field 14 units lower.
constexpr float kPadHalf = 300, kPadTop = 0, kGroundLevel = -14;
constexpr float kBodyRadius = 40, kBodyBottom = 100, kBodyTop = 400, kNoseTip = 560;
constexpr float kFinReach = 110, kFinTop = 210;
constexpr int kRocketSegments = 24;

constexpr Vec3 kTowerBase{336, 29, kPadTop};  // on the pad
constexpr float kTowerHalf = 45, kTowerHeight = 600, kArmHeight = 360;

constexpr Vec3 kBunker{-700, -450, kGroundLevel};
constexpr Vec3 kTank1{750, 650, kGroundLevel}, kTank2{980, 480, kGroundLevel};

constexpr float kGroundHalf = 4800, kGroundCell = 400, kHillsFrom = 3000;
constexpr float kSkyRadius = 3000;

// The script drifts the eye by (+2, -1) a frame for 650 frames, then puts it
// on its orbit, whose first eye is (cos 90.5 x 2300, sin 90.5 x 1400,
// cos 90.5 x 300 + 700); starting 650 steps back from there avoids a jump.
constexpr Vec3 kOrbitStart{-20.07f, 1399.95f, 697.38f};
constexpr Vec3 kEye{kOrbitStart.x - 2 * 650, kOrbitStart.y + 650, kOrbitStart.z};
constexpr Vec3 kTarget{kNozzle.x, kNozzle.y, kNozzle.z + 100};

// The first light is the one the script circles over the pad; it climbs with
// the rocket, as does "rocket_lig". The renderer divides every light by its
// distance from the origin, so those two fade as the rocket climbs (some
// hundred thousand units by the end). Two distant suns keep the rocket lit:
// a light that far off reaches the whole climb at nearly the same strength.
// They are so far away that their flares are smaller than a pixel.
const LightDef kSun{"sun", {0, 500, 1000}, 1.0f, 0.95f, 0.85f, 2500, 6000};
const LightDef kRocketLight{"rocket_lig", kNozzle, 1.0f, 0.6f, 0.25f, 120, 900};
const LightDef kFill{"fill", {-2200, 2600, 1400}, 0.45f, 0.5f, 0.7f, 2000, 6500};
constexpr float kFarReach = 600000;
const LightDef kFarSun{"farsun", {250000, -100000, 150000}, 0.9f, 0.85f, 0.7f, kFarReach, kFarReach};
const LightDef kFarSky{"farsky", {-150000, 200000, 80000}, 0.35f, 0.45f, 0.65f, kFarReach, kFarReach};

Mesh Rocket() {
  Mesh m;
  m.name = "rocket69";
  m.pivot = kNozzle;
  const Vec3 axis{kNozzle.x, kNozzle.y, 0};
  // Engine bell, closed by a dark throat.
  AddLathe(m, axis, {{0, kNozzle.z + 10}, {26, kNozzle.z}}, kRocketSegments, "rocket_eng", 1, 40);
  AddLathe(m, axis, {{26, kNozzle.z}, {18, 84}, {14, kBodyBottom}}, kRocketSegments, "rocket_eng", 2, 40);
  AddLathe(m, axis, {{0, kBodyBottom}, {kBodyRadius, kBodyBottom}}, kRocketSegments, "rocket_eng", 1, 40);
  AddLathe(m, axis, {{kBodyRadius, kBodyBottom}, {kBodyRadius, kBodyTop}}, kRocketSegments, "rocket_hull", 1,
           kBodyTop - kBodyBottom);
  AddLathe(m, axis,
           {{kBodyRadius, kBodyTop}, {37, kBodyTop + 45}, {29, kBodyTop + 95}, {17, kBodyTop + 135}, {6, kNoseTip - 7}, {0, kNoseTip}},
           kRocketSegments, "rocket_nose", 1, 600);
  // Four fins; the rocket stands on their lower edges on the pad.
  for (int i = 0; i < 4; ++i) {
    const float a = static_cast<float>(i) * 3.14159265f / 2 + 3.14159265f / 4;
    const Vec3 radial{std::cos(a), std::sin(a), 0}, side{-std::sin(a), std::cos(a), 0};
    const float inner = kBodyRadius - 8, mid = (inner + kFinReach) / 2;
    const Vec3 centre = axis + radial * mid + Vec3{0, 0, (kPadTop + kFinTop) / 2};
    AddOrientedBox(m, centre, radial * ((kFinReach - inner) / 2), side * 4, Vec3{0, 0, (kFinTop - kPadTop) / 2},
                   "rocket_fin", 100);
  }
  return m;
}

Mesh Tower() {
  Mesh m;
  m.name = "tower";
  m.pivot = kTowerBase;
  const float h = kTowerHalf, t = 7;
  for (float sx : {-1.0f, 1.0f}) {
    for (float sy : {-1.0f, 1.0f}) {
      const Vec3 c = kTowerBase + Vec3{sx * h, sy * h, 0};
      AddBox(m, c + Vec3{-t, -t, 0}, c + Vec3{t, t, kTowerHeight}, "girder", 120);
    }
  }
  // A ring of girders every 95 units, and a platform on top.
  for (float z = 95; z < kTowerHeight; z += 95) {
    const Vec3 b = kTowerBase + Vec3{0, 0, z};
    AddBox(m, b + Vec3{-h, -h - 4, -5}, b + Vec3{h, -h + 4, 5}, "girder", 120);
    AddBox(m, b + Vec3{-h, h - 4, -5}, b + Vec3{h, h + 4, 5}, "girder", 120);
    AddBox(m, b + Vec3{-h - 4, -h, -5}, b + Vec3{-h + 4, h, 5}, "girder", 120);
    AddBox(m, b + Vec3{h - 4, -h, -5}, b + Vec3{h + 4, h, 5}, "girder", 120);
  }
  AddBox(m, kTowerBase + Vec3{-h - 10, -h - 10, kTowerHeight}, kTowerBase + Vec3{h + 10, h + 10, kTowerHeight + 12},
         "girder", 120);
  // The service arm reaches to the rocket's hull.
  AddBox(m, {kNozzle.x + kBodyRadius + 4, kTowerBase.y - 12, kArmHeight - 10},
         {kTowerBase.x - h, kTowerBase.y + 12, kArmHeight + 10}, "girder", 120);
  return m;
}

Mesh Bunker() {
  Mesh m;
  m.name = "bunker";
  m.pivot = kBunker;
  AddBox(m, kBunker + Vec3{-140, -90, 0}, kBunker + Vec3{140, 90, 90}, "concrete", 200);
  AddBox(m, kBunker + Vec3{-150, -100, 90}, kBunker + Vec3{150, 100, 110}, "concrete", 200);
  AddBox(m, kBunker + Vec3{60, 20, 110}, kBunker + Vec3{100, 60, 190}, "metal", 100);
  return m;
}

void AddTank(Mesh& m, Vec3 base, float r, float h) {
  AddLathe(m, base, {{0, 0}, {r, 0}}, 20, "metal", 2, 200);
  AddLathe(m, base, {{r, 0}, {r, h}}, 20, "metal", 3, 200);
  AddLathe(m, base, {{r, h}, {r * 0.9f, h + r * 0.45f}, {r * 0.6f, h + r * 0.8f}, {0, h + r}}, 20, "metal", 2, 200);
}

}  // namespace

SceneFile BuildRocketScene() {
  SceneFile s;
  s.name = "rocket";
  s.materials = {Material("rocket_hull", "ROCKET.TGA"), Material("rocket_nose", "ROCKET.TGA"),
                 Material("rocket_eng", "METAL.TGA"),   Material("rocket_fin", "METAL.TGA"),
                 Material("girder", "METAL.TGA"),       Material("metal", "METAL.TGA"),
                 Material("concrete", "CONCRETE.TGA"),  Material("grass", "GRASS.TGA"),
                 Material("sky", "SKYDAY.TGA")};
  AddMesh(s, Ground("ground", 0, 0, kGroundLevel, kGroundHalf, kGroundCell, "grass", 500,
                    Hills(0, 0, kHillsFrom, kGroundHalf - kHillsFrom, 900, 7)));
  Mesh pad;
  pad.name = "pad";
  pad.pivot = {kNozzle.x, kNozzle.y, kPadTop};
  AddBox(pad, {kNozzle.x - kPadHalf, kNozzle.y - kPadHalf, kGroundLevel},
         {kNozzle.x + kPadHalf, kNozzle.y + kPadHalf, kPadTop},
         "concrete", 300);
  AddMesh(s, std::move(pad));
  AddMesh(s, Rocket());
  AddMesh(s, Tower());
  AddMesh(s, Bunker());
  Mesh tanks;
  tanks.name = "tanks";
  tanks.pivot = kTank1;
  AddTank(tanks, kTank1, 90, 240);
  AddTank(tanks, kTank2, 70, 180);
  AddMesh(s, std::move(tanks));
  AddMesh(s, SkySphere(kEye, kSkyRadius, "sky"));
  s.lights = {kSun, kRocketLight, kFill, kFarSun, kFarSky};
  s.camera = CameraDef{"Camera01", kEye, kTarget, 35};
  return s;
}
