// Real input through XTest, peeks filtered by window and range, and a timer
// that fires through PeekMessageA.
#include <gtest/gtest.h>
#include <windows.h>

#include <unistd.h>

#include "LayerSupport.h"
#include "XServer.h"

namespace {

using support::seen;
using support::SeenOf;

// A visible window at 100, 100 with a client area of 300 by 200, focused
// and with everything it was sent so far handled.
HWND InputWindow() {
  HWND window = support::MakeWindow(WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
  EXPECT_NE(window, nullptr);
  support::PumpFor(100);
  seen.clear();
  return window;
}

bool Saw(UINT message, WPARAM wParam) {
  for (const auto& s : seen) {
    if (s.message == message && s.wParam == wParam) return true;
  }
  return false;
}

TEST(InputX, PointerMovesAndClicksArriveInClientCoordinates) {
  HWND window = InputWindow();
  xserver::MovePointer(150, 130);
  ASSERT_TRUE(support::PumpUntil([] {
    auto moves = SeenOf(WM_MOUSEMOVE);
    return !moves.empty() && moves.back().lParam == MAKELPARAM(50, 30);
  }));
  EXPECT_EQ(SeenOf(WM_MOUSEMOVE).back().window, window);
  EXPECT_EQ(SeenOf(WM_MOUSEMOVE).back().wParam, 0u);

  xserver::Button(1, true);
  xserver::Button(1, false);
  xserver::Button(3, true);
  xserver::Button(3, false);
  ASSERT_TRUE(support::PumpUntil([] { return !SeenOf(WM_RBUTTONUP).empty(); }));
  auto leftDown = SeenOf(WM_LBUTTONDOWN);
  ASSERT_EQ(leftDown.size(), 1u);
  EXPECT_EQ(leftDown[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_EQ(leftDown[0].lParam, MAKELPARAM(50, 30));
  ASSERT_EQ(SeenOf(WM_LBUTTONUP).size(), 1u);
  EXPECT_EQ(SeenOf(WM_LBUTTONUP)[0].wParam, 0u);
  ASSERT_EQ(SeenOf(WM_RBUTTONDOWN).size(), 1u);
  EXPECT_EQ(SeenOf(WM_RBUTTONDOWN)[0].wParam, static_cast<WPARAM>(MK_RBUTTON));
  EXPECT_EQ(SeenOf(WM_RBUTTONUP)[0].lParam, MAKELPARAM(50, 30));
}

TEST(InputX, MovesWaitingTogetherBecomeOneMessage) {
  HWND window = InputWindow();
  xserver::MovePointer(110, 110);
  xserver::MovePointer(120, 125);
  xserver::MovePointer(130, 140);
  xserver::Tap("Escape");
  // Peeking for this window's keys only brings the host's events into the
  // queue without taking the moves; once Escape is there, so are the moves.
  MSG msg;
  bool escape = false;
  for (int i = 0; i < 5000 && !escape; ++i) {
    escape = PeekMessageA(&msg, window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE) && msg.wParam == VK_ESCAPE;
    if (!escape) usleep(1000);
  }
  ASSERT_TRUE(escape);
  int moves = 0;
  LPARAM last = 0;
  while (PeekMessageA(&msg, window, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
    ++moves;
    last = msg.lParam;
  }
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(last, MAKELPARAM(30, 40));
}

TEST(InputX, LettersAreCapitalCodesAndTranslateToTypedCharacters) {
  InputWindow();
  xserver::Tap("a");
  xserver::Key("Shift_L", true);
  xserver::Tap("b");
  xserver::Key("Shift_L", false);
  xserver::Tap("5");
  xserver::Tap("Return");
  xserver::Tap("BackSpace");
  ASSERT_TRUE(support::PumpUntil([] { return Saw(WM_KEYUP, VK_BACK); }));

  std::vector<WPARAM> downs;
  for (const auto& s : SeenOf(WM_KEYDOWN)) downs.push_back(s.wParam);
  EXPECT_EQ(downs, (std::vector<WPARAM>{'A', VK_SHIFT, 'B', '5', VK_RETURN, VK_BACK}));
  std::vector<WPARAM> chars;
  for (const auto& s : SeenOf(WM_CHAR)) chars.push_back(s.wParam);
  EXPECT_EQ(chars, (std::vector<WPARAM>{'a', 'B', '5', 13, 8}));

  auto a = SeenOf(WM_KEYDOWN)[0];
  EXPECT_EQ(static_cast<uint32_t>(a.lParam), 0x001E0001u) << "scan code of A, one press";
  auto ups = SeenOf(WM_KEYUP);
  ASSERT_FALSE(ups.empty());
  EXPECT_EQ(static_cast<uint32_t>(ups[0].lParam), 0xC01E0001u);
  EXPECT_TRUE(SeenOf(WM_SYSKEYDOWN).empty());
}

TEST(InputX, AltF4ClosesTheWindowThroughTheDefaultProcedure) {
  HWND window = InputWindow();
  xserver::Key("Alt_L", true);
  xserver::Tap("F4");
  xserver::Key("Alt_L", false);
  ASSERT_TRUE(support::PumpUntil([&] { return !IsWindow(window); }));
  auto sysDowns = SeenOf(WM_SYSKEYDOWN);
  ASSERT_EQ(sysDowns.size(), 2u);
  EXPECT_EQ(sysDowns[0].wParam, static_cast<WPARAM>(VK_MENU));
  EXPECT_EQ(sysDowns[1].wParam, static_cast<WPARAM>(VK_F4));
  EXPECT_NE(static_cast<uint32_t>(sysDowns[1].lParam) & (1u << 29), 0u);
  ASSERT_EQ(SeenOf(WM_SYSCOMMAND).size(), 1u);
  EXPECT_EQ(SeenOf(WM_SYSCOMMAND)[0].wParam, static_cast<WPARAM>(SC_CLOSE));
  EXPECT_EQ(SeenOf(WM_CLOSE).size(), 1u);
  EXPECT_EQ(SeenOf(WM_DESTROY).size(), 1u);
  EXPECT_TRUE(SeenOf(WM_KEYDOWN).empty()) << "keys pressed with Alt are system keys";
}

TEST(InputX, TimerFiresThroughPeekMessageUntilKilled) {
  HWND window = InputWindow();
  EXPECT_EQ(SetTimer(window, 1, 30, nullptr), 1u);
  ASSERT_TRUE(support::PumpUntil([] { return SeenOf(WM_TIMER).size() >= 2; }, 10000));
  for (const auto& t : SeenOf(WM_TIMER)) {
    EXPECT_EQ(t.window, window);
    EXPECT_EQ(t.wParam, 1u);
  }
  EXPECT_TRUE(KillTimer(window, 1));
  seen.clear();
  support::PumpFor(150);
  EXPECT_TRUE(SeenOf(WM_TIMER).empty());
}

}  // namespace
