// Small synthetic scenes rendered through the software device's reference
// path and compared exactly with committed reference images: a lit textured
// mesh, a sky sphere behind a lit box, and lights with their flares over
// billboards.
#include <gtest/gtest.h>

#include <cmath>

#include "loaders/texture_file.h"
#include "platform/dx/dx_platform.h"
#include "render/flares.h"
#include "render/renderer.h"
#include "support/golden.h"
#include "support/render_scene.h"

namespace {

constexpr int Width = 160;
constexpr int Height = 120;

void Checker(int x, int y, int, std::uint8_t rgb[3]) {
  const bool dark = ((x / 8) + (y / 8)) % 2;
  rgb[0] = dark ? 60 : 230;
  rgb[1] = dark ? 70 : 210;
  rgb[2] = dark ? 90 : 160;
}

void SkyGradient(int x, int y, int side, std::uint8_t rgb[3]) {
  const float t = static_cast<float>(y) / (side - 1);
  const bool band = (x + y) % 16 < 2;
  rgb[0] = static_cast<std::uint8_t>(20 + 200 * t * t);
  rgb[1] = static_cast<std::uint8_t>(30 + 90 * t);
  rgb[2] = static_cast<std::uint8_t>(band ? 255 : 120 + 60 * (1 - t));
}

class GoldenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Create(Width, Height));
    // Drawn by the plain per-pixel path, so that work on the fast path's
    // speed cannot move these pictures (other tests hold it close to this one).
    DxUseReferenceRasterizer(true);
    WriteTestTarga("check.tga", 64, Checker);
    WriteTestTarga("sky.tga", 64, SkyGradient);
    StartTestScene();
  }
  void TearDown() override {
    EndTestScene();
    device.Destroy();
  }
  // The scenes' camera settings: wide angle parameters, seen upright.
  Camera* SceneCamera(Vec4 eye, Vec4 target) {
    Camera* camera = AddTestCamera(Width, Height, eye, target);
    camera->upHint = Vec4{0, -1, 0, 1};
    camera->angleX = 270.0;
    camera->angleY = 335.0;
    camera->farZ = 6000.0f;
    return camera;
  }
  Material* Coloured(const char* name, std::uint8_t r, std::uint8_t g, std::uint8_t b, Texture* texture) {
    Material* m = AddMaterial(name);
    m->baseColour[0] = r;
    m->baseColour[1] = g;
    m->baseColour[2] = b;
    m->texture = texture;
    return m;
  }
  void RenderAndCompare(const char* name) {
    PrepareTextures();
    ASSERT_TRUE(device.BeginFrame());
    EXPECT_TRUE(RenderFrame());
    device.EndFrame();
    const std::string message = CompareWithGolden("render", name, device.ReadBack(), Width, Height);
    EXPECT_TRUE(message.empty()) << message;
  }

  HeadlessRenderDevice device;
};

// Quads with their own four corners (hard edges), the normal pointing away
// from u x v so that a cube's faces look outwards.
void AddQuad(std::vector<TestVertex>& vertices, std::vector<int>& corners, Vec4 o, Vec4 u, Vec4 v) {
  const int a = static_cast<int>(vertices.size());
  vertices.push_back({o.x, o.y, o.z, 0, 0});
  vertices.push_back({o.x + u.x, o.y + u.y, o.z + u.z, 1, 0});
  vertices.push_back({o.x + v.x, o.y + v.y, o.z + v.z, 0, 1});
  vertices.push_back({o.x + u.x + v.x, o.y + u.y + v.y, o.z + u.z + v.z, 1, 1});
  corners.insert(corners.end(), {a, a + 2, a + 1, a + 1, a + 2, a + 3});
}

MeshObject* AddCube(const char* name, float s, Material* material) {
  std::vector<TestVertex> vertices;
  std::vector<int> corners;
  const float d = 2 * s;
  AddQuad(vertices, corners, {-s, -s, -s, 1}, {d, 0, 0, 1}, {0, d, 0, 1});  // -z
  AddQuad(vertices, corners, {-s, -s, s, 1}, {0, d, 0, 1}, {d, 0, 0, 1});   // +z
  AddQuad(vertices, corners, {-s, -s, -s, 1}, {0, d, 0, 1}, {0, 0, d, 1});  // -x
  AddQuad(vertices, corners, {s, -s, -s, 1}, {0, 0, d, 1}, {0, d, 0, 1});   // +x
  AddQuad(vertices, corners, {-s, -s, -s, 1}, {0, 0, d, 1}, {d, 0, 0, 1});  // -y
  AddQuad(vertices, corners, {-s, s, -s, 1}, {d, 0, 0, 1}, {0, 0, d, 1});   // +y
  return AddTestMesh(name, vertices, corners, material);
}

MeshObject* AddSphere(const char* name, float radius, int rings, int segments, Material* material) {
  std::vector<TestVertex> vertices;
  std::vector<int> corners;
  for (int r = 0; r <= rings; ++r) {
    const float phi = 3.14159265f * r / rings;
    for (int s = 0; s <= segments; ++s) {
      const float theta = 2 * 3.14159265f * s / segments;
      vertices.push_back({radius * std::sin(phi) * std::cos(theta), -radius * std::cos(phi),
                          radius * std::sin(phi) * std::sin(theta), 4.0f * s / segments,
                          1.0f * r / rings});
    }
  }
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const int a = r * (segments + 1) + s, b = a + 1, c = a + segments + 1, d = c + 1;
      corners.insert(corners.end(), {a, c, b, b, c, d});
    }
  }
  return AddTestMesh(name, vertices, corners, material);
}

TEST_F(GoldenTest, LitTexturedMesh) {
  SceneCamera(Vec4{0, -60, -260, 1}, Vec4{0, 0, 0, 1});
  Texture* check = LoadTexture("Textures\\check.tga");
  MeshObject* grid = AddTestGrid("floor", 8, 90, 2, Coloured("floor", 30, 30, 30, check));
  grid->particle.rotation = Vec4{-0.9f, 0.3f, 0, 1};
  AddTestLight("warm", Vec4{-60, -40, -50, 1}, 255, 170, 110, 40, 140);
  AddTestLight("cool", Vec4{70, -70, -10, 1}, 90, 150, 255, 40, 130);
  RenderAndCompare("lit_mesh");
}

TEST_F(GoldenTest, SkySphereBehindALitBox) {
  SceneCamera(Vec4{0, 0, -300, 1}, Vec4{0, 0, 0, 1});
  Material* skyMaterial = Coloured("sky", 0, 0, 0, LoadTexture("Textures\\sky.tga"));
  skyMaterial->fullBright = 1;
  // The sky is far beyond the box and drawn first without depth writes, so
  // the box shows in front of it; hidden or not, the sky is drawn.
  MeshObject* sky = AddSphere("skysphere", 1500, 12, 16, skyMaterial);
  sky->visible = 0;
  MeshObject* box = AddCube("box", 55, Coloured("box", 70, 30, 30, nullptr));
  box->particle.rotation = Vec4{0.5f, 0.7f, 0.1f, 1};
  AddTestLight("key", Vec4{-160, -140, -220, 1}, 255, 230, 200, 200, 450);
  RenderAndCompare("sky_and_box");
}

TEST_F(GoldenTest, FlaresAndBillboards) {
  SceneCamera(Vec4{0, 0, -300, 1}, Vec4{0, 0, 0, 1});
  MeshObject* wall = AddTestGrid("wall", 4, 400, 4, Coloured("wall", 25, 25, 35, LoadTexture("Textures\\check.tga")));
  wall->particle.position = Vec4{0, 0, 500, 1};
  // Lights carry flare copies of the template, coloured like the light.
  struct LampSetting {
    Vec4 position;
    std::uint8_t r, g, b;
  };
  const LampSetting lights[2] = {{{90, -50, 150, 1}, 255, 210, 160}, {{-140, 60, 350, 1}, 120, 170, 255}};
  for (const LampSetting& lamp : lights) {
    Light* light = AddTestLight("lamp", lamp.position, lamp.r, lamp.g, lamp.b, 200, 500);
    light->flare = CloneSprite(LensFlareTemplate);
    light->flare->active = 1;
    light->flare->colour[0] = lamp.r;
    light->flare->colour[1] = lamp.g;
    light->flare->colour[2] = lamp.b;
  }
  // A ring of billboards going away from the camera.
  for (int i = 0; i < 10; ++i) {
    Sprite* s = AddSprite(SpriteBillboard);
    const float a = 0.6f * i;
    s->particle.position = Vec4{110 * std::cos(a), 70 * std::sin(a), -50.0f + 45.0f * i, 1};
    s->halfSize = i % 2 ? 30.0f : 50.0f;
    s->materials[0] = LensFlareTemplate->materials[0];
    s->colour[0] = static_cast<std::uint8_t>(120 + 13 * i);
    s->colour[1] = static_cast<std::uint8_t>(200 - 15 * i);
    s->colour[2] = 90;
    s->active = 1;
  }
  RenderAndCompare("flares_and_billboards");
}

}  // namespace
