// The motion block shared by sprites, mesh objects, particle emitters and
// colliders: a position first, then what the particle system steps.
#pragma once

#include <cstdint>

#include "core/math.h"

// Particle life states.
inline constexpr std::int32_t ParticleAlive = 0;
inline constexpr std::int32_t ParticleWaiting = 1;

// The motion block of a sprite, a mesh object, an emitter or a collider. The
// first vector is the owner's position.
struct Particle {
  Vec4 position;       // (0, 0, 0, 1)
  Vec4 velocity;       // displacement per step
  Vec4 spareVector;    // not used by the particle system
  Vec4 rotation;       // Euler angles in radians (mesh objects)
  Vec4 spareVector2;   // not used by the particle system
  float spareScale;    // 1.0, not used by the particle system
  float radius;        // collision radius
  float spareFloat;    // not used by the particle system
  std::int32_t state;  // ParticleAlive or ParticleWaiting
  std::uint8_t flag;   // never set by the program
  std::int32_t delay;     // age at which a waiting particle is emitted
  std::int32_t lifetime;  // age at which an alive particle dies
  float age;              // steps since the particle last died
};

// Initial values: vectors (0, 0, 0, 1), spareScale 1, waiting, delay and
// lifetime -1, age -1 (so the first update emits at once).
void InitParticle(Particle* particle);
