// Message polling and dispatch, timers, and the host's events as Windows
// messages.
#include <SDL2/SDL.h>
#include <windows.h>

#include "HostTurn.h"
#include "KeyMap.h"
#include "Video.h"
#include "WindowRecord.h"

namespace {

using winlayer::LiveWindow;
using winlayer::Queue;

uint32_t messageKeyState = 0;  // the keyboard state of the last input message taken
bool pumping = false;

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
  winlayer::PostHostInput(*w, WM_MOUSEMOVE, 0, MAKELPARAM(e.x, e.y), 0);
}

// The left and the right button; each button's up message follows its
// down message.
void OnButton(const SDL_MouseButtonEvent& e) {
  WindowRecord* w = winlayer::WindowOfHostId(e.windowID);
  if (w == nullptr || e.which == SDL_TOUCH_MOUSEID) return;
  UINT down = 0;
  if (e.button == SDL_BUTTON_LEFT) down = WM_LBUTTONDOWN;
  if (e.button == SDL_BUTTON_RIGHT) down = WM_RBUTTONDOWN;
  if (down == 0) return;
  winlayer::PostHostInput(*w, e.state == SDL_PRESSED ? down : down + 1, 0, MAKELPARAM(e.x, e.y), 0);
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
  Queue().PostInput(msg, keyState);
}

}  // namespace winlayer

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (msg == nullptr) return FALSE;
  if (window != nullptr && LiveWindow(window) == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  PumpHostEvents();
  bool remove = removeFlags & PM_REMOVE;
  auto found = Queue().Peek(winlayer::PeekFilter{window, filterMin, filterMax}, remove, GetTickCount());
  if (!found) {
    winlayer::HostTurnOnEmptyQueue();
    return FALSE;
  }
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
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
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

void PostQuitMessage(int exitCode) { Queue().PostQuit(exitCode); }

// Timers of a window, whose WM_TIMER goes to its procedure.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC /*timerProc*/) {
  if (LiveWindow(window) == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  Queue().SetTimer(window, id, elapse, GetTickCount());
  return id != 0 ? id : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  if (!Queue().KillTimer(window, id)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}
