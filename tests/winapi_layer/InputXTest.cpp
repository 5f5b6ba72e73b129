// Real input through XTest, peeks filtered by window and range, and a timer
// that fires through PeekMessageA.
#include <gtest/gtest.h>
#include <windows.h>

#include "LayerSupport.h"

namespace {

using namespace std::chrono_literals;
using support::ParamsOf;
using support::seen;
using support::SeenOf;

// A visible window at 100, 100 with a client area of 300 by 200, focused
// and with everything it was sent so far handled.
class InputX : public ::testing::Test {
 protected:
  void SetUp() override {
    window = support::MakeWindow(WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
    ASSERT_NE(window, nullptr);
    host = support::XWindow(window);
    x.Activate(host);
    support::PumpFor(100ms);
    seen.clear();
  }

  e2e::XSession x;
  HWND window = nullptr;
  e2e::WindowId host = 0;
};

TEST_F(InputX, PointerMovesAndClicksArriveInClientCoordinates) {
  x.MovePointer(host, 50, 30);
  support::PumpUntil("a move to 50, 30", [] {
    auto moves = SeenOf(WM_MOUSEMOVE);
    return !moves.empty() && moves.back().lParam == MAKELPARAM(50, 30);
  });
  EXPECT_EQ(SeenOf(WM_MOUSEMOVE).back().window, window);
  EXPECT_EQ(SeenOf(WM_MOUSEMOVE).back().wParam, 0u);

  x.Click(host, 50, 30);
  x.Click(host, 50, 30, e2e::Button::Right);
  support::PumpUntil("the right button's release", [] { return !SeenOf(WM_RBUTTONUP).empty(); });
  std::vector<std::pair<UINT, WPARAM>> buttons;
  for (const auto& s : seen) {
    if (s.message < WM_LBUTTONDOWN || s.message > WM_MBUTTONUP) continue;
    buttons.emplace_back(s.message, s.wParam);
    EXPECT_EQ(s.lParam, MAKELPARAM(50, 30));
  }
  EXPECT_EQ(
      buttons,
      (std::vector<std::pair<UINT, WPARAM>>{
          {WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}, {WM_RBUTTONDOWN, MK_RBUTTON}, {WM_RBUTTONUP, 0}}));
}

TEST_F(InputX, MovesWaitingTogetherBecomeOneMessage) {
  x.MovePointer(host, 10, 10);
  x.MovePointer(host, 20, 25);
  x.MovePointer(host, 30, 40);
  x.TapKey(XK_Escape);
  // Peeking for this window's keys only brings the host's events into the
  // queue without taking the moves; once Escape is there, so are the moves.
  MSG msg;
  e2e::WaitUntil("Escape", 5s, [&] {
    return PeekMessageA(&msg, window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE) && msg.wParam == VK_ESCAPE;
  });
  std::vector<LPARAM> moves;
  while (PeekMessageA(&msg, window, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) moves.push_back(msg.lParam);
  EXPECT_EQ(moves, std::vector<LPARAM>{MAKELPARAM(30, 40)});
}

TEST_F(InputX, LettersAreCapitalCodesAndTranslateToTypedCharacters) {
  for (e2e::KeySym key : {XK_a, XK_B, XK_5, XK_Return, XK_BackSpace}) x.TapKey(key);  // B with Shift
  support::PumpUntil("BackSpace's release", [] {
    auto ups = SeenOf(WM_KEYUP);
    return !ups.empty() && ups.back().wParam == VK_BACK;
  });
  ASSERT_EQ(ParamsOf(WM_KEYDOWN), (std::vector<WPARAM>{'A', VK_SHIFT, 'B', '5', VK_RETURN, VK_BACK}));
  EXPECT_EQ(ParamsOf(WM_CHAR), (std::vector<WPARAM>{'a', 'B', '5', 13, 8}));
  EXPECT_EQ(static_cast<uint32_t>(SeenOf(WM_KEYDOWN)[0].lParam), 0x001E0001u) << "scan code of A, one press";
  EXPECT_EQ(static_cast<uint32_t>(SeenOf(WM_KEYUP)[0].lParam), 0xC01E0001u);
  EXPECT_TRUE(SeenOf(WM_SYSKEYDOWN).empty());
}

TEST_F(InputX, AltF4ClosesTheWindowThroughTheDefaultProcedure) {
  x.TapKey(XK_F4, e2e::kAlt);
  support::PumpUntil("the window to be destroyed", [&] { return !IsWindow(window); });
  ASSERT_EQ(ParamsOf(WM_SYSKEYDOWN), (std::vector<WPARAM>{VK_MENU, VK_F4}));
  EXPECT_NE(static_cast<uint32_t>(SeenOf(WM_SYSKEYDOWN).back().lParam) & (1u << 29), 0u);
  EXPECT_EQ(support::Kinds({WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}),
            (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
  EXPECT_EQ(ParamsOf(WM_SYSCOMMAND), std::vector<WPARAM>{SC_CLOSE});
  EXPECT_TRUE(SeenOf(WM_KEYDOWN).empty()) << "keys pressed with Alt are system keys";
}

TEST_F(InputX, TimerFiresThroughPeekMessageUntilKilled) {
  EXPECT_EQ(SetTimer(window, 1, 30, nullptr), 1u);
  support::PumpUntil(
      "two ticks", [] { return SeenOf(WM_TIMER).size() >= 2; }, 10s);
  for (const auto& t : SeenOf(WM_TIMER)) {
    EXPECT_EQ(t.window, window);
    EXPECT_EQ(t.wParam, 1u);
  }
  EXPECT_TRUE(KillTimer(window, 1));
  seen.clear();
  support::PumpFor(150ms);
  EXPECT_TRUE(SeenOf(WM_TIMER).empty());
}

}  // namespace
