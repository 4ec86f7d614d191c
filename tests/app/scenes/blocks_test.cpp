// The shared building blocks: sprite materials and their random colours, the
// sprite material rule, the camera, the sky sphere, the texture warm-up, the
// step vector and the warnings for missing parts.
#include "scene_fixture.h"

namespace {

class BlocksTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    InitAllRegistries();
  }
};

TEST_F(BlocksTest, SpriteMaterialsTakeThreeDrawsEachInOrder) {
  // From state 1 the draws are 41, 18467, 6334, 26500, 19169, 15724, 11478,
  // 29358, 26962; each channel is the integer part of draw x 0.000030518 x 255.
  const int expected[9] = {0, 143, 49, 206, 149, 122, 89, 228, 209};
  SetRandomState(1);
  int texturesBefore = CountRecords(Textures.first);
  AddSpriteMaterials();

  const char* names[3] = {SpriteMaterialName, SpriteMaterialName2, SpriteMaterialName3};
  for (int m = 0; m < 3; ++m) {
    Material* material = FindMaterial(names[m]);
    ASSERT_NE(material, nullptr) << names[m];
    for (int c = 0; c < 3; ++c) EXPECT_EQ(material->baseColour[c], expected[3 * m + c]) << names[m] << " " << c;
    EXPECT_EQ(material->baseColour[3], 0);
    ASSERT_NE(material->texture, nullptr) << names[m];
  }
  // fire002 and lens5 are loaded; the third shares the flares' first texture.
  EXPECT_EQ(CountRecords(Textures.first), texturesBefore + 2);
  ASSERT_NE(LensFlareTemplate, nullptr);
  EXPECT_EQ(FindMaterial(SpriteMaterialName3)->texture, LensFlareTemplate->materials[0]->texture);
  EXPECT_NE(FindMaterial(SpriteMaterialName)->texture, FindMaterial(SpriteMaterialName2)->texture);
}

TEST_F(BlocksTest, StandardRulePicksEveryFifteenthAndFifth) {
  AddSpriteMaterials();
  Material* first = FindMaterial(SpriteMaterialName);
  Material* second = FindMaterial(SpriteMaterialName2);
  Material* third = FindMaterial(SpriteMaterialName3);
  EXPECT_EQ(StandardSpriteMaterial(0), second);
  EXPECT_EQ(StandardSpriteMaterial(15), second);
  EXPECT_EQ(StandardSpriteMaterial(45), second);
  EXPECT_EQ(StandardSpriteMaterial(5), third);
  EXPECT_EQ(StandardSpriteMaterial(40), third);
  EXPECT_EQ(StandardSpriteMaterial(1), first);
  EXPECT_EQ(StandardSpriteMaterial(14), first);
}

TEST_F(BlocksTest, ParticleSpritesFillEverySlot) {
  AddSpriteMaterials();
  ParticleSystem* system = CreateParticleSystem(20);
  int spritesBefore = CountRecords(Sprites.first);
  AddParticleSprites(system, StandardSpriteMaterial, 30.0f, 255, 50, 50, 0);
  EXPECT_EQ(CountRecords(Sprites.first), spritesBefore + 20);
  Sprite* sprite = Sprites.last;
  for (int i = 19; i >= 0; --i, sprite = sprite->prev) {
    EXPECT_EQ(system->slots[i], &sprite->particle);
    EXPECT_EQ(sprite->kind, SpriteBillboard);
    EXPECT_EQ(sprite->materials[0], StandardSpriteMaterial(i));
    EXPECT_FLOAT_EQ(sprite->halfSize, 30.0f);
    EXPECT_EQ(sprite->colour[0], 255);
    EXPECT_EQ(sprite->colour[1], 50);
    EXPECT_EQ(sprite->colour[2], 50);
    EXPECT_EQ(sprite->active, 0);
  }
}

TEST_F(BlocksTest, CameraHasTheScenesFixedView) {
  Camera* camera = AddSceneCamera();
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(Cameras.current, camera);
  EXPECT_FLOAT_EQ(camera->halfWidth, 320.0f);
  EXPECT_FLOAT_EQ(camera->halfHeight, 240.0f);
  EXPECT_FLOAT_EQ(camera->eye.y, 600.0f);
  EXPECT_FLOAT_EQ(camera->eye.z, -100.0f);
  EXPECT_FLOAT_EQ(camera->upHint.z, -1.0f);
  EXPECT_FLOAT_EQ(camera->nearZ, 10.0f);
  EXPECT_FLOAT_EQ(camera->farZ, 6000.0f);
  EXPECT_DOUBLE_EQ(camera->angleX, 270.0);
  EXPECT_DOUBLE_EQ(camera->angleY, 335.0);
  Camera* swarm = AddSceneCamera(45.0, 45.0);
  EXPECT_DOUBLE_EQ(swarm->angleX, 45.0);
  EXPECT_EQ(Cameras.current, swarm);
}

TEST_F(BlocksTest, SkySphereIsMadeFullBrightOnlyThroughItsFirstFace) {
  WriteModel("sky.3ds", ModelFile().Material("skymat").Material("other").Object("skysphere", 0, 0, 0, "skymat"));
  AddSceneCamera();
  Load3ds("Objects\\sky.3ds");
  MeshObject* sky = SetupSkySphere();
  ASSERT_NE(sky, nullptr);
  EXPECT_EQ(FindMaterial("skymat")->fullBright, 1);
  EXPECT_EQ(FindMaterial("other")->fullBright, 0);

  // The sphere follows the eye, w included.
  Cameras.current->eye = {5, 6, 7, 1};
  FollowSkySphere();
  EXPECT_FLOAT_EQ(sky->particle.position.x, 5.0f);
  EXPECT_FLOAT_EQ(sky->particle.position.z, 7.0f);
}

TEST_F(BlocksTest, SkySphereWithoutFacesOrWithoutSphereIsLeftAlone) {
  WriteModel("sky.3ds", ModelFile().EmptyObject("skysphere"));
  AddSceneCamera();
  Load3ds("Objects\\sky.3ds");
  EXPECT_NE(SetupSkySphere(), nullptr);
  EXPECT_EQ(SkySphereMaterial(FindMeshObject("skysphere")), nullptr);
  FreeAllRegistries();
  InitAllRegistries();
  AddSceneCamera();
  EXPECT_EQ(SetupSkySphere(), nullptr);
  FollowSkySphere();  // nothing to follow
}

TEST_F(BlocksTest, WarmUpRunsOnceAndPassesOverUnreadFiles) {
  AddSpriteMaterials();
  Texture* unread = LoadTexture("Textures\\missing.tga");
  EXPECT_EQ(unread, nullptr);
  unread = Textures.last;
  std::uint8_t pending = 1;
  WarmUpTextures(pending);
  EXPECT_EQ(pending, 0);
  int ready = 0;
  for (Texture* t = Textures.first; t; t = t->next) {
    if (t == unread) continue;
    ASSERT_NE(t->surfaces, nullptr);
    ready += t->surfaces->ready;
  }
  // The four flare textures, fire002 and lens5, each uploaded and bound.
  EXPECT_EQ(ready, 6);
  EXPECT_EQ(unread->surfaces, nullptr);
  // A texture added later is not touched by a second call.
  Texture* late = LoadTexture("Textures\\lens5.tga");
  ASSERT_NE(late, nullptr);
  WarmUpTextures(pending);
  EXPECT_EQ(late->surfaces, nullptr);
}

TEST_F(BlocksTest, StepBetweenCoversTheDistanceInTheGivenSteps) {
  Vec4 from = {-1478, 148, 278, 1};
  Vec4 to = {-1064, 1215, 882, 1};
  Vec4 step = StepBetween(from, to, 700.0f);
  EXPECT_FLOAT_EQ(step.w, 1.0f);
  Vec4 p = from;
  for (int i = 0; i < 700; ++i) p = VecAdd(p, step);
  EXPECT_NEAR(Distance(p, to), 0.0f, 0.05f);
  // Equal points give no step (the zero difference stays zero).
  Vec4 none = StepBetween(to, to, 90.0f);
  EXPECT_EQ(none.x, 0.0f);
  EXPECT_EQ(none.y, 0.0f);
  EXPECT_EQ(none.z, 0.0f);
}

TEST_F(BlocksTest, MissingPartsAreReportedOncePerNamePerRun) {
  BeginSceneChecks("Test");
  testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(FindSceneObject("nothing"), nullptr);
    EXPECT_EQ(FindSceneLight("nolight"), nullptr);
    EXPECT_EQ(FirstSceneLight(), nullptr);
  }
  std::string once = testing::internal::GetCapturedStderr();
  auto count = [](const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(once, "\"nothing\""), 1);
  EXPECT_EQ(count(once, "\"nolight\""), 1);
  EXPECT_EQ(count(once, "\n"), 3);
  EXPECT_NE(once.find("Test scene"), std::string::npos);

  // A new run of the scene reports again.
  BeginSceneChecks("Test");
  testing::internal::CaptureStderr();
  FindSceneObject("nothing");
  EXPECT_EQ(count(testing::internal::GetCapturedStderr(), "\"nothing\""), 1);
}

}  // namespace
