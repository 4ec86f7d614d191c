// Particle-system step cost: 400 sprites' particles under gravity, bouncing on
// a floor and a sphere, as the busiest scene sets them up.
#include <benchmark/benchmark.h>

#include <vector>

#include "effects/particles.h"

static void BM_UpdateParticleSystem(benchmark::State& state) {
  const int count = 400;
  InitParticleSystems();
  std::vector<Particle> particles(count);
  ParticleSystem* system = CreateParticleSystem(count);
  for (int i = 0; i < count; ++i) system->slots[i] = &particles[i];

  ParticleEmitter* emitter = AddEmitter(system, 1);
  emitter->particle.position = {0.0f, 0.0f, 600.0f, 1.0f};
  emitter->speedMin = 4.0f;
  emitter->speedRange = 8.0f;
  emitter->spread = 1.0f;
  emitter->delayMin = 1;
  emitter->delayRange = 100;
  emitter->lifetimeMin = 150;
  emitter->lifetimeRange = 100;

  ParticleForce* gravity = AddForce(system, ForceConstant);
  gravity->direction = {0.0f, 0.0f, -1.0f, 1.0f};
  gravity->strength = 0.25f;

  ParticleCollider* floor = AddCollider(system, ColliderFloor);
  floor->distance = 0.0f;
  floor->bounce = 1.0f;

  ParticleCollider* sphere = AddCollider(system, ColliderSphere);
  InitParticle(&sphere->particle);
  sphere->particle.position = {0.0f, 0.0f, 382.0f, 1.0f};
  sphere->particle.radius = 150.0f;
  sphere->bounce = 0.9f;

  ResetParticles(system);
  for (Particle& p : particles) p.radius = 8.0f;
  // Settle into the steady mix of waiting, flying and bouncing particles.
  for (int i = 0; i < 500; ++i) UpdateParticleSystem(system, 1.0f);

  for (auto _ : state) {
    UpdateParticleSystem(system, 1.0f);
    benchmark::DoNotOptimize(particles.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * count);
  // Seconds per particle step (shown with an SI prefix, e.g. 12n = 12 ns).
  state.counters["per_particle"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * count,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  FreeParticleSystems();
}
BENCHMARK(BM_UpdateParticleSystem);

BENCHMARK_MAIN();
