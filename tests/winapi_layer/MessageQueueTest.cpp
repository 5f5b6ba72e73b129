// The message queue on a fake clock: what a peek takes, in which order, and
// when timers fire.
#include "MessageQueue.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

using winlayer::MessageQueue;
using winlayer::PeekFilter;

// The queue never looks behind a window handle, so any distinct values do.
const HWND kA = reinterpret_cast<HWND>(0x1000);
const HWND kB = reinterpret_cast<HWND>(0x2000);

MSG Input(HWND window, UINT message, LPARAM lParam = 0) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.lParam = lParam;
  return msg;
}

// One look at the queue at a time on the tick counter: with remove, every
// message the filter gives, a WM_PAINT validated as the default procedure
// does; without, the one message a peek shows.
struct Look {
  DWORD now;
  std::vector<UINT> taken;
  PeekFilter filter = {};
  bool remove = true;
};

std::vector<UINT> Take(MessageQueue& q, const Look& look) {
  std::vector<UINT> taken;
  for (int limit = 20; limit > 0; --limit) {
    auto m = q.Peek(look.filter, look.remove, look.now);
    if (!m) break;
    taken.push_back(m->msg.message);
    if (m->msg.message == WM_PAINT) q.Validate(m->msg.hwnd);
    if (!look.remove) break;
  }
  return taken;
}

TEST(MessageQueue, PeeksTakeMessagesInWindowsOrderAndTimersFireOnTheirTicks) {
  const UINT kUser = WM_USER;
  struct Case {
    const char* what;
    std::function<void(MessageQueue&)> fill;
    std::vector<Look> looks;
  };
  const Case cases[] = {
      {"posted, quit, input, paint, then timer, whatever order they came in",
       [](MessageQueue& q) {
         q.SetTimer(kA, 1, 100, 0);
         q.Invalidate(kA);
         q.PostInput(Input(kA, WM_KEYDOWN), 0);
         q.PostQuit(7);
         q.Post(kA, kUser, 0, 0, 0);
         q.Post(kA, kUser + 1, 0, 0, 0);
       },
       {{500, {kUser, kUser + 1, WM_QUIT, WM_KEYDOWN, WM_PAINT, WM_TIMER}}}},
      {"a peek for one window takes neither the quit nor another window's messages",
       [](MessageQueue& q) {
         q.PostQuit(3);
         q.Post(kB, kUser + 1, 0, 0, 0);
         q.Post(kA, kUser + 2, 0, 0, 0);
         q.PostInput(Input(kB, WM_LBUTTONDOWN), 0);
       },
       {{0, {kUser + 2}, {kA, 0, 0}}, {0, {kUser + 1, WM_QUIT, WM_LBUTTONDOWN}}}},
      {"a range, and a peek that leaves the message",
       [](MessageQueue& q) {
         q.Post(kA, kUser, 0, 0, 0);
         q.Post(kA, WM_CHAR, 0, 0, 0);
       },
       {{0, {WM_CHAR}, {kA, WM_CHAR, WM_CHAR}, false}, {0, {WM_CHAR}, {kA, WM_CHAR, WM_CHAR}}, {0, {kUser}}}},
      {"a timer fires a period after it was set, then a period after it fired, for its window's peek",
       [](MessageQueue& q) { q.SetTimer(kA, 1, 800, 1000); },
       {{1799, {}}, {1800, {WM_TIMER}}, {2599, {}}, {2600, {}, {kB, 0, 0}}, {2600, {WM_TIMER}}}},
      {"the tick counter wraps; a late timer fires once",
       [](MessageQueue& q) { q.SetTimer(kA, 1, 100, 0xFFFFFFF0u); },
       {{0xFFFFFFFFu, {}}, {0x53, {}}, {0x54, {WM_TIMER}}, {0x1000, {WM_TIMER}}, {0x1063, {}}}},
      {"a killed timer stops; the same id again replaces the timer",
       [](MessageQueue& q) {
         q.SetTimer(kA, 5, 100, 0);
         q.SetTimer(kB, 5, 100, 0);
         EXPECT_TRUE(q.KillTimer(kA, 5));
         EXPECT_FALSE(q.KillTimer(kA, 5));
         q.SetTimer(kB, 5, 1000, 150);
       },
       {{1149, {}}, {1150, {WM_TIMER}}}},
  };
  for (const Case& c : cases) {
    MessageQueue q;
    c.fill(q);
    for (const Look& look : c.looks) EXPECT_EQ(Take(q, look), look.taken) << c.what << ", at " << look.now;
  }
}

TEST(MessageQueue, MouseMovesWaitingOneAfterTheOtherBecomeTheLastOfThem) {
  MessageQueue q;
  const std::pair<UINT, LPARAM> posted[] = {
      {WM_MOUSEMOVE, 1}, {WM_MOUSEMOVE, 2}, {WM_LBUTTONDOWN, 2}, {WM_MOUSEMOVE, 3}, {WM_MOUSEMOVE, 4}};
  for (auto [message, lParam] : posted) q.PostInput(Input(kA, message, lParam), 0);
  q.PostInput(Input(kB, WM_MOUSEMOVE, 5), 0);
  std::vector<std::pair<UINT, LPARAM>> taken;
  while (auto m = q.Peek({}, true, 0)) taken.emplace_back(m->msg.message, m->msg.lParam);
  EXPECT_EQ(taken, (std::vector<std::pair<UINT, LPARAM>>{
                       {WM_MOUSEMOVE, 2}, {WM_LBUTTONDOWN, 2}, {WM_MOUSEMOVE, 4}, {WM_MOUSEMOVE, 5}}));
}

}  // namespace
