// The layer on a host without a display: windows cannot be made, but
// classes, the queue, timers, the cursor counter, the trace and the
// message box (on standard error) all work.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "Cp1251.h"
#include "TestKit.h"
#include "Video.h"

namespace {

// No display, whatever the environment of the test run has.
const bool displayGone = [] {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  setenv("SDL_VIDEODRIVER", "x11", 1);
  return true;
}();

int procedureCalls = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ++procedureCalls;
  return DefWindowProcA(window, message, wParam, lParam);
}

void CALLBACK TimerRoutine(HWND, UINT message, UINT_PTR id, DWORD) {
  if (message == WM_TIMER) procedureCalls += static_cast<int>(id);
}

TEST(NoDisplay, ClassesRegisterOnceAndWindowsFailWithTheDocumentedError) {
  ASSERT_TRUE(displayGone);
  WNDCLASSA c{};
  c.lpfnWndProc = CountingProc;
  c.lpszClassName = "Gemora  от Vardelin"_cp;
  ATOM atom = RegisterClassA(&c);
  EXPECT_NE(atom, 0);

  // Class names ignore case, the Cyrillic letters' too.
  c.lpszClassName = "GEMORA  ОТ vardelin"_cp;
  SetLastError(0);
  EXPECT_EQ(RegisterClassA(&c), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

  // WNDCLASSEXA's size: sizeof here, or 48 as on 32-bit Windows; nothing else.
  WNDCLASSEXA ex{};
  ex.cbSize = 12;
  ex.lpfnWndProc = CountingProc;
  ex.lpszClassName = "Other";
  EXPECT_EQ(RegisterClassExA(&ex), 0);
  ex.cbSize = 48;
  EXPECT_NE(RegisterClassExA(&ex), 0);

  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));

  procedureCalls = 0;
  HWND window = CreateWindowExA(0, "gemora  от VARDELIN"_cp, "t", WS_OVERLAPPEDWINDOW, 0, 0, 350, 500,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(GetLastError(), winlayer::kNoDisplayError);
  EXPECT_EQ(procedureCalls, 0) << "no WM_CREATE for a window that was never made";
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_EQ(GetDC(window), nullptr);
}

TEST(NoDisplay, BadHandlesAreRefusedAndTimerRoutinesAreCalled) {
  HWND bogus = reinterpret_cast<HWND>(0x1234);
  MSG msg{};
  EXPECT_FALSE(PostMessageA(bogus, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_EQ(SendMessageA(bogus, WM_USER, 0, 0), 0);
  EXPECT_FALSE(PeekMessageA(&msg, bogus, 0, 0, PM_REMOVE));
  EXPECT_EQ(SetTimer(bogus, 1, 100, nullptr), 0u);

  // A message without a window goes nowhere; a timer message with a
  // routine calls the routine.
  msg.message = WM_USER;
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  procedureCalls = 0;
  msg.message = WM_TIMER;
  msg.wParam = 4;
  msg.lParam = reinterpret_cast<LPARAM>(&TimerRoutine);
  DispatchMessageA(&msg);
  EXPECT_EQ(procedureCalls, 4);

  UINT_PTR id = SetTimer(nullptr, 0, 100000, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_TRUE(KillTimer(nullptr, id));
  EXPECT_FALSE(KillTimer(nullptr, id));

  EXPECT_EQ(wglGetProcAddress("wglSwapIntervalEXT"), nullptr) << "nothing is found with no current context";
  EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
  EXPECT_EQ(wglCreateContext(nullptr), nullptr);
  EXPECT_FALSE(SwapBuffers(nullptr));
}

TEST(NoDisplay, MessageBoxWritesToStandardErrorAndTheTrace) {
  TraceFile trace;
  ::testing::internal::CaptureStderr();
  int result = MessageBoxA(nullptr, "Ошибка чтения"_cp, "Ошибка"_cp, MB_OK | MB_ICONERROR);
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(err, "Ошибка: Ошибка чтения\n");
  EXPECT_EQ(trace.Lines(), std::vector<std::string>{"MessageBoxA Ошибка"});
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

TEST(NoDisplay, CursorCounterBeepAndDisplayModesAreTraced) {
  TraceFile trace;
  int start = ShowCursor(TRUE) - 1;
  EXPECT_EQ(ShowCursor(FALSE), start);
  EXPECT_EQ(ShowCursor(FALSE), start - 1);
  EXPECT_EQ(ShowCursor(TRUE), start);
  EXPECT_TRUE(MessageBeep(0));

  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_EQ(LoadCursorA(GetModuleHandleA(nullptr), "MYCURSOR"), nullptr);
  SetCursor(arrow);
  EXPECT_EQ(SetCursor(nullptr), arrow);

  DEVMODEA mode = Mode(800, 600, 16);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_FAILED);
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);

  std::ostringstream arrowText;
  arrowText << "SetCursor 0x" << std::hex << reinterpret_cast<uintptr_t>(arrow);
  std::vector<std::string> expected = {
      "ShowCursor 1 -> " + std::to_string(start + 1),
      "ShowCursor 0 -> " + std::to_string(start),
      "ShowCursor 0 -> " + std::to_string(start - 1),
      "ShowCursor 1 -> " + std::to_string(start),
      "MessageBeep 0",
      arrowText.str(),
      "SetCursor 0",
      "ChangeDisplaySettingsA 800x600x16 4 -> -1",
      "ChangeDisplaySettingsA NULL 4 -> 0",
  };
  EXPECT_EQ(trace.Lines(), expected);
}

}  // namespace
