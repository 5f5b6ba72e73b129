// Windows for the layer's tests under X: a class whose procedure records
// every message, and a message loop that runs until something has happened.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

struct SDL_Window;

namespace support {

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

// The recording class ("LayerTest"), registered on first use.
const char* RecordingClass();

HWND MakeWindow(DWORD style, int x, int y, int width, int height, const char* title = "Layer test");

SDL_Window* HostWindow(HWND window);

// The recorded messages of one kind, in order.
std::vector<Seen> SeenOf(UINT message);

// Polls, translates and dispatches until done() holds; false on timeout.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Polls and dispatches for a while (for checks that something did not happen).
void PumpFor(int milliseconds);

}  // namespace support
