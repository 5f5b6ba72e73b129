#include "Random.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

TEST(RandomGenerator, SameSeedSameSequenceAndDifferentSeedsDiffer) {
  RandomGenerator a, b, c;
  a.Seed(12345);
  b.Seed(12345);
  c.Seed(12346);
  int same = 0;
  for (int i = 0; i < 100; ++i) {
    uint32_t x = a.Next();
    EXPECT_EQ(x, b.Next());
    same += x == c.Next();
  }
  EXPECT_LT(same, 3);
}

TEST(RandomGenerator, BelowStaysInRangeAndHitsEveryValueEvenly) {
  RandomGenerator rng;
  rng.Seed(7);
  for (uint32_t n : {1u, 6u, 9u}) {
    std::array<int, 9> counts{};
    const int draws = 90000;
    for (int i = 0; i < draws; ++i) {
      uint32_t v = rng.Below(n);
      ASSERT_LT(v, n);
      ++counts[v];
    }
    // Chi-square against the uniform distribution; 27.9 is the 0.1% point
    // for 8 degrees of freedom.
    double expected = static_cast<double>(draws) / n, chi = 0;
    for (uint32_t v = 0; v < n; ++v) chi += std::pow(counts[v] - expected, 2) / expected;
    EXPECT_LT(chi, 27.9) << "n = " << n;
  }
  EXPECT_EQ(rng.Below(0), 0u);
}

TEST(RandomGenerator, LargeRangesAreNotBiasedTowardSmallValues) {
  // With n = 3 * 2^30, taking the raw value modulo n would make the lowest
  // third twice as likely as the rest.
  RandomGenerator rng;
  rng.Seed(99);
  const uint32_t n = 3u << 30;
  int low = 0;
  const int draws = 30000;
  for (int i = 0; i < draws; ++i) low += rng.Below(n) < (1u << 30);
  EXPECT_NEAR(low / static_cast<double>(draws), 1.0 / 3.0, 0.02);
}

TEST(RandomGenerator, ProgramInstanceSeedsFromTheClock) {
  SeedProgramRandom();
  uint32_t first = ProgramRandom.Next();
  SeedProgramRandom();
  EXPECT_NE(first, ProgramRandom.Next());
}

}  // namespace
