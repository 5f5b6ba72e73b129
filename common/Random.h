// The pseudo-random generator of both programs: a small permuted
// congruential generator (PCG32) with a 32-bit seed. Each program draws from
// its one instance, ProgramRandom, seeded once at start-up.
#pragma once

#include <cstdint>

class RandomGenerator {
 public:
  void Seed(uint32_t seed);
  // The next 32 random bits.
  uint32_t Next();
  // A uniformly distributed whole number in 0..n-1 (0 when n is 0).
  uint32_t Below(uint32_t n);

 private:
  uint64_t state_ = 0x853C49E6748FEA9BULL;
};

extern RandomGenerator ProgramRandom;

// Seeds ProgramRandom from the low 32 bits of the performance counter, or
// from the millisecond tick count when that counter is not available.
void SeedProgramRandom();
