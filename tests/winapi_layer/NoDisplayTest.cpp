// The layer on a host without a display.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "Video.h"

namespace {

// No display, and no video driver asked for, whatever the environment of
// the test run has.
const bool displayGone = [] {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("SDL_VIDEODRIVER");
  return true;
}();

// SDL then falls back to drivers that draw nowhere. The layer must still
// report no display, so that a program stops with its reason instead of
// running unseen.
TEST(NoDisplay, NoWindowEvenWhereSdlCouldFallBack) {
  ASSERT_TRUE(displayGone);
  WNDCLASSA c{};
  c.lpfnWndProc = DefWindowProcA;
  c.lpszClassName = "Unseen";
  ASSERT_NE(RegisterClassA(&c), 0);
  EXPECT_EQ(CreateWindowExA(0, "Unseen", "Unseen", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

// A display driver without boxes of its own: SDL then tries those of X,
// which has no display here, and the failure must say so with SDL's reason.
TEST(NoDisplayDeathTest, ABoxTheDisplayCannotShowIsReportedWithItsReason) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a process whose video has not started
  EXPECT_EXIT(
      {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        int result = MessageBoxA(nullptr, "Runtime error   2 at 00401000", "Error", MB_OK | MB_ICONERROR);
        std::exit(result == 0 && winlayer::VideoStarted() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0),
      "Error: Runtime error   2 at 00401000\nMessageBoxA: the box could not be shown: [^\n]");
}

}  // namespace
