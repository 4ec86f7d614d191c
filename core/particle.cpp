#include "core/particle.h"

void InitParticle(Particle* particle) {
  const Vec4 origin{0.0f, 0.0f, 0.0f, 1.0f};
  particle->position = origin;
  particle->velocity = origin;
  particle->spareVector = origin;
  particle->rotation = origin;
  particle->spareVector2 = origin;
  particle->spareScale = 1.0f;
  particle->radius = 0.0f;
  particle->spareFloat = 0.0f;
  particle->state = ParticleWaiting;
  particle->flag = 0;
  particle->delay = -1;
  particle->lifetime = -1;
  particle->age = -1.0f;
}
