// Tessel: the 2D gem game. The program opens one centred window and polls
// its messages until the game asks to quit or the window is closed;
// everything else happens in MainWindowProc.
#include <windows.h>

#include <cstdio>

#include "FloatControl.h"
#include "Globvars.h"
#include "MainWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showState);

namespace {

constexpr UINT kExitWithoutWindow = 1;

// Without a window the loop below would poll forever with nothing that
// could end it, so the program stops with the reason instead.
[[noreturn]] void FailToStart(const char* what) {
  std::fprintf(stderr, "Tessel: %s (error %lu)\n", what, static_cast<unsigned long>(GetLastError()));
  std::fflush(stderr);
  ExitProcess(kExitWithoutWindow);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previousInstance*/, LPSTR /*commandLine*/, int showState) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hIconSm = windowClass.hIcon;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kWindowTitle;
  if (RegisterClassExA(&windowClass) == 0) FailToStart("cannot register the window class");

  // Centred on the primary screen; windowWidth by windowHeight is the outer
  // size, frame and caption included. WM_CREATE sets up OpenGL and the first
  // game, and WM_SIZE then replaces the size with the client area's.
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - windowWidth / 2;
  const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - windowHeight / 2;
  HWND window = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, kWindowTitle, kWindowTitle,
                                WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y, windowWidth,
                                windowHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) FailToStart("cannot create the window");

  ShowCursor(TRUE);
  ShowWindow(window, showState);
  UpdateWindow(window);

  // The loop never waits: it polls at once when the queue is empty. All the
  // pacing comes from the game timer.
  MSG message{};
  while (!quitRequested) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quitRequested = true;
      } else {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
  }
  return static_cast<int>(message.wParam);
}

int main() {
  // Before any code of the game runs: nothing in floating point may trap.
  MaskFloatingPointExceptions();

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int showState = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;

  // Either way the loop ends, by Escape or by closing the window, the game
  // ended in order.
  WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), showState);
  return 0;
}
