// Lights with their flares, colours and ranges, colour chunks outside lights,
// and the camera chunk.
#include <cmath>

#include "loader_fixture.h"

namespace {

// An object block holding a light at (1, 2, 3) with the given sub-chunks.
Chunks LightObject(const char* name, void (*subChunks)(Chunks&)) {
  Chunks w;
  w.Begin(0x4000).Name(name).Begin(0x4600).F32(1).F32(2).F32(3);
  subChunks(w);
  w.End().End();
  return w;
}

}  // namespace

TEST_F(LoaderTest, LightGetsAFlareThatFollowsItsColour) {
  Sprite* flareTemplate = AddSprite(SpriteLensFlare);
  flareTemplate->halfSize = 60.0f;
  LensFlareTemplate = flareTemplate;
  Load(LightObject("Omni01", [](Chunks& w) {
    w.Floats(0x0010, {0.5f, 1.0f, 0.25f});
    w.Floats(0x4659, {100});
    w.Floats(0x465A, {20});
    w.Floats(0x465B, {7});  // a third float chunk changes nothing
  }));

  MeshObject* object = FindMeshObject("omni01");
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->geometry->vertexCount, 0);
  Light* light = FindLight(LightGroups.current, "Omni01");
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(light->type, 2);
  EXPECT_FLOAT_EQ(light->position.x, 1.0f);
  EXPECT_FLOAT_EQ(light->position.z, 3.0f);
  EXPECT_FLOAT_EQ(light->colour[0], 127.5f);
  EXPECT_FLOAT_EQ(light->colour[1], 255.0f);
  EXPECT_FLOAT_EQ(light->colour[2], 63.75f);
  EXPECT_FLOAT_EQ(light->colour[3], 0.0f);
  EXPECT_FLOAT_EQ(light->rangeSquared, 10000.0f);
  EXPECT_FLOAT_EQ(light->farRangeSquared, 40000.0f);
  ASSERT_NE(light->flare, nullptr);
  EXPECT_NE(light->flare, flareTemplate);
  EXPECT_EQ(light->flare->kind, SpriteLensFlare);
  EXPECT_EQ(light->flare->active, 1);
  EXPECT_FLOAT_EQ(light->flare->halfSize, 60.0f);
  const std::uint8_t expected[4] = {127, 255, 63, 0};
  EXPECT_EQ(std::memcmp(light->flare->colour, expected, 4), 0);
  EXPECT_EQ(LoadState.chunkKind, ChunkKindNone);
}

TEST_F(LoaderTest, ColourChunksSetLightsOnly) {
  // Floats outside 0 to 1 are clamped; bytes are taken as they are.
  LensFlareTemplate = AddSprite(SpriteLensFlare);
  Load(LightObject("hot", [](Chunks& w) { w.Floats(0x0010, {2.0f, -1.0f, std::nanf("")}); }));
  Light* hot = FindLight(LightGroups.current, "hot");
  EXPECT_FLOAT_EQ(hot->colour[0], 255.0f);
  EXPECT_FLOAT_EQ(hot->colour[1], 0.0f);
  EXPECT_FLOAT_EQ(hot->colour[2], 0.0f);
  const std::uint8_t clamped[4] = {255, 0, 0, 0};
  EXPECT_EQ(std::memcmp(hot->flare->colour, clamped, 4), 0);

  Load(LightObject("tint", [](Chunks& w) { w.Begin(0xA364).U8(9).U8(8).U8(7).End(); }));
  EXPECT_FLOAT_EQ(FindLight(LightGroups.current, "tint")->colour[2], 7.0f);

  // A colour inside a material's diffuse colour changes nothing.
  Chunks material;
  material.Begin(0xAFFF).Begin(0xA000).Name("mat").End().Begin(0xA020);
  material.Floats(0x0010, {1, 1, 1}).Floats(0x4659, {5});
  material.End().End();
  Load(material);
  EXPECT_EQ(std::memcmp(FindMaterial("mat")->baseColour, "\0\0\0\0", 4), 0);
  EXPECT_FLOAT_EQ(FindLight(LightGroups.current, "tint")->colour[0], 9.0f);
  EXPECT_FLOAT_EQ(FindLight(LightGroups.current, "tint")->rangeSquared, 0.0f);
}

TEST_F(LoaderTest, WithoutATemplateALightHasNoFlare) {
  Load(LightObject("dark", [](Chunks& w) { w.Floats(0x0010, {1, 1, 1}); }));
  Light* light = FindLight(LightGroups.current, "dark");
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(light->flare, nullptr);
  EXPECT_FLOAT_EQ(light->colour[0], 255.0f);
  EXPECT_EQ(Sprites.first, nullptr);
}

TEST_F(LoaderTest, CameraChunkMovesTheCurrentCameraOnly) {
  Chunks w;
  w.Begin(0x4000).Name("Camera01").Begin(0x4700);
  for (float f : {1.f, 2.f, 3.f, 4.f, 5.f, 6.f, 7.f, 8.f}) w.F32(f);
  w.End().End();

  Load(w);  // no current camera: nothing to move
  Camera* camera = AddCamera();
  EXPECT_FLOAT_EQ(camera->eye.x, 0.0f);
  SetCurrentCamera(camera);
  camera->eye.w = 0.5f;
  Load(w);
  EXPECT_FLOAT_EQ(camera->eye.x, 1.0f);
  EXPECT_FLOAT_EQ(camera->eye.z, 3.0f);
  EXPECT_FLOAT_EQ(camera->eye.w, 0.5f);
  EXPECT_FLOAT_EQ(camera->target.x, 4.0f);
  EXPECT_FLOAT_EQ(camera->target.z, 6.0f);
  EXPECT_DOUBLE_EQ(camera->angleX, 45.0);
}

TEST_F(LoaderTest, ShortChunksTakeNothingFromTheChunksBehindThem) {
  // Each chunk below is a few bytes short; the unknown chunk behind it holds
  // the bytes that would complete it, which are not its to take.
  LensFlareTemplate = AddSprite(SpriteLensFlare);
  Camera* camera = AddCamera();
  SetCurrentCamera(camera);
  Chunks w;
  w.Begin(0x4000).Name("cut").Begin(0x4600).F32(1).F32(2).End();
  w.Begin(0x7777).F32(3).End().End();
  w.Begin(0x4000).Name("lit").Begin(0x4600).F32(1).F32(2).F32(3);
  w.Begin(0x0010).F32(0.5f).F32(0.5f).End().Begin(0x7777).F32(0.5f).End();
  w.Begin(0x4659).U16(0).End().Begin(0x7777).F32(10).End();
  w.End().End();
  w.Begin(0x4000).Name("Camera01").Begin(0x4700);
  for (float f : {1.f, 2.f, 3.f, 4.f, 5.f}) w.F32(f);
  w.End().Begin(0x7777).F32(6).End().End();
  w.Begin(0xB002).Begin(0xB030).U8(7).End().Begin(0x7777).U8(0).End().End();
  const std::string listing = Load(w);

  EXPECT_EQ(FindLight(LightGroups.current, "cut"), nullptr);
  Light* lit = FindLight(LightGroups.current, "lit");
  ASSERT_NE(lit, nullptr);
  EXPECT_FLOAT_EQ(lit->colour[2], 0.0f);
  EXPECT_FLOAT_EQ(lit->rangeSquared, 0.0f);
  EXPECT_FLOAT_EQ(camera->eye.x, 0.0f);
  EXPECT_FLOAT_EQ(camera->target.z, 0.0f);
  EXPECT_EQ(listing.find("Object number: "), std::string::npos) << listing;
}
