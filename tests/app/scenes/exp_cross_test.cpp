// The Exp and Cross scenes: the sphere collider placed on the model's sphere,
// the circling emitter, the hidden first flare, and Cross's pan that never
// reaches its end.
#include "scene_fixture.h"

namespace {

class ExpTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    WriteModel("expscene01.3ds", ModelFile()
                                     .Material("skymat")
                                     .Object("skysphere", 0, 0, 0, "skymat")
                                     .Object("sphere1", 30, -40, 300)
                                     .Light("lamp01", 0, 0, 1500)
                                     .Light("lamp02", 0, 0, 1800));
  }
};

TEST_F(ExpTest, SphereColliderSitsOnTheModelsSphere) {
  StartScene(ExpSetup, ExpFrame);
  ParticleCollider* sphere = exp_scene::sphereCollider;
  ASSERT_NE(sphere, nullptr);
  EXPECT_EQ(sphere->kind, ColliderSphere);
  EXPECT_FLOAT_EQ(sphere->particle.position.x, 30.0f);
  EXPECT_FLOAT_EQ(sphere->particle.position.z, 300.0f);
  EXPECT_FLOAT_EQ(sphere->particle.radius, 150.0f);
  EXPECT_FLOAT_EQ(sphere->bounce, 0.9f);
  // The ground keeps the whole speed.
  ParticleCollider* floor = exp_scene::pour->firstCollider;
  EXPECT_EQ(floor->kind, ColliderFloor);
  EXPECT_FLOAT_EQ(floor->bounce, 1.0f);
  // No sky sphere in this scene.
  EXPECT_EQ(FindMaterial("skymat")->fullBright, 0);
}

TEST_F(ExpTest, WithoutSphere1TheColliderStaysPut) {
  WriteModel("expscene01.3ds", ModelFile().Light("lamp01", 0, 0, 1500));
  testing::internal::CaptureStderr();
  StartScene(ExpSetup, ExpFrame);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("\"sphere1\""), std::string::npos);
  EXPECT_FLOAT_EQ(exp_scene::sphereCollider->particle.position.z, 382.0f);
  EXPECT_FLOAT_EQ(exp_scene::sphereCollider->particle.position.x, 0.0f);
}

TEST_F(ExpTest, EmitterAndCameraCircleAndTheFirstFlareStaysHidden) {
  using namespace exp_scene;
  cameraAngle = 0.0f;
  emitterAngle = 0.0f;
  StartScene(ExpSetup, ExpFrame);
  // (50 cos 1.8, 50 sin 1.8, 50 sin 1.8 + 700) and the eye at 1 degree:
  // (3000 sin 1, 3000 cos 1, 200 sin 1 + 400).
  Vec4 e = emitter->particle.position;
  EXPECT_NEAR(e.x, 49.97533f, 1e-3);
  EXPECT_NEAR(e.y, 1.57054f, 1e-3);
  EXPECT_NEAR(e.z, 701.57054f, 1e-3);
  Camera* camera = Cameras.current;
  EXPECT_NEAR(camera->eye.x, 52.3572f, 1e-2);
  EXPECT_NEAR(camera->eye.y, 2999.5431f, 1e-2);
  EXPECT_NEAR(camera->eye.z, 403.4905f, 1e-2);

  Light* first = LightGroups.current->firstLight;
  ASSERT_NE(first->flare, nullptr);
  EXPECT_EQ(first->flare->active, 0);
  EXPECT_EQ(first->next->flare->active, 1);
  first->flare->active = 1;
  ExpFrame();
  EXPECT_EQ(first->flare->active, 0);
}

TEST_F(ExpTest, GroundBouncesKeepTheirHeight) {
  StartScene(ExpSetup, ExpFrame);
  RunFrames(ExpFrame, 400);
  // Nothing sinks below the ground plane (radius 8).
  for (int i = 0; i < 400; ++i) ASSERT_GE(exp_scene::pour->slots[i]->position.z, 8.0f - 1e-3f) << i;
}

class CrossTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    WriteModel("crossscene01.3ds", ModelFile()
                                       .Material("skymat")
                                       .Object("skysphere", 0, 0, 0, "skymat")
                                       .Object("cross", -1200, 600, 500));
  }
};

TEST_F(CrossTest, PanStopsNineteenSevenHundredthsShort) {
  using namespace cross_scene;
  StartScene(CrossSetup, CrossFrame);
  const Vec4 start = {-1478, 148, 278, 1}, end = {-1064, 1215, 882, 1};
  Camera* camera = Cameras.current;
  Vec4 eye = camera->eye;
  EXPECT_NEAR(Distance(camera->target, start), Distance(start, end) / 700.0f, 1e-3f);
  // The sequencer's 680-frame budget gives 681 calls.
  RunFrames(CrossFrame, 680);
  EXPECT_EQ(panSteps, 681);
  EXPECT_NEAR(Distance(camera->target, end), Distance(start, end) * 19.0f / 700.0f, 0.05f);
  EXPECT_EQ(camera->eye.x, eye.x);
  EXPECT_EQ(camera->eye.y, eye.y);
  EXPECT_EQ(camera->eye.z, eye.z);
  EXPECT_EQ(FindMeshObject("skysphere")->particle.position.y, eye.y);
  // No sprites but the flare template, no particle systems.
  EXPECT_EQ(CountRecords(Sprites.first), 1);
  EXPECT_EQ(ParticleSystems.first, nullptr);
}

TEST_F(CrossTest, ModelCameraChunkMovesTheEye) {
  WriteModel("crossscene01.3ds", ModelFile().Camera({100, 200, 300, 1}, {1, 2, 3, 1}));
  StartScene(CrossSetup, CrossFrame);
  EXPECT_FLOAT_EQ(Cameras.current->eye.x, 100.0f);
  EXPECT_FLOAT_EQ(Cameras.current->eye.z, 300.0f);
  // The pan replaces the file's target at once.
  EXPECT_NEAR(Cameras.current->target.x, -1478.0f, 1.0f);
}

}  // namespace
