#include "FloatControl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

volatile float zero = 0.0f;

TEST(FloatControl, DivisionByZeroAndInvalidOperationsDoNotTrap) {
  MaskFloatingPointExceptions();
  float inf = 1.0f / zero;
  float nan = zero / zero;
  EXPECT_TRUE(std::isinf(inf));
  EXPECT_TRUE(std::isnan(nan));
  // Rounding to nearest: 1/3 in single precision rounds up in its last bit.
  EXPECT_EQ(1.0f / 3.0f, 0.333333343f);
}

}  // namespace
