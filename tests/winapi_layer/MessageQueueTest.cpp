#include "MessageQueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using winlayer::MessageQueue;
using winlayer::PeekFilter;

// The queue never looks behind a window handle, so any distinct values do.
const HWND kWindowA = reinterpret_cast<HWND>(0x1000);
const HWND kWindowB = reinterpret_cast<HWND>(0x2000);
const HWND kThreadOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

MSG InputMessage(HWND window, UINT message, LPARAM lParam = 0) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.lParam = lParam;
  return msg;
}

// The number of the next message the filter gives, 0 for none.
int Next(MessageQueue& q, PeekFilter filter = {}, DWORD now = 0, bool remove = true) {
  auto m = q.Peek(filter, remove, now);
  return m ? static_cast<int>(m->msg.message) : 0;
}

// Takes every message the filter gives and lists their numbers; a WM_PAINT
// is validated, as the default procedure does.
std::vector<int> Drain(MessageQueue& q, PeekFilter filter = {}, DWORD now = 0) {
  std::vector<int> taken;
  for (int limit = 20; limit > 0; --limit) {
    auto m = q.Peek(filter, true, now);
    if (!m) break;
    taken.push_back(static_cast<int>(m->msg.message));
    if (m->msg.message == WM_PAINT) q.Validate(m->msg.hwnd);
  }
  return taken;
}

TEST(MessageQueue, KindsComeInWindowsOrderWhateverOrderTheyArrived) {
  MessageQueue q;
  q.SetTimer(kWindowA, 1, 100, nullptr, 0);
  q.Invalidate(kWindowA);
  q.PostInput(InputMessage(kWindowA, WM_KEYDOWN), 0);
  q.PostQuit(7);
  q.Post(kWindowA, WM_USER, 0, 0, 0);
  q.Post(kWindowA, WM_USER + 1, 0, 0, 0);

  EXPECT_EQ(Drain(q, {}, 500),
            (std::vector<int>{WM_USER, WM_USER + 1, WM_QUIT, WM_KEYDOWN, WM_PAINT, WM_TIMER}));
  EXPECT_FALSE(q.QuitPending());
}

TEST(MessageQueue, WindowFilterNeverTakesQuitOrMessagesOfOthers) {
  MessageQueue q;
  q.PostQuit(3);
  q.Post(nullptr, WM_USER, 0, 0, 0);  // a message without a window
  q.Post(kWindowB, WM_USER + 1, 0, 0, 0);
  q.Post(kWindowA, WM_USER + 2, 0, 0, 0);
  q.PostInput(InputMessage(kWindowB, WM_LBUTTONDOWN), 0);

  EXPECT_EQ(Drain(q, {kWindowA, 0, 0}), (std::vector<int>{WM_USER + 2}));
  EXPECT_TRUE(q.QuitPending()) << "a peek for one window must leave WM_QUIT alone";

  // WM_QUIT waits until no posted message is left, then comes with its code.
  auto first = q.Peek({}, true, 0);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->msg.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(first->msg.hwnd, nullptr);
  EXPECT_EQ(Next(q), WM_USER + 1);
  auto quit = q.Peek({}, true, 0);
  ASSERT_TRUE(quit);
  EXPECT_EQ(quit->msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(quit->msg.wParam, 3u);
  EXPECT_EQ(Drain(q), std::vector<int>{WM_LBUTTONDOWN});
}

TEST(MessageQueue, RangeAndThreadFiltersAndNoRemove) {
  MessageQueue q;
  q.Post(kWindowA, WM_USER, 0, 0, 0);
  q.Post(kWindowA, WM_CLOSE, 0, 0, 0);
  q.Post(nullptr, WM_USER + 5, 0, 0, 0);

  // PM_NOREMOVE shows the same message twice.
  EXPECT_EQ(Next(q, {}, 0, false), WM_USER);
  EXPECT_EQ(Next(q, {}, 0, false), WM_USER);

  // A range takes only its messages; a reversed range takes all.
  EXPECT_EQ(Drain(q, {nullptr, WM_CLOSE, WM_CLOSE}), std::vector<int>{WM_CLOSE});
  EXPECT_EQ(Drain(q, {kThreadOnly, 0, 0}), std::vector<int>{WM_USER + 5});
  EXPECT_EQ(Drain(q, {nullptr, WM_USER + 1, WM_USER}), std::vector<int>{WM_USER});
}

TEST(MessageQueue, MouseMovesCoalesceOnlyWhenTheyFollowEachOther) {
  MessageQueue q;
  q.PostInput(InputMessage(kWindowA, WM_MOUSEMOVE, MAKELPARAM(1, 1)), 0);
  q.PostInput(InputMessage(kWindowA, WM_MOUSEMOVE, MAKELPARAM(2, 2)), 0);
  q.PostInput(InputMessage(kWindowA, WM_LBUTTONDOWN, MAKELPARAM(2, 2)), 0);
  q.PostInput(InputMessage(kWindowA, WM_MOUSEMOVE, MAKELPARAM(3, 3)), 0);
  q.PostInput(InputMessage(kWindowB, WM_MOUSEMOVE, MAKELPARAM(4, 4)), 0);
  q.PostInput(InputMessage(kWindowB, WM_MOUSEMOVE, MAKELPARAM(640, 480)), 0);

  std::vector<std::pair<UINT, LPARAM>> taken;
  while (auto m = q.Peek({}, true, 0)) taken.emplace_back(m->msg.message, m->msg.lParam);
  EXPECT_EQ(taken, (std::vector<std::pair<UINT, LPARAM>>{{WM_MOUSEMOVE, MAKELPARAM(2, 2)},
                                                         {WM_LBUTTONDOWN, MAKELPARAM(2, 2)},
                                                         {WM_MOUSEMOVE, MAKELPARAM(3, 3)},
                                                         {WM_MOUSEMOVE, MAKELPARAM(640, 480)}}));
}

TEST(MessageQueue, PaintStaysUntilValidatedAndFollowsItsWindow) {
  MessageQueue q;
  q.Invalidate(kWindowA);
  q.Invalidate(kWindowA);
  EXPECT_EQ(Next(q), WM_PAINT);
  EXPECT_EQ(Next(q), WM_PAINT) << "removing does not validate";
  EXPECT_EQ(Next(q, {kWindowB, 0, 0}), 0);
  EXPECT_EQ(Next(q, {nullptr, WM_USER, WM_USER}), 0);
  q.Validate(kWindowA);
  EXPECT_EQ(Next(q), 0);
}

TEST(MessageQueue, ForgetWindowDropsAllThatBelongsToIt) {
  MessageQueue q;
  q.Post(kWindowA, WM_USER, 0, 0, 0);
  q.Post(kWindowB, WM_USER + 1, 0, 0, 0);
  q.PostInput(InputMessage(kWindowA, WM_KEYDOWN), 0);
  q.Invalidate(kWindowA);
  q.SetTimer(kWindowA, 1, 10, nullptr, 0);
  q.ForgetWindow(kWindowA);
  EXPECT_EQ(Drain(q, {}, 1000), std::vector<int>{WM_USER + 1});
  EXPECT_EQ(q.TimerCount(), 0u);
}

TEST(MessageQueueTimer, FiresAfterItsPeriodOnlyWhenNothingElseWaits) {
  MessageQueue q;
  EXPECT_EQ(q.SetTimer(kWindowA, 1, 800, nullptr, 1000), 1u);
  EXPECT_EQ(Next(q, {}, 1799), 0);

  q.Post(kWindowA, WM_USER, 0, 0, 1800);
  EXPECT_EQ(Next(q, {}, 1800), WM_USER);
  auto tick = q.Peek({}, true, 1800);
  ASSERT_TRUE(tick);
  EXPECT_EQ(tick->msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(tick->msg.hwnd, kWindowA);
  EXPECT_EQ(tick->msg.wParam, 1u);
  EXPECT_EQ(Next(q, {}, 1801), 0) << "the next period starts when the timer fired";
  EXPECT_EQ(Next(q, {kWindowB, 0, 0}, 5000), 0) << "another window's peek does not see it";
}

TEST(MessageQueueTimer, LateTimerFiresOnceAndTheTickCounterMayWrap) {
  MessageQueue q;
  q.SetTimer(kWindowA, 1, 100, nullptr, 0);
  // Nobody looked for ten periods: one WM_TIMER is pending, not ten.
  EXPECT_EQ(Drain(q, {}, 1000), std::vector<int>{WM_TIMER});
  EXPECT_TRUE(Drain(q, {}, 1099).empty());
  EXPECT_EQ(Drain(q, {}, 1100), std::vector<int>{WM_TIMER});
  // PM_NOREMOVE leaves it pending.
  EXPECT_EQ(Next(q, {}, 1200, false), WM_TIMER);
  EXPECT_EQ(Next(q, {}, 1200, false), WM_TIMER);

  MessageQueue wrapping;
  wrapping.SetTimer(kWindowA, 1, 100, nullptr, 0xFFFFFFF0u);
  EXPECT_EQ(Next(wrapping, {}, 0xFFFFFFFFu), 0);
  EXPECT_EQ(Next(wrapping, {}, 0x50u), 0);
  EXPECT_EQ(Next(wrapping, {}, 0x54u), WM_TIMER);
}

TEST(MessageQueueTimer, KillReplaceAndWindowlessIds) {
  MessageQueue q;
  q.SetTimer(kWindowA, 5, 100, nullptr, 0);
  q.SetTimer(kWindowB, 5, 100, nullptr, 0);
  EXPECT_TRUE(q.KillTimer(kWindowA, 5));
  EXPECT_FALSE(q.KillTimer(kWindowA, 5));
  auto left = q.Peek({}, true, 100);
  ASSERT_TRUE(left);
  EXPECT_EQ(left->msg.hwnd, kWindowB);

  // The same id on the same window replaces the timer and restarts it.
  q.SetTimer(kWindowB, 5, 1000, nullptr, 150);
  EXPECT_EQ(q.TimerCount(), 1u);
  EXPECT_EQ(Next(q, {}, 1149), 0);
  EXPECT_EQ(Next(q, {}, 1150), WM_TIMER);

  // Windowless timers get ids of their own, never one in use.
  UINT_PTR a = q.SetTimer(nullptr, 0, 50, nullptr, 0);
  UINT_PTR b = q.SetTimer(nullptr, 0, 50, nullptr, 0);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  EXPECT_EQ(q.SetTimer(nullptr, a, 70, nullptr, 0), a) << "naming an existing windowless timer replaces it";
  EXPECT_EQ(q.TimerCount(), 3u);

  // Periods below Windows' minimum are raised to it.
  MessageQueue fast;
  fast.SetTimer(kWindowA, 1, 1, nullptr, 0);
  EXPECT_EQ(Next(fast, {}, MessageQueue::kMinimumTimerPeriod - 1), 0);
  EXPECT_EQ(Next(fast, {}, MessageQueue::kMinimumTimerPeriod), WM_TIMER);
}

}  // namespace
