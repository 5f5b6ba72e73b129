#include "LayerSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "WindowRecord.h"

namespace support {

std::vector<Seen> seen;
std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> handler;

namespace {

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back(Seen{window, message, wParam, lParam});
  if (handler) {
    if (auto result = handler(window, message, wParam, lParam)) return *result;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RunLoopUntil(const std::function<bool()>& done, int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      usleep(1000);
    }
  }
}

// Each test starts from nothing: the windows of the test before are gone,
// the queue is empty, the desktop mode is back.
class CleanSlate : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    handler = nullptr;
    for (WindowRecord* w : winlayer::LiveWindows()) DestroyWindow(w);
    ChangeDisplaySettingsA(nullptr, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    seen.clear();
  }
};

const bool cleanSlateInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new CleanSlate);
  return true;
}();

}  // namespace

const char* RecordingClass() {
  static const char* name = [] {
    WNDCLASSA c{};
    c.style = CS_HREDRAW | CS_VREDRAW;
    c.lpfnWndProc = RecordingProc;
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.lpszClassName = "LayerTest";
    RegisterClassA(&c);
    return "LayerTest";
  }();
  return name;
}

HWND MakeWindow(DWORD style, int x, int y, int width, int height, const char* title) {
  return CreateWindowExA(0, RecordingClass(), title, style, x, y, width, height, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

SDL_Window* HostWindow(HWND window) {
  WindowRecord* w = winlayer::LiveWindow(window);
  return w != nullptr ? w->sdl : nullptr;
}

std::vector<Seen> SeenOf(UINT message) {
  std::vector<Seen> of;
  std::copy_if(seen.begin(), seen.end(), std::back_inserter(of),
               [&](const Seen& s) { return s.message == message; });
  return of;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) { return RunLoopUntil(done, timeoutMs); }

void PumpFor(int milliseconds) {
  RunLoopUntil([] { return false; }, milliseconds);
}

}  // namespace support
