// The Dante and Outro scenes: the eye's glide and where sparks may appear, the
// drifting textures and rocking sphere; the Outro's greetings, the sun's
// fountain and the camera's fly-back and drift.
#include "scene_fixture.h"

namespace {

constexpr double Pi = 3.1415926536;
constexpr double TwoDegrees = 0.03490658504;

class DanteTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    WriteModel("dantescene01.3ds", ModelFile()
                                       .Material("skymat")
                                       .Material("floor")
                                       .Object("skysphere", 0, 0, 0, "skymat")
                                       .Object("ground_noz", 300, -600, -1000, "floor")
                                       .Object("osphere", 0, 0, -500)
                                       .Light("redlight", 0, 0, -500)
                                       .Light("sun", 0, 0, 1000));
  }
};

TEST_F(DanteTest, EyeGlidesAndStopsOneTwoThousandthShort) {
  using namespace dante_scene;
  StartScene(DanteSetup, DanteFrame);
  const Vec4 start = {1554, 2245, -600, 1}, end = {1700, -1700, -500, 1};
  Camera* camera = Cameras.current;
  float total = Distance(start, end);
  EXPECT_NEAR(Distance(camera->eye, start), total / 2000.0f, 1e-3f);
  RunFrames(DanteFrame, 2000);  // 2001 calls in all
  EXPECT_EQ(flySteps, 2001);
  EXPECT_NEAR(Distance(camera->eye, end), total / 2000.0f, 0.05f);
  EXPECT_EQ(camera->target.x, 0.0f);
  // The sky sits on the eye.
  EXPECT_EQ(sky->particle.position.x, camera->eye.x);
}

TEST_F(DanteTest, SparksAppearOnlyAboveTheBurningFloor) {
  using namespace dante_scene;
  StartScene(DanteSetup, DanteFrame);
  // The first emitter takes the first two draws of the call, x first: from
  // state 1 they are 41 and 18467, so x = 1000 - 3300 u(41) = 995.871 and
  // y = 2000 - 4000 u(18467) = -254.304.
  SetRandomState(1);
  DanteFrame();
  EXPECT_NEAR(emitters[0]->particle.position.x, 995.8709f, 1e-3f);
  EXPECT_NEAR(emitters[0]->particle.position.y, -254.3037f, 1e-3f);
  float lowX = 1e9f, highX = -1e9f, lowY = 1e9f, highY = -1e9f;
  for (int call = 0; call < 400; ++call) {
    DanteFrame();
    for (ParticleEmitter* e : emitters) {
      ASSERT_GT(e->particle.position.x, -2300.0f);
      ASSERT_LE(e->particle.position.x, 1000.0f);
      ASSERT_GT(e->particle.position.y, -2000.0f);
      ASSERT_LE(e->particle.position.y, 2000.0f);
      ASSERT_EQ(e->particle.position.z, -980.0f);
      lowX = std::min(lowX, e->particle.position.x);
      highX = std::max(highX, e->particle.position.x);
      lowY = std::min(lowY, e->particle.position.y);
      highY = std::max(highY, e->particle.position.y);
    }
  }
  // 4000 throws cover the floor.
  EXPECT_LT(lowX, -2200.0f);
  EXPECT_GT(highX, 900.0f);
  EXPECT_LT(lowY, -1900.0f);
  EXPECT_GT(highY, 1900.0f);
  // Ten systems of fifty red sparks of radius 30 over a floor at -1000.
  EXPECT_EQ(CountRecords(ParticleSystems.first), 10);
  EXPECT_FLOAT_EQ(systems[9]->slots[49]->radius, 30.0f);
  EXPECT_FLOAT_EQ(systems[3]->lastCollider->distance, -1000.0f);
}

TEST_F(DanteTest, TexturesDriftFromThePositionsAndTheSphereRocks) {
  using namespace dante_scene;
  StartScene(DanteSetup, DanteFrame);
  RunFrames(DanteFrame, 49);  // 50 calls: r = 5 degrees, g = 5 degrees
  const double su = 0.0871557, sv = 0.9961947;  // sin and cos of 5 degrees
  EXPECT_NEAR(scrollAngle, 5.0f, 1e-3f);
  MeshGeometry* ground = FindMeshObject("ground_noz")->geometry;
  for (int i = 0; i < ground->vertexCount; ++i) {
    const Vertex& v = ground->vertices[i];
    EXPECT_NEAR(v.u, v.position.x * 0.00033333333 + su, 1e-5);
    EXPECT_NEAR(v.v, v.position.y * 0.00033333333 + sv, 1e-5);
  }
  MeshGeometry* ball = rockingSphere->geometry;
  EXPECT_NEAR(ball->vertices[1].u, ball->vertices[1].position.x * 0.0005 + su, 1e-5);
  // -360 sin 5 degrees, in radians.
  EXPECT_NEAR(rockingSphere->particle.rotation.z, -0.547616, 1e-4);
  // Both lights circle at 50 degrees (2000 cos 50, 1400 sin 50), flares hidden.
  EXPECT_NEAR(redLight->position.y, 1285.5752, 0.05);
  EXPECT_NEAR(redLight->position.x, 1072.4622, 0.05);
  EXPECT_NEAR(sun->position.x, 1285.5752, 0.05);
  EXPECT_NEAR(sun->position.y, 1072.4622, 0.05);
  EXPECT_EQ(redLight->flare->active, 0);
  EXPECT_EQ(sun->flare->active, 0);
}

TEST_F(DanteTest, EverythingNamedMayBeMissing) {
  WriteModel("dantescene01.3ds", ModelFile().Object("rock", 0, 0, -900));
  testing::internal::CaptureStderr();
  StartScene(DanteSetup, DanteFrame);
  RunFrames(DanteFrame, 100);
  std::string errors = testing::internal::GetCapturedStderr();
  for (const char* name : {"\"redlight\"", "\"sun\"", "\"osphere\"", "\"ground_noz\""}) {
    std::size_t at = errors.find(name);
    EXPECT_NE(at, std::string::npos) << name;
    EXPECT_EQ(errors.find(name, at + 1), std::string::npos) << name;
  }
  EXPECT_EQ(dante_scene::flySteps, 101);
}

class OutroTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    WriteModel("outroscene01.3ds", ModelFile()
                                       .Material("skymat")
                                       .Object("skysphere", 0, 0, 0, "skymat")
                                       .Object("greet1", -300, 0, 200)
                                       .Object("greetf1", -300, 0, 100)
                                       .Object("greet2", 300, 0, 200)
                                       .Object("greetf2", 300, 0, 100)
                                       .Light("sun", 900, 900, 900));
  }
  static float Turn(int k) { return outro_scene::greetings[k]->particle.rotation.z; }
};

TEST_F(OutroTest, GreetingsTurnInOppositePairsWithAPause) {
  StartScene(OutroSetup, OutroFrame);
  RunFrames(OutroFrame, 88);  // n = 89
  for (int k : {0, 1}) EXPECT_NEAR(Turn(k), Pi + 89 * TwoDegrees, 1e-4) << k;
  for (int k : {2, 3}) EXPECT_NEAR(Turn(k), Pi - 89 * TwoDegrees, 1e-4) << k;
  float paused = Turn(0);
  RunFrames(OutroFrame, 61);  // n = 150: still paused
  EXPECT_EQ(Turn(0), paused);
  OutroFrame();  // n = 151
  EXPECT_NEAR(Turn(0), paused + TwoDegrees, 1e-5);
  for (int n = 152; n <= 1501; ++n) {
    OutroFrame();
    ASSERT_NEAR(Turn(0) - Pi, -(Turn(2) - Pi), 1e-3) << n;
    ASSERT_EQ(Turn(0), Turn(1));
    ASSERT_EQ(Turn(2), Turn(3));
  }
  // Spinning on n = 1 ... 89 and 151 ... 1224.
  EXPECT_NEAR(Turn(0), Pi + (89 + 1074) * TwoDegrees, 1e-3);
  EXPECT_EQ(outro_scene::steps, 1501);
}

TEST_F(OutroTest, CameraFliesBackFromTheSunThenDrifts) {
  using namespace outro_scene;
  StartScene(OutroSetup, OutroFrame);
  Light* sun = FindLight(LightGroups.current, "sun");
  // The sun sits on the fountain with a bigger flare.
  EXPECT_FLOAT_EQ(sun->position.y, 1000.0f);
  EXPECT_FLOAT_EQ(sun->position.z, 800.0f);
  EXPECT_FLOAT_EQ(sun->flare->halfSize, 90.0f);
  const Vec4 home = {0, 600, -100, 1};
  const Vec4 beside = {700, 1000, 800, 1};
  Camera* camera = Cameras.current;
  // One 90th of the way home: (-700, -400, -900) / 90 on.
  EXPECT_NEAR(Distance(camera->eye, {692.2222f, 995.5556f, 790.0f, 1}), 0.0f, 1e-3f);
  RunFrames(OutroFrame, 88);  // n = 89
  EXPECT_NEAR(Distance(camera->eye, home), Distance(beside, home) / 90.0f, 0.01f);
  Vec4 eye = camera->eye;
  OutroFrame();  // n = 90: the drift starts
  EXPECT_NEAR(camera->eye.x, eye.x + 1.8f, 1e-3f);
  EXPECT_EQ(camera->eye.y, eye.y);
  EXPECT_FLOAT_EQ(camera->target.x, 1.0f);
  // The sky follows.
  EXPECT_EQ(FindMeshObject("skysphere")->particle.position.x, camera->eye.x);
}

TEST_F(OutroTest, WithoutTheSunTheFlyBackStillStartsBesideTheFountain) {
  WriteModel("outroscene01.3ds", ModelFile().Object("greet1", 0, 0, 0).Object("greet2", 0, 0, 0));
  testing::internal::CaptureStderr();
  StartScene(OutroSetup, OutroFrame);
  RunFrames(OutroFrame, 20);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("\"sun\""), std::string::npos);
  std::size_t at = errors.find("\"greetf1\"");
  EXPECT_NE(at, std::string::npos);
  EXPECT_EQ(errors.find("\"greetf1\"", at + 1), std::string::npos);
  EXPECT_NEAR(Turn(0), Pi + 21 * TwoDegrees, 1e-4);
  EXPECT_NEAR(Turn(2), Pi - 21 * TwoDegrees, 1e-4);
  // 21 of the 90 steps from beside the fountain toward the set-up eye.
  const Vec4 home = {0, 600, -100, 1}, beside = {700, 1000, 800, 1};
  EXPECT_NEAR(Distance(Cameras.current->eye, home), Distance(beside, home) * 69.0f / 90.0f, 0.01f);
}

}  // namespace
