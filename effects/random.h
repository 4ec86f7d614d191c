// The program-wide random generator: one 32-bit state starting at 1, never
// reseeded, so every run draws the same sequence in the same order.
#pragma once

#include <cstdint>

// Callers scale a draw to [0, 1) with this single-precision constant.
inline constexpr float RandomScale = 0.000030518f;

// state = state * 214013 + 2531011 (mod 2^32); returns (state >> 16) & 0x7FFF.
int Random();
// One draw scaled to [0, 1): Random() * RandomScale, rounded to float.
float RandomUnit();

// For tests only: read or replace the generator's state.
std::uint32_t GetRandomState();
void SetRandomState(std::uint32_t state);
