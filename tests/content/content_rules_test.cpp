// The rules the renderer and the scene scripts set on the art, checked on
// the generator's scene descriptions: per-object budgets, cell sizes, names,
// and that the scenery stands where the scripts' fixed coordinates expect it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <filesystem>
#include <functional>

#include "art_output.h"
#include "tools/content/art/scene_file.h"
#include "tools/content/art/textures.h"
#include "tools/content/content.h"

namespace {

const SceneFile& Scene(const std::string& name) {
  static const std::vector<SceneFile> scenes = BuildScenes();
  for (const SceneFile& s : scenes) {
    if (s.name == name) return s;
  }
  ADD_FAILURE() << "no scene " << name;
  return scenes.front();
}

const Mesh* FindMesh(const SceneFile& s, const std::string& name) {
  for (const Mesh& m : s.meshes) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

float Distance(Vec3 a, Vec3 b) { return std::sqrt(Dot(a - b, a - b)); }

// Largest distance of a mesh's vertices from a point, and the smallest.
std::pair<float, float> RadiusRange(const Mesh& m, Vec3 c) {
  float lo = 1e30f, hi = 0;
  for (const MeshVertex& v : m.vertices) {
    lo = std::min(lo, Distance(v.p, c));
    hi = std::max(hi, Distance(v.p, c));
  }
  return {lo, hi};
}

// Where the scripts' camera puts a world point on the 640 x 480 screen: the
// renderer's projection with the angle parameters 270 and 335 and the up
// hint (0, 0, -1) that every scene but the swarm uses. False when behind.
bool OnScreen(Vec3 eye, Vec3 target, Vec3 p, float margin = 0) {
  auto unit = [](Vec3 a) { return a * (1 / std::sqrt(Dot(a, a))); };
  const Vec3 forward = unit(target - eye);
  const Vec3 right = unit(Cross({0, 0, -1}, forward));
  const Vec3 up = unit(Cross(forward, right));
  const Vec3 d = p - eye;
  const float z = Dot(d, forward);
  if (z <= 0) return false;
  const float halfX = 270 * 0.01745329252f / 2, halfY = 335 * 0.01745329252f / 2;
  const float sx = Dot(d, right) * 320 * halfX / z + 320, sy = Dot(d, up) * 240 * halfY / z + 240;
  return sx >= -margin && sx <= 640 + margin && sy >= -margin && sy <= 480 + margin;
}

// How much of a light's colour reaches a point facing it: the renderer scales
// a light by (distance to the point / the light's distance from the origin)
// and fades it out between its two ranges.
float LightShare(const LightDef& l, Vec3 p) {
  const float d = Distance(l.position, p);
  if (d >= l.farRange) return 0;
  float f = 1;
  if (d > l.range) {
    const float t = (l.farRange * l.farRange - d * d) / (l.farRange * l.farRange - l.range * l.range);
    f = t * t * (3 - 2 * t);
  }
  return d / Distance(l.position, {0, 0, 0}) * f;
}

bool IsUpperEightThree(const std::string& s) {
  const std::size_t dot = s.find('.');
  if (dot == std::string::npos || dot == 0 || dot > 8 || s.size() - dot - 1 > 3) return false;
  return std::none_of(s.begin(), s.end(), [](char c) { return std::islower(static_cast<unsigned char>(c)); });
}

TEST(ArtRules, EveryObjectStaysWithinTheRendererBudgetsAndCellSize) {
  for (const SceneFile& s : BuildScenes()) {
    for (const Mesh& m : s.meshes) {
      SCOPED_TRACE(s.name + "/" + m.name);
      EXPECT_LE(m.vertices.size(), 3000u);
      EXPECT_LE(m.faces.size(), 2000u);
      EXPECT_LE(m.name.size(), 10u);  // the editor's limit for object names
      float longest = 0;
      for (const MeshFace& f : m.faces) {
        ASSERT_LT(std::max({f.a, f.b, f.c}), m.vertices.size());
        const Vec3 p[3] = {m.vertices[f.a].p, m.vertices[f.b].p, m.vertices[f.c].p};
        for (int i = 0; i < 3; ++i) longest = std::max(longest, Distance(p[i], p[(i + 1) % 3]));
        // No sliver or collapsed face: the loader's normals need an area.
        EXPECT_GT(std::sqrt(Dot(Cross(p[1] - p[0], p[2] - p[0]), Cross(p[1] - p[0], p[2] - p[0]))), 1e-3f);
      }
      // Cells of at most a few hundred units: a face is dropped whole when one
      // corner is far behind the eye.
      EXPECT_LE(longest, 720.0f);
    }
  }
}

TEST(ArtRules, MaterialsAreDefinedAndNameGeneratedUpperCaseMaps) {
  for (const SceneFile& s : BuildScenes()) {
    SCOPED_TRACE(s.name);
    for (const MaterialDef& mat : s.materials) {
      EXPECT_LE(mat.name.size(), 16u);
      EXPECT_TRUE(IsUpperEightThree(mat.map)) << mat.map;
      const auto& list = TextureList();
      EXPECT_TRUE(std::any_of(list.begin(), list.end(), [&](const TextureDef& t) { return t.file == mat.map; }))
          << mat.map;
    }
    for (const Mesh& m : s.meshes) {
      for (const std::string& used : m.materials) {
        EXPECT_TRUE(std::any_of(s.materials.begin(), s.materials.end(),
                                [&](const MaterialDef& d) { return d.name == used; }))
            << m.name << " uses " << used;
      }
    }
  }
}

TEST(ArtRules, SkySpheresStayWellInsideTheFarPlane) {
  for (const SceneFile& s : BuildScenes()) {
    const Mesh* sky = FindMesh(s, "skysphere");
    if (s.name == "exp") {
      EXPECT_EQ(sky, nullptr) << "the exp script would draw a sky lit";
      continue;
    }
    ASSERT_NE(sky, nullptr) << s.name;
    const auto [lo, hi] = RadiusRange(*sky, sky->pivot);
    EXPECT_LE(hi, 3000.5f) << s.name;
    EXPECT_GT(lo, 0.95f * hi) << s.name;
  }
}

// Every object that is not a sky is within the fade-out range of some light,
// since materials carry no colour of their own.
TEST(ArtRules, TheScenesLightsReachTheirScenery) {
  for (const SceneFile& s : BuildScenes()) {
    if (s.name == "swarm") continue;  // lit only by the lights on the moving swarm
    for (const Mesh& m : s.meshes) {
      if (m.name == "skysphere") continue;
      std::size_t lit = 0;
      for (const MeshVertex& v : m.vertices) {
        for (const LightDef& l : s.lights) {
          if (Distance(v.p, l.position) < l.farRange) {
            ++lit;
            break;
          }
        }
      }
      EXPECT_GE(lit, m.vertices.size() * 8 / 10) << s.name << "/" << m.name;
    }
  }
}

TEST(ArtPlacement, RocketStandsAtTheEmitterAndTheDriftMeetsTheOrbit) {
  const SceneFile& s = Scene("rocket");
  const Mesh* rocket = FindMesh(s, "rocket69");
  ASSERT_NE(rocket, nullptr);
  EXPECT_FLOAT_EQ(rocket->pivot.x, 116);
  EXPECT_FLOAT_EQ(rocket->pivot.y, 29);
  EXPECT_FLOAT_EQ(rocket->pivot.z, 64);
  ASSERT_TRUE(s.camera);
  // 650 frames of (+2, -1) end on the orbit's first eye at angle 90.5 degrees.
  const double a = 90.5 * 3.14159265358979 / 180;
  EXPECT_NEAR(s.camera->eye.x + 1300, std::cos(a) * 2300, 0.5);
  EXPECT_NEAR(s.camera->eye.y - 650, std::sin(a) * 1400, 0.5);
  EXPECT_NEAR(s.camera->eye.z, std::cos(a) * 300 + 700, 0.5);
  EXPECT_FLOAT_EQ(s.camera->target.z, 164);
  ASSERT_GE(s.lights.size(), 2u);
  EXPECT_NE(s.lights.front().name, "rocket_lig");  // the script circles the first light
  EXPECT_TRUE(std::any_of(s.lights.begin(), s.lights.end(), [](const LightDef& l) { return l.name == "rocket_lig"; }));
}

// Lowest and highest z of a mesh's vertices.
std::pair<float, float> HeightRange(const Mesh& m) {
  float lo = 1e30f, hi = -1e30f;
  for (const MeshVertex& v : m.vertices) {
    lo = std::min(lo, v.p.z);
    hi = std::max(hi, v.p.z);
  }
  return {lo, hi};
}

// The exhaust falls from the nozzle and bounces on the plane z = 0 (the
// script's floor collider), so the pad's top must be that plane: a higher
// pad swallows the sprites. The rocket and the tower stand on the pad, the
// rest on the field around it.
TEST(ArtPlacement, RocketPadTopIsTheExhaustsFloor) {
  constexpr float kExhaustFloor = 0;
  const SceneFile& s = Scene("rocket");
  const Mesh* pad = FindMesh(s, "pad");
  const Mesh* ground = FindMesh(s, "ground");
  ASSERT_TRUE(pad && ground);
  EXPECT_FLOAT_EQ(HeightRange(*pad).second, kExhaustFloor);
  // The pad reaches well beyond the nozzle on every side, where the sprites land.
  float west = 1e30f, east = -1e30f, south = 1e30f, north = -1e30f;
  for (const MeshVertex& v : pad->vertices) {
    west = std::min(west, v.p.x);
    east = std::max(east, v.p.x);
    south = std::min(south, v.p.y);
    north = std::max(north, v.p.y);
  }
  EXPECT_LE(west, 116 - 250.0f);
  EXPECT_GE(east, 116 + 250.0f);
  EXPECT_LE(south, 29 - 250.0f);
  EXPECT_GE(north, 29 + 250.0f);
  const float field = HeightRange(*pad).first;
  EXPECT_LT(field, kExhaustFloor);
  // The field is flat around the pad, at the pad's foot.
  for (const MeshVertex& v : ground->vertices) {
    if (std::hypot(v.p.x - 116, v.p.y - 29) < 2000) {
      EXPECT_FLOAT_EQ(v.p.z, field);
    }
  }
  for (const char* name : {"rocket69", "tower"}) {
    const Mesh* m = FindMesh(s, name);
    ASSERT_NE(m, nullptr) << name;
    EXPECT_FLOAT_EQ(HeightRange(*m).first, kExhaustFloor) << name;
  }
  for (const char* name : {"bunker", "tanks"}) {
    const Mesh* m = FindMesh(s, name);
    ASSERT_NE(m, nullptr) << name;
    EXPECT_FLOAT_EQ(HeightRange(*m).first, field) << name;
  }
}

// From frame 1000 the rocket climbs by 0.1, 0.2, ... a frame: about 112000
// units by the scene's end. The lights that climb with it fade (the renderer
// divides by their distance from the origin), so some light must still reach
// its side at the top of the climb as strongly as on the pad.
TEST(ArtLighting, RocketStaysLitThroughTheClimb) {
  const SceneFile& s = Scene("rocket");
  for (float height : {0.0f, 20000.0f, 60000.0f, 112000.0f}) {
    float best = 0;
    for (const LightDef& l : s.lights) {
      if (l.name == "rocket_lig" || &l == &s.lights.front()) continue;  // these climb with it
      const Vec3 side{116, 29, 64 + height};
      const Vec3 toLight = l.position - side;
      // A side facing the light horizontally: the share times the cosine.
      const float cosine = std::hypot(toLight.x, toLight.y) / Distance(l.position, side);
      best = std::max(best, LightShare(l, side) * cosine);
    }
    EXPECT_GT(best, 0.5f) << "height " << height;
  }
}

TEST(ArtPlacement, SphereBallsMatchTheCollisionSpheresAndRestOnTheGround) {
  const SceneFile& s = Scene("sphere");
  const struct {
    const char* name;
    Vec3 centre;
    float radius;
  } colliders[] = {{"ball1", {-100, 375, 150}, 150}, {"ball2", {-600, 367, 100}, 100}, {"ball3", {-300, -64, 75}, 75}};
  for (const auto& c : colliders) {
    const Mesh* ball = FindMesh(s, c.name);
    ASSERT_NE(ball, nullptr) << c.name;
    const auto [lo, hi] = RadiusRange(*ball, c.centre);
    EXPECT_NEAR(hi, c.radius, 0.5f) << c.name;
    EXPECT_GT(lo, c.radius * 0.95f) << c.name;
    EXPECT_NEAR(c.centre.z - c.radius, 0, 0.5f) << c.name;
  }
}

TEST(ArtPlacement, SwarmHullEnclosesTheEyeAndTheSwarm) {
  const SceneFile& s = Scene("swarm");
  const Mesh* hull = FindMesh(s, "skysphere");
  ASSERT_NE(hull, nullptr);
  const auto [lo, hi] = RadiusRange(*hull, {0, 0, 0});
  // Clear of the eye's farthest point (300 x sqrt 2 from the origin), yet
  // within reach of the swarm's lights, which fade out by 500 from near the origin.
  EXPECT_GE(lo, 424 + 60.0f);
  EXPECT_LE(hi, 600.0f);
  // Nothing stands in the eye's path: x = 300 sin a, y = 300 cos a, z = 300 sin a.
  for (const Mesh& m : s.meshes) {
    float nearest = 1e30f;
    for (int deg = 0; deg < 360; deg += 2) {
      const float a = static_cast<float>(deg) * 3.14159265f / 180;
      const Vec3 eye{300 * std::sin(a), 300 * std::cos(a), 300 * std::sin(a)};
      nearest = std::min(nearest, RadiusRange(m, eye).first);
    }
    EXPECT_GT(nearest, 60.0f) << m.name;
  }
  for (const char* name : {"light1", "light2", "light3"}) {
    EXPECT_TRUE(std::any_of(s.lights.begin(), s.lights.end(), [&](const LightDef& l) { return l.name == name; }));
  }
}

TEST(ArtPlacement, EgyptSignAndFountainSitWhereTheScriptLooks) {
  const SceneFile& s = Scene("egypt");
  const Mesh* sign = FindMesh(s, "ossik_sign");
  ASSERT_NE(sign, nullptr);
  EXPECT_FLOAT_EQ(sign->pivot.x, 14);
  EXPECT_FLOAT_EQ(sign->pivot.y, -985);
  EXPECT_FLOAT_EQ(sign->pivot.z, 913);
  // The fountain point (-563, 358, 575) is just above the top of a structure.
  float top = -1e30f;
  for (const Mesh& m : s.meshes) {
    if (m.name == "skysphere") continue;
    for (const MeshVertex& v : m.vertices) {
      if (std::hypot(v.p.x + 563, v.p.y - 358) < 60) top = std::max(top, v.p.z);
    }
  }
  EXPECT_GT(top, 540.0f);
  EXPECT_LE(top, 575.0f);
}

TEST(ArtPlacement, ExpBallIsRaisedAroundItsPivot) {
  const SceneFile& s = Scene("exp");
  const Mesh* ball = FindMesh(s, "sphere1");
  ASSERT_NE(ball, nullptr);
  EXPECT_FLOAT_EQ(ball->pivot.z, 382);
  const auto [lo, hi] = RadiusRange(*ball, {0, 0, 382});
  EXPECT_NEAR(hi, 150, 0.5f);
  EXPECT_GT(lo, 140.0f);
  EXPECT_FALSE(s.lights.empty());
}

TEST(ArtPlacement, CrossPanRunsOverTheMonument) {
  const SceneFile& s = Scene("cross");
  const Mesh* monument = FindMesh(s, "monument");
  ASSERT_NE(monument, nullptr);
  ASSERT_TRUE(s.camera);
  // Both ends of the pan lie close to the monument.
  const Vec3 start{-1478, 148, 278}, end{-1064, 1215, 882};
  for (Vec3 p : {start, end}) {
    float nearest = 1e30f;
    for (const MeshVertex& v : monument->vertices) nearest = std::min(nearest, Distance(v.p, p));
    EXPECT_LT(nearest, 300.0f);
  }
  // The cross's top and arm ends stay in view (a few pixels' grace) from the
  // first step of the pan to the last of the scene's 681.
  Vec3 lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
  for (const MeshVertex& v : monument->vertices) {
    lo = {std::min(lo.x, v.p.x), std::min(lo.y, v.p.y), std::min(lo.z, v.p.z)};
    hi = {std::max(hi.x, v.p.x), std::max(hi.y, v.p.y), std::max(hi.z, v.p.z)};
  }
  const Vec3 axis = (lo + hi) * 0.5f;
  for (int n : {1, 34, 340, 681}) {
    const Vec3 target = start + (end - start) * (static_cast<float>(n) / 700);
    EXPECT_TRUE(OnScreen(s.camera->eye, target, {axis.x, axis.y, hi.z}, 16)) << "top at step " << n;
    for (float y : {lo.y, hi.y}) {
      EXPECT_TRUE(OnScreen(s.camera->eye, target, {axis.x, y, 880}, 16)) << "arm end at step " << n;
    }
  }
}

TEST(ArtPlacement, DanteFloorCoversTheSparkArea) {
  const SceneFile& s = Scene("dante");
  const Mesh* floor = FindMesh(s, "ground_noz");
  ASSERT_NE(floor, nullptr);
  float x0 = 1e30f, x1 = -1e30f, y0 = 1e30f, y1 = -1e30f;
  for (const MeshVertex& v : floor->vertices) {
    EXPECT_FLOAT_EQ(v.p.z, -1000);
    x0 = std::min(x0, v.p.x);
    x1 = std::max(x1, v.p.x);
    y0 = std::min(y0, v.p.y);
    y1 = std::max(y1, v.p.y);
  }
  EXPECT_LE(x0, -2300 - 500.0f);
  EXPECT_GE(x1, 1000 + 500.0f);
  EXPECT_LE(y0, -2000 - 500.0f);
  EXPECT_GE(y1, 2000 + 500.0f);
  for (const char* name : {"osphere", "skysphere"}) EXPECT_NE(FindMesh(s, name), nullptr) << name;
}

// The script glides the eye from (1554, 2245, -600) to (1700, -1700, -500)
// and never sets the target: the file's camera chunk aims it. The ball and
// the middle of the spark field must stay in view the whole glide.
TEST(ArtPlacement, DanteGlideSeesTheBallAndTheSparkField) {
  const SceneFile& s = Scene("dante");
  ASSERT_TRUE(s.camera);
  const Mesh* ball = FindMesh(s, "osphere");
  ASSERT_NE(ball, nullptr);
  const Vec3 start{1554, 2245, -600}, end{1700, -1700, -500};
  for (int n = 0; n < 2000; n += 250) {
    const Vec3 eye = start + (end - start) * (static_cast<float>(n) / 2000);
    SCOPED_TRACE(n);
    EXPECT_TRUE(OnScreen(eye, s.camera->target, ball->pivot));
    EXPECT_TRUE(OnScreen(eye, s.camera->target, {-650, 0, -980}));
    // Something stands out of the floor's way: the ball fills less than half the view's height.
    const float dist = Distance(eye, ball->pivot), radius = RadiusRange(*ball, ball->pivot).second;
    EXPECT_LT(radius / dist * 240 * 335 * 0.01745329252f / 2, 120.0f);
  }
}

TEST(ArtPlacement, OutroGreetingsTurnWithTheirFramesAndFaceTheFinalEye) {
  const SceneFile& s = Scene("outro");
  ASSERT_TRUE(s.camera);
  for (const auto& [text, frame] : {std::pair{"greet1", "greetf1"}, std::pair{"greet2", "greetf2"}}) {
    const Mesh* t = FindMesh(s, text);
    const Mesh* f = FindMesh(s, frame);
    ASSERT_TRUE(t && f) << text;
    EXPECT_FLOAT_EQ(t->pivot.x, f->pivot.x);
    EXPECT_FLOAT_EQ(t->pivot.y, f->pivot.y);
    EXPECT_FLOAT_EQ(t->pivot.z, f->pivot.z);
    // The letters' front faces (those facing the final eye) carry the reading
    // direction: their normals point from the pivot towards the eye's side.
    double facing = 0;
    for (const MeshFace& face : t->faces) {
      const Vec3 n = Cross(t->vertices[face.b].p - t->vertices[face.a].p, t->vertices[face.c].p - t->vertices[face.a].p);
      facing += Dot(n, s.camera->eye - t->pivot) > 0 ? 1 : 0;
    }
    EXPECT_GT(facing, 0);
  }
  ASSERT_FALSE(s.lights.empty());
  EXPECT_TRUE(std::any_of(s.lights.begin(), s.lights.end(), [](const LightDef& l) { return l.name == "sun"; }));
}

// The corners of a mesh's faces that use one material, rounded to a hundredth
// and sorted, so that two meshes built in different orders compare equal.
std::vector<std::array<long, 3>> Corners(const Mesh& m, const std::string& material,
                                         const std::function<Vec3(Vec3)>& move = [](Vec3 p) { return p; }) {
  std::vector<std::array<long, 3>> out;
  for (const MeshFace& f : m.faces) {
    if (m.materials[f.material] != material) continue;
    for (std::uint16_t i : {f.a, f.b, f.c}) {
      const Vec3 p = move(m.vertices[i].p);
      out.push_back({std::lround(p.x * 100), std::lround(p.y * 100), std::lround(p.z * 100)});
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

// While the greetings turn, both faces are seen in turn. The front's letters
// (greet*) stand before a solid board, and the back's (in greetf*) behind it
// are the front's turned half a turn about the pivot: they read the right way
// round from behind instead of showing the front's letters mirrored.
TEST(ArtPlacement, OutroGreetingsReadTheRightWayRoundFromBothSides) {
  const SceneFile& s = Scene("outro");
  for (const auto& [text, frame] : {std::pair{"greet1", "greetf1"}, std::pair{"greet2", "greetf2"}}) {
    SCOPED_TRACE(text);
    const Mesh* t = FindMesh(s, text);
    const Mesh* f = FindMesh(s, frame);
    ASSERT_TRUE(t && f);
    const Vec3 c = t->pivot;
    const auto front = Corners(*t, "letters");
    const auto back = Corners(*f, "letters");
    const auto board = Corners(*f, "stone");
    ASSERT_FALSE(front.empty());
    ASSERT_FALSE(board.empty());
    EXPECT_EQ(Corners(*f, "letters", [&](Vec3 p) { return Vec3{2 * c.x - p.x, 2 * c.y - p.y, p.z}; }), front);
    EXPECT_EQ(back.size(), front.size());
    // Board between the faces, covering every letter.
    long boardLo[3] = {LONG_MAX, LONG_MAX, LONG_MAX}, boardHi[3] = {LONG_MIN, LONG_MIN, LONG_MIN};
    for (const auto& p : board) {
      for (int i = 0; i < 3; ++i) {
        boardLo[i] = std::min(boardLo[i], p[i]);
        boardHi[i] = std::max(boardHi[i], p[i]);
      }
    }
    for (const auto& p : front) {
      EXPECT_LE(p[1], boardLo[1]);
      EXPECT_TRUE(p[0] >= boardLo[0] && p[0] <= boardHi[0] && p[2] >= boardLo[2] && p[2] <= boardHi[2]);
    }
    for (const auto& p : back) EXPECT_GE(p[1], boardHi[1]);
    EXPECT_LT(boardLo[1], std::lround(c.y * 100));
    EXPECT_GT(boardHi[1], std::lround(c.y * 100));
  }
}

TEST(ArtOutput, TwoRunsWriteTheSameBytes) {
  namespace fs = std::filesystem;
  const fs::path other = fs::path(ArtDir()).string() + "-again";
  fs::remove_all(other);
  fs::create_directories(other);
  ASSERT_TRUE(WriteArt(other.string()));
  std::size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(other)) {
    if (!e.is_regular_file()) continue;
    ++files;
    const fs::path first = fs::path(ArtDir()) / fs::relative(e.path(), other);
    EXPECT_TRUE(ReadBytes(first.string()) == ReadBytes(e.path().string())) << e.path();
  }
  EXPECT_EQ(files, TextureList().size() + 8 + 1);
  fs::remove_all(other);
}

TEST(ArtOutput, TargaAndBannerHeadersAreWhatTheReadersExpect) {
  for (const TextureDef& t : TextureList()) {
    const std::vector<std::uint8_t> b = ReadBytes(ArtDir() + "/Textures/" + t.file);
    ASSERT_EQ(b.size(), 18u + static_cast<std::size_t>(t.size * t.size * 3)) << t.file;
    EXPECT_EQ(b[0], 0);  // no image ID
    EXPECT_EQ(b[1], 0);  // no colour map
    EXPECT_EQ(b[2], 2);  // uncompressed true colour
    EXPECT_EQ(b[12] | b[13] << 8, t.size);
    EXPECT_EQ(b[14] | b[15] << 8, t.size);
    EXPECT_EQ(b[16], 24);
    EXPECT_TRUE(t.size >= 1 && t.size <= 256 && (t.size & (t.size - 1)) == 0) << t.file;
  }
  const std::vector<std::uint8_t> bmp = ReadBytes(ArtDir() + "/banner.bmp");
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(bmp[18] | bmp[19] << 8, 384);
  EXPECT_EQ(bmp[22] | bmp[23] << 8, 96);
  EXPECT_EQ(bmp[28], 8);
  EXPECT_EQ(bmp.size(), 14u + 40 + 1024 + 384 * 96);
}

}  // namespace
