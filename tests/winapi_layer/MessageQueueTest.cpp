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

// Takes every message the filter gives (PM_REMOVE) and lists their numbers.
std::vector<UINT> Drain(MessageQueue& q, PeekFilter filter, DWORD now, int limit = 20) {
  std::vector<UINT> taken;
  while (limit-- > 0) {
    auto m = q.Peek(filter, true, now);
    if (!m) break;
    taken.push_back(m->msg.message);
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
            (std::vector<UINT>{WM_USER, WM_USER + 1, WM_QUIT, WM_KEYDOWN, WM_PAINT, WM_TIMER}));
  EXPECT_FALSE(q.QuitPending());
}

TEST(MessageQueue, WindowFilterNeverTakesQuitOrMessagesOfOthers) {
  MessageQueue q;
  q.PostQuit(3);
  q.Post(nullptr, WM_USER, 0, 0, 0);  // a message without a window
  q.Post(kWindowB, WM_USER + 1, 0, 0, 0);
  q.Post(kWindowA, WM_USER + 2, 0, 0, 0);
  q.PostInput(InputMessage(kWindowB, WM_LBUTTONDOWN), 0);

  EXPECT_EQ(Drain(q, {kWindowA, 0, 0}, 0), (std::vector<UINT>{WM_USER + 2}));
  EXPECT_TRUE(q.QuitPending()) << "a peek for one window must leave WM_QUIT alone";

  // WM_QUIT waits until no posted message is left, then comes with its code.
  auto first = q.Peek({}, true, 0);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->msg.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(first->msg.hwnd, nullptr);
  EXPECT_EQ(q.Peek({}, true, 0)->msg.message, static_cast<UINT>(WM_USER + 1));
  auto quit = q.Peek({}, true, 0);
  ASSERT_TRUE(quit);
  EXPECT_EQ(quit->msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(quit->msg.wParam, 3u);
  EXPECT_EQ(q.Peek({}, true, 0)->msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_FALSE(q.Peek({}, true, 0));
}

TEST(MessageQueue, RangeAndThreadFiltersAndNoRemove) {
  MessageQueue q;
  q.Post(kWindowA, WM_USER, 0, 0, 0);
  q.Post(kWindowA, WM_CLOSE, 0, 0, 0);
  q.Post(nullptr, WM_USER + 5, 0, 0, 0);

  // PM_NOREMOVE shows the same message twice.
  EXPECT_EQ(q.Peek({}, false, 0)->msg.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(q.Peek({}, false, 0)->msg.message, static_cast<UINT>(WM_USER));

  // A range takes only its messages; a reversed range takes all.
  EXPECT_EQ(Drain(q, {nullptr, WM_CLOSE, WM_CLOSE}, 0), (std::vector<UINT>{WM_CLOSE}));
  EXPECT_EQ(Drain(q, {kThreadOnly, 0, 0}, 0), (std::vector<UINT>{WM_USER + 5}));
  EXPECT_EQ(Drain(q, {nullptr, WM_USER + 1, WM_USER}, 0), (std::vector<UINT>{WM_USER}));
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
  std::vector<std::pair<UINT, LPARAM>> expected = {
      {WM_MOUSEMOVE, MAKELPARAM(2, 2)},
      {WM_LBUTTONDOWN, MAKELPARAM(2, 2)},
      {WM_MOUSEMOVE, MAKELPARAM(3, 3)},
      {WM_MOUSEMOVE, MAKELPARAM(640, 480)},
  };
  EXPECT_EQ(taken, expected);
}

TEST(MessageQueue, PaintStaysUntilValidatedAndFollowsItsWindow) {
  MessageQueue q;
  q.Invalidate(kWindowA);
  q.Invalidate(kWindowA);
  EXPECT_EQ(q.Peek({}, true, 0)->msg.message, static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(q.Peek({}, true, 0)->msg.message, static_cast<UINT>(WM_PAINT)) << "removing does not validate";
  EXPECT_FALSE(q.Peek({kWindowB, 0, 0}, true, 0));
  EXPECT_FALSE(q.Peek({nullptr, WM_USER, WM_USER}, true, 0));
  q.Validate(kWindowA);
  EXPECT_FALSE(q.Peek({}, true, 0));
}

TEST(MessageQueue, ForgetWindowDropsAllThatBelongsToIt) {
  MessageQueue q;
  q.Post(kWindowA, WM_USER, 0, 0, 0);
  q.Post(kWindowB, WM_USER + 1, 0, 0, 0);
  q.PostInput(InputMessage(kWindowA, WM_KEYDOWN), 0);
  q.Invalidate(kWindowA);
  q.SetTimer(kWindowA, 1, 10, nullptr, 0);
  q.ForgetWindow(kWindowA);
  EXPECT_EQ(Drain(q, {}, 1000), (std::vector<UINT>{WM_USER + 1}));
  EXPECT_EQ(q.TimerCount(), 0u);
}

TEST(MessageQueueTimer, FiresAfterItsPeriodOnlyWhenNothingElseWaits) {
  MessageQueue q;
  EXPECT_EQ(q.SetTimer(kWindowA, 1, 800, nullptr, 1000), 1u);
  EXPECT_FALSE(q.Peek({}, true, 1799));

  q.Post(kWindowA, WM_USER, 0, 0, 1800);
  auto first = q.Peek({}, true, 1800);
  EXPECT_EQ(first->msg.message, static_cast<UINT>(WM_USER));
  auto tick = q.Peek({}, true, 1800);
  ASSERT_TRUE(tick);
  EXPECT_EQ(tick->msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(tick->msg.hwnd, kWindowA);
  EXPECT_EQ(tick->msg.wParam, 1u);
  EXPECT_FALSE(q.Peek({}, true, 1801)) << "the next period starts when the timer fired";
  EXPECT_FALSE(q.Peek({kWindowB, 0, 0}, true, 5000)) << "another window's peek does not see it";
}

TEST(MessageQueueTimer, LateTimerFiresOnceAndDoesNotCatchUp) {
  MessageQueue q;
  q.SetTimer(kWindowA, 1, 100, nullptr, 0);
  // Nobody looked for ten periods: one WM_TIMER is pending, not ten.
  EXPECT_EQ(Drain(q, {}, 1000), (std::vector<UINT>{WM_TIMER}));
  EXPECT_TRUE(Drain(q, {}, 1099).empty());
  EXPECT_EQ(Drain(q, {}, 1100), (std::vector<UINT>{WM_TIMER}));

  // PM_NOREMOVE leaves it pending.
  EXPECT_TRUE(q.Peek({}, false, 1200));
  EXPECT_TRUE(q.Peek({}, false, 1200));
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
  EXPECT_FALSE(q.Peek({}, true, 1149));
  EXPECT_TRUE(q.Peek({}, true, 1150));

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
  EXPECT_FALSE(fast.Peek({}, true, MessageQueue::kMinimumTimerPeriod - 1));
  EXPECT_TRUE(fast.Peek({}, true, MessageQueue::kMinimumTimerPeriod));
}

TEST(MessageQueueTimer, WorksAcrossTheTickCounterWrap) {
  MessageQueue q;
  q.SetTimer(kWindowA, 1, 100, nullptr, 0xFFFFFFF0u);
  EXPECT_FALSE(q.Peek({}, true, 0xFFFFFFFFu));
  EXPECT_FALSE(q.Peek({}, true, 0x50u));
  EXPECT_TRUE(q.Peek({}, true, 0x54u));
}

}  // namespace
