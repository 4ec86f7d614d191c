// The outro scene: two framed greetings in block letters, each on a stand,
// turning in opposite directions; behind them a tower carries the "sun" the
// fountain sprays from. The eye starts beside the sun and flies back to the
// camera chunk's eye, then drifts along +x from the first greeting to the second.
// Each frame holds a board with the greeting on both faces, so that it reads
// the right way round from either side while it turns.
#include <cmath>

#include "tools/content/art/scenery.h"

namespace {

// The final eye and the point it looks at (the target then drifts +1 x a frame).
constexpr Vec3 kEye{-300, -1500, 500};
constexpr Vec3 kTarget{0, 0, 340};

// The greetings face the final eye (-y) in the file. The script gives them a
// half turn at the start, so that they face the eye beside the sun, and turns
// them 178 degrees more while the eye flies back: they face it again when it arrives.
struct Greeting {
  const char* text;
  const char* frame;
  Vec3 centre;
  std::vector<std::string> lines;
};
const Greeting kGreetings[] = {{"greet1", "greetf1", {0, 0, 340}, {"GREETINGS", "TO ALL"}},
                               {"greet2", "greetf2", {1300, 300, 340}, {"THANKS FOR", "WATCHING!"}}};
constexpr float kPixel = 18;
constexpr float kFrameHalfWidth = 590, kFrameHalfHeight = 200, kFrameBar = 26, kFrameDepth = 44;
// The board fills the frame's opening; the letters stand on its two faces,
// as deep as the frame's bars.
constexpr float kBoardHalfDepth = 4, kLetterDepth = kFrameDepth / 2 - kBoardHalfDepth;
constexpr float kStandRadius = 55;

// The sun's tower: its brazier sits just under the fountain's emitter (0, 1000, 800).
constexpr Vec3 kTowerBase{0, 1000, 0};
constexpr float kTowerTop = 770;

constexpr float kGroundHalf = 4500, kGroundCell = 375, kHillsFrom = 3000;
constexpr float kSkyRadius = 3000;

const LightDef kSun{"sun", {0, 1000, 800}, 1.0f, 0.85f, 0.6f, 1500, 5000};
const LightDef kFill{"fill", {-200, -1800, 900}, 0.9f, 0.85f, 0.8f, 2500, 6000};

// Where the letters of one face stand: `side` -1 is the front (-y, towards
// the final eye), +1 the back.
Vec3 LettersCentre(const Greeting& g, float side) {
  return g.centre + Vec3{0, side * (kBoardHalfDepth + kLetterDepth / 2), 0};
}

// The front face's letters, read from -y.
Mesh FrontText(const Greeting& g) {
  Mesh m;
  m.name = g.text;
  m.pivot = g.centre;
  AddText(m, g.lines, LettersCentre(g, -1), {1, 0, 0}, kPixel, kLetterDepth, "letters");
  return m;
}

// The frame, its board and the back face's letters, which run along -x so
// that they read from +y: the front's letters turned half a turn. They turn
// with the front's object, which has no room left for them within the
// renderer's vertex budget.
Mesh Frame(const Greeting& g) {
  Mesh m;
  m.name = g.frame;
  m.pivot = g.centre;
  const float w = kFrameHalfWidth, h = kFrameHalfHeight, b = kFrameBar, d = kFrameDepth / 2;
  const Vec3 c = g.centre;
  AddBox(m, c + Vec3{-w, -d, h - b}, c + Vec3{w, d, h}, "frame", 200);
  AddBox(m, c + Vec3{-w, -d, -h}, c + Vec3{w, d, -h + b}, "frame", 200);
  AddBox(m, c + Vec3{-w, -d, -h + b}, c + Vec3{-w + b, d, h - b}, "frame", 200);
  AddBox(m, c + Vec3{w - b, -d, -h + b}, c + Vec3{w, d, h - b}, "frame", 200);
  AddBox(m, c + Vec3{-w + b, -kBoardHalfDepth, -h + b}, c + Vec3{w - b, kBoardHalfDepth, h - b}, "stone", 200);
  AddText(m, g.lines, LettersCentre(g, 1), {-1, 0, 0}, kPixel, kLetterDepth, "letters");
  return m;
}

}  // namespace

SceneFile BuildOutroScene() {
  SceneFile s;
  s.name = "outro";
  s.materials = {Material("letters", "GOLD.TGA"), Material("frame", "MARBLE.TGA"), Material("stone", "GRANITE.TGA"),
                 Material("grass", "GRASS.TGA"),  Material("sky", "SKYSUN.TGA")};
  AddMesh(s, Ground("ground", 500, 0, 0, kGroundHalf, kGroundCell, "grass", 500,
                    Hills(500, 0, kHillsFrom, kGroundHalf - kHillsFrom, 700, 37)));
  Mesh stands;
  stands.name = "stands";
  stands.pivot = kGreetings[0].centre;
  for (const Greeting& g : kGreetings) {
    AddMesh(s, FrontText(g));
    AddMesh(s, Frame(g));
    // The stand reaches up into the frame's lower bar, which turns about it.
    const Vec3 foot{g.centre.x, g.centre.y, 0};
    AddCylinder(stands, foot, kStandRadius * 2, kStandRadius * 1.6f, 30, 16, "stone", 1, 200);
    AddCylinder(stands, foot + Vec3{0, 0, 30}, kStandRadius, kStandRadius,
                g.centre.z - kFrameHalfHeight + kFrameBar / 2 - 30, 16, "stone", 1, 200);
  }
  AddMesh(s, std::move(stands));
  Mesh tower;
  tower.name = "suntower";
  tower.pivot = kTowerBase;
  AddBox(tower, kTowerBase + Vec3{-120, -120, 0}, kTowerBase + Vec3{120, 120, 40}, "stone", 200);
  AddCylinder(tower, kTowerBase + Vec3{0, 0, 40}, 60, 40, kTowerTop - 80, 12, "stone", 1, 300);
  AddLathe(tower, kTowerBase + Vec3{0, 0, kTowerTop - 40}, {{0, 0}, {40, 0}, {85, 30}, {95, 40}}, 16, "frame", 2,
           100);
  AddLathe(tower, kTowerBase + Vec3{0, 0, kTowerTop - 40}, {{95, 40}, {80, 40}, {0, 25}}, 16, "letters", 1, 100);
  AddMesh(s, std::move(tower));
  AddMesh(s, SkySphere(kEye, kSkyRadius, "sky"));
  // A far, dim sky light (see FarLight) from behind the greetings keeps
  // their frames' backs and edges from going black while they turn.
  s.lights = {kSun, kFill, FarLight("skylight", 60, 35, 0.35f, 0.38f, 0.5f)};
  s.camera = CameraDef{"Camera01", kEye, kTarget, 35};
  return s;
}
