// Particle systems: lives and emission, forces, plane and sphere colliders,
// and the list of systems.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/particles.h"
#include "effects/random.h"

namespace {

// Every test starts with an empty list and frees what it made.
class Particles : public ::testing::Test {
 protected:
  void SetUp() override {
    InitParticleSystems();
    SetRandomState(1);
  }
  void TearDown() override { FreeParticleSystems(); }

  // A system of one slot holding `particle`, initialised, with an emitter.
  ParticleSystem* OneSlot(Particle& particle) {
    ParticleSystem* s = CreateParticleSystem(1);
    InitParticle(&particle);
    s->slots[0] = &particle;
    AddEmitter(s, 1);
    return s;
  }

  // Makes the particle alive with a lifetime far away, so lives leave it be.
  static void KeepAlive(Particle& p) {
    p.state = ParticleAlive;
    p.lifetime = 1000000;
    p.age = 0.0f;
  }
};

}  // namespace

TEST_F(Particles, OneEmitterPerSystemForcesInOrderAndNoSlotsFromANegativeCount) {
  ParticleSystem* s = CreateParticleSystem(3);
  ASSERT_NE(s, nullptr);
  ParticleEmitter* e = AddEmitter(s, 1);
  ASSERT_NE(e, nullptr);
  e->speedMin = 3.0f;
  // A second emitter is the first one, kind and settings kept.
  EXPECT_EQ(AddEmitter(s, 5), e);
  EXPECT_EQ(e->kind, 1);
  EXPECT_EQ(e->speedMin, 3.0f);

  ParticleForce* f1 = AddForce(s, 1);
  ParticleForce* f2 = AddForce(s, 0);
  EXPECT_EQ(s->firstForce, f1);
  EXPECT_EQ(s->lastForce, f2);
  EXPECT_EQ(f1->next, f2);
  EXPECT_EQ(f2->prev, f1);

  ParticleSystem* empty = CreateParticleSystem(-4);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->slotCount, 0);
  UpdateParticleSystem(empty, 1.0f);
}

TEST_F(Particles, FirstUpdateEmitsSecondDiesAndDrawsDelayAndLifetime) {
  Particle p;
  ParticleSystem* s = OneSlot(p);
  s->emitter->particle.position = {10.0f, 20.0f, 30.0f, 1.0f};
  s->emitter->delayMin = 1;
  s->emitter->delayRange = 5;
  s->emitter->lifetimeMin = 80;
  s->emitter->lifetimeRange = 60;

  UpdateParticleLives(s, 1.0f);
  EXPECT_EQ(p.state, ParticleAlive);
  EXPECT_EQ(p.age, 0.0f);
  EXPECT_EQ(p.position.x, 10.0f); EXPECT_EQ(p.position.y, 20.0f); EXPECT_EQ(p.position.z, 30.0f);

  UpdateParticleLives(s, 1.0f);
  EXPECT_EQ(p.state, ParticleWaiting);
  EXPECT_EQ(p.age, 0.0f);
  // The emission took the draws 41, 18467, 6334 and 26500; the death takes
  // 19169 for the delay (0.585 x 5 + 1 = 3.92) and then 15724 for the
  // lifetime (0.4799 x 60 + 80 = 108.79).
  EXPECT_EQ(p.delay, 3);
  EXPECT_EQ(p.lifetime, 108);

  // Waits until age reaches the delay, then is emitted again.
  for (int age = 1; age < p.delay; ++age) {
    UpdateParticleLives(s, 1.0f);
    EXPECT_EQ(p.state, ParticleWaiting) << "age " << age;
  }
  UpdateParticleLives(s, 1.0f);
  EXPECT_EQ(p.state, ParticleAlive);
}

TEST_F(Particles, DelaysAndLifetimesCoverTheirRanges) {
  Particle p;
  ParticleSystem* s = OneSlot(p);
  s->emitter->delayMin = 1;
  s->emitter->delayRange = 5;
  s->emitter->lifetimeMin = 80;
  s->emitter->lifetimeRange = 60;
  std::vector<int> delays(6), lifetimes(140);
  for (int i = 0; i < 20000; ++i) {
    KeepAlive(p);
    p.lifetime = 0;
    UpdateParticleLives(s, 1.0f);
    ASSERT_EQ(p.state, ParticleWaiting);
    ASSERT_GE(p.delay, 1); ASSERT_LE(p.delay, 5);
    ASSERT_GE(p.lifetime, 80); ASSERT_LE(p.lifetime, 139);
    ++delays[p.delay];
    ++lifetimes[p.lifetime];
  }
  for (int d = 1; d <= 5; ++d) EXPECT_GT(delays[d], 0) << "delay " << d;
  for (int l = 80; l <= 139; ++l) EXPECT_GT(lifetimes[l], 0) << "lifetime " << l;
}

TEST_F(Particles, EmissionVelocityFromDrawsInOrder) {
  Particle p;
  ParticleSystem* s = OneSlot(p);
  ParticleEmitter* e = s->emitter;
  e->speedMin = 2.0f;
  e->speedRange = 4.0f;
  e->spread = 0.5f;
  e->baseDirection = {0.0f, 0.0f, 1.0f, 1.0f};
  e->baseWeight = 3.0f;
  SetRandomState(1);
  UpdateParticleLives(s, 1.0f);
  // Draws 41, 18467, 6334 give the direction (-0.99750, 0.12715, -0.61340),
  // normalised (-0.84685, 0.10795, -0.52076); 26500 the speed 5.23491. The
  // velocity is that direction x speed x 0.5, plus 3 up.
  EXPECT_NEAR(p.velocity.x, -2.21659f, 1e-4f);
  EXPECT_NEAR(p.velocity.y, 0.28255f, 1e-4f);
  EXPECT_NEAR(p.velocity.z, 1.63694f, 1e-4f);
  EXPECT_EQ(GetRandomState(), [] { SetRandomState(1); for (int i = 0; i < 4; ++i) Random(); return GetRandomState(); }());
}

TEST_F(Particles, ZeroSpreadStartsAtRestAndOnlyForcesMove) {
  Particle p;
  ParticleSystem* s = OneSlot(p);
  s->emitter->particle.position = {5.0f, 6.0f, 7.0f, 1.0f};
  s->emitter->spread = 0.0f;
  s->emitter->speedMin = 10.0f;
  s->emitter->baseWeight = 7.0f;
  UpdateParticleSystem(s, 1.0f);
  EXPECT_EQ(p.state, ParticleAlive);
  EXPECT_EQ(p.velocity.x, 0.0f); EXPECT_EQ(p.velocity.y, 0.0f); EXPECT_EQ(p.velocity.z, 0.0f);
  EXPECT_EQ(p.position.x, 5.0f); EXPECT_EQ(p.position.y, 6.0f); EXPECT_EQ(p.position.z, 7.0f);

  ParticleForce* gravity = AddForce(s, ForceConstant);
  gravity->direction = {0.0f, 0.0f, -1.0f, 1.0f};
  gravity->strength = 0.25f;
  ParticleForce* idle = AddForce(s, 0);
  idle->direction = {1.0f, 0.0f, 0.0f, 1.0f};
  idle->strength = 100.0f;
  KeepAlive(p);
  UpdateParticleSystem(s, 1.0f);
  UpdateParticleSystem(s, 1.0f);
  EXPECT_EQ(p.velocity.z, -0.5f);
  EXPECT_EQ(p.position.z, 7.0f - 0.25f - 0.5f);
  EXPECT_EQ(p.position.x, 5.0f);
}

TEST_F(Particles, WaitingParticlesAreMovedToo) {
  Particle p;
  ParticleSystem* s = OneSlot(p);
  ParticleForce* f = AddForce(s, ForceConstant);
  f->direction = {1.0f, 0.0f, 0.0f, 1.0f};
  f->strength = 2.0f;
  p.state = ParticleWaiting;
  p.delay = 100;
  p.age = 0.0f;
  UpdateParticleSystem(s, 1.0f);
  EXPECT_EQ(p.state, ParticleWaiting);
  EXPECT_EQ(p.position.x, 2.0f);
}

TEST_F(Particles, NullSlotsAreSkipped) {
  ParticleSystem* s = CreateParticleSystem(50);
  AddEmitter(s, 1)->particle.position = {1.0f, 2.0f, 3.0f, 1.0f};
  std::vector<Particle> particles(10);
  for (int i = 0; i < 10; ++i) {
    InitParticle(&particles[i]);
    s->slots[i] = &particles[i];
  }
  ResetParticles(s);
  UpdateParticleSystem(s, 1.0f);
  for (const Particle& p : particles) {
    EXPECT_EQ(p.state, ParticleAlive);
    EXPECT_EQ(p.age, 0.0f);
  }
}

TEST_F(Particles, StateChangeWithoutEmitterLeavesParticleAsItIs) {
  ParticleSystem* s = CreateParticleSystem(1);
  Particle p;
  InitParticle(&p);
  p.position = {4.0f, 4.0f, 4.0f, 1.0f};
  s->slots[0] = &p;
  UpdateParticleSystem(s, 1.0f);
  EXPECT_EQ(p.state, ParticleWaiting);
  EXPECT_EQ(p.delay, -1);
  EXPECT_EQ(p.age, 0.0f);
  EXPECT_EQ(p.position.x, 4.0f);
}

TEST_F(Particles, FloorBouncesAndMovesInTheSameStep) {
  Particle p;
  ParticleSystem* s = OneSlot(p);
  ParticleCollider* floor = AddCollider(s, ColliderFloor);
  floor->distance = 0.0f;
  floor->bounce = 0.7f;
  KeepAlive(p);
  p.radius = 8.0f;
  p.position = {0.0f, 0.0f, 5.0f, 1.0f};
  p.velocity = {0.0f, 0.0f, -1.0f, 1.0f};
  ASSERT_TRUE(CollideParticle(s, &p));
  EXPECT_EQ(p.position.z, 8.0f);
  EXPECT_FLOAT_EQ(p.velocity.z, 0.7f);

  p.position = {0.0f, 0.0f, 5.0f, 1.0f};
  p.velocity = {0.0f, 0.0f, -1.0f, 1.0f};
  UpdateParticleSystem(s, 1.0f);
  EXPECT_FLOAT_EQ(p.position.z, 8.7f);
  EXPECT_FLOAT_EQ(p.velocity.z, 0.7f);
}

TEST_F(Particles, AxisPlanesKeepTheirSide) {
  struct Case { std::int32_t kind; int axis; float start, speed, expectPos, expectVel; };
  // distance 10, radius 1, bounce 0.5.
  const Case cases[] = {
      {ColliderMinX, 0, 12.0f, -2.0f, 11.0f, 1.0f},  {ColliderMaxX, 0, 8.0f, 2.0f, 9.0f, -1.0f},
      {ColliderMinY, 1, 12.0f, -2.0f, 11.0f, 1.0f},  {ColliderMaxY, 1, 8.0f, 2.0f, 9.0f, -1.0f},
      {ColliderFloor, 2, 12.0f, -2.0f, 11.0f, 1.0f}, {ColliderCeiling, 2, 8.0f, 2.0f, 9.0f, -1.0f},
  };
  for (const Case& c : cases) {
    ParticleSystem* s = CreateParticleSystem(0);
    ParticleCollider* plane = AddCollider(s, c.kind);
    plane->distance = 10.0f;
    plane->bounce = 0.5f;
    Particle p;
    InitParticle(&p);
    p.radius = 1.0f;
    (&p.position.x)[c.axis] = c.start;
    (&p.velocity.x)[c.axis] = c.speed;
    EXPECT_TRUE(CollideParticle(s, &p)) << "kind " << c.kind;
    EXPECT_EQ((&p.position.x)[c.axis], c.expectPos) << "kind " << c.kind;
    EXPECT_EQ((&p.velocity.x)[c.axis], c.expectVel) << "kind " << c.kind;

    // Far from the plane: no hit, nothing changes.
    (&p.position.x)[c.axis] = c.start + (c.speed < 0 ? 50.0f : -50.0f);
    (&p.velocity.x)[c.axis] = c.speed;
    EXPECT_FALSE(CollideParticle(s, &p)) << "kind " << c.kind;
    EXPECT_EQ((&p.velocity.x)[c.axis], c.speed);
  }
}

TEST_F(Particles, SphereReflectsAtTheContactPoint) {
  Particle p;
  ParticleSystem* s = OneSlot(p);
  ParticleCollider* sphere = AddCollider(s, ColliderSphere);
  InitParticle(&sphere->particle);
  sphere->particle.radius = 10.0f;
  sphere->bounce = 0.7f;
  KeepAlive(p);
  p.radius = 1.0f;
  p.position = {0.0f, 0.0f, 12.0f, 1.0f};
  p.velocity = {0.0f, 0.0f, -2.0f, 1.0f};
  ASSERT_TRUE(CollideParticle(s, &p));
  // s = 4 / 24 = 1/6: contact at 12 - 2/6.
  EXPECT_NEAR(p.position.z, 11.6667f, 1e-4f);
  EXPECT_NEAR(p.velocity.z, 1.4f, 1e-6f);
  EXPECT_EQ(p.velocity.x, 0.0f);

  p.position = {0.0f, 0.0f, 12.0f, 1.0f};
  p.velocity = {0.0f, 0.0f, -2.0f, 1.0f};
  UpdateParticleSystem(s, 1.0f);
  EXPECT_NEAR(p.position.x, 0.0f, 1e-6f);
  EXPECT_NEAR(p.position.z, 13.0667f, 1e-4f);
}

TEST_F(Particles, SphereGlancingOffOrTangentMotionIsNoHit) {
  Particle p;
  ParticleSystem* s = OneSlot(p);
  ParticleCollider* sphere = AddCollider(s, ColliderSphere);
  InitParticle(&sphere->particle);
  sphere->particle.radius = 10.0f;
  sphere->bounce = 0.7f;
  KeepAlive(p);
  p.radius = 1.0f;
  // Moving at right angles to the centre while within reach: (O - p) . v = 0.
  p.position = {0.0f, 0.0f, 10.5f, 1.0f};
  p.velocity = {1.0f, 0.0f, 0.0f, 1.0f};
  EXPECT_FALSE(CollideParticle(s, &p));
  UpdateParticleSystem(s, 1.0f);
  EXPECT_EQ(p.position.x, 1.0f);
  EXPECT_EQ(p.position.z, 10.5f);
  EXPECT_EQ(p.velocity.x, 1.0f);

  // At rest inside the sphere: no division by zero either.
  p.position = {0.0f, 0.0f, 3.0f, 1.0f};
  p.velocity = {0.0f, 0.0f, 0.0f, 1.0f};
  UpdateParticleSystem(s, 1.0f);
  EXPECT_FALSE(std::isnan(p.position.z));
  EXPECT_EQ(p.position.z, 3.0f);
}

TEST_F(Particles, OnlyTheFirstColliderHitResponds) {
  Particle p;
  ParticleSystem* s = OneSlot(p);
  ParticleCollider* unknown = AddCollider(s, 9);  // kinds above 7 are skipped
  unknown->distance = 0.0f;
  ParticleCollider* first = AddCollider(s, ColliderFloor);
  first->distance = 0.0f;
  first->bounce = 0.5f;
  ParticleCollider* second = AddCollider(s, ColliderFloor);
  second->distance = 2.0f;
  second->bounce = 0.9f;
  KeepAlive(p);
  p.position = {0.0f, 0.0f, 1.0f, 1.0f};
  p.velocity = {0.0f, 0.0f, -2.0f, 1.0f};
  UpdateParticleSystem(s, 1.0f);
  // The first floor placed it at 0 with velocity 1; the second is not asked.
  EXPECT_EQ(p.velocity.z, 1.0f);
  EXPECT_EQ(p.position.z, 1.0f);
}

TEST_F(Particles, GeneralPlaneMatchesTheFloorItDescribes) {
  Particle a, b;
  ParticleSystem* floorSystem = OneSlot(a);
  ParticleCollider* floor = AddCollider(floorSystem, ColliderFloor);
  floor->distance = 3.0f;
  floor->bounce = 0.5f;
  ParticleSystem* planeSystem = OneSlot(b);
  ParticleCollider* plane = AddCollider(planeSystem, ColliderPlane);
  plane->normal = {0.0f, 0.0f, 1.0f, 1.0f};
  plane->point = {7.0f, -2.0f, 1.0f, 1.0f};
  plane->offset = 2.0f;  // the plane z = 1 + 2
  plane->bounce = 0.5f;
  for (Particle* p : {&a, &b}) {
    KeepAlive(*p);
    p->radius = 1.0f;
    p->position = {1.0f, 2.0f, 5.0f, 1.0f};
    p->velocity = {0.5f, 0.0f, -2.0f, 1.0f};
  }
  EXPECT_TRUE(CollideParticle(floorSystem, &a));
  EXPECT_TRUE(CollideParticle(planeSystem, &b));
  EXPECT_EQ(a.position.z, 4.0f);
  EXPECT_EQ(b.position.z, a.position.z);
  EXPECT_EQ(b.velocity.z, a.velocity.z);
  EXPECT_EQ(b.velocity.x, a.velocity.x);
  EXPECT_EQ(b.position.x, a.position.x);
}

TEST_F(Particles, FreeingSystemsEmptiesTheList) {
  ParticleSystem* a = CreateParticleSystem(2);
  ParticleSystem* b = CreateParticleSystem(2);
  ParticleSystem* c = CreateParticleSystem(2);
  AddEmitter(b, 1);
  AddForce(b, 1);
  AddCollider(b, 4);
  AddCollider(b, 7);
  EXPECT_EQ(ParticleSystems.first, a);
  EXPECT_EQ(ParticleSystems.last, c);
  ParticleSystems.current = b;
  FreeParticleSystem(b);
  EXPECT_EQ(ParticleSystems.current, nullptr);
  EXPECT_EQ(a->next, c);
  EXPECT_EQ(c->prev, a);
  FreeParticleSystems();
  EXPECT_EQ(ParticleSystems.first, nullptr);
  EXPECT_EQ(ParticleSystems.last, nullptr);
  EXPECT_EQ(ParticleSystems.current, nullptr);
}
