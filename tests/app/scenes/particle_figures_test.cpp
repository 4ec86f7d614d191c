// Each scene's particle systems as the running scene has them after the
// sequencer's set-up step (set-up routine and first per-frame call): slots,
// sprites, emitter, every force and every collider, against the scene's
// figures written out by hand.
#include <string>
#include <vector>

#include "device/settings.h"
#include "scene_fixture.h"

namespace {

constexpr float Unchecked = -12345.0f;  // a figure the first call makes random

enum class Rule { Standard, Swapped, SecondOnly };

struct SpriteFigures {
  float halfSize;
  int red, green, blue;  // -1: each sprite its own random colour
  int active;
  Rule rule;
};

struct EmitterFigures {
  Vec4 position;  // after the first per-frame call; Unchecked where random
  float speedMin, speedRange;
  int delayMin, delayRange;
  int lifetimeMin, lifetimeRange;
  float weight;
  Vec4 direction;
  float spread;
};

struct ForceFigures {
  int kind;
  Vec4 direction;
  float strength;
};

struct ColliderFigures {
  int kind;
  float distance;  // floors
  float bounce;
  Vec4 centre;     // spheres
  float radius;
};

struct SystemFigures {
  int systems;  // identical systems
  int slots;
  float particleRadius;
  SpriteFigures sprites;
  EmitterFigures emitter;
  std::vector<ForceFigures> forces;
  std::vector<ColliderFigures> colliders;
};

const char* MaterialFor(Rule rule, int i) {
  if (rule == Rule::SecondOnly || i % 15 == 0) return "sprite_particle_material2";
  if (i % 5 == 0) return rule == Rule::Standard ? "sprite_particle_material3" : "sprite_particle_material";
  return rule == Rule::Standard ? "sprite_particle_material" : "sprite_particle_material3";
}

void ExpectVec(const Vec4& got, const Vec4& want, float tolerance, const std::string& what) {
  if (want.x != Unchecked) {
    EXPECT_NEAR(got.x, want.x, tolerance) << what << " x";
  }
  if (want.y != Unchecked) {
    EXPECT_NEAR(got.y, want.y, tolerance) << what << " y";
  }
  if (want.z != Unchecked) {
    EXPECT_NEAR(got.z, want.z, tolerance) << what << " z";
  }
}

const Sprite* SpriteOf(const Particle* particle) {
  for (const Sprite* s = Sprites.first; s; s = s->next) {
    if (&s->particle == particle) return s;
  }
  return nullptr;
}

void ExpectSystems(const SystemFigures& want) {
  int count = 0;
  for (const ParticleSystem* system = ParticleSystems.first; system; system = system->next, ++count) {
    const std::string at = "system " + std::to_string(count);
    ASSERT_EQ(system->slotCount, want.slots) << at;
    // One report for the first slot that is wrong, not one per slot.
    const bool failedBefore = testing::Test::HasNonfatalFailure();
    for (int i = 0; i < want.slots && (failedBefore || !testing::Test::HasNonfatalFailure()); ++i) {
      ASSERT_NE(system->slots[i], nullptr) << at << " slot " << i;
      EXPECT_FLOAT_EQ(system->slots[i]->radius, want.particleRadius) << at << " slot " << i;
      const Sprite* sprite = SpriteOf(system->slots[i]);
      ASSERT_NE(sprite, nullptr) << at << " slot " << i;
      EXPECT_EQ(sprite->kind, SpriteBillboard);
      EXPECT_FLOAT_EQ(sprite->halfSize, want.sprites.halfSize);
      EXPECT_EQ(sprite->active, want.sprites.active) << at << " slot " << i;
      if (want.sprites.red >= 0) {
        EXPECT_EQ(sprite->colour[0], want.sprites.red);
        EXPECT_EQ(sprite->colour[1], want.sprites.green);
        EXPECT_EQ(sprite->colour[2], want.sprites.blue);
      }
      ASSERT_NE(sprite->materials[0], nullptr);
      EXPECT_STREQ(sprite->materials[0]->name, MaterialFor(want.sprites.rule, i)) << at << " slot " << i;
    }

    const ParticleEmitter* e = system->emitter;
    ASSERT_NE(e, nullptr) << at;
    const EmitterFigures& w = want.emitter;
    ExpectVec(e->particle.position, w.position, 1e-3f, at + " emitter position");
    EXPECT_FLOAT_EQ(e->speedMin, w.speedMin) << at;
    EXPECT_FLOAT_EQ(e->speedRange, w.speedRange) << at;
    EXPECT_EQ(e->delayMin, w.delayMin) << at;
    EXPECT_EQ(e->delayRange, w.delayRange) << at;
    EXPECT_EQ(e->lifetimeMin, w.lifetimeMin) << at;
    EXPECT_EQ(e->lifetimeRange, w.lifetimeRange) << at;
    EXPECT_FLOAT_EQ(e->baseWeight, w.weight) << at;
    ExpectVec(e->baseDirection, w.direction, 1e-6f, at + " emitter direction");
    EXPECT_NEAR(e->spread, w.spread, 1e-6f) << at;

    std::size_t f = 0;
    for (const ParticleForce* force = system->firstForce; force; force = force->next, ++f) {
      ASSERT_LT(f, want.forces.size()) << at << ": more forces than the scene has";
      const ForceFigures& wf = want.forces[f];
      EXPECT_EQ(force->kind, wf.kind) << at << " force " << f;
      ExpectVec(force->direction, wf.direction, 1e-6f, at + " force " + std::to_string(f));
      EXPECT_FLOAT_EQ(force->strength, wf.strength) << at << " force " << f;
    }
    EXPECT_EQ(f, want.forces.size()) << at;

    std::size_t c = 0;
    for (const ParticleCollider* collider = system->firstCollider; collider; collider = collider->next, ++c) {
      ASSERT_LT(c, want.colliders.size()) << at << ": more colliders than the scene has";
      const ColliderFigures& wc = want.colliders[c];
      const std::string which = at + " collider " + std::to_string(c);
      EXPECT_EQ(collider->kind, wc.kind) << which;
      EXPECT_FLOAT_EQ(collider->bounce, wc.bounce) << which;
      if (wc.kind == ColliderSphere) {
        ExpectVec(collider->particle.position, wc.centre, 1e-4f, which + " centre");
        EXPECT_FLOAT_EQ(collider->particle.radius, wc.radius) << which;
      } else {
        EXPECT_FLOAT_EQ(collider->distance, wc.distance) << which;
      }
    }
    EXPECT_EQ(c, want.colliders.size()) << at;
  }
  EXPECT_EQ(count, want.systems);
}

const Vec4 Down = {0, 0, -1, 1};
const Vec4 Up = {0, 0, 1, 1};
const Vec4 Zero = {0, 0, 0, 1};
const ForceFigures Gravity = {1, Down, 0.25f};

class ParticleFiguresTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    ResetSequencer();
    saved_ = DemoSettings;
    DemoSettings = DemoSettingsRecord{};  // music off: no cues
  }
  void TearDown() override {
    DemoSettings = saved_;
    ResetSequencer();
    SceneTest::TearDown();
  }
  // The sequencer's set-up step for one scene of the demo's playlist.
  static void SetUpScene(int index) {
    Sequencer.sceneIndex = index;
    Sequencer.phase = PhaseSetup;
    testing::internal::CaptureStderr();
    StepSequencer();
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(Sequencer.phase, PhaseRunning);
  }
  DemoSettingsRecord saved_{};
};

TEST_F(ParticleFiguresTest, Rocket) {
  WriteModel("rocketscene01.3ds", ModelFile().Object("rocket69", 116, 29, 0).Light("rocket_lig", 116, 29, 60));
  SetUpScene(0);
  ExpectSystems({1, 50, 8.0f, {30.0f, 255, 50, 50, 0, Rule::Standard},
                 {{116, 29, 64, 1}, 0.1f, 1.0f, 1, 5, 15, 20, 7.0f, Down, 1.0f},
                 {Gravity},
                 {{ColliderFloor, 0.0f, 0.7f, {}, 0}}});
}

TEST_F(ParticleFiguresTest, Sphere) {
  // The emitter's angle is kept from pass to pass; the first call adds 1.8
  // degrees and puts the emitter at 60 degrees on its circle of radius 50.
  sphere_scene::emitterAngle = 58.2f;
  WriteModel("spherescene01.3ds", ModelFile().Light("lamp", 0, 0, 900));
  SetUpScene(1);
  ExpectSystems({1, 140, 8.0f, {30.0f, -1, -1, -1, 1, Rule::SecondOnly},
                 // x = 25 - 152, y = 43.30127 + 330; spread = 0.1 cos 60.
                 {{-127.0f, 373.30127f, 500, 1}, 0.1f, 1.0f, 30, 60, 150, 30, 7.0f, Zero, 0.05f},
                 {Gravity},
                 {{ColliderFloor, 0.0f, 0.7f, {}, 0},
                  {ColliderSphere, 0, 0.7f, {-100, 375, 150, 1}, 150.0f},
                  {ColliderSphere, 0, 0.7f, {-600, 367, 100, 1}, 100.0f},
                  {ColliderSphere, 0, 0.7f, {-300, -64, 75, 1}, 75.0f}}});
}

TEST_F(ParticleFiguresTest, SwarmAndCrossHaveNone) {
  WriteModel("swarmscene01.3ds", ModelFile().Light("light1", 0, 0, 0).Light("light2", 0, 0, 0).Light("light3", 0, 0, 0));
  SetUpScene(2);
  EXPECT_EQ(ParticleSystems.first, nullptr);
  WriteModel("crossscene01.3ds", ModelFile().Object("cross", 0, 0, 0));
  FreeAllRegistries();
  SetUpScene(5);
  EXPECT_EQ(ParticleSystems.first, nullptr);
}

TEST_F(ParticleFiguresTest, Egypt) {
  WriteModel("egyptscene01.3ds", ModelFile().Object("ossik_sign", 0, 0, 0));
  SetUpScene(3);
  ExpectSystems({1, 100, 8.0f, {30.0f, 50, 255, 50, 1, Rule::Swapped},
                 {{-563, 358, 575, 1}, 0.1f, 1.0f, 1, 5, 15, 40, 14.0f, Up, 14.0f},
                 {Gravity},
                 {{ColliderFloor, 0.0f, 0.7f, {}, 0}}});
}

TEST_F(ParticleFiguresTest, Exp) {
  // Without "sphere1" the sphere collider keeps its set-up centre. The emitter's
  // kept angle becomes 30 degrees in the first call.
  exp_scene::emitterAngle = 28.2f;
  WriteModel("expscene01.3ds", ModelFile().Light("lamp", 0, 0, 900));
  SetUpScene(4);
  ExpectSystems({1, 400, 8.0f, {30.0f, 50, 50, 255, 1, Rule::SecondOnly},
                 // (50 cos 30, 50 sin 30, 50 sin 30 + 700)
                 {{43.30127f, 25.0f, 725.0f, 1}, 0.1f, 1.0f, 1, 1, 250, 0, 7.0f, Zero, 2.0f},
                 {Gravity},
                 {{ColliderFloor, 0.0f, 1.0f, {}, 0}, {ColliderSphere, 0, 0.9f, {0, 0, 382, 1}, 150.0f}}});
}

TEST_F(ParticleFiguresTest, Dante) {
  WriteModel("dantescene01.3ds", ModelFile()
                                     .Object("ground_noz", 0, 0, -1000)
                                     .Object("osphere", 0, 0, 0)
                                     .Light("redlight", 0, 0, 0)
                                     .Light("sun", 0, 0, 0));
  SetUpScene(6);
  // x and y of every emitter are thrown at random by the first call.
  ExpectSystems({10, 50, 30.0f, {30.0f, 255, 50, 50, 1, Rule::Standard},
                 {{Unchecked, Unchecked, -980, 1}, 0.1f, 1.0f, 1, 5, 80, 60, 7.0f, Up, 7.0f},
                 {Gravity, {1, {0, 1, 0, 1}, 0.1f}},
                 {{ColliderFloor, -1000.0f, 0.7f, {}, 0}}});
}

TEST_F(ParticleFiguresTest, Outro) {
  WriteModel("outroscene01.3ds", ModelFile()
                                     .Object("greet1", 0, 0, 0)
                                     .Object("greetf1", 0, 0, 0)
                                     .Object("greet2", 0, 0, 0)
                                     .Object("greetf2", 0, 0, 0)
                                     .Light("sun", 0, 0, 0));
  SetUpScene(7);
  ExpectSystems({1, 50, 8.0f, {30.0f, -1, -1, -1, 1, Rule::SecondOnly},
                 {{0, 1000, 800, 1}, 0.1f, 1.0f, 1, 5, 50, 49, 7.0f, Up, 7.0f},
                 {Gravity},
                 {{ColliderFloor, 0.0f, 0.7f, {}, 0}}});
}

}  // namespace
