// Without a display and without SDL_VIDEODRIVER, SDL falls back to drivers
// that draw nowhere. The layer must still report no display, so that a
// program stops with its reason instead of running unseen.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

namespace {

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(InvisibleDriver, NoDisplayMeansNoWindowEvenWhereSdlCouldFallBack) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("SDL_VIDEODRIVER");
  WNDCLASSA c{};
  c.lpfnWndProc = PlainProc;
  c.lpszClassName = "Unseen";
  ASSERT_NE(RegisterClassA(&c), 0);
  HWND window = CreateWindowExA(0, "Unseen", "Unseen", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

}  // namespace
