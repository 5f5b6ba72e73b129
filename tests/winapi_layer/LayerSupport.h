// Windows for the layer's tests under X: a class whose procedure records
// every message, message loops that run until something has happened, and
// the X window behind a window.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

#include "XSession.h"

struct SDL_Window;

namespace support {

using namespace std::chrono_literals;

struct Seen {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Every message the recording procedure was given, in order.
extern std::vector<Seen> seen;

// When set, the procedure asks it first; a value it returns is the
// procedure's result, and DefWindowProcA is not called.
extern std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> handler;

// A window of the recording class.
HWND MakeWindow(DWORD style, int x, int y, int width, int height, const char* title = "Layer test");

SDL_Window* HostWindow(HWND window);
e2e::WindowId XWindow(HWND window);

// The recorded messages of one kind, in order.
std::vector<Seen> SeenOf(UINT message);
// The wParams of the recorded messages of one kind, in order.
std::vector<WPARAM> ParamsOf(UINT message);
// The recorded messages of the kinds wanted, as their kinds, in order.
std::vector<UINT> Kinds(std::initializer_list<UINT> wanted);

// Polls, translates and dispatches until done() holds; throws
// e2e::WaitTimeout, naming `what`, after the timeout.
void PumpUntil(std::string_view what, const std::function<bool()>& done, e2e::Duration timeout = 5s);

// Polls and dispatches for a while (for checks that something did not happen).
void PumpFor(e2e::Duration time);

}  // namespace support
