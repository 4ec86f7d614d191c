// The Rocket and Sphere scenes: timeline phases, ignition, lift-off, the
// camera's spiral, the light pulse, the fly at the end, and the angles that a
// looping demo carries on.
#include "scene_fixture.h"

namespace {

constexpr float Tolerance = 1e-3f;

class RocketTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    WriteModel("rocketscene01.3ds", ModelFile()
                                        .Material("skymat")
                                        .Material("metal")
                                        .Object("skysphere", 0, 0, 0, "skymat")
                                        .Object("rocket69", 116, 29, 10, "metal")
                                        .Light("lamp01", 500, 500, 900)
                                        .Light("rocket_lig", 116, 29, 60, 1.0f, 0.5f, 0.2f));
  }
  static int ActiveBillboards() {
    int n = 0;
    for (Sprite* s = Sprites.first; s; s = s->next) n += s->kind == SpriteBillboard && s->active;
    return n;
  }
  // Runs calls until the timeline counter reaches t.
  static void RunTo(float t) {
    while (rocket_scene::timeline < t) RocketFrame();
  }
};

TEST_F(RocketTest, PadIgnitionAndApproach) {
  using namespace rocket_scene;
  // The orbit angle is kept from pass to pass and only moves from T = 651 on:
  // 59.5 makes it 60 degrees on that call.
  cameraAngle = 59.5f;
  StartScene(RocketSetup, RocketFrame);
  EXPECT_EQ(timeline, 1.0f);
  Camera* camera = Cameras.current;
  ASSERT_NE(rocketLight, nullptr);
  ASSERT_NE(rocketLight->flare, nullptr);
  // Lifted by 20 while on the pad, flare hidden and at the template's size.
  EXPECT_FLOAT_EQ(rocketLight->position.y, 49.0f);
  EXPECT_FLOAT_EQ(rocketLight->position.z, 80.0f);
  EXPECT_EQ(rocketLight->flare->active, 0);
  EXPECT_FLOAT_EQ(rocketLight->flare->halfSize, 60.0f);
  // The camera drifts by (2, -1) per call.
  EXPECT_FLOAT_EQ(camera->eye.x, 2.0f);
  EXPECT_FLOAT_EQ(camera->eye.y, 599.0f);

  RunTo(500.0f);
  EXPECT_EQ(ActiveBillboards(), 0);
  EXPECT_EQ(launched, 0);
  Vec4 still = exhaust->slots[7]->position;
  RocketFrame();  // T = 501
  EXPECT_EQ(launched, 1);
  EXPECT_EQ(ActiveBillboards(), 50);
  EXPECT_EQ(rocketLight->flare->active, 1);
  // The exhaust is stepped from the next call on.
  EXPECT_EQ(exhaust->slots[7]->position.x, still.x);
  RocketFrame();  // T = 502: the first step emits at the nozzle
  EXPECT_LT(Distance(exhaust->slots[7]->position, {116, 29, 64, 1}), 20.0f);

  RunTo(650.0f);
  EXPECT_FLOAT_EQ(camera->eye.x, 1300.0f);
  EXPECT_FLOAT_EQ(camera->eye.y, -50.0f);
  EXPECT_EQ(cameraFollow, 0);
  EXPECT_EQ(cameraAngle, 59.5f);
  RocketFrame();  // T = 651: follow and look 100 above the rocket
  EXPECT_EQ(cameraFollow, 1);
  EXPECT_FLOAT_EQ(camera->target.x, 116.0f);
  EXPECT_FLOAT_EQ(camera->target.z, 110.0f);
  EXPECT_FLOAT_EQ(rocketLight->position.y, 29.0f);
  EXPECT_FLOAT_EQ(rocketLight->position.z, 60.0f);
  EXPECT_FLOAT_EQ(cameraAngle, 60.0f);
  // (2300 cos 60, 1400 sin 60, 300 cos 60 + 700)
  EXPECT_NEAR(camera->eye.x, 1150.0f, 0.01);
  EXPECT_NEAR(camera->eye.y, 1212.4356f, 0.01);
  EXPECT_NEAR(camera->eye.z, 850.0f, 0.01);

  RunTo(1200.0f);
  EXPECT_EQ(rocketLight->flare->active, 1);
  RocketFrame();  // T = 1201: the spiral hides the flare and tightens the orbit
  EXPECT_EQ(rocketLight->flare->active, 0);
  EXPECT_FLOAT_EQ(radiusX, 2298.0f);
  EXPECT_FLOAT_EQ(radiusY, 1398.0f);
}

TEST_F(RocketTest, LiftOffSpeedGrowsFromOneThousand) {
  using namespace rocket_scene;
  // 349 orbit steps of 0.5 (T = 651 ... 999) take 65.5 to 240 degrees.
  cameraAngle = 65.5f;
  StartScene(RocketSetup, RocketFrame);
  RunTo(999.0f);
  EXPECT_EQ(climbSpeed, 0.0f);
  float z0 = rocket->particle.position.z;
  float weight = emitter->baseWeight;
  RocketFrame();  // T = 1000
  EXPECT_FLOAT_EQ(climbSpeed, 0.1f);
  EXPECT_FLOAT_EQ(rocket->particle.position.z, z0 + 0.1f);
  EXPECT_FLOAT_EQ(emitter->baseWeight, weight - 0.1f);
  // The rocket's roll follows the orbit angle as it was before this call's
  // step: cos 240 degrees.
  EXPECT_NEAR(rocket->particle.rotation.z, -0.5f, 1e-4);
  for (int i = 0; i < 9; ++i) RocketFrame();  // T = 1009
  // 0.1 + 0.2 + ... + 1.0
  EXPECT_NEAR(rocket->particle.position.z, z0 + 5.5f, Tolerance);
  EXPECT_NEAR(climbSpeed, 1.0f, Tolerance);
  // Until the spiral the orbit sets the eye's height outright: 300 cos 245 + 700.
  EXPECT_FLOAT_EQ(cameraAngle, 245.0f);
  EXPECT_NEAR(Cameras.current->eye.z, 573.2145f, 0.01);

  MeshObject* sky = FindMeshObject("skysphere");
  RunTo(1299.0f);
  EXPECT_EQ(sky->particle.rotation.x, 0.0f);
  RocketFrame();  // T = 1300: the sky starts turning
  EXPECT_FLOAT_EQ(sky->particle.rotation.x, 0.003490658556014865f);
  EXPECT_FLOAT_EQ(sky->particle.rotation.y, 0.0017453292780074325f);
}

TEST_F(RocketTest, SwayTurnsBackPastThreeAndAHalf) {
  using namespace rocket_scene;
  StartScene(RocketSetup, RocketFrame);
  RunTo(1200.0f);
  float lowest = 0.0f, highest = 0.0f;
  while (timeline < 1600.0f) {
    RocketFrame();
    lowest = std::min(lowest, sway);
    highest = std::max(highest, sway);
  }
  EXPECT_NEAR(lowest, -3.55f, 0.06f);
  EXPECT_NEAR(highest, 3.55f, 0.06f);
}

TEST_F(RocketTest, AnglesCarryOnIntoTheNextPass) {
  using namespace rocket_scene;
  cameraAngle = 90.0f;
  lightAngle = 90.0f;
  StartScene(RocketSetup, RocketFrame);
  RunTo(2501.0f);
  // 550 orbit calls of 0.5 and 1301 spiral calls of 0.3.
  EXPECT_NEAR(cameraAngle, 90.0f + 275.0f + 390.3f, 0.05f);
  EXPECT_NEAR(lightAngle, 90.0f + 2501 * 0.7f, 0.2f);
  float a = cameraAngle, b = lightAngle;
  StartScene(RocketSetup, RocketFrame);
  EXPECT_EQ(timeline, 1.0f);
  EXPECT_EQ(cameraAngle, a);
  EXPECT_NEAR(lightAngle, b + 0.7f, 1e-3f);
  EXPECT_EQ(climbSpeed, 0.0f);
}

TEST_F(RocketTest, MissingRocketAndLightsAreSkippedAndReportedOnce) {
  WriteModel("rocketscene01.3ds", ModelFile().Object("pad", 0, 0, 0));
  testing::internal::CaptureStderr();
  StartScene(RocketSetup, RocketFrame);
  RunTo(2501.0f);
  std::string errors = testing::internal::GetCapturedStderr();
  for (const char* name : {"\"rocket69\"", "\"rocket_lig\"", "\"(any)\""}) {
    std::size_t at = errors.find(name);
    EXPECT_NE(at, std::string::npos) << name;
    EXPECT_EQ(errors.find(name, at + 1), std::string::npos) << name;
  }
  EXPECT_EQ(rocket_scene::launched, 1);
}

class SphereTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    WriteModel("spherescene01.3ds", ModelFile()
                                        .Material("skymat")
                                        .Object("skysphere", 0, 0, 0, "skymat")
                                        .Light("light01", 0, 0, 500)
                                        .Light("light02", 0, 0, 900));
  }
};

TEST_F(SphereTest, BrightnessRunsUpToWhiteDownToBlackAndBack) {
  StartScene(SphereSetup, SphereFrame);
  Light* light = LightGroups.current->firstLight;
  ASSERT_NE(light->flare, nullptr);
  std::vector<int> seen = {static_cast<int>(light->colour[0])};
  for (int i = 0; i < 520; ++i) {
    SphereFrame();
    seen.push_back(static_cast<int>(light->colour[0]));
    ASSERT_EQ(light->colour[1], light->colour[0]);
    ASSERT_EQ(light->flare->colour[2], seen.back());
  }
  // 2, 3, ... 255, 254, ... 0, 1, 2, ...
  std::vector<int> expected;
  for (int b = 2; b <= 255; ++b) expected.push_back(b);
  for (int b = 254; b >= 0; --b) expected.push_back(b);
  for (int b = 1; expected.size() < seen.size(); ++b) expected.push_back(b);
  EXPECT_EQ(seen, expected);
  // The second light is left alone.
  EXPECT_FLOAT_EQ(light->next->colour[0], 255.0f);
}

TEST_F(SphereTest, SpritesTakeTheirColoursAfterTheMaterials) {
  // From state 1 the materials take draws 1 to 9 (41, 18467, ... 26962); the
  // sprites then draw 24464, 5705, 28145 (sprite 0), 23281, 16827, 9961
  // (sprite 1), ... and draws 427 to 429 (sprite 139).
  SetRandomState(1);
  StartScene(SphereSetup, SphereFrame);
  const int colours[3][4] = {{0, 190, 44, 219}, {1, 181, 130, 77}, {139, 66, 1, 134}};
  std::vector<Sprite*> sprites;
  for (Sprite* s = Sprites.first; s; s = s->next) {
    if (s->kind != SpriteBillboard) continue;
    EXPECT_EQ(sphere_scene::fountain->slots[sprites.size()], &s->particle);
    EXPECT_EQ(s->materials[0], FindMaterial(SpriteMaterialName2));
    EXPECT_EQ(s->active, 1);
    sprites.push_back(s);
  }
  ASSERT_EQ(sprites.size(), 140u);
  for (const auto& c : colours) {
    EXPECT_EQ(sprites[c[0]]->colour[0], c[1]) << c[0];
    EXPECT_EQ(sprites[c[0]]->colour[1], c[2]) << c[0];
    EXPECT_EQ(sprites[c[0]]->colour[2], c[3]) << c[0];
  }
  EXPECT_EQ(FindMaterial(SpriteMaterialName)->baseColour[1], 143);
}

TEST_F(SphereTest, FlyStartsOnCall2400AndOvershootsWithTheTarget) {
  using namespace sphere_scene;
  StartScene(SphereSetup, SphereFrame);
  RunFrames(SphereFrame, 2398);
  EXPECT_EQ(flying, 0);
  EXPECT_EQ(steps, 2399);
  SphereFrame();  // the 2400th call
  EXPECT_EQ(flying, 1);
  EXPECT_EQ(steps, 0);
  EXPECT_FLOAT_EQ(emitterAngle, 1.8f);
  Camera* camera = Cameras.current;
  const Vec4 goal = {-102, 376, 145, 1};
  float eyeDistance = Distance(camera->eye, goal);
  RunFrames(SphereFrame, 101);  // to the end of the scene
  EXPECT_NEAR(Distance(camera->eye, goal), eyeDistance * 14.0f / 115.0f, 0.05f);
  // The target went from the origin to the goal in 100 calls, then one more.
  EXPECT_NEAR(camera->target.x, -102.0f * 1.01f, 0.01f);
  EXPECT_NEAR(camera->target.z, 145.0f * 1.01f, 0.01f);
  // The emitter circles with a spread between -0.1 and 0.1 and no base
  // direction: 102 steps of 1.8 since the fly began, 0.1 cos 183.6 degrees.
  EXPECT_NEAR(emitterAngle, 183.6f, 1e-3f);
  EXPECT_NEAR(emitter->spread, -0.0998027f, 1e-6);
  EXPECT_EQ(emitter->baseDirection.z, 0.0f);
}

TEST_F(SphereTest, SkyFollowsTheEyeOfThePreviousCall) {
  StartScene(SphereSetup, SphereFrame);
  Vec4 before = Cameras.current->eye;
  SphereFrame();
  MeshObject* sky = FindMeshObject("skysphere");
  EXPECT_EQ(sky->particle.position.x, before.x);
  EXPECT_EQ(sky->particle.position.y, before.y);
  EXPECT_NE(Cameras.current->eye.x, before.x);
  EXPECT_EQ(FindMaterial("skymat")->fullBright, 1);
}

TEST_F(SphereTest, AnglesCarryOnIntoTheNextPass) {
  using namespace sphere_scene;
  cameraAngle = 0.0f;
  lightAngle = 90.0f;
  StartScene(SphereSetup, SphereFrame);
  RunFrames(SphereFrame, 99);
  EXPECT_NEAR(cameraAngle, 60.0f, 1e-3f);
  EXPECT_NEAR(lightAngle, 65.0f, 1e-3f);
  StartScene(SphereSetup, SphereFrame);
  EXPECT_NEAR(cameraAngle, 60.6f, 1e-3f);
  EXPECT_NEAR(lightAngle, 64.75f, 1e-3f);
}

}  // namespace
