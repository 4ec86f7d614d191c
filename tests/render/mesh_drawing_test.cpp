// Mesh drawing through the headless software device, checked on the calls the
// renderer makes: draw order and depth writes, culling, colours, batching per
// texture, buffer limits and the vertex cache.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "device/render_device.h"
#include "device/texture_surfaces.h"
#include "platform/dx/dx_platform.h"
#include "render/renderer.h"
#include "render/transforms.h"
#include "support/render_scene.h"

namespace {

class MeshDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Create(160, 120));
    StartTestScene();
    PrepareTextures();
    // At the origin looking along +z: view coordinates equal world coordinates.
    camera = AddTestCamera(160, 120, Vec4{0, 0, 0, 1}, Vec4{0, 0, 1, 1});
    UpdateCameraForTest();
    ASSERT_TRUE(device.BeginFrame());
    RenderCallLog = &log;
  }
  void TearDown() override {
    RenderCallLog = nullptr;
    device.EndFrame();
    EndTestScene();
    device.Destroy();
  }
  // RenderFrame updates the camera itself; the direct DrawMeshObject tests need it done.
  void UpdateCameraForTest() { UpdateCamera(camera); }
  Material* Plain(const char* name, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Material* m = AddMaterial(name);
    m->baseColour[0] = r;
    m->baseColour[1] = g;
    m->baseColour[2] = b;
    m->baseColour[3] = 255;
    return m;
  }
  // One triangle facing the camera at depth z around (x, y).
  MeshObject* Triangle(const char* name, Material* m, float x = 0, float y = 0, float z = 100) {
    return AddTestMesh(name, {{x, y, z, 0, 0}, {x + 10, y, z, 1, 0}, {x, y + 10, z, 0, 1}}, {0, 2, 1}, m);
  }
  std::vector<const RenderCall*> IndexedDraws() const {
    std::vector<const RenderCall*> draws;
    for (const RenderCall& c : log)
      if (c.kind == RenderCallKind::DrawIndexedPrimitive) draws.push_back(&c);
    return draws;
  }

  HeadlessRenderDevice device;
  Camera* camera = nullptr;
  std::vector<RenderCall> log;
};

// What a frame did, in order: "Z0"/"Z1" for depth writes off/on, and the red
// byte of the first vertex of each mesh draw (from the object's base colour:
// 10, 20, 30 come out as 9, 19, 29 through the factor 0.003921).
std::string FrameOutline(const std::vector<RenderCall>& log) {
  std::string outline;
  for (const RenderCall& c : log) {
    if (c.kind == RenderCallKind::SetRenderState && c.state == D3DRENDERSTATE_ZWRITEENABLE)
      outline += c.value ? "Z1 " : "Z0 ";
    if (c.kind == RenderCallKind::DrawIndexedPrimitive)
      outline += std::to_string((c.vertices[0].color >> 16) & 0xFF) + " ";
  }
  return outline;
}

TEST_F(MeshDrawingTest, SkyObjectsComeFirstWithoutDepthWrites) {
  Triangle("box", Plain("m10", 10, 0, 0));
  MeshObject* ground = Triangle("GROUND_NOZ", Plain("m20", 20, 0, 0));
  MeshObject* sky = Triangle("SkySphere", Plain("m30", 30, 0, 0));
  MeshObject* hidden = Triangle("hidden", Plain("m40", 40, 0, 0));
  Triangle("other", Plain("m50", 50, 0, 0));
  // The sky objects are drawn whatever their visible byte says; others are not.
  sky->visible = 0;
  ground->visible = 0;
  hidden->visible = 0;
  // An object without geometry (a light's or camera's block) is passed over.
  AddMeshObject("lamp");

  ASSERT_TRUE(RenderFrame());
  EXPECT_EQ(FrameOutline(log), "Z0 29 Z0 19 Z1 9 49 Z0 ");
  // The additive pass follows the meshes.
  std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> last;
  for (const RenderCall& c : log)
    if (c.kind == RenderCallKind::SetRenderState) last.emplace_back(c.state, c.value);
  ASSERT_GE(last.size(), 4u);
  const std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> additive = {
      {D3DRENDERSTATE_ALPHABLENDENABLE, TRUE},
      {D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE},
      {D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE},
      {D3DRENDERSTATE_ZWRITEENABLE, FALSE}};
  EXPECT_EQ(std::vector(last.end() - 4, last.end()), additive);
  EXPECT_EQ(last.front(), std::make_pair(D3DRENDERSTATE_DESTBLEND, DWORD{D3DBLEND_ZERO}));
}

TEST_F(MeshDrawingTest, WithoutSkyEveryMeshWritesDepth) {
  Triangle("box", Plain("m10", 10, 0, 0));
  ASSERT_TRUE(RenderFrame());
  EXPECT_EQ(FrameOutline(log), "Z1 9 Z0 ");
}

TEST_F(MeshDrawingTest, NoCameraDrawsNothing) {
  Triangle("box", Plain("m10", 10, 0, 0));
  SetCurrentCamera(nullptr);
  EXPECT_FALSE(RenderFrame());
  EXPECT_TRUE(log.empty());
}

TEST_F(MeshDrawingTest, DepthAndSidePlaneCulling) {
  Material* m = Plain("m", 100, 0, 0);
  // Face 0: a corner at nearZ - 300 = -299 is too far behind: dropped.
  // Face 1: a corner at -298, slightly behind the camera: kept.
  // Face 2: a corner 2100 units to the left at depth 100 (beyond the view but
  // within the 2000-unit slack): kept. Face 3: 2300 units left: dropped.
  AddTestMesh("cull",
              {{0, 0, 100, 0, 0}, {10, 0, 100, 0, 0}, {0, 10, -299, 0, 0},
               {20, 0, 100, 0, 0}, {30, 0, 100, 0, 0}, {20, 10, -298, 0, 0},
               {40, 0, 100, 0, 0}, {50, 0, 100, 0, 0}, {-2100, 10, 100, 0, 0},
               {60, 0, 100, 0, 0}, {70, 0, 100, 0, 0}, {-2300, 10, 100, 0, 0}},
              {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, m);
  ASSERT_TRUE(DrawMeshObject(MeshObjects.first));
  const auto draws = IndexedDraws();
  ASSERT_EQ(draws.size(), 1u);
  const RenderCall& draw = *draws[0];
  // Every vertex is transformed and projected, dropped faces' too.
  EXPECT_EQ(draw.vertices.size(), 12u);
  ASSERT_EQ(draw.indices.size(), 6u);
  // Faces go last to first: face 2, then face 1; corners in first, second, third order.
  std::vector<float> depths;
  for (WORD i : draw.indices) depths.push_back(1.0f / draw.vertices[i].rhw);
  EXPECT_FLOAT_EQ(depths[2], 100.0f);
  EXPECT_FLOAT_EQ(draw.vertices[draw.indices[2]].sx, -2100.0f * camera->scaleX / 100.0f + 80.0f);
  EXPECT_FLOAT_EQ(depths[5], -298.0f);
}

TEST_F(MeshDrawingTest, ProjectionOfAVertex) {
  AddTestMesh("p", {{30, -20, 200, 0.25f, 0.75f}, {40, 0, 200, 0, 0}, {30, 0, 200, 0, 0}}, {0, 1, 2},
              Plain("m", 1, 2, 3));
  ASSERT_TRUE(DrawMeshObject(MeshObjects.first));
  const auto draws = IndexedDraws();
  ASSERT_EQ(draws.size(), 1u);
  const D3DTLVERTEX& v = draws[0]->vertices[draws[0]->indices[0]];
  EXPECT_FLOAT_EQ(v.rhw, 1.0f / 200.0f);
  EXPECT_FLOAT_EQ(v.sx, 30.0f * camera->scaleX * (1.0f / 200.0f) + 80.0f);
  EXPECT_FLOAT_EQ(v.sy, -20.0f * camera->scaleY * (1.0f / 200.0f) + 60.0f);
  EXPECT_FLOAT_EQ(v.sz, (200.0f * camera->zScale - camera->nearZ * camera->zScale) * (1.0f / 200.0f));
  EXPECT_FLOAT_EQ(v.tu, 0.25f);
  EXPECT_FLOAT_EQ(v.tv, 0.75f);
  EXPECT_EQ(v.specular, 0u);
}

TEST_F(MeshDrawingTest, UnlitAndFullBrightColours) {
  Material* orange = Plain("orange", 255, 128, 0);
  Material* bright = Plain("bright", 1, 2, 3);
  bright->fullBright = 1;
  Triangle("a", orange);
  Triangle("b", bright, 20);
  // A light that would light everything: fullBright ignores it, and the
  // orange face is turned away from it (normal towards -z, light behind).
  AddTestLight("l", Vec4{0, 0, 1000, 1}, 255, 255, 255, 5000, 6000);
  ASSERT_TRUE(RenderFrame());
  const auto draws = IndexedDraws();
  ASSERT_EQ(draws.size(), 2u);
  for (const D3DTLVERTEX& v : draws[0]->vertices) EXPECT_EQ(v.color, 0x00FE7F00u);  // 254, 127, 0, alpha 0
  for (const D3DTLVERTEX& v : draws[1]->vertices) EXPECT_EQ(v.color, 0xFFFFFFFFu);
}

TEST_F(MeshDrawingTest, PointLightFallOff) {
  Vertex v{};
  v.position = Vec4{0, 0, 0, 1};
  v.normal = Vec4{0, 0, -1, 1};
  Light light{};
  light.type = 2;
  light.colour[0] = 100;
  light.colour[1] = 50;
  light.colour[2] = 10;
  light.rangeSquared = 100;
  light.farRangeSquared = 400;
  light.lightScale = 0.5f;
  auto lit = [&](float z) {
    light.objectPosition = Vec4{0, 0, z, 1};
    TransformedVertex t{};
    LightVertex(&v, &t, &light);
    return t;
  };
  // At the far range: nothing.
  EXPECT_EQ(lit(-20).red, 0.0f);
  // Inside the near range: full, e = (D . N) * scale = 10 * 0.5.
  TransformedVertex near = lit(-10);
  EXPECT_FLOAT_EQ(near.red, 5.0f * 100.0f);
  EXPECT_FLOAT_EQ(near.green, 5.0f * 50.0f);
  EXPECT_FLOAT_EQ(near.blue, 5.0f * 10.0f);
  EXPECT_EQ(near.alpha, 0.0f);
  // Between: q = 225, t = 175 / 300, f = t t (3 - 2t).
  const float t = 175.0f / 300.0f;
  EXPECT_FLOAT_EQ(lit(-15).red, 7.5f * 100.0f * (t * t * (3.0f - 2.0f * t)));
  // Behind the surface, beyond the far range, or not a point light: nothing.
  EXPECT_EQ(lit(5).red, 0.0f);
  EXPECT_EQ(lit(-21).red, 0.0f);
  light.type = 1;
  EXPECT_EQ(lit(-10).red, 0.0f);
}

TEST_F(MeshDrawingTest, LightsAreTakenIntoObjectSpace) {
  Material* grey = Plain("grey", 10, 10, 10);
  MeshObject* tri = Triangle("t", grey, 0, 0, 0);
  tri->particle.position = Vec4{0, 0, 100, 1};
  Light* light = AddTestLight("l", Vec4{0, 0, 90, 1}, 200, 100, 0, 50, 60);
  ASSERT_TRUE(RenderFrame());
  EXPECT_FLOAT_EQ(light->lightScale, 1.0f / 90.0f);
  EXPECT_FLOAT_EQ(light->objectPosition.z, -10.0f);
  const auto draws = IndexedDraws();
  ASSERT_EQ(draws.size(), 1u);
  // The corner at the object's origin: D = (0, 0, -10), N = (0, 0, -1), e = 10 / 90.
  const float e = 10.0f / 90.0f;
  const std::uint32_t red = static_cast<std::uint32_t>((10.0f + e * 200.0f) * 0.003921f * 255.0f);
  const std::uint32_t green = static_cast<std::uint32_t>((10.0f + e * 100.0f) * 0.003921f * 255.0f);
  bool found = false;
  for (const D3DTLVERTEX& v : draws[0]->vertices) {
    if (v.sx == 80.0f && v.sy == 60.0f) {
      found = true;
      EXPECT_EQ(v.color, red << 16 | green << 8 | 9u);
    }
  }
  EXPECT_TRUE(found);
}

TEST_F(MeshDrawingTest, SharedVerticesAreTransformedOncePerBatch) {
  AddTestGrid("grid", 2, 50, 1, Plain("m", 1, 1, 1));
  MeshObject* grid = MeshObjects.first;
  grid->particle.position = Vec4{0, 0, 200, 1};
  ASSERT_TRUE(DrawMeshObject(grid));
  const auto draws = IndexedDraws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0]->vertices.size(), 9u);
  EXPECT_EQ(draws[0]->indices.size(), 24u);
}

TEST_F(MeshDrawingTest, OneDrawPerTextureRun) {
  Texture* a = Textures.first;
  Texture* b = a->next;
  Material* ma = Plain("ma", 1, 1, 1);
  Material* mb = Plain("mb", 2, 2, 2);
  ma->texture = a;
  mb->texture = b;
  // Six faces of a strip sharing vertices, textures a a b a b b from first to last.
  std::vector<TestVertex> vertices;
  for (int i = 0; i < 8; ++i) vertices.push_back({i * 10.0f, (i % 2) * 10.0f, 100, 0, 0});
  MeshObject* strip = AddTestMesh("strip", vertices, {0, 1, 2, 1, 2, 3, 2, 3, 4, 3, 4, 5, 4, 5, 6, 5, 6, 7}, ma);
  Face* faces = strip->geometry->faces;
  faces[2].material = mb;
  faces[4].material = mb;
  faces[5].material = mb;
  ASSERT_TRUE(DrawMeshObject(strip));
  // Drawn last to first: b b | a | b | a a.
  const auto draws = IndexedDraws();
  ASSERT_EQ(draws.size(), 4u);
  const std::size_t faceCounts[4] = {2, 1, 1, 2};
  for (int d = 0; d < 4; ++d) {
    EXPECT_EQ(draws[d]->indices.size(), 3 * faceCounts[d]);
    // Only vertices written in this batch are referenced, each once.
    EXPECT_EQ(draws[d]->vertices.size(), faceCounts[d] + 2);
    std::set<WORD> used(draws[d]->indices.begin(), draws[d]->indices.end());
    EXPECT_EQ(used.size(), draws[d]->vertices.size());
    for (WORD i : draws[d]->indices) EXPECT_LT(i, draws[d]->vertices.size());
  }
  // A bind before each run; nothing re-binds a texture that is already current.
  std::vector<const Texture*> binds;
  for (const RenderCall& c : log)
    if (c.kind == RenderCallKind::BindTexture) binds.push_back(c.texture);
  EXPECT_EQ(binds, (std::vector<const Texture*>{b, a, b, a}));
  EXPECT_EQ(CurrentTexture, a);
}

TEST_F(MeshDrawingTest, LargeMeshesAreDrawnInSeveralBatches) {
  // 2600 separate faces: 7800 vertices, more than the buffers hold.
  std::vector<TestVertex> vertices;
  std::vector<int> corners;
  for (int f = 0; f < 2600; ++f) {
    const float x = static_cast<float>(f % 50) - 25.0f, y = static_cast<float>(f / 50) - 26.0f;
    vertices.insert(vertices.end(), {{x, y, 300, 0, 0}, {x + 1, y, 300, 0, 0}, {x, y + 1, 300, 0, 0}});
    corners.insert(corners.end(), {3 * f, 3 * f + 2, 3 * f + 1});
  }
  ASSERT_TRUE(DrawMeshObject(AddTestMesh("big", vertices, corners, Plain("m", 9, 9, 9))));
  std::size_t indices = 0;
  const auto draws = IndexedDraws();
  EXPECT_GE(draws.size(), 3u);
  for (const RenderCall* d : draws) {
    EXPECT_LE(d->vertices.size(), static_cast<std::size_t>(MaxBatchVertices));
    EXPECT_LE(d->indices.size(), static_cast<std::size_t>(MaxBatchIndices));
    for (WORD i : d->indices) ASSERT_LT(i, d->vertices.size());
    indices += d->indices.size();
  }
  EXPECT_EQ(indices, 3u * 2600u);
}

TEST_F(MeshDrawingTest, StampWrapForgetsOldCacheEntries) {
  MeshObject* tri = Triangle("t", Plain("m", 1, 1, 1));
  Vertex* first = &tri->geometry->vertices[0];
  // An entry left a million draws ago under the stamp the wrap starts again
  // with, pointing at a slot the draw fills before it reaches this vertex.
  FrameStamp = FrameStampLimit;
  first->cacheStamp = 1;
  first->cacheEntry = &VertexSlots[0];
  ASSERT_TRUE(DrawMeshObject(tri));
  EXPECT_EQ(FrameStamp, 1);
  const auto draws = IndexedDraws();
  ASSERT_EQ(draws.size(), 1u);
  std::set<WORD> used(draws[0]->indices.begin(), draws[0]->indices.end());
  EXPECT_EQ(used.size(), 3u);
}

TEST_F(MeshDrawingTest, AFailedDrawEndsOnlyThatObject) {
  Triangle("a", Plain("m10", 10, 0, 0));
  Triangle("b", Plain("m20", 20, 0, 0));
  DxFailNext(DxMethod::DrawIndexedPrimitive, 1);
  EXPECT_FALSE(DrawMeshObject(MeshObjects.first));
  // The next draw starts from clean counters, and a frame goes on past a failure.
  EXPECT_TRUE(DrawMeshObject(MeshObjects.first));
  EXPECT_EQ(NextVertex, 0);
  DxFailNext(DxMethod::DrawIndexedPrimitive, 1);
  log.clear();
  EXPECT_TRUE(RenderFrame());
  const auto draws = IndexedDraws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_FALSE(draws[0]->succeeded);
  EXPECT_TRUE(draws[1]->succeeded);
}

TEST_F(MeshDrawingTest, ObjectsBehindTheCameraAreNotDrawn) {
  Triangle("behind", Plain("m", 1, 1, 1), 0, 0, -50);
  ASSERT_TRUE(DrawMeshObject(MeshObjects.first));
  EXPECT_TRUE(IndexedDraws().empty());
}

}  // namespace

TEST_F(MeshDrawingTest, ATextureWithoutDeviceSurfacesIsDrawnUntextured) {
  // A refused texture file leaves an entry with no pixels and no surfaces.
  Texture* refused = AddTexture();
  Material* m = Plain("refused", 200, 0, 0);
  m->texture = refused;
  MeshObject* tri = Triangle("tri", m);
  Triangle("after", Plain("plain", 100, 0, 0), 20, 0, 100);
  ASSERT_TRUE(DrawMeshObject(tri));
  const auto draws = IndexedDraws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ((draws[0]->vertices[0].color >> 16) & 0xFF, 199u);
  bool unbound = false;
  for (const RenderCall& c : log) {
    EXPECT_NE(c.kind, RenderCallKind::BindTexture);
    if (c.kind == RenderCallKind::UnbindTexture) unbound = true;
  }
  EXPECT_TRUE(unbound);
}

TEST_F(MeshDrawingTest, ATextureWhoseSurfacesFailedIsDrawnUntexturedWithTheRest) {
  // A texture with pixels whose surface could not be made: it has a device
  // side without surfaces, and its faces are drawn like those of a refused one.
  Texture* failed = AddTexture();
  failed->width = failed->height = 4;
  failed->pixels = static_cast<std::uint8_t*>(std::calloc(4 * 4, 4));
  DxFailNext(DxMethod::CreateSurface, 1);
  EXPECT_TRUE(EnsureTexture(failed));
  ASSERT_NE(failed->surfaces, nullptr);
  ASSERT_EQ(failed->surfaces->sourceSurface, nullptr);
  Material* m = Plain("failed", 200, 0, 0);
  m->texture = failed;
  // Two faces, drawn last to first: the failed texture's, then a plain one.
  MeshObject* mesh = AddTestMesh("mesh", {{0, 0, 100, 0, 0}, {10, 0, 100, 1, 0}, {0, 10, 100, 0, 1}, {10, 10, 100, 1, 1}},
                                 {0, 2, 1, 1, 2, 3}, Plain("plain", 100, 0, 0));
  mesh->geometry->faces[1].material = m;
  ASSERT_TRUE(DrawMeshObject(mesh));
  const auto draws = IndexedDraws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ((draws[0]->vertices[0].color >> 16) & 0xFF, 199u);
  EXPECT_EQ((draws[1]->vertices[0].color >> 16) & 0xFF, 99u);
  for (const RenderCall* d : draws) EXPECT_TRUE(d->succeeded);
  for (const RenderCall& c : log) EXPECT_NE(c.kind, RenderCallKind::BindTexture);
}
