// Message polling and dispatch, timers, and the host's events as Windows
// messages.
#include <SDL2/SDL.h>
#include <windows.h>

#include "KeyMap.h"
#include "Video.h"
#include "WindowRecord.h"

namespace {

using winlayer::LiveWindow;
using winlayer::Queue;

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

uint32_t messageKeyState = 0;  // the keyboard state of the last input message taken
WPARAM mouseButtons = 0;       // MK_ bits of the buttons held, as the host's events tell
POINT pointer{0, 0};           // screen position of the pointer at the last mouse event
bool pumping = false;

WPARAM MouseKeys() {
  WPARAM keys = mouseButtons;
  SDL_Keymod mod = SDL_GetModState();
  if (mod & KMOD_SHIFT) keys |= MK_SHIFT;
  if (mod & KMOD_CTRL) keys |= MK_CONTROL;
  return keys;
}

void TrackPointer(const WindowRecord& w, int x, int y) {
  int wx = 0, wy = 0;
  SDL_GetWindowPosition(w.sdl, &wx, &wy);
  pointer = POINT{wx + x, wy + y};
  Queue().SetPointerPosition(pointer);
}

void OnKey(const SDL_KeyboardEvent& e) {
  // SDL learns of a new focus window a little after X gives it; a key
  // pressed in between comes without a window, and belongs to the window
  // that was activated last.
  WindowRecord* w = winlayer::WindowOfHostId(e.windowID);
  if (w == nullptr) w = winlayer::ActiveWindow();
  if (w == nullptr) return;
  uint32_t keyState = winlayer::KeyStateFromSdl(e.keysym.mod);
  auto key =
      winlayer::MapKey(e.keysym.scancode, e.keysym.sym, keyState, e.state == SDL_PRESSED, e.repeat != 0);
  if (key) winlayer::PostHostInput(*w, key->message, key->virtualKey, key->lParam, keyState);
}

void OnMotion(const SDL_MouseMotionEvent& e) {
  WindowRecord* w = winlayer::WindowOfHostId(e.windowID);
  if (w == nullptr || e.which == SDL_TOUCH_MOUSEID) return;
  TrackPointer(*w, e.x, e.y);
  winlayer::PostHostInput(*w, WM_MOUSEMOVE, MouseKeys(), MAKELPARAM(e.x, e.y), 0);
}

void OnButton(const SDL_MouseButtonEvent& e) {
  WindowRecord* w = winlayer::WindowOfHostId(e.windowID);
  if (w == nullptr || e.which == SDL_TOUCH_MOUSEID) return;
  UINT down = 0;
  WPARAM bit = 0;
  switch (e.button) {
    case SDL_BUTTON_LEFT:
      down = WM_LBUTTONDOWN;
      bit = MK_LBUTTON;
      break;
    case SDL_BUTTON_RIGHT:
      down = WM_RBUTTONDOWN;
      bit = MK_RBUTTON;
      break;
    case SDL_BUTTON_MIDDLE:
      down = WM_MBUTTONDOWN;
      bit = MK_MBUTTON;
      break;
    default:
      return;
  }
  bool pressed = e.state == SDL_PRESSED;
  if (pressed) {
    mouseButtons |= bit;
  } else {
    mouseButtons &= ~bit;
  }
  TrackPointer(*w, e.x, e.y);
  // Each button's up message follows its down message.
  winlayer::PostHostInput(*w, pressed ? down : down + 1, MouseKeys(), MAKELPARAM(e.x, e.y), 0);
}

void OnWheel(const SDL_MouseWheelEvent& e) {
  WindowRecord* w = winlayer::WindowOfHostId(e.windowID);
  if (w == nullptr || e.y == 0) return;
  int steps = e.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.y : e.y;
  WPARAM wParam = MAKEWPARAM(MouseKeys(), static_cast<WORD>(static_cast<short>(steps * 120)));
  // The wheel's position is on the screen, not in the client area.
  winlayer::PostHostInput(*w, WM_MOUSEWHEEL, wParam, MAKELPARAM(pointer.x, pointer.y), 0);
}

void OnWindowEvent(const SDL_WindowEvent& e) {
  WindowRecord* w = winlayer::WindowOfHostId(e.windowID);
  if (w == nullptr) return;
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
      // The close button: on Windows a click in the frame that the
      // default procedure turns into this command.
      winlayer::PostHostInput(*w, WM_SYSCOMMAND, SC_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      winlayer::Activate(*w);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      winlayer::Invalidate(*w);
      break;
    case SDL_WINDOWEVENT_MOVED:
      if (w->known.state == winlayer::ShowState::Normal && !w->fullscreen) {
        w->x = e.data1 - w->frame.left;
        w->y = e.data2 - w->frame.top;
      }
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
      winlayer::SyncWithHost(*w, true);
      break;
    default:
      break;
  }
}

// Turns the host's pending events into messages: input into the queue,
// changes of window state straight to the window procedures (Windows
// sends those, it does not post them).
void PumpHostEvents() {
  if (!winlayer::VideoStarted() || pumping) return;
  pumping = true;
  SDL_PumpEvents();
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        OnKey(e.key);
        break;
      case SDL_MOUSEMOTION:
        OnMotion(e.motion);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        OnButton(e.button);
        break;
      case SDL_MOUSEWHEEL:
        OnWheel(e.wheel);
        break;
      case SDL_WINDOWEVENT:
        OnWindowEvent(e.window);
        break;
      default:
        // SDL_QUIT among them: closing goes through WM_SYSCOMMAND.
        break;
    }
  }
  for (WindowRecord* w : winlayer::LiveWindows()) winlayer::FitToFrame(*w);
  pumping = false;
}

}  // namespace

namespace winlayer {

MessageQueue& Queue() {
  static MessageQueue queue;
  return queue;
}

void PostHostInput(WindowRecord& window, UINT message, WPARAM wParam, LPARAM lParam, uint32_t keyState) {
  MSG msg{};
  msg.hwnd = &window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  msg.pt = pointer;
  Queue().PostInput(msg, keyState);
}

}  // namespace winlayer

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (msg == nullptr) return FALSE;
  if (window != nullptr && window != kThreadMessagesOnly && LiveWindow(window) == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  PumpHostEvents();
  bool remove = removeFlags & PM_REMOVE;
  auto found = Queue().Peek(winlayer::PeekFilter{window, filterMin, filterMax}, remove, GetTickCount());
  if (!found) return FALSE;
  if (remove && found->input) messageKeyState = found->keyState;
  *msg = found->msg;
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return FALSE;
  switch (msg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      auto c = winlayer::CharForKey(msg->wParam, messageKeyState);
      if (c) {
        UINT charMessage = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
        Queue().Post(msg->hwnd, charMessage, *c, msg->lParam, GetTickCount());
      }
      return TRUE;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    auto routine = reinterpret_cast<TIMERPROC>(msg->lParam);
    routine(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  if (msg->hwnd == nullptr) return 0;
  WindowRecord* w = LiveWindow(msg->hwnd);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return winlayer::Deliver(*w, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && LiveWindow(window) == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Queue().Post(window, message, wParam, lParam, GetTickCount());
  return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* w = LiveWindow(window);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return winlayer::Deliver(*w, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) { Queue().PostQuit(exitCode); }

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
  if (window != nullptr && LiveWindow(window) == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return Queue().SetTimer(window, id, elapse, timerProc, GetTickCount());
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  if (!Queue().KillTimer(window, id)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}
