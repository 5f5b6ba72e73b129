// Window classes, windows and the default window procedure over SDL.
#include <SDL2/SDL.h>
#include <windows.h>

#include <algorithm>
#include <memory>

#include "Cp1251.h"
#include "Video.h"
#include "WindowRecord.h"

namespace {

using winlayer::Frame;
using winlayer::ShowState;

constexpr DWORD kInvalidIndexError = 1413;  // ERROR_INVALID_INDEX

struct WindowClass {
  ATOM atom;
  std::string name;  // Windows-1251
  WNDPROC procedure;
};

std::vector<std::unique_ptr<WindowClass>> classes;
std::vector<std::unique_ptr<WindowRecord>> windows;  // never freed: see WindowRecord.h
ATOM nextAtom = 0xC000;
Frame lastFrame;  // the frame the window manager last gave a framed window
WindowRecord* active = nullptr;

// The programs name their classes the same way each time; the names are
// compared as they are.
WindowClass* FindClass(LPCSTR name) {
  if (name == nullptr) return nullptr;
  for (auto& c : classes) {
    if (c->name == name) return c.get();
  }
  return nullptr;
}

ATOM Register(LPCSTR name, WNDPROC procedure) {
  if (name == nullptr || *name == '\0' || procedure == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (FindClass(name) != nullptr) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  classes.push_back(std::make_unique<WindowClass>(WindowClass{nextAtom, name, procedure}));
  return nextAtom++;
}

WindowRecord* Checked(HWND window) {
  WindowRecord* w = winlayer::LiveWindow(window);
  if (w == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

// The frame of a window: none without decorations; the guess from earlier
// windows until the window manager has shown this one.
Frame FrameOf(const WindowRecord& w) {
  if (!winlayer::Framed(w.style)) return Frame{};
  if (!w.visible || w.sdl == nullptr) return w.frame;
  Frame f;
  if (SDL_GetWindowBordersSize(w.sdl, &f.top, &f.left, &f.bottom, &f.right) != 0) return w.frame;
  return f;
}

int ClientWidth(const WindowRecord& w) { return std::max(0, w.width - w.frame.left - w.frame.right); }
int ClientHeight(const WindowRecord& w) { return std::max(0, w.height - w.frame.top - w.frame.bottom); }

// Windows holds the outer size of a window with a sizing border, or of an
// overlapped one, between the minimum and the maximum tracking size: the
// default handling of WM_GETMINMAXINFO and WM_WINDOWPOSCHANGING, which
// neither program overrides. A bare popup, as a full-screen window is, may
// take any size.
void HoldToTrackingSize(DWORD style, int& width, int& height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (!(style & WS_THICKFRAME) && (style & (WS_POPUP | WS_CHILD))) return;
  width = std::clamp(width, GetSystemMetrics(SM_CXMINTRACK), std::max(1, GetSystemMetrics(SM_CXMAXTRACK)));
  height = std::clamp(height, GetSystemMetrics(SM_CYMINTRACK), std::max(1, GetSystemMetrics(SM_CYMAXTRACK)));
}

// Places the SDL window so that the outer rectangle is x, y, width, height.
void PlaceHostWindow(WindowRecord& w) {
  SDL_SetWindowPosition(w.sdl, w.x + w.frame.left, w.y + w.frame.top);
  SDL_SetWindowSize(w.sdl, std::max(1, ClientWidth(w)), std::max(1, ClientHeight(w)));
}

winlayer::HostView ReadHost(const WindowRecord& w) {
  winlayer::HostView view;
  Uint32 flags = SDL_GetWindowFlags(w.sdl);
  view.state = (flags & SDL_WINDOW_MINIMIZED)   ? ShowState::Minimized
               : (flags & SDL_WINDOW_MAXIMIZED) ? ShowState::Maximized
                                                : ShowState::Normal;
  SDL_GetWindowSize(w.sdl, &view.clientWidth, &view.clientHeight);
  // SDL windows are at least 1 by 1; a client area of 0 stays 0.
  if (w.known.clientWidth == 0 && view.clientWidth == 1) view.clientWidth = 0;
  if (w.known.clientHeight == 0 && view.clientHeight == 1) view.clientHeight = 0;
  return view;
}

// ShowWindow's and the default procedure's changes of state: to normal, or
// maximised.
void RequestState(WindowRecord& w, ShowState state) {
  if (ReadHost(w).state == state) return;
  w.requested = state;
  if (state == ShowState::Maximized) {
    SDL_MaximizeWindow(w.sdl);
  } else {
    SDL_RestoreWindow(w.sdl);
  }
  winlayer::SyncWithHost(w, true);
}

void Show(WindowRecord& w) {
  if (w.visible) return;
  winlayer::Deliver(w, WM_SHOWWINDOW, TRUE, 0);
  if (!w.alive) return;
  SDL_ShowWindow(w.sdl);
  w.visible = true;
  winlayer::Activate(w);
  winlayer::Invalidate(w);
  winlayer::FitToFrame(w);
  winlayer::UpdateFullscreen(w);
}

SDL_Window* CreateHostWindow(const WindowRecord& w) {
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (!winlayer::Framed(w.style)) flags |= SDL_WINDOW_BORDERLESS;
  if (w.style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
  std::string title = cp1251::ToUtf8(w.caption);
  // The pixel format is fixed when an X window is made; a display without
  // a 24-bit depth buffer may still offer a 16-bit one.
  static int depthBits = 24;
  for (int tries = 0; tries < 2; ++tries) {
    SDL_Window* sdl = SDL_CreateWindow(title.c_str(), w.x + w.frame.left, w.y + w.frame.top,
                                       std::max(1, ClientWidth(w)), std::max(1, ClientHeight(w)), flags);
    if (sdl != nullptr || depthBits == 16) return sdl;
    depthBits = 16;
    winlayer::SetWindowFormat(depthBits);
  }
  return nullptr;
}

void ApplyStyle(WindowRecord& w, DWORD style) {
  w.style = style & ~static_cast<DWORD>(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
  // SDL waits for a visible X window to be mapped again after changing its
  // frame, which a minimised one never is: its frame changes on restoring.
  if (w.known.state != ShowState::Minimized) {
    SDL_SetWindowBordered(w.sdl, winlayer::Framed(w.style) ? SDL_TRUE : SDL_FALSE);
  }
  SDL_SetWindowResizable(w.sdl, (w.style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
  Frame frame = winlayer::Framed(w.style) ? (w.visible ? FrameOf(w) : lastFrame) : Frame{};
  if (frame != w.frame && w.known.state == ShowState::Normal) {
    // The outer rectangle stays; the client area grows or shrinks by the frame.
    w.frame = frame;
    PlaceHostWindow(w);
    w.requested = ShowState::Normal;
    winlayer::SyncWithHost(w, true);
  }
  winlayer::UpdateFullscreen(w);
}

}  // namespace

namespace winlayer {

bool Framed(DWORD style) { return !(style & WS_POPUP) || (style & WS_CAPTION) != 0; }

WindowRecord* LiveWindow(HWND window) {
  if (window == nullptr) return nullptr;
  for (auto& w : windows) {
    if (w.get() == window) return w->alive ? w.get() : nullptr;
  }
  return nullptr;
}

WindowRecord* WindowOfHostId(uint32_t sdlWindowId) {
  for (auto& w : windows) {
    if (w->alive && w->sdlId == sdlWindowId) return w.get();
  }
  return nullptr;
}

WindowRecord* WindowOfDeviceContext(HDC dc) {
  if (dc == nullptr) return nullptr;
  for (auto& w : windows) {
    if (&w->dc == dc) return w->alive ? w.get() : nullptr;
  }
  return nullptr;
}

void Activate(WindowRecord& window) { active = &window; }

WindowRecord* ActiveWindow() {
  if (active != nullptr && active->alive && active->visible) return active;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if ((*it)->alive && (*it)->visible) return it->get();
  }
  return nullptr;
}

std::vector<WindowRecord*> LiveWindows() {
  std::vector<WindowRecord*> live;
  for (auto& w : windows) {
    if (w->alive) live.push_back(w.get());
  }
  return live;
}

LRESULT Deliver(WindowRecord& window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window.alive || window.procedure == nullptr) return 0;
  return window.procedure(&window, message, wParam, lParam);
}

void Invalidate(WindowRecord& window) {
  if (window.visible && window.known.state != ShowState::Minimized) Queue().Invalidate(&window);
}

void SyncWithHost(WindowRecord& w, bool redraw) {
  if (!w.alive || w.sdl == nullptr) return;
  HostView now = ReadHost(w);
  SizeNotice notice = DiffWindowState(w.known, now, w.requested);
  if (w.requested == now.state) w.requested.reset();
  if (notice.sysCommand != 0) {
    // The window manager has already done it; on Windows it would have
    // asked the program first, whose procedure leaves it to the default one.
    Deliver(w, WM_SYSCOMMAND, notice.sysCommand, 0);
    if (!w.alive) return;
  }
  bool resized = now.clientWidth != w.known.clientWidth || now.clientHeight != w.known.clientHeight;
  if (w.known.state == ShowState::Minimized && now.state != ShowState::Minimized) {
    SDL_SetWindowBordered(w.sdl, Framed(w.style) ? SDL_TRUE : SDL_FALSE);
  }
  w.known = now;
  if (now.state == ShowState::Normal && !w.fullscreen && resized) {
    w.width = now.clientWidth + w.frame.left + w.frame.right;
    w.height = now.clientHeight + w.frame.top + w.frame.bottom;
  }
  if (notice.sendSize) {
    if (redraw) Invalidate(w);
    Deliver(w, WM_SIZE, notice.sizeType, notice.sizeParam);
  }
}

void FitToFrame(WindowRecord& w) {
  if (!w.alive || !w.visible || w.fullscreen || w.known.state != ShowState::Normal) return;
  Frame frame = FrameOf(w);
  if (frame == w.frame) return;
  w.frame = frame;
  if (Framed(w.style)) lastFrame = frame;
  PlaceHostWindow(w);
  w.requested = ShowState::Normal;
  SyncWithHost(w, true);
}

}  // namespace winlayer

using winlayer::Deliver;
using winlayer::LiveWindow;

ATOM RegisterClassA(const WNDCLASSA* c) {
  if (c == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Register(c->lpszClassName, c->lpfnWndProc);
}

ATOM RegisterClassExA(const WNDCLASSEXA* c) {
  if (c == nullptr || c->cbSize != sizeof(WNDCLASSEXA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Register(c->lpszClassName, c->lpfnWndProc);
}

HWND CreateWindowExA(DWORD /*exStyle*/, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND /*parent*/, HMENU /*menu*/, HINSTANCE /*instance*/,
                     LPVOID /*param*/) {
  WindowClass* windowClass = FindClass(className);
  if (windowClass == nullptr) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if (!winlayer::StartVideo()) {
    SetLastError(winlayer::kNoDisplayError);
    return nullptr;
  }

  auto record = std::make_unique<WindowRecord>();
  WindowRecord& w = *record;
  w.procedure = windowClass->procedure;
  w.style = style & ~static_cast<DWORD>(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
  w.caption = windowName != nullptr ? windowName : "";
  HoldToTrackingSize(w.style, width, height);
  w.x = x;
  w.y = y;
  w.width = width;
  w.height = height;
  w.frame = winlayer::Framed(w.style) ? lastFrame : Frame{};

  w.sdl = CreateHostWindow(w);
  if (w.sdl == nullptr) {
    SetLastError(winlayer::kNoDisplayError);
    return nullptr;
  }
  w.sdlId = SDL_GetWindowID(w.sdl);
  winlayer::SetHostTitle(w.sdl, cp1251::ToUtf8(w.caption).c_str());
  w.known = winlayer::HostView{ShowState::Normal, ClientWidth(w), ClientHeight(w)};
  w.dc.window = &w;
  windows.push_back(std::move(record));

  Deliver(w, WM_CREATE, 0, 0);
  if (!w.alive) return nullptr;
  Deliver(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w.known.clientWidth, w.known.clientHeight));
  if (w.alive && (style & WS_VISIBLE)) Show(w);
  return w.alive ? &w : nullptr;
}

BOOL DestroyWindow(HWND window) {
  WindowRecord* w = Checked(window);
  if (w == nullptr) return FALSE;
  if (w->destroying) return TRUE;
  w->destroying = true;
  // As on Windows: hidden first, then WM_DESTROY while the handle still works.
  if (w->visible) {
    SDL_HideWindow(w->sdl);
    w->visible = false;
  }
  Deliver(*w, WM_DESTROY, 0, 0);
  w->alive = false;
  winlayer::Queue().ForgetWindow(window);
  SDL_DestroyWindow(w->sdl);
  w->sdl = nullptr;
  w->fullscreen = false;
  return TRUE;
}

// The programs show their windows as they are (SW_SHOW) or in the normal
// state (SW_SHOWDEFAULT, SW_SHOWNORMAL).
BOOL ShowWindow(HWND window, int command) {
  WindowRecord* w = Checked(window);
  if (w == nullptr) return FALSE;
  BOOL wasVisible = w->visible ? TRUE : FALSE;
  if (command != SW_SHOW && command != SW_SHOWDEFAULT && command != SW_SHOWNORMAL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Show(*w);
  if (w->alive && command != SW_SHOW) RequestState(*w, ShowState::Normal);
  return wasVisible;
}

BOOL UpdateWindow(HWND window) {
  WindowRecord* w = Checked(window);
  if (w == nullptr) return FALSE;
  if (w->visible && winlayer::Queue().NeedsPaint(window)) Deliver(*w, WM_PAINT, 0, 0);
  return TRUE;
}

// The programs move and size their windows at once, with SWP_NOREDRAW.
BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int x, int y, int cx, int cy, UINT flags) {
  WindowRecord* w = Checked(window);
  if (w == nullptr) return FALSE;
  HoldToTrackingSize(w->style, cx, cy);
  bool move = x != w->x || y != w->y;
  bool size = cx != w->width || cy != w->height;
  if ((move || size) && w->fullscreen) {
    SDL_SetWindowFullscreen(w->sdl, 0);
    w->fullscreen = false;
  }
  if (move) {
    w->x = x;
    w->y = y;
  }
  if (size) {
    w->width = cx;
    w->height = cy;
  }
  if (move || size) {
    PlaceHostWindow(*w);
    w->requested = w->known.state;
    winlayer::SyncWithHost(*w, !(flags & SWP_NOREDRAW));
    if (!w->alive) return TRUE;
  }
  winlayer::UpdateFullscreen(*w);
  return TRUE;
}

// The style alone: the 3D game makes its window a popup for full screen.
LONG SetWindowLongA(HWND window, int index, LONG value) {
  WindowRecord* w = Checked(window);
  if (w == nullptr) return 0;
  if (index != GWL_STYLE) {
    SetLastError(kInvalidIndexError);
    return 0;
  }
  DWORD previous = w->style;
  ApplyStyle(*w, static_cast<DWORD>(value));
  SetLastError(ERROR_SUCCESS);
  return static_cast<LONG>(previous);
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  WindowRecord* w = Checked(window);
  if (w == nullptr) return FALSE;
  w->caption = text != nullptr ? text : "";
  winlayer::SetHostTitle(w->sdl, cp1251::ToUtf8(w->caption).c_str());
  return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
  WindowRecord* w = Checked(window);
  if (w == nullptr || rect == nullptr) return FALSE;
  bool minimized = w->known.state == ShowState::Minimized;
  *rect = RECT{0, 0, minimized ? 0 : w->known.clientWidth, minimized ? 0 : w->known.clientHeight};
  return TRUE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* w = LiveWindow(window);
  if (w == nullptr) return 0;
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT:
      winlayer::Queue().Validate(window);
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 closes the window, through the posted system command.
      if (wParam == VK_F4 && (lParam & (1 << 29))) PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSCOMMAND:
      // What the window manager asks for it has done already; a maximise
      // that the program posts itself is carried out here.
      if ((wParam & 0xFFF0) == SC_CLOSE) Deliver(*w, WM_CLOSE, 0, 0);
      if ((wParam & 0xFFF0) == SC_MAXIMIZE) RequestState(*w, ShowState::Maximized);
      return 0;
    default:
      return 0;
  }
}
