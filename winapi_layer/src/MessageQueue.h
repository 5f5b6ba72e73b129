// The process's one message queue: posted messages, the quit flag, input
// from the host, windows that need painting, and timers. It knows nothing
// of SDL; the caller hands it the current tick count, so it can run on a
// fake clock.
//
// Retrieval order, as Windows has it (sent messages never come here: they
// go straight to the window procedure):
//   1. posted messages, oldest first;
//   2. WM_QUIT, once no posted message matches, and only to a peek that
//      is not limited to one window;
//   3. input messages, oldest first;
//   4. WM_PAINT for a window that needs painting;
//   5. WM_TIMER for a timer whose period has run out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace winlayer {

// A message with the keyboard state that came with it (opaque here; see
// KeyMap.h). TranslateMessage uses the state of the last input message taken.
struct QueuedMessage {
  MSG msg{};
  uint32_t keyState = 0;
  bool input = false;  // came from the host's input devices
};

// Which messages a peek may take: a window (NULL: any) and a range of
// message numbers (0..0: all).
struct PeekFilter {
  HWND window = nullptr;
  UINT first = 0;
  UINT last = 0;
};

class MessageQueue {
 public:
  void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD now);
  // Input from the host. A mouse move that follows a mouse move of the same
  // window still waiting at the end of the input queue replaces it.
  void PostInput(const MSG& msg, uint32_t keyState);
  void PostQuit(int exitCode);

  void Invalidate(HWND window);
  void Validate(HWND window);
  bool NeedsPaint(HWND window) const;

  // A timer with an id its window already has replaces that timer.
  void SetTimer(HWND window, UINT_PTR id, UINT period, DWORD now);
  bool KillTimer(HWND window, UINT_PTR id);

  // Everything that belongs to a destroyed window goes.
  void ForgetWindow(HWND window);

  // The next message the filter takes, or nothing. With remove, posted and
  // input messages and WM_QUIT leave the queue and a timer starts its next
  // period; WM_PAINT stays until the window is validated.
  std::optional<QueuedMessage> Peek(const PeekFilter& filter, bool remove, DWORD now);

 private:
  struct Timer {
    HWND window;
    UINT_PTR id;
    UINT period;
    DWORD due;
  };

  std::optional<QueuedMessage> TakeFrom(std::deque<QueuedMessage>& list, const PeekFilter& filter,
                                        bool remove);

  std::deque<QueuedMessage> posted_;
  std::deque<QueuedMessage> input_;
  std::vector<HWND> paint_;  // in the order they were invalidated
  std::vector<Timer> timers_;
  bool quit_ = false;
  int quitCode_ = 0;
};

}  // namespace winlayer
