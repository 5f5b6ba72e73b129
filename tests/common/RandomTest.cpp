#include "Random.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

TEST(RandomGenerator, TheSameSeedRepeatsItsSequenceAnotherSeedOrTheClockDoNot) {
  RandomGenerator a, b, c;
  a.Seed(12345);
  b.Seed(12345);
  c.Seed(12346);
  int same = 0;
  for (int i = 0; i < 100; ++i) {
    const uint32_t x = a.Next();
    EXPECT_EQ(x, b.Next());
    same += x == c.Next();
  }
  EXPECT_LT(same, 3);

  SeedProgramRandom();
  const uint32_t first = ProgramRandom.Next();
  SeedProgramRandom();
  EXPECT_NE(first, ProgramRandom.Next());
}

// Draws counted in equal parts of each range, their spread checked by
// chi-square (27.9 is the 0.1% point for 8 degrees of freedom). Below
// 3 * 2^30 the raw value modulo n would make the lowest third twice as
// likely as either other.
TEST(RandomGenerator, BelowStaysInRangeAndHitsEveryPartEvenly) {
  RandomGenerator rng;
  rng.Seed(7);
  for (uint32_t n : {6u, 9u, 3u << 30}) {
    const uint32_t parts = n <= 9 ? n : 3;
    std::array<int, 9> counts{};
    const int draws = 90000;
    for (int i = 0; i < draws; ++i) {
      const uint32_t v = rng.Below(n);
      ASSERT_LT(v, n);
      ++counts[static_cast<uint64_t>(v) * parts / n];
    }
    const double expected = static_cast<double>(draws) / parts;
    double chi = 0;
    for (uint32_t part = 0; part < parts; ++part) chi += std::pow(counts[part] - expected, 2) / expected;
    EXPECT_LT(chi, 27.9) << "n = " << n;
  }
  EXPECT_EQ(rng.Below(1), 0u);
  EXPECT_EQ(rng.Below(0), 0u);
}

}  // namespace
