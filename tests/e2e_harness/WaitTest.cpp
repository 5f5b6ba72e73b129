#include "Wait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(WaitUntil, ReturnsAsSoonAsTheConditionHolds) {
  int calls = 0;
  e2e::WaitUntil("the third look", 10s, [&] { return ++calls == 3; });
  EXPECT_EQ(calls, 3);

  // Even a zero timeout gives the condition its look after the deadline.
  calls = 0;
  EXPECT_NO_THROW(e2e::WaitUntil("the second look", 0ms, [&] { return ++calls == 2; }));
  EXPECT_EQ(calls, 2);
}

TEST(WaitUntil, TimesOutWithWhatItAwaitedAndWhatItSaw) {
  int calls = 0;
  auto start = Clock::now();
  try {
    e2e::WaitUntil(
        "the moon to turn blue", 200ms, [&] { return ++calls < 0; },
        [&] { return "white after " + std::to_string(calls) + " looks"; });
    FAIL() << "no timeout";
  } catch (const e2e::WaitTimeout& timeout) {
    std::string message = timeout.what();
    EXPECT_TRUE(message.starts_with(
        "timed out after 0.2 s waiting for the moon to turn blue; last seen: white after "))
        << message;
  }
  auto waited = Clock::now() - start;
  EXPECT_GE(waited, 200ms);
  EXPECT_LT(waited, 5s) << "the wait overran its timeout by far";
  EXPECT_GT(calls, 2) << "it polled";
}

TEST(WaitUntil, AnErrorInTheConditionEndsTheWaitAsItIs) {
  int calls = 0;
  EXPECT_THROW(e2e::WaitUntil("a window", 10s,
                              [&]() -> bool {
                                if (++calls == 2) throw e2e::HarnessError("window 0x1 no longer exists");
                                return false;
                              }),
               e2e::HarnessError);
  EXPECT_EQ(calls, 2);
}

TEST(Printable, EscapesWhatATerminalWouldMangleAndCutsLongText) {
  EXPECT_EQ(e2e::Printable("Place 1\r\n\"Вася\"\t\\"), "\"Place 1\\r\\n\\\"Вася\\\"\\x09\\\\\"");
  EXPECT_EQ(e2e::Printable(std::string("a\0b", 3)), "\"a\\x00b\"");
  EXPECT_EQ(e2e::Printable("abcdef", 3), "\"abc\"... (6 bytes)");
  EXPECT_EQ(e2e::Seconds(1500ms), "1.5 s");
}

}  // namespace
