#include "XSession.h"

#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <string>
#include <utility>

#include "TestProbe.h"

namespace {

using namespace std::chrono_literals;
using e2e::Button;
using e2e::Rect;
using e2e::WindowQuery;
using probe::Probe;

const std::string kCyrillicTitle = "Probe — пробный";
const std::string kPlace = "x=100\ny=80\nwidth=240\nheight=160\n";

TEST(XSession, FindsWindowsByTitleProcessAndEitherTitleProperty) {
  e2e::XSession x;
  Probe utf8(x, kCyrillicTitle, kPlace);
  Probe compound(x, "Окно без нового имени", "net_wm_name=0\nx=400\n");  // WM_NAME as compound text
  Probe latin1(x, "Café", "net_wm_name=0\nx=700\n");                     // WM_NAME as Latin-1

  EXPECT_EQ(x.Title(utf8.window), kCyrillicTitle);
  EXPECT_EQ(x.Title(compound.window), "Окно без нового имени");
  EXPECT_EQ(x.Title(latin1.window), "Café");
  EXPECT_EQ(x.Pid(utf8.window), utf8.app.Pid());
  EXPECT_EQ(x.Geometry(utf8.window), (Rect{100, 80, 240, 160}));
  EXPECT_EQ(x.Geometry(latin1.window), (Rect{700, 0, 200, 120}));

  EXPECT_EQ(x.FindWindow(WindowQuery::Exact(kCyrillicTitle)), utf8.window);
  EXPECT_EQ(x.FindWindow(WindowQuery::Prefix("Probe — про")), utf8.window);
  EXPECT_EQ(x.FindWindow(WindowQuery::Prefix("Окно")), compound.window);
  EXPECT_EQ(x.FindWindow(WindowQuery::Exact("Probe")), std::nullopt) << "an exact title is not a prefix";
  EXPECT_EQ(x.FindWindow(WindowQuery::Exact(kCyrillicTitle + " ")), std::nullopt);
  EXPECT_EQ(x.FindWindow(WindowQuery::Exact("Café").OfPid(latin1.app.Pid())), latin1.window);
  EXPECT_EQ(x.FindWindow(WindowQuery::Exact("Café").OfPid(utf8.app.Pid())), std::nullopt);

  auto listed = x.TitledWindows();
  EXPECT_EQ(listed.size(), 3u);
  std::string described = x.DescribeWindows();
  EXPECT_NE(described.find("\"Café\" (pid " + std::to_string(latin1.app.Pid()) + ", 200x120)"),
            std::string::npos)
      << described;

  // Gone windows: found no more, and asked about, a clear error.
  e2e::WindowId closed = compound.window;
  compound.app.Kill();
  x.WaitForWindowGone(WindowQuery::Prefix("Окно"), 10s);
  EXPECT_FALSE(x.Exists(closed));
  EXPECT_THROW(x.Geometry(closed), e2e::HarnessError);
  EXPECT_THROW(x.Title(closed), e2e::HarnessError);
  EXPECT_EQ(x.TitledWindows().size(), 2u);
}

// The probe's four 120 by 80 quadrants, whole, with the window's corner at (x, y).
void ExpectQuadrants(const e2e::Image& image, int x, int y) {
  const std::pair<Rect, e2e::Rgb> quadrants[] = {{{x, y, 120, 80}, probe::kTopLeft},
                                                 {{x + 120, y, 120, 80}, probe::kTopRight},
                                                 {{x, y + 80, 120, 80}, probe::kBottomLeft},
                                                 {{x + 120, y + 80, 120, 80}, probe::kBottomRight}};
  for (const auto& [area, colour] : quadrants)
    EXPECT_EQ(e2e::CountPixels(image, area, colour), 120 * 80) << area;
}

TEST(XSession, ReadsPixelsAtWindowCoordinates) {
  e2e::XSession x;
  Probe p(x, "Colours", kPlace);
  e2e::Image shot = x.WaitForStableImage(p.window, 200ms, 10s);
  ASSERT_EQ(shot.Width(), 240);
  ASSERT_EQ(shot.Height(), 160);
  // Each quadrant up to its edges, and nothing of the screen around it.
  ExpectQuadrants(shot, 0, 0);

  e2e::Image screen = x.CaptureScreen();
  EXPECT_EQ(screen.Width(), 1024);
  EXPECT_EQ(screen.Height(), 768);
  ExpectQuadrants(screen, 100, 80);
  EXPECT_EQ(e2e::CountPixels(screen, screen.Bounds(), probe::kTopRight), 120 * 80);

  // Half off the screen: the visible columns are read, the rest stays black.
  XMoveWindow(x.Raw(), p.window, 1024 - 100, 300);
  e2e::WaitUntil("the probe to move", 5s, [&] { return x.Geometry(p.window).x == 1024 - 100; });
  x.WaitForPixel(p.window, 0, 0, probe::kTopLeft, 0, 5s);
  e2e::Image clipped = x.Capture(p.window);
  EXPECT_EQ(clipped.Width(), 240);
  EXPECT_EQ(e2e::CountPixels(clipped, {0, 0, 100, 80}, probe::kTopLeft), 100 * 80);
  EXPECT_EQ(e2e::CountPixels(clipped, {0, 80, 100, 80}, probe::kBottomLeft), 100 * 80);
  EXPECT_EQ(e2e::CountPixels(clipped, {100, 0, 140, 160}, e2e::Rgb{0, 0, 0}), 140 * 160);
}

TEST(XSession, ClicksArriveAtWindowCoordinatesWithTheirButtons) {
  e2e::XSession x;
  Probe p(x, "Clicks", kPlace);
  x.MovePointer(p.window, 5, 6);
  EXPECT_EQ(x.PointerPosition(), (e2e::Point{105, 86}));
  x.Click(p.window, 10, 20);
  x.Click(p.window, 239, 159, Button::Right);
  x.PressButton(p.window, 0, 0, Button::Left);
  x.ReleaseButton(p.window, 50, 60, Button::Left);  // a drag: only the press is logged
  x.Click(p.window, 120, 80, Button::Middle);
  p.app.WaitForFileBytes("events.txt", "button 1 10 20\nbutton 3 239 159\nbutton 1 0 0\nbutton 2 120 80\n",
                         10s);
  EXPECT_EQ(x.PointerPosition(), (e2e::Point{220, 160}));
}

TEST(XSession, KeysArriveWithTheirModifiersLeaveNoneHeldAndShowTheirEffect) {
  e2e::XSession x;
  Probe p(x, "Keys", kPlace + "exit_key=q\nexit_code=7\n");
  x.Activate(p.window);
  EXPECT_EQ(x.FocusedWindow(), p.window);
  x.TapKey(XK_Return);
  x.TapKey(XK_Escape);
  x.TapKey(XK_BackSpace);
  x.TapKey(XK_F4, e2e::kAlt);
  x.TapKey(XK_a, e2e::kShift);
  x.TapKey(XK_B);  // a shifted symbol gets its Shift by itself
  x.TapKey(XK_x, e2e::kControl | e2e::kAlt);
  x.TapKey(XK_7);
  x.PressKey(XK_Shift_L);
  x.TapKey(XK_F4);
  x.ReleaseKey(XK_Shift_L);
  x.Type("z9!\n");
  x.Type("яЖ");  // not on the keyboard map: typed through spare key codes
  x.TapKey(XK_F4);
  p.app.WaitForFileContaining("events.txt", "key F4 none\n", 10s);
  EXPECT_EQ(p.Events(),
            "key Return none\nkey Escape none\nkey BackSpace none\nkey F4 alt\nkey A shift\nkey B shift\n"
            "key x ctrl+alt\nkey 7 none\nkey F4 shift\nkey z none\nkey 9 none\nkey exclam shift\n"
            "key Return none\nkey U044F none\nkey U0416 none\nkey F4 none\n");

  // The key c switches the top-left colour and the title, and back: the
  // waits see the change.
  x.TapKey(XK_c);
  x.WaitForPixel(p.window, 10, 10, probe::kTopLeftSwitched, 0, 10s);
  EXPECT_EQ(x.WaitForTitle(p.window, WindowQuery::Exact("Keys (c)"), 10s), "Keys (c)");
  EXPECT_EQ(x.Title(p.window), "Keys (c)");
  e2e::Image still = x.WaitForStableImage(p.window, 300ms, 10s);
  EXPECT_EQ(e2e::CountPixels(still, still.Bounds(), probe::kTopLeftSwitched), 120 * 80);
  x.TapKey(XK_c);
  EXPECT_EQ(x.WaitForTitle(p.window, WindowQuery::Prefix("Ke"), 10s), "Keys");
  x.WaitForPixel(p.window, 119, 79, probe::kTopLeft, 0, 10s);

  x.TapKey(XK_q);
  EXPECT_EQ(p.app.WaitForExit(10s), e2e::ExitStatus::Code(7));
  x.WaitForWindowGone(WindowQuery::Exact("Keys"), 10s);
}

TEST(XSession, TimedOutWaitsFailWithWhatTheySaw) {
  e2e::XSession x;
  Probe p(x, "Patient", kPlace);
  auto expectTimeout = [](auto wait, std::initializer_list<std::string> fragments) {
    const std::string message = probe::ErrorText<e2e::WaitTimeout>(wait);
    for (const std::string& text : fragments) EXPECT_NE(message.find(text), std::string::npos) << message;
  };
  auto start = std::chrono::steady_clock::now();
  // The windows there are get listed.
  expectTimeout(
      [&] { x.WaitForWindow(WindowQuery::Exact("Never shown"), 300ms); },
      {"timed out after 0.3 s waiting for a window titled exactly \"Never shown\"", "\"Patient\" (pid "});
  expectTimeout([&] { x.WaitForPixel(p.window, 130, 10, probe::kTopLeft, 5, 300ms); },
                {"to be #C8280A within 5; last seen: #14B43C"});
  expectTimeout([&] { x.WaitForTitle(p.window, WindowQuery::Prefix("Impatient"), 300ms); },
                {"last seen: title \"Patient\""});
  expectTimeout([&] { x.WaitForWindowGone(WindowQuery::Exact("Patient"), 300ms); },
                {"waiting for no window titled exactly \"Patient\" to remain"});
  expectTimeout([&] { p.app.WaitForExit(300ms); },
                {"waiting for harness_probe (pid " + std::to_string(p.app.Pid()) + ") to exit"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s) << "the waits overran their timeouts by far";
  EXPECT_TRUE(p.app.Running());
}

TEST(XSession, CloseRequestAndSignalsEndTheProgram) {
  e2e::XSession x;
  Probe closing(x, "Closing", kPlace + "close_code=3\n");
  Probe terminated(x, "Terminated", "x=400\n");
  Probe killed(x, "Killed", "x=700\n");

  x.RequestClose(closing.window);
  EXPECT_EQ(closing.app.WaitForExit(10s), e2e::ExitStatus::Code(3));
  terminated.app.Kill(SIGTERM);
  EXPECT_EQ(terminated.app.WaitForExit(10s), e2e::ExitStatus::Signal(SIGTERM));
  killed.app.Kill();
  EXPECT_EQ(killed.app.Ended(), e2e::ExitStatus::Signal(SIGKILL));
  EXPECT_EQ(killed.app.WaitForExit(0ms).Describe(), "signal 9 (Killed)");
  EXPECT_EQ(closing.app.WaitForExit(0ms).Describe(), "exit code 3");
  x.WaitForWindowGone(WindowQuery::Exact("Killed"), 10s);
  EXPECT_EQ(x.TitledWindows().size(), 0u);
}

}  // namespace
