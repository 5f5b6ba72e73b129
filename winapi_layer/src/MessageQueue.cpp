#include "MessageQueue.h"

#include <algorithm>

namespace winlayer {

namespace {

bool RangeTakes(const PeekFilter& filter, UINT message) {
  return (filter.first == 0 && filter.last == 0) || (message >= filter.first && message <= filter.last);
}

bool WindowTakes(const PeekFilter& filter, HWND window) {
  return filter.window == nullptr || window == filter.window;
}

bool FilterTakes(const PeekFilter& filter, HWND window, UINT message) {
  return WindowTakes(filter, window) && RangeTakes(filter, message);
}

// Whether tick a has reached tick b, across the 49.7-day wrap of the counter.
bool Reached(DWORD a, DWORD b) { return static_cast<int32_t>(a - b) >= 0; }

MSG Generated(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD now) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = now;
  return msg;
}

}  // namespace

void MessageQueue::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD now) {
  QueuedMessage q;
  q.msg = Generated(window, message, wParam, lParam, now);
  posted_.push_back(q);
}

void MessageQueue::PostInput(const MSG& msg, uint32_t keyState) {
  if (msg.message == WM_MOUSEMOVE && !input_.empty()) {
    QueuedMessage& last = input_.back();
    if (last.msg.message == WM_MOUSEMOVE && last.msg.hwnd == msg.hwnd) {
      last.msg = msg;
      last.keyState = keyState;
      return;
    }
  }
  input_.push_back(QueuedMessage{msg, keyState, true});
}

void MessageQueue::PostQuit(int exitCode) {
  quit_ = true;
  quitCode_ = exitCode;
}

void MessageQueue::Invalidate(HWND window) {
  if (!NeedsPaint(window)) paint_.push_back(window);
}

void MessageQueue::Validate(HWND window) { std::erase(paint_, window); }

bool MessageQueue::NeedsPaint(HWND window) const {
  return std::find(paint_.begin(), paint_.end(), window) != paint_.end();
}

void MessageQueue::SetTimer(HWND window, UINT_PTR id, UINT period, DWORD now) {
  Timer timer{window, id, period, now + period};
  auto existing = std::find_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.window == window && t.id == id; });
  if (existing != timers_.end()) {
    *existing = timer;
  } else {
    timers_.push_back(timer);
  }
}

bool MessageQueue::KillTimer(HWND window, UINT_PTR id) {
  return std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == id; }) != 0;
}

void MessageQueue::ForgetWindow(HWND window) {
  auto ofWindow = [&](const QueuedMessage& q) { return q.msg.hwnd == window; };
  std::erase_if(posted_, ofWindow);
  std::erase_if(input_, ofWindow);
  std::erase(paint_, window);
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
}

std::optional<QueuedMessage> MessageQueue::TakeFrom(std::deque<QueuedMessage>& list, const PeekFilter& filter,
                                                    bool remove) {
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (!FilterTakes(filter, it->msg.hwnd, it->msg.message)) continue;
    QueuedMessage found = *it;
    if (remove) list.erase(it);
    return found;
  }
  return std::nullopt;
}

std::optional<QueuedMessage> MessageQueue::Peek(const PeekFilter& filter, bool remove, DWORD now) {
  if (auto found = TakeFrom(posted_, filter, remove)) return found;

  // WM_QUIT belongs to no window, so a peek for one window never sees it;
  // the range does not matter, as on Windows.
  if (quit_ && filter.window == nullptr) {
    if (remove) quit_ = false;
    QueuedMessage q;
    q.msg = Generated(nullptr, WM_QUIT, static_cast<WPARAM>(quitCode_), 0, now);
    return q;
  }

  if (auto found = TakeFrom(input_, filter, remove)) return found;

  if (RangeTakes(filter, WM_PAINT)) {
    for (HWND window : paint_) {
      if (WindowTakes(filter, window)) {
        QueuedMessage q;
        q.msg = Generated(window, WM_PAINT, 0, 0, now);
        return q;
      }
    }
  }

  if (RangeTakes(filter, WM_TIMER)) {
    // Of the timers that are due, the one that has waited longest.
    Timer* chosen = nullptr;
    for (Timer& t : timers_) {
      if (!WindowTakes(filter, t.window) || !Reached(now, t.due)) continue;
      if (chosen == nullptr || static_cast<int32_t>(t.due - chosen->due) < 0) chosen = &t;
    }
    if (chosen != nullptr) {
      QueuedMessage q;
      q.msg = Generated(chosen->window, WM_TIMER, chosen->id, 0, now);
      // The next period counts from now: a late timer does not catch up.
      if (remove) chosen->due = now + chosen->period;
      return q;
    }
  }
  return std::nullopt;
}

}  // namespace winlayer
