#include "FloatControl.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#if defined(_WIN32)
#include <float.h>
#endif

namespace {

// Volatile, so that nothing is computed while compiling, and every result
// is rounded to single precision where it is kept.
volatile float zero = 0.0f, one = 1.0f, three = 3.0f, big = 1e30f;
float Kept(float value) {
  volatile float kept = value;
  return kept;
}

TEST(FloatControl, EveryTrapIsMaskedAndRoundingGoesToNearestWhateverCameBefore) {
  // What a library may leave behind: every exception trapping, rounding
  // toward zero.
#if defined(_WIN32)
  _controlfp(0, _MCW_EM);
  _controlfp(_RC_CHOP, _MCW_RC);
#else
  feenableexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TOWARDZERO);
#endif
  MaskFloatingPointExceptions();
  EXPECT_TRUE(std::isinf(Kept(one / zero)));
  EXPECT_TRUE(std::isnan(Kept(zero / zero)));
  EXPECT_TRUE(std::isinf(Kept(big * big)));
  EXPECT_EQ(Kept(one / big / big), 0.0f);
  // Only to nearest does 1/3 round up in its last bit and -1/3 down.
  EXPECT_EQ(Kept(one / three), 0.333333343f);
  EXPECT_EQ(Kept(-one / three), -0.333333343f);
}

}  // namespace
