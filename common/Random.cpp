#include "Random.h"

#include <windows.h>

RandomGenerator ProgramRandom;

namespace {
constexpr uint64_t kMultiplier = 6364136223846793005ULL;
constexpr uint64_t kIncrement = 1442695040888963407ULL;
}  // namespace

void RandomGenerator::Seed(uint32_t seed) {
  state_ = 0;
  Next();
  state_ += seed;
  Next();
}

uint32_t RandomGenerator::Next() {
  uint64_t old = state_;
  state_ = old * kMultiplier + kIncrement;
  auto xorshifted = static_cast<uint32_t>(((old >> 18) ^ old) >> 27);
  auto rot = static_cast<uint32_t>(old >> 59);
  return (xorshifted >> rot) | (xorshifted << ((32 - rot) & 31));
}

uint32_t RandomGenerator::Below(uint32_t n) {
  if (n == 0) return 0;
  // Values below 2^32 mod n would make the low results more likely; draw
  // again when one comes up.
  uint32_t threshold = (0u - n) % n;
  for (;;) {
    uint32_t r = Next();
    if (r >= threshold) return r % n;
  }
}

void SeedProgramRandom() {
  LARGE_INTEGER counter;
  if (QueryPerformanceCounter(&counter)) {
    ProgramRandom.Seed(static_cast<uint32_t>(counter.QuadPart));
  } else {
    ProgramRandom.Seed(GetTickCount());
  }
}
