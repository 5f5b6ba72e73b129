// The engine's whole run under an X server: copies of the probe program
// started with settings of the test's choosing, driven with real input,
// their logs, records and exit status read afterwards.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "App.h"
#include "Cp1251.h"
#include "ExpectedLog.h"
#include "XSession.h"
// Last: its macros clash with names in the headers above.
#include <X11/Xlib.h>

namespace {

using namespace std::chrono_literals;
using namespace enginetest;
using e2e::ExitStatus;

// One run of the probe: its folder, its window and what it left.
struct ProbeRun {
  explicit ProbeRun(const std::string& settings, std::vector<std::pair<std::string, std::string>> env = {})
      : app(ENGINE_PROBE_DIST, "EngineProbe.exe") {
    if (!settings.empty()) app.WriteFile("EngineProbe.INI", settings);
    env.emplace_back("WINLAYER_TRACE", app.PathOf("trace.txt").string());
    app.Start({.args = {}, .env = env, .runner = std::nullopt});
  }

  void WaitForWindow(e2e::XSession& x) {
    window = app.WaitForWindow(x, e2e::WindowQuery::Exact("Game gfx engine").OfPid(app.Pid()), 20s);
  }
  void WaitForEvent(const std::string& line) { app.WaitForFileContaining("events.txt", line + "\n", 10s); }
  std::string Read(const char* file) const { return app.FileExists(file) ? app.ReadFile(file) : ""; }
  void Close(e2e::XSession& x) {
    x.RequestClose(window);
    EXPECT_EQ(app.WaitForExit(10s), ExitStatus::Code(0));
  }

  e2e::App app;
  e2e::WindowId window = 0;
};

TEST(EngineRun, TheViewportFollowsTheClientAreaInputReachesItsSlotsAndAltF4LeavesTheWholeLog) {
  e2e::XSession x;
  ProbeRun run("");
  run.WaitForWindow(x);
  // The viewport starts at the settings' size and then follows the client
  // area.
  run.WaitForEvent("start 640 480 gl 0 0 640 480");
  run.WaitForEvent("loop");
  XResizeWindow(x.Raw(), run.window, 500, 300);
  XSync(x.Raw(), False);
  run.WaitForEvent("viewport 500 300 gl 0 0 500 300");
  XResizeWindow(x.Raw(), run.window, 320, 400);
  XSync(x.Raw(), False);
  run.WaitForEvent("viewport 320 400 gl 0 0 320 400");

  // Input in client coordinates.
  x.Activate(run.window);
  x.MovePointer(run.window, 100, 50);
  run.WaitForEvent("move 100 50");
  x.Click(run.window, 30, 40, e2e::Button::Left);
  run.WaitForEvent("down 30 40");
  // Other buttons go to the window procedure, not to the left-button slot.
  x.Click(run.window, 60, 70, e2e::Button::Right);
  run.WaitForEvent("move 60 70");
  // Keys reach their slot untranslated: no character follows them.
  x.TapKey(XK_a);
  run.WaitForEvent("key 65 char 0");
  x.TapKey(XK_Return);
  run.WaitForEvent("key 13 char 0");
  // The frame slot draws; the window shows it.
  x.WaitForPixel(run.window, 10, 10, e2e::Rgb{255, 0, 0}, 8, 10s);

  x.TapKey(XK_F4, e2e::kAlt);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));
  EXPECT_EQ(run.Read("EngineProbe.log"), DefaultStart() + CloseByUser());
  // One record per press and per left press. With Alt held the keys are
  // system keys: not intercepted, dispatched, and the close comes from them.
  const std::string events = run.Read("events.txt");
  EXPECT_EQ(events.find("down 60 70"), std::string::npos) << events;
  EXPECT_EQ(events.find("key 65", events.find("key 65") + 1), std::string::npos) << events;
  EXPECT_EQ(events.find("down", events.find("down 30 40") + 1), std::string::npos) << events;
  EXPECT_EQ(events.find("key ", events.find("key 13") + 1), std::string::npos) << events;
  // A windowed run never touches the display mode.
  EXPECT_EQ(run.Read("trace.txt").find("ChangeDisplaySettingsA"), std::string::npos) << run.Read("trace.txt");
}

TEST(EngineRun, EmptySlotsDropTheirInputAndAnEmptyFrameSlotDrawsNothing) {
  e2e::XSession x;
  ProbeRun run("", {{"PROBE_SLOTS", "k"}});
  run.WaitForWindow(x);
  run.WaitForEvent("loop");
  x.Activate(run.window);
  x.MovePointer(run.window, 100, 50);
  x.Click(run.window, 30, 40, e2e::Button::Left);
  // The loop keeps turning: a later key press still arrives.
  x.TapKey(XK_b);
  run.WaitForEvent("key 66 char 0");
  const std::string events = run.Read("events.txt");
  EXPECT_EQ(events.find("move"), std::string::npos) << events;
  EXPECT_EQ(events.find("down"), std::string::npos) << events;

  e2e::Image shown = x.WaitForStableImage(run.window, 300ms, 10s);
  EXPECT_FALSE(e2e::Near(shown.At(10, 10), e2e::Rgb{255, 0, 0}, 8)) << shown.At(10, 10);
  run.Close(x);
}

TEST(EngineRun, AFullScreenModeTheDisplayLacksShutsDownWithExitStatusZero) {
  ProbeRun run("[Options]\r\nWidth=800\r\nHeight=600\r\nBitsPerPixel=16\r\nFullScreen=1\r\n");
  EXPECT_EQ(run.app.WaitForExit(20s), ExitStatus::Code(0));
  EXPECT_EQ(run.Read("EngineProbe.log"),
            StartUntilWindow() +
                VideoModeUntilOpenGL("Устанавливаем полноэкранный видеорежим 800x600x16"_cp) +
                StatusLine("    Инициализация полноэкранного режима"_cp, "Game3DEngine") +
                StatusLine("    Сбой при инициализации полноэкранного режима"_cp, "Game3DEngine") +
                ErrorLine("  Невозможно переключить видеорежим"_cp, "Game") + Shutdown());
  // The mode was asked for and refused, and the restore still came.
  const std::string trace = run.Read("trace.txt");
  const auto asked = trace.find("ChangeDisplaySettingsA 800x600x16 4 -> ");
  const auto restored = trace.find("ChangeDisplaySettingsA NULL 4");
  EXPECT_NE(asked, std::string::npos) << trace;
  EXPECT_NE(restored, std::string::npos) << trace;
  EXPECT_LT(asked, restored) << trace;
  EXPECT_EQ(trace.find("ChangeDisplaySettingsA 800x600x16 4 -> 0\n"), std::string::npos) << trace;
}

TEST(EngineRun, TheScreensOwnModeRunsFullScreenAndMaximisingBeeps) {
  e2e::XSession x;
  ProbeRun run("[Options]\r\nWidth=1024\r\nHeight=768\r\nBitsPerPixel=32\r\nFullScreen=1\r\n",
               {{"PROBE_MAXIMIZE", "1"}});
  run.WaitForWindow(x);
  run.WaitForEvent("start 1024 768 gl 0 0 1024 768");
  EXPECT_EQ(x.Geometry(run.window), (e2e::Rect{0, 0, 1024, 768}));
  run.WaitForEvent("maximise posted");
  run.app.WaitForFileContaining("trace.txt", "MessageBeep 0\n", 10s);
  run.Close(x);

  EXPECT_EQ(run.Read("EngineProbe.log"),
            StartUntilWindow() +
                VideoModeUntilOpenGL("Устанавливаем полноэкранный видеорежим 1024x768x32"_cp) +
                StatusLine("    Инициализация полноэкранного режима"_cp, "Game3DEngine") + OpenGLSteps() +
                CloseByUser());
  const std::string trace = run.Read("trace.txt");
  EXPECT_NE(trace.find("ChangeDisplaySettingsA 1024x768x32 4 -> 0\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("ChangeDisplaySettingsA NULL 4"), std::string::npos) << trace;
}

}  // namespace
