// Lens flares and billboards: element offsets, rotation, depth order, which
// sprites are drawn, colours and projection depths.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/dx/dx_platform.h"
#include "render/flares.h"
#include "render/renderer.h"
#include "render/sprites.h"
#include "render/transforms.h"
#include "support/render_scene.h"

namespace {

class SpritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Create(160, 120));
    StartTestScene();
    PrepareTextures();
    // At the origin looking along +z: view coordinates equal world coordinates.
    camera = AddTestCamera(160, 120, Vec4{0, 0, 0, 1}, Vec4{0, 0, 1, 1});
    UpdateCamera(camera);
    ASSERT_TRUE(device.BeginFrame());
    RenderCallLog = &log;
  }
  void TearDown() override {
    RenderCallLog = nullptr;
    device.EndFrame();
    EndTestScene();
    device.Destroy();
  }
  Sprite* Flare(Vec4 position) {
    Sprite* s = CloneSprite(LensFlareTemplate);
    s->active = 1;
    s->particle.position = position;
    return s;
  }
  Sprite* Billboard(Vec4 position, float halfSize) {
    Sprite* s = AddSprite(SpriteBillboard);
    s->active = 1;
    s->halfSize = halfSize;
    s->materials[0] = LensFlareTemplate->materials[0];
    s->colour[0] = s->colour[1] = s->colour[2] = 255;
    s->particle.position = position;
    return s;
  }

  HeadlessRenderDevice device;
  Camera* camera = nullptr;
  std::vector<RenderCall> log;
};

TEST_F(SpritesTest, TheTemplateIsBuiltAtTheStartOfEveryScene) {
  ASSERT_NE(LensFlareTemplate, nullptr);
  EXPECT_EQ(LensFlareTemplate->kind, SpriteLensFlare);
  EXPECT_FLOAT_EQ(LensFlareTemplate->halfSize, 60.0f);
  EXPECT_EQ(LensFlareTemplate->active, 0);
  EXPECT_EQ(LensFlareTemplate->colour[0], 255);
  EXPECT_EQ(LensFlareTemplate->colour[1], 255);
  EXPECT_EQ(LensFlareTemplate->colour[2], 255);
  EXPECT_EQ(LensFlareTemplate->colour[3], 0);
  Texture* lens = Textures.first;
  for (int i = 0; i < 4; ++i, lens = lens ? lens->next : nullptr) {
    const std::string name = "lenz_flare_material" + std::to_string(i);
    Material* m = FindMaterial(name.c_str());
    ASSERT_NE(m, nullptr) << name;
    EXPECT_EQ(LensFlareTemplate->materials[i], m);
    ASSERT_NE(lens, nullptr);
    EXPECT_EQ(m->texture, lens);
    EXPECT_NE(lens->pixels, nullptr);
  }
  EXPECT_EQ(lens, nullptr);  // exactly four textures

  // The next scene starts with a new template and no texture current.
  CurrentTexture = Textures.first;
  RenderCallLog = nullptr;
  EndTestScene();
  EXPECT_EQ(VertexBuffer, nullptr);
  StartTestScene();
  EXPECT_EQ(CurrentTexture, nullptr);
  EXPECT_NE(VertexBuffer, nullptr);
  EXPECT_EQ(Sprites.first, LensFlareTemplate);
  camera = AddTestCamera(160, 120, Vec4{0, 0, 0, 1}, Vec4{0, 0, 1, 1});
}

TEST_F(SpritesTest, FlareElementsAreStrungTowardsTheViewAxis) {
  Sprite* flare = Flare(Vec4{100, 0, 500, 1});
  ASSERT_TRUE(DrawSprites());
  const auto draws = DrawCalls(log);
  ASSERT_EQ(draws.size(), 8u);  // two triangles per element
  EXPECT_FLOAT_EQ(flare->viewX, 100.0f);
  EXPECT_FLOAT_EQ(flare->viewY, 0.0f);
  // The first corner (-h, -h) of each element, relative to element 0.
  const float x0 = draws[0]->vertices[0].sx;
  const float expected[4] = {0.0f, -12.0f, -8.25f, 4.5f};
  for (int i = 0; i < 4; ++i) {
    const RenderCall& first = *draws[2 * i];
    const RenderCall& second = *draws[2 * i + 1];
    EXPECT_EQ(first.primitive, D3DPT_TRIANGLELIST);
    ASSERT_EQ(first.vertices.size(), 3u);
    ASSERT_EQ(second.vertices.size(), 3u);
    EXPECT_NEAR(first.vertices[0].sx - x0, expected[i], 1e-4f) << i;
    EXPECT_FLOAT_EQ(first.vertices[0].sy, draws[0]->vertices[0].sy);
    // Corners and texture coordinates of the two triangles.
    EXPECT_FLOAT_EQ(first.vertices[0].tu, 0);
    EXPECT_FLOAT_EQ(first.vertices[1].tu, 1);
    EXPECT_FLOAT_EQ(first.vertices[2].tv, 1);
    EXPECT_FLOAT_EQ(second.vertices[1].tu, 1);
    EXPECT_FLOAT_EQ(second.vertices[1].tv, 1);
  }
  // No turn on the horizontal: the quad's width is 2h in view units.
  const float rhw = draws[0]->vertices[0].rhw;
  EXPECT_NEAR(draws[0]->vertices[1].sx - draws[0]->vertices[0].sx, 120.0f * camera->scaleX * rhw, 1e-3f);
  EXPECT_FLOAT_EQ(draws[0]->vertices[1].sy, draws[0]->vertices[0].sy);
}

TEST_F(SpritesTest, FlareDepthAndColour) {
  // Eye at z = -100: the view translation is 100, scaled by 0.95 for a flare.
  camera->eye = Vec4{0, 0, -100, 1};
  UpdateCamera(camera);
  Sprite* flare = Flare(Vec4{0, 0, 400, 1});
  flare->colour[0] = 255;
  flare->colour[1] = 128;
  flare->colour[2] = 0;
  Sprite* board = Billboard(Vec4{0, 0, 400, 1}, 30);
  DrawSprites();
  EXPECT_FLOAT_EQ(flare->depth, 400.0f + 100.0f * 0.95f);
  EXPECT_FLOAT_EQ(board->depth, 500.0f);
  const auto draws = DrawCalls(log);
  ASSERT_EQ(draws.size(), 9u);
  // The billboard is farther and comes first.
  EXPECT_EQ(draws[0]->primitive, D3DPT_TRIANGLEFAN);
  EXPECT_FLOAT_EQ(draws[0]->vertices[0].rhw, 1.0f / 500.0f);
  const float rhw = 1.0f / (495.0f * 0.9f);
  const D3DTLVERTEX& v = draws[1]->vertices[0];
  EXPECT_FLOAT_EQ(v.rhw, rhw);
  EXPECT_FLOAT_EQ(v.sz, (1.0f - camera->nearZ * rhw) * camera->zScale);
  EXPECT_EQ(v.color, 0x00FE7F00u);
  EXPECT_EQ(v.specular, 0u);
}

TEST_F(SpritesTest, FlareStraightAboveTheAxisIsTurnedAQuarter) {
  const float h = 60.0f;
  Flare(Vec4{0, 100, 500, 1});
  ASSERT_TRUE(DrawSprites());
  const auto draws = DrawCalls(log);
  ASSERT_EQ(draws.size(), 8u);
  // dy / dx = -100 / 0: a = -90 degrees, so corner (-h, -h) lands at view
  // (h, 100 - h) and the elements move down the screen towards the axis.
  // The eye is at the origin, so the 0.95 on the translation changes nothing.
  const float rhw = 1.0f / (500.0f * 0.9f);
  const D3DTLVERTEX& c = draws[0]->vertices[0];
  EXPECT_NEAR(c.sx, h * camera->scaleX * rhw + 80.0f, 1e-3f);
  EXPECT_NEAR(c.sy, (100.0f - h) * camera->scaleY * rhw + 60.0f, 1e-3f);
  EXPECT_NEAR(draws[2]->vertices[0].sy - c.sy, -0.8f * 15.0f, 1e-3f);
  EXPECT_NEAR(draws[2]->vertices[0].sx, c.sx, 1e-4f);
}

TEST_F(SpritesTest, FlareOnTheAxisKeepsEveryElementInPlace) {
  Flare(Vec4{0, 0, 500, 1});
  ASSERT_TRUE(DrawSprites());
  const auto draws = DrawCalls(log);
  ASSERT_EQ(draws.size(), 8u);
  for (const RenderCall* d : draws) {
    for (const D3DTLVERTEX& v : d->vertices) {
      EXPECT_FALSE(std::isnan(v.sx));
      EXPECT_FALSE(std::isnan(v.sy));
    }
  }
  for (int i = 1; i < 4; ++i) {
    EXPECT_FLOAT_EQ(draws[2 * i]->vertices[0].sx, draws[0]->vertices[0].sx);
    EXPECT_FLOAT_EQ(draws[2 * i]->vertices[0].sy, draws[0]->vertices[0].sy);
  }
  // Not turned: corner (-h, -h) is up and left of the centre.
  EXPECT_LT(draws[0]->vertices[0].sx, 80.0f);
  EXPECT_LT(draws[0]->vertices[0].sy, 60.0f);
}

TEST_F(SpritesTest, BillboardsAreDrawnFarthestFirst) {
  Sprite* nearer = Billboard(Vec4{-20, 0, 500, 1}, 30);
  Sprite* farther = Billboard(Vec4{20, 0, 800, 1}, 50);
  DrawSprites();
  const auto draws = DrawCalls(log);
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_FLOAT_EQ(draws[0]->vertices[0].rhw, 1.0f / 800.0f);
  EXPECT_FLOAT_EQ(draws[1]->vertices[0].rhw, 1.0f / 500.0f);
  EXPECT_FLOAT_EQ(nearer->depth, 500.0f);
  EXPECT_FLOAT_EQ(farther->depth, 800.0f);
  // One fan of four corners: (-h, -h), (+h, -h), (+h, +h), (-h, +h).
  const RenderCall& fan = *draws[1];
  EXPECT_EQ(fan.primitive, D3DPT_TRIANGLEFAN);
  ASSERT_EQ(fan.vertices.size(), 4u);
  const float s = 30.0f * camera->scaleX / 500.0f;
  const float cx = -20.0f * camera->scaleX / 500.0f + 80.0f;
  const float xs[4] = {cx - s, cx + s, cx + s, cx - s};
  const float tus[4] = {0, 1, 1, 0}, tvs[4] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(fan.vertices[i].sx, xs[i], 1e-3f);
    EXPECT_FLOAT_EQ(fan.vertices[i].tu, tus[i]);
    EXPECT_FLOAT_EQ(fan.vertices[i].tv, tvs[i]);
  }
  EXPECT_EQ(fan.vertices[0].color, 0x00FEFEFEu);
}

TEST_F(SpritesTest, OnlyActiveFlaresAndBillboardsAreDrawn) {
  Billboard(Vec4{0, 0, 500, 1}, 30)->active = 0;
  Sprite* odd = Billboard(Vec4{0, 0, 500, 1}, 30);
  odd->kind = 1;
  Billboard(Vec4{0, 0, 600, 1}, 30);
  DrawSprites();
  // The template (inactive), the inactive billboard and the kind-1 sprite draw nothing.
  EXPECT_EQ(DrawCalls(log).size(), 1u);
  EXPECT_FLOAT_EQ(odd->depth, 0.0f);
}

TEST_F(SpritesTest, FlaresFollowTheirLights) {
  Light* light = AddTestLight("omni", Vec4{30, 40, 700, 1}, 255, 255, 255, 100, 200);
  light->flare = Flare(Vec4{0, 0, 0, 1});
  ASSERT_TRUE(RenderFrame());
  EXPECT_FLOAT_EQ(light->flare->particle.position.x, 30.0f);
  EXPECT_FLOAT_EQ(light->flare->particle.position.y, 40.0f);
  EXPECT_FLOAT_EQ(light->flare->particle.position.z, 700.0f);
  EXPECT_FLOAT_EQ(light->flare->viewX, 30.0f);
  EXPECT_EQ(DrawCalls(log).size(), 8u);
}

TEST_F(SpritesTest, TexturesAreSelectedOnlyWhenTheyChange) {
  Sprite* flare = Flare(Vec4{50, 0, 500, 1});
  // All four elements share one texture: one bind for the whole flare.
  for (int i = 1; i < 4; ++i) flare->materials[i] = flare->materials[0];
  Billboard(Vec4{0, 0, 400, 1}, 30);
  DrawSprites();
  int binds = 0;
  for (const RenderCall& c : log) binds += c.kind == RenderCallKind::BindTexture;
  EXPECT_EQ(binds, 1);
  EXPECT_EQ(CurrentTexture, flare->materials[0]->texture);
}

TEST_F(SpritesTest, AFailedDrawEndsOnlyThatSprite) {
  Billboard(Vec4{0, 0, 800, 1}, 30);
  Flare(Vec4{10, 0, 500, 1});
  DxFailNext(DxMethod::DrawPrimitive, 1);
  DrawSprites();
  const auto draws = DrawCalls(log);
  ASSERT_EQ(draws.size(), 9u);
  EXPECT_FALSE(draws[0]->succeeded);
  EXPECT_TRUE(draws[8]->succeeded);
}

}  // namespace
