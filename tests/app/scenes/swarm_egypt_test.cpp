// The Swarm and Egypt scenes: the chain's shades and path with its riding
// lights, the inside-out sky, and Egypt's swinging eye, pan and sign.
#include "scene_fixture.h"

namespace {

class SwarmTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    WriteModel("swarmscene01.3ds", ModelFile()
                                       .Material("skymat")
                                       .Object("skysphere", 10, 20, 0, "skymat")
                                       .Light("light1", 0, 0, 0)
                                       .Light("light2", 0, 0, 0)
                                       .Light("light3", 0, 0, 0));
  }
};

// Points of the path worked out beforehand (k = 2 is the first call, k = 200
// the hundredth).
struct PathPoint {
  int member, k;
  Vec4 position;
};
const PathPoint kPath[] = {
    {0, 2, {2.7982f, 0.4115f, 135.9753f, 1}},       {1, 2, {-1.2866f, 0.0058f, 135.9362f, 1}},
    {30, 2, {-165.0560f, -24.6378f, 65.8879f, 1}},  {59, 2, {-283.4760f, -57.1415f, -140.8205f, 1}},
    {17, 200, {86.1786f, 16.7213f, 151.6105f, 1}},
};

TEST_F(SwarmTest, MembersAreShadedAlongTheChainAndStartOnThePath) {
  using namespace swarm_scene;
  StartScene(SwarmSetup, SwarmFrame);
  EXPECT_EQ(phase, 2);
  Material* material = FindMaterial(SpriteMaterialName2);
  ASSERT_NE(material, nullptr);
  ASSERT_NE(material->texture, nullptr);
  // Only the one material: no sprite materials here.
  EXPECT_EQ(FindMaterial(SpriteMaterialName), nullptr);
  // Shades: the integer part of 4.25 i.
  const int shades[][2] = {{0, 0}, {1, 4}, {2, 8}, {3, 12}, {4, 17}, {30, 127}, {59, 250}};
  for (const auto& shade : shades) {
    EXPECT_EQ(members[shade[0]]->colour[0], shade[1]) << shade[0];
    EXPECT_EQ(members[shade[0]]->colour[1], shade[1]) << shade[0];
  }
  for (int i = 0; i < MemberCount; ++i) {
    ASSERT_NE(members[i], nullptr);
    EXPECT_EQ(members[i]->materials[0], material);
    EXPECT_FLOAT_EQ(members[i]->halfSize, 50.0f);
    EXPECT_EQ(members[i]->active, 1);
  }
  EXPECT_EQ(members[0]->colour[0], 0);
  EXPECT_EQ(members[59]->colour[0], 250);
  EXPECT_EQ(members[59]->colour[2], 250);

  for (int n = 0; n < 4; ++n) {
    const PathPoint& p = kPath[n];
    EXPECT_NEAR(Distance(members[p.member]->particle.position, p.position), 0.0f, 0.01f) << p.member;
  }
  // Lights ride on the first, last and middle member.
  EXPECT_EQ(lights[0]->position.x, members[0]->particle.position.x);
  EXPECT_EQ(lights[1]->position.y, members[59]->particle.position.y);
  EXPECT_EQ(lights[2]->position.z, members[30]->particle.position.z);
  EXPECT_FLOAT_EQ(lights[0]->rangeSquared, 6400.0f);
  EXPECT_FLOAT_EQ(lights[2]->farRangeSquared, 250000.0f);

  RunFrames(SwarmFrame, 99);
  EXPECT_NEAR(Distance(members[17]->particle.position, kPath[4].position), 0.0f, 0.01f);
}

TEST_F(SwarmTest, CameraCirclesAtWideAngles) {
  using namespace swarm_scene;
  cameraAngle = 0.0f;
  StartScene(SwarmSetup, SwarmFrame);
  Camera* camera = Cameras.current;
  EXPECT_DOUBLE_EQ(camera->angleX, 45.0);
  EXPECT_DOUBLE_EQ(camera->angleY, 45.0);
  // 300 cos 0.6 and 300 sin 0.6 degrees.
  EXPECT_NEAR(camera->eye.y, 299.98355f, 1e-3);
  EXPECT_NEAR(camera->eye.x, 3.14154f, 1e-3);
  EXPECT_NEAR(camera->eye.z, 3.14154f, 1e-3);
  EXPECT_EQ(camera->target.x, 0.0f);
}

TEST_F(SwarmTest, SkyIsTurnedInsideOutAndRepeatedButNotFullBright) {
  StartScene(SwarmSetup, SwarmFrame);
  MeshObject* sky = FindMeshObject("skysphere");
  MeshGeometry* g = sky->geometry;
  // The loader's normal of this triangle points up; here it points down.
  EXPECT_LT(g->faces[0].normal.z, -0.9f);
  EXPECT_LT(g->vertices[0].normal.z, -0.9f);
  float maxU = 0.0f, maxV = 0.0f;
  for (int i = 0; i < g->vertexCount; ++i) {
    maxU = std::max(maxU, g->vertices[i].u);
    maxV = std::max(maxV, g->vertices[i].v);
  }
  EXPECT_FLOAT_EQ(maxU, 5.0f);
  EXPECT_FLOAT_EQ(maxV, 5.0f);
  EXPECT_EQ(FindMaterial("skymat")->fullBright, 0);
  // No sky-sphere follow in this scene.
  EXPECT_FLOAT_EQ(sky->particle.position.x, 10.0f);
}

TEST_F(SwarmTest, MissingLightsLeaveTheSwarmMoving) {
  WriteModel("swarmscene01.3ds", ModelFile().Light("light2", 0, 0, 0));
  testing::internal::CaptureStderr();
  StartScene(SwarmSetup, SwarmFrame);
  RunFrames(SwarmFrame, 10);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("\"light1\""), std::string::npos);
  EXPECT_NE(errors.find("\"light3\""), std::string::npos);
  EXPECT_EQ(errors.find("\"light2\""), std::string::npos);
  EXPECT_EQ(swarm_scene::lights[1]->position.x, swarm_scene::members[59]->particle.position.x);
}

class EgyptTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    WriteModel("egyptscene01.3ds", ModelFile()
                                       .Material("skymat")
                                       .Object("skysphere", 0, 0, 0, "skymat")
                                       .Object("ossik_sign", -500, 300, 100)
                                       .Light("sun", 0, 0, 2000));
  }
};

TEST_F(EgyptTest, AimPansAndStopsOneFourHundredthShort) {
  using namespace egypt_scene;
  StartScene(EgyptSetup, EgyptFrame);
  const Vec4 start = {14, -985, 913, 1}, end = {-564, 364, 633, 1};
  Camera* camera = Cameras.current;
  // The set-up's target (the origin) is gone before the first frame: one
  // 400th of the way from the start, (-578, 1349, -280) / 400 on.
  EXPECT_NEAR(Distance(camera->target, {12.555f, -981.6275f, 912.3f, 1}), 0.0f, 1e-3f);
  EXPECT_FLOAT_EQ(swingAngle, 45.0f);
  RunFrames(EgyptFrame, 1600);  // 1601 calls in all
  EXPECT_EQ(panSteps, 1601);
  float total = Distance(start, end);
  EXPECT_NEAR(Distance(camera->target, end), total / 400.0f, 0.01f);
  EXPECT_NEAR(swingAngle, 45.0f + 1600 * 0.3f, 0.05f);
}

TEST_F(EgyptTest, EyeSwingsAlongOneCurve) {
  using namespace egypt_scene;
  StartScene(EgyptSetup, EgyptFrame);
  Camera* camera = Cameras.current;
  EgyptFrame();
  // The swing angle is 45.3 on the second call: the curve angle is
  // 360 cos 45.3 = 253.222 degrees.
  EXPECT_NEAR(camera->eye.y, -577.3253f, 0.05);
  EXPECT_NEAR(camera->eye.x, -1340.4032f, 0.05);
  EXPECT_NEAR(camera->eye.z, 469.1561f, 0.05);
  // Every eye lies on the curve y = 2000 cos(c), x = 1400 sin(c).
  for (int i = 0; i < 300; ++i) {
    EgyptFrame();
    double c = std::atan2(camera->eye.x / 1400.0, camera->eye.y / 2000.0);
    ASSERT_NEAR(camera->eye.z, std::sin(c) * 450.0 + 900.0, 0.05) << i;
  }
}

TEST_F(EgyptTest, SignTurnsAndFountainSwapsMaterials) {
  StartScene(EgyptSetup, EgyptFrame);
  MeshObject* sign = FindMeshObject("ossik_sign");
  float turned = sign->particle.rotation.z;
  RunFrames(EgyptFrame, 10);
  EXPECT_NEAR(sign->particle.rotation.z - turned, 10 * 0.00872664626f, 1e-5f);
  ParticleSystem* fountain = egypt_scene::fountain;
  auto spriteOf = [&](int i) {
    for (Sprite* s = Sprites.first; s; s = s->next) {
      if (&s->particle == fountain->slots[i]) return s;
    }
    return static_cast<Sprite*>(nullptr);
  };
  EXPECT_EQ(spriteOf(0)->materials[0], FindMaterial(SpriteMaterialName2));
  EXPECT_EQ(spriteOf(5)->materials[0], FindMaterial(SpriteMaterialName));
  EXPECT_EQ(spriteOf(1)->materials[0], FindMaterial(SpriteMaterialName3));
  EXPECT_EQ(spriteOf(1)->colour[1], 255);
}

TEST_F(EgyptTest, WithoutTheSignTheRestRuns) {
  WriteModel("egyptscene01.3ds", ModelFile().Object("ground", 0, 0, 0));
  testing::internal::CaptureStderr();
  StartScene(EgyptSetup, EgyptFrame);
  RunFrames(EgyptFrame, 50);
  std::string errors = testing::internal::GetCapturedStderr();
  std::size_t at = errors.find("\"ossik_sign\"");
  EXPECT_NE(at, std::string::npos);
  EXPECT_EQ(errors.find("\"ossik_sign\"", at + 1), std::string::npos);
  EXPECT_EQ(egypt_scene::panSteps, 51);
}

}  // namespace
