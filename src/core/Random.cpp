#include "core/Random.h"

#include <random>

namespace {
std::mt19937& Engine() {
  static std::mt19937 engine(1u);
  return engine;
}
}  // namespace

void SeedRandom(uint32_t seed) { Engine().seed(seed); }

int GameRand() { return static_cast<int>(Engine()() >> 17); }  // 15 bits: 0..32767

float RandomRange(float min, float max) {
  // The draw is taken even for equal bounds, so a seeded run deals the same sequence whatever the
  // ranges hold.
  int draw = GameRand();
  if (max == min) return min;
  return static_cast<float>(draw) / (static_cast<float>(kRandMax) / (max - min)) + min;
}
