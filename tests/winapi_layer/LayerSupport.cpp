#include "LayerSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "WindowRecord.h"
#include "XServer.h"

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

void DispatchWaiting() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
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

HWND MakeWindow(DWORD style, int x, int y, int width, int height, const char* title) {
  static const bool registered = [] {
    WNDCLASSA c{};
    c.style = CS_HREDRAW | CS_VREDRAW;
    c.lpfnWndProc = RecordingProc;
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.lpszClassName = "LayerTest";
    return RegisterClassA(&c) != 0;
  }();
  EXPECT_TRUE(registered);
  return CreateWindowExA(0, "LayerTest", title, style, x, y, width, height, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

SDL_Window* HostWindow(HWND window) {
  WindowRecord* w = winlayer::LiveWindow(window);
  return w != nullptr ? w->sdl : nullptr;
}

e2e::WindowId XWindow(HWND window) { return xserver::WindowOf(HostWindow(window)); }

std::vector<Seen> SeenOf(UINT message) {
  std::vector<Seen> of;
  std::copy_if(seen.begin(), seen.end(), std::back_inserter(of),
               [&](const Seen& s) { return s.message == message; });
  return of;
}

std::vector<WPARAM> ParamsOf(UINT message) {
  std::vector<WPARAM> params;
  for (const auto& s : SeenOf(message)) params.push_back(s.wParam);
  return params;
}

std::vector<UINT> Kinds(std::initializer_list<UINT> wanted) {
  std::vector<UINT> kinds;
  for (const auto& s : seen) {
    if (std::find(wanted.begin(), wanted.end(), s.message) != wanted.end()) kinds.push_back(s.message);
  }
  return kinds;
}

void PumpUntil(std::string_view what, const std::function<bool()>& done, e2e::Duration timeout) {
  e2e::WaitUntil(what, timeout, [&] {
    DispatchWaiting();
    return done();
  });
}

void PumpFor(e2e::Duration time) {
  auto end = std::chrono::steady_clock::now() + time;
  while (std::chrono::steady_clock::now() < end) {
    DispatchWaiting();
    std::this_thread::sleep_for(1ms);
  }
}

}  // namespace support
