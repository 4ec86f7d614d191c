// Particle systems: slots pointing at the motion blocks of billboard sprites,
// one emitter, constant forces and plane/sphere colliders, stepped once per
// frame. All systems live in one list that is emptied at the start of a scene
// and freed at its end.
#pragma once

#include <cstdint>

#include "core/math.h"
#include "core/particle.h"
#include "core/registry.h"

// Force kinds (any other kind does nothing).
inline constexpr std::int32_t ForceConstant = 1;

// Collider kinds.
inline constexpr std::int32_t ColliderMinX = 0;     // keeps x >= distance + radius
inline constexpr std::int32_t ColliderMaxX = 1;     // keeps x <= distance - radius
inline constexpr std::int32_t ColliderMinY = 2;
inline constexpr std::int32_t ColliderMaxY = 3;
inline constexpr std::int32_t ColliderFloor = 4;    // keeps z >= distance + radius
inline constexpr std::int32_t ColliderCeiling = 5;  // keeps z <= distance - radius
inline constexpr std::int32_t ColliderPlane = 6;    // general plane: point, normal, offset
inline constexpr std::int32_t ColliderSphere = 7;   // centre and radius in `particle`

struct ParticleEmitter {
  std::int32_t kind;
  Particle particle;  // particle.position is the emission point
  float speedMin;
  float speedRange;
  Vec4 baseDirection;
  float baseWeight;
  float spread;  // 1.0 at creation
  std::int32_t delayMin;
  std::int32_t delayRange;
  std::int32_t lifetimeMin;
  std::int32_t lifetimeRange;
};

struct ParticleForce {
  std::int32_t kind;
  Vec4 direction;
  float strength;
  ParticleForce* next;
  ParticleForce* prev;
};

struct ParticleCollider {
  std::int32_t kind;
  float distance;     // axis planes (kinds 0-5)
  Vec4 normal;        // general plane (kind 6): unit normal,
  float offset;       // signed offset along the normal from
  Vec4 point;         // a point on the plane
  Particle particle;  // sphere (kind 7): centre = position, radius = radius
  float bounce;       // fraction of speed kept after a hit
  ParticleCollider* next;
  ParticleCollider* prev;
};

struct ParticleSystem {
  std::int32_t slotCount;
  Particle** slots;  // slotCount pointers, null until filled; not owned
  ParticleEmitter* emitter;
  ParticleForce* firstForce;
  ParticleForce* lastForce;
  ParticleCollider* firstCollider;
  ParticleCollider* lastCollider;
  ParticleSystem* next;
  ParticleSystem* prev;
};

// The list of all particle systems.
extern Registry<ParticleSystem> ParticleSystems;

// Allocation failures: every creator returns null and links nothing.

// A cleared system with slotCount null slots (a negative count is taken as 0),
// appended to the list.
ParticleSystem* CreateParticleSystem(std::int32_t slotCount);
// Creates the emitter on the first call; later calls return it unchanged.
ParticleEmitter* AddEmitter(ParticleSystem* system, std::int32_t kind);
// A cleared force of that kind, appended to the system's forces.
ParticleForce* AddForce(ParticleSystem* system, std::int32_t kind);
// A collider of that kind with bounce 0, appended to the system's colliders.
ParticleCollider* AddCollider(ParticleSystem* system, std::int32_t kind);

// InitParticle on every non-null slot.
void ResetParticles(ParticleSystem* system);

// One step: lives, then forces, colliders and motion for every non-null slot.
void UpdateParticleSystem(ParticleSystem* system, float dt);
// The life step alone: age, death with a fresh delay and lifetime, emission.
void UpdateParticleLives(ParticleSystem* system, float dt);
// Tests and responds to the system's colliders for one particle; true on a hit.
bool CollideParticle(const ParticleSystem* system, Particle* particle);

// Empties the list without freeing anything (start of a scene).
void InitParticleSystems();
// Frees one system (forces, emitter, colliders, slot array) and unlinks it.
void FreeParticleSystem(ParticleSystem* system);
// Frees every system and empties the list (end of a scene).
void FreeParticleSystems();
