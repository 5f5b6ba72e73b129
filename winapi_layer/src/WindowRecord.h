// What an HWND points at, and what the layer's window, message, OpenGL and
// display parts share about windows.
//
// A window is an SDL window whose drawable area is the client area. The
// frame around it is the window manager's; its size (SDL_GetWindowBordersSize)
// turns Windows' outer sizes into client sizes. Records of destroyed windows
// are kept, marked dead, so that a stale handle is always safe to look up.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "Handles.h"
#include "MessageQueue.h"
#include "WindowState.h"

struct SDL_Window;

namespace winlayer {

struct Frame {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
  bool operator==(const Frame&) const = default;
};

// Whether a window of this style gets a frame from the window manager: a
// popup window without a caption has none.
bool Framed(DWORD style);

}  // namespace winlayer

struct WindowRecord {
  bool alive = true;
  bool destroying = false;
  SDL_Window* sdl = nullptr;
  uint32_t sdlId = 0;

  WNDPROC procedure = nullptr;
  DWORD style = 0;      // without WS_VISIBLE, WS_MINIMIZE, WS_MAXIMIZE: those are the fields below
  std::string caption;  // Windows-1251

  // Outer rectangle in the normal (not minimised, not maximised) state.
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  winlayer::Frame frame;  // the decorations the client area sits in

  bool visible = false;
  winlayer::HostView known;                      // the state and client size the program was told
  std::optional<winlayer::ShowState> requested;  // the state the layer asked the host for
  bool fullscreen = false;                       // covers the display in the mode that was set
  int fullscreenWidth = 0;
  int fullscreenHeight = 0;
  uint32_t fullscreenFormat = 0;

  DeviceContextRecord dc;
};

namespace winlayer {

MessageQueue& Queue();

// The live window of a handle, or nullptr for a handle that is not (or no
// longer) a window.
WindowRecord* LiveWindow(HWND window);
WindowRecord* WindowOfHostId(uint32_t sdlWindowId);
WindowRecord* WindowOfDeviceContext(HDC dc);
std::vector<WindowRecord*> LiveWindows();

// The window that keyboard input goes to: the one the host last gave the
// focus or that was last shown, as long as it is visible.
WindowRecord* ActiveWindow();
void Activate(WindowRecord& window);

// Calls the window procedure.
LRESULT Deliver(WindowRecord& window, UINT message, WPARAM wParam, LPARAM lParam);

// Brings what the program knows of the window in line with the host: the
// state and the client size, with the system command that a change made by
// the window manager stands for, and WM_SIZE. redraw: a change of size
// makes the window need painting.
void SyncWithHost(WindowRecord& window, bool redraw);

// Keeps the outer size when the window manager's frame turns out other
// than assumed (frames are known only once a window is shown).
void FitToFrame(WindowRecord& window);

// Marks a visible window as needing WM_PAINT.
void Invalidate(WindowRecord& window);

// Full screen (Display.cpp): a visible popup window that covers the
// display in the mode ChangeDisplaySettingsA set shows in that mode.
void UpdateFullscreen(WindowRecord& window);

// Posts input from the host (Messages.cpp).
void PostHostInput(WindowRecord& window, UINT message, WPARAM wParam, LPARAM lParam, uint32_t keyState);

// The sound of MessageBeep, through the host window's display (X11Host.cpp).
void RingBell(SDL_Window* window);

// Sets the caption the window manager shows, whatever the C library's
// locale, and waits until the display has it, as on Windows.
void SetHostTitle(SDL_Window* window, const char* utf8);

}  // namespace winlayer
