#include "RuntimeError.h"

#include <gtest/gtest.h>

namespace {

TEST(RuntimeError, TextRightAlignsTheCodeAndGivesEightHexDigits) {
  EXPECT_EQ(RuntimeErrorText(2, 0x0040A1B2), "Runtime error   2 at 0040A1B2");
  EXPECT_EQ(RuntimeErrorText(106, 0xDEADBEEF), "Runtime error 106 at DEADBEEF");
  EXPECT_EQ(RuntimeErrorText(5, 0), "Runtime error   5 at 00000000");
}

// On Windows the box is a real one that waits for its button, so the child
// process is watched on the other hosts only.
#if !defined(_WIN32)
TEST(RuntimeErrorDeathTest, EndsTheProcessWithTheCodeAfterTheBox) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(FatalRuntimeError(2), ::testing::ExitedWithCode(2), "Error: Runtime error   2 at ");
  EXPECT_EXIT(FatalRuntimeError(106), ::testing::ExitedWithCode(106), "Runtime error 106 at ");
  // A code past one byte: the text keeps it whole, the exit status is its low byte.
  EXPECT_EXIT(FatalRuntimeError(1224), ::testing::ExitedWithCode(1224 & 0xFF), "Runtime error 1224 at ");
}
#endif

}  // namespace
