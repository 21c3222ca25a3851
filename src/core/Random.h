// The game's one random source. It deals values 0..32767 like the classic rand(), so every formula
// written as rand() / 32767 keeps its meaning. Seeded with --seed N, or with the calendar time.
#pragma once

#include <cstdint>

inline constexpr int kRandMax = 32767;

void SeedRandom(uint32_t seed);
// A value in [0, 32767].
int GameRand();
// rand() / (32767 / (max - min)) + min; equal bounds give min.
float RandomRange(float min, float max);
