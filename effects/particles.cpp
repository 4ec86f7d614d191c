// Particle systems: creation, the per-frame step (lives, forces, colliders,
// motion) and the list of systems.
#include "effects/particles.h"

#include <cstdlib>

#include "effects/random.h"

Registry<ParticleSystem> ParticleSystems;

template <typename T>
static T* AllocateCleared() {
  return static_cast<T*>(std::calloc(1, sizeof(T)));
}

ParticleSystem* CreateParticleSystem(std::int32_t slotCount) {
  if (slotCount < 0) slotCount = 0;
  auto* system = AllocateCleared<ParticleSystem>();
  if (!system) return nullptr;
  if (slotCount > 0) {
    system->slots = static_cast<Particle**>(std::calloc(slotCount, sizeof(Particle*)));
    if (!system->slots) {
      std::free(system);
      return nullptr;
    }
  }
  system->slotCount = slotCount;
  LinkLast(ParticleSystems, system);
  return system;
}

ParticleEmitter* AddEmitter(ParticleSystem* system, std::int32_t kind) {
  if (!system) return nullptr;
  if (system->emitter) return system->emitter;
  auto* emitter = AllocateCleared<ParticleEmitter>();
  if (!emitter) return nullptr;
  emitter->kind = kind;
  InitParticle(&emitter->particle);
  emitter->baseDirection = {0.0f, 0.0f, 0.0f, 1.0f};
  emitter->spread = 1.0f;
  system->emitter = emitter;
  return emitter;
}

ParticleForce* AddForce(ParticleSystem* system, std::int32_t kind) {
  if (!system) return nullptr;
  auto* force = AllocateCleared<ParticleForce>();
  if (!force) return nullptr;
  force->kind = kind;
  LinkLast(system->firstForce, system->lastForce, force);
  return force;
}

ParticleCollider* AddCollider(ParticleSystem* system, std::int32_t kind) {
  if (!system) return nullptr;
  auto* collider = AllocateCleared<ParticleCollider>();
  if (!collider) return nullptr;
  collider->kind = kind;
  collider->bounce = 0.0f;
  LinkLast(system->firstCollider, system->lastCollider, collider);
  return collider;
}

void ResetParticles(ParticleSystem* system) {
  if (!system) return;
  for (std::int32_t i = 0; i < system->slotCount; ++i) {
    if (system->slots[i]) InitParticle(system->slots[i]);
  }
}

// A fresh delay and lifetime, both counted from this moment (age 0).
static void KillParticle(Particle* p, const ParticleEmitter& e) {
  p->state = ParticleWaiting;
  float u = RandomUnit();
  p->delay = static_cast<std::int32_t>(u * static_cast<float>(e.delayRange) +
                                       static_cast<float>(e.delayMin));
  u = RandomUnit();
  p->lifetime = static_cast<std::int32_t>(u * static_cast<float>(e.lifetimeRange) +
                                          static_cast<float>(e.lifetimeMin));
  p->age = 0.0f;
}

static void EmitParticle(Particle* p, const ParticleEmitter& e) {
  p->state = ParticleAlive;
  // Three draws in x, y, z order.
  Vec4 d;
  d.x = RandomUnit() * 2.0f - 1.0f;
  d.y = RandomUnit() * 2.0f - 1.0f;
  d.z = RandomUnit() * 2.0f - 1.0f;
  d.w = 1.0f;
  VecNormalize(d);
  float speed = RandomUnit() * e.speedRange + e.speedMin;
  float scale = speed * e.spread;
  p->velocity.x = d.x * scale + e.baseDirection.x * e.baseWeight;
  p->velocity.y = d.y * scale + e.baseDirection.y * e.baseWeight;
  p->velocity.z = d.z * scale + e.baseDirection.z * e.baseWeight;
  p->position.x = e.particle.position.x;
  p->position.y = e.particle.position.y;
  p->position.z = e.particle.position.z;
}

void UpdateParticleLives(ParticleSystem* system, float dt) {
  if (!system) return;
  const ParticleEmitter* emitter = system->emitter;
  for (std::int32_t i = 0; i < system->slotCount; ++i) {
    Particle* p = system->slots[i];
    if (!p) continue;
    p->age += dt;
    // Without an emitter there is nothing to die or be born from: the
    // particle keeps its state and only ages.
    if (!emitter) continue;
    if (p->state == ParticleAlive && p->age >= static_cast<float>(p->lifetime)) {
      KillParticle(p, *emitter);
    } else if (p->state == ParticleWaiting && p->age >= static_cast<float>(p->delay)) {
      EmitParticle(p, *emitter);
    }
  }
}

// Axis planes: axis 0, 1, 2 = x, y, z; lower keeps the particle above the
// plane (kinds 0, 2, 4), otherwise below (kinds 1, 3, 5).
static bool CollideAxisPlane(const ParticleCollider& c, Particle* p, int axis, bool lower) {
  float* position = &p->position.x + axis;
  float* velocity = &p->velocity.x + axis;
  float next = *position + *velocity;
  float r = p->radius;
  if (lower) {
    if (next - r > c.distance) return false;
    *position = c.distance + r;
  } else {
    if (next + r < c.distance) return false;
    *position = c.distance - r;
  }
  *velocity = -*velocity * c.bounce;
  return true;
}

// General plane: signed distance s(q) = (q - point) . normal - offset. Keeps
// the particle at least its radius on the normal's side and reflects the
// normal part of the velocity with the bounce, like the axis planes.
static bool CollideGeneralPlane(const ParticleCollider& c, Particle* p) {
  Vec4 next = VecAdd(p->position, p->velocity);
  float r = p->radius;
  if (VecDot(VecSub(next, c.point), c.normal) - c.offset > r) return false;
  float s = VecDot(VecSub(p->position, c.point), c.normal) - c.offset;
  float push = r - s;
  p->position.x += c.normal.x * push;
  p->position.y += c.normal.y * push;
  p->position.z += c.normal.z * push;
  float vn = VecDot(p->velocity, c.normal) * (1.0f + c.bounce);
  p->velocity.x -= c.normal.x * vn;
  p->velocity.y -= c.normal.y * vn;
  p->velocity.z -= c.normal.z * vn;
  return true;
}

static bool CollideSphere(const ParticleCollider& c, Particle* p) {
  const Vec4& centre = c.particle.position;
  Vec4 v = p->velocity;
  Vec4 next = VecAdd(p->position, v);
  if (VecLength(VecSub(next, centre)) > c.particle.radius + p->radius) return false;
  float approach = VecDot(VecSub(centre, p->position), v);
  // Moving neither towards nor away from the centre (or not moving): the
  // contact point is undefined, so this step has no hit.
  if (approach == 0.0f) return false;
  float s = VecDot(v, v) / approach;
  Vec4 contact{p->position.x + v.x * s, p->position.y + v.y * s, p->position.z + v.z * s, 1.0f};
  Vec4 m = VecSub(contact, centre);
  VecNormalize(m);
  Vec4 a{-v.x, -v.y, -v.z, 1.0f};
  VecNormalize(a);
  float k = VecDot(a, m);
  Vec4 d{2.0f * k * m.x - a.x, 2.0f * k * m.y - a.y, 2.0f * k * m.z - a.z, 1.0f};
  VecNormalize(d);
  // The speed is taken before the change: direction * |v| * bounce.
  float speed = VecLength(v);
  p->position.x = contact.x;
  p->position.y = contact.y;
  p->position.z = contact.z;
  p->velocity.x = d.x * speed * c.bounce;
  p->velocity.y = d.y * speed * c.bounce;
  p->velocity.z = d.z * speed * c.bounce;
  return true;
}

static bool Collide(const ParticleCollider& c, Particle* p) {
  switch (c.kind) {
    case ColliderMinX: return CollideAxisPlane(c, p, 0, true);
    case ColliderMaxX: return CollideAxisPlane(c, p, 0, false);
    case ColliderMinY: return CollideAxisPlane(c, p, 1, true);
    case ColliderMaxY: return CollideAxisPlane(c, p, 1, false);
    case ColliderFloor: return CollideAxisPlane(c, p, 2, true);
    case ColliderCeiling: return CollideAxisPlane(c, p, 2, false);
    case ColliderPlane: return CollideGeneralPlane(c, p);
    case ColliderSphere: return CollideSphere(c, p);
    default: return false;
  }
}

bool CollideParticle(const ParticleSystem* system, Particle* particle) {
  // Only the first collider that reports a hit responds in one step.
  for (const ParticleCollider* c = system->firstCollider; c; c = c->next) {
    if (Collide(*c, particle)) return true;
  }
  return false;
}

void UpdateParticleSystem(ParticleSystem* system, float dt) {
  if (!system) return;
  UpdateParticleLives(system, dt);
  for (std::int32_t i = 0; i < system->slotCount; ++i) {
    Particle* p = system->slots[i];
    if (!p) continue;
    // Waiting particles are moved too; the time step does not scale forces.
    for (const ParticleForce* f = system->firstForce; f; f = f->next) {
      if (f->kind != ForceConstant) continue;
      p->velocity.x += f->direction.x * f->strength;
      p->velocity.y += f->direction.y * f->strength;
      p->velocity.z += f->direction.z * f->strength;
    }
    CollideParticle(system, p);
    p->position.x += p->velocity.x;
    p->position.y += p->velocity.y;
    p->position.z += p->velocity.z;
  }
}

void InitParticleSystems() {
  ParticleSystems = {};
}

void FreeParticleSystem(ParticleSystem* system) {
  if (!system) return;
  for (ParticleForce* f = system->firstForce; f;) {
    ParticleForce* next = f->next;
    std::free(f);
    f = next;
  }
  std::free(system->emitter);
  for (ParticleCollider* c = system->firstCollider; c;) {
    ParticleCollider* next = c->next;
    std::free(c);
    c = next;
  }
  // The slots point into sprites, which own their particles.
  std::free(system->slots);
  Unlink(ParticleSystems, system);
  std::free(system);
}

void FreeParticleSystems() {
  for (ParticleSystem* s = ParticleSystems.first; s;) {
    ParticleSystem* next = s->next;
    FreeParticleSystem(s);
    s = next;
  }
  ParticleSystems = {};
}
