// The eight scenes driven by the sequencer the way the frame loop drives it
// (update dispatch before each drawn frame, one sequencer step per pass): each
// scene's per-frame routine runs its budget plus one times (plus two for the
// first scene of a run), and a looping demo starts the next pass with the kept
// angles where the last pass left them.
#include "device/settings.h"
#include "device/texture_surfaces.h"
#include "scene_fixture.h"

namespace {

class PlaylistTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    ModelFile sky = ModelFile().Material("skymat").Object("skysphere", 0, 0, 0, "skymat");
    WriteModel("rocketscene01.3ds",
               ModelFile(sky).Object("rocket69", 116, 29, 0).Light("lamp", 0, 0, 900).Light("rocket_lig", 116, 29, 60));
    WriteModel("spherescene01.3ds", ModelFile(sky).Light("lamp", 0, 0, 900));
    WriteModel("swarmscene01.3ds", ModelFile(sky).Light("light1", 0, 0, 0).Light("light2", 0, 0, 0).Light("light3", 0, 0, 0));
    WriteModel("egyptscene01.3ds", ModelFile(sky).Object("ossik_sign", 0, 0, 0));
    WriteModel("expscene01.3ds", ModelFile(sky).Object("sphere1", 0, 0, 382).Light("lamp", 0, 0, 900));
    WriteModel("crossscene01.3ds", ModelFile(sky));
    WriteModel("dantescene01.3ds", ModelFile(sky)
                                       .Object("ground_noz", 0, 0, -1000)
                                       .Object("osphere", 0, 0, 0)
                                       .Light("redlight", 0, 0, 0)
                                       .Light("sun", 0, 0, 0));
    WriteModel("outroscene01.3ds", ModelFile(sky)
                                       .Object("greet1", 0, 0, 0)
                                       .Object("greetf1", 0, 0, 0)
                                       .Object("greet2", 0, 0, 0)
                                       .Object("greetf2", 0, 0, 0)
                                       .Light("sun", 0, 0, 0));
    ResetSequencer();
    saved_ = DemoSettings;
    DemoSettings = DemoSettingsRecord{};
    DemoSettings.isLooping = 1;
  }
  void TearDown() override {
    DemoSettings = saved_;
    ResetSequencer();
    SceneTest::TearDown();
  }
  // One pass of the frame loop without the device: update once per drawn
  // frame, "draw" while render-enabled is set, then one sequencer step.
  void Pass() {
    if (!updateDone_) {
      DispatchSceneUpdate();
      updateDone_ = true;
    }
    if (renderEnabled) {
      ++drawn_;
      updateDone_ = false;
    }
    StepSequencer();
  }
  // Passes until the scene index changes; returns the frames drawn meanwhile.
  int PassThroughScene() {
    int index = Sequencer.sceneIndex;
    long before = drawn_;
    while (Sequencer.sceneIndex == index) Pass();
    return static_cast<int>(drawn_ - before);
  }
  bool updateDone_ = false;
  long drawn_ = 0;
  DemoSettingsRecord saved_{};
};

TEST_F(PlaylistTest, EachSceneRunsItsBudgetPlusOneCallsAndTheLoopKeepsTheAngles) {
  float* timelines[kSceneCount] = {&rocket_scene::timeline, &sphere_scene::timeline, &swarm_scene::timeline,
                                   &egypt_scene::timeline,  &exp_scene::timeline,    &cross_scene::timeline,
                                   &dante_scene::timeline,  &outro_scene::timeline};
  testing::internal::CaptureStderr();
  for (int i = 0; i < kSceneCount; ++i) {
    const int budget = demoPlaylist[i].frameBudget;
    // The set-up pass draws nothing (the very first pass of a run draws an
    // empty frame) and ends with the first call, which warms every texture up.
    long drawnBefore = drawn_;
    Pass();
    EXPECT_EQ(drawn_, drawnBefore + (i == 0 ? 1 : 0));
    int textures = 0;
    for (Texture* t = Textures.first; t; t = t->next, ++textures) {
      ASSERT_NE(t->surfaces, nullptr) << i;
      EXPECT_EQ(t->surfaces->ready, 1) << i;
    }
    EXPECT_GE(textures, 4) << i;
    EXPECT_EQ(PassThroughScene(), budget + 2) << i;
    EXPECT_EQ(*timelines[i], budget + (i == 0 ? 2.0f : 1.0f)) << i;
  }
  std::string errors = testing::internal::GetCapturedStderr();
  // Every part the scripts name is in these files.
  EXPECT_EQ(errors.find("model file has no"), std::string::npos) << errors;
  EXPECT_EQ(Sequencer.sceneIndex, 0);
  EXPECT_EQ(Sequencer.phase, PhaseSetup);

  float rocketAngle = rocket_scene::cameraAngle, rocketLight = rocket_scene::lightAngle;
  float sphereAngle = sphere_scene::cameraAngle, swarmAngle = swarm_scene::cameraAngle;
  float expAngle = exp_scene::cameraAngle, expEmitter = exp_scene::emitterAngle;
  Pass();  // the second pass's Rocket set-up and first call
  EXPECT_EQ(rocket_scene::timeline, 1.0f);
  EXPECT_EQ(rocket_scene::cameraAngle, rocketAngle);
  EXPECT_NEAR(rocket_scene::lightAngle, rocketLight + 0.7f, 1e-2f);
  EXPECT_NE(rocket_scene::cameraAngle, 90.0f);
  PassThroughScene();
  Pass();  // Sphere's set-up and first call
  EXPECT_NEAR(sphere_scene::cameraAngle, sphereAngle + 0.6f, 1e-2f);
  PassThroughScene();
  Pass();  // Swarm's set-up and first call
  EXPECT_NEAR(swarm_scene::cameraAngle, swarmAngle + 0.6f, 1e-2f);
  PassThroughScene();
  Pass();  // Egypt's set-up
  PassThroughScene();
  Pass();  // Exp's set-up and first call
  EXPECT_NEAR(exp_scene::cameraAngle, expAngle + 1.0f, 1e-2f);
  EXPECT_NEAR(exp_scene::emitterAngle, expEmitter + 1.8f, 1e-2f);
}

}  // namespace
