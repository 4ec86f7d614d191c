// The shared linear congruential generator: the same sequence on every run.
#include "effects/random.h"

static std::uint32_t RandomState = 1;

int Random() {
  RandomState = RandomState * 214013u + 2531011u;
  return static_cast<int>((RandomState >> 16) & 0x7FFFu);
}

float RandomUnit() {
  return static_cast<float>(Random()) * RandomScale;
}

std::uint32_t GetRandomState() { return RandomState; }

void SetRandomState(std::uint32_t state) { RandomState = state; }
