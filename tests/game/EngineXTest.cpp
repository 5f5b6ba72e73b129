// The engine's whole run under an X server: copies of the probe program
// started with settings of the test's choosing, driven with real input,
// their logs, records and exit status read afterwards.
#include <gtest/gtest.h>

#include <string>

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
using e2e::WindowQuery;

const char* const kTitle = "Game gfx engine";

// One run of the probe: its folder, its window and what it left.
class ProbeRun {
 public:
  ProbeRun(e2e::XSession& x, const std::string& settings,
           const std::vector<std::pair<std::string, std::string>>& env = {})
      : app(ENGINE_PROBE_DIST, "EngineProbe.exe") {
    if (!settings.empty()) app.WriteFile("EngineProbe.INI", settings);
    e2e::StartOptions options;
    options.env = env;
    options.env.emplace_back("WINLAYER_TRACE", app.PathOf("trace.txt").string());
    app.Start(options);
    window = app.WaitForWindow(x, WindowQuery::Exact(kTitle).OfPid(app.Pid()), 20s);
  }

  std::string Log() const { return app.ReadFile("EngineProbe.log"); }
  std::string Events() const { return app.FileExists("events.txt") ? app.ReadFile("events.txt") : ""; }
  std::string Trace() const { return app.FileExists("trace.txt") ? app.ReadFile("trace.txt") : ""; }

  void WaitForEvent(const std::string& line) { app.WaitForFileContaining("events.txt", line + "\n", 10s); }

  e2e::App app;
  e2e::WindowId window = 0;
};

TEST(EngineRun, ADefaultStartFollowsTheClientAreaAndAnAltF4CloseLeavesTheWholeLog) {
  e2e::XSession x;
  ProbeRun run(x, "");
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

  x.Activate(run.window);
  x.TapKey(XK_F4, e2e::kAlt);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));
  EXPECT_EQ(run.Log(), DefaultStart() + CloseByUser());
  // With Alt held the keys are system keys: not intercepted, dispatched,
  // and the close comes from them.
  EXPECT_EQ(run.Events().find("key "), std::string::npos) << run.Events();
  // A windowed run never touches the display mode.
  EXPECT_EQ(run.Trace().find("ChangeDisplaySettingsA"), std::string::npos) << run.Trace();
}

TEST(EngineRun, InputReachesItsSlotsWithClientCoordinates) {
  e2e::XSession x;
  ProbeRun run(x, "");
  run.WaitForEvent("loop");
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

  std::string events = run.Events();
  EXPECT_EQ(events.find("down 60 70"), std::string::npos) << events;
  // One record per press, one per left press.
  EXPECT_EQ(events.find("key 65", events.find("key 65") + 1), std::string::npos) << events;
  EXPECT_EQ(events.find("down", events.find("down 30 40") + 1), std::string::npos) << events;

  // The frame slot draws; the window shows it.
  x.WaitForPixel(run.window, 10, 10, e2e::Rgb{255, 0, 0}, 8, 10s);
  x.RequestClose(run.window);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));
}

TEST(EngineRun, EmptySlotsDropTheirInputAndAnEmptyFrameSlotDrawsNothing) {
  e2e::XSession x;
  ProbeRun run(x, "", {{"PROBE_SLOTS", "k"}});
  run.WaitForEvent("loop");
  x.Activate(run.window);
  x.MovePointer(run.window, 100, 50);
  x.Click(run.window, 30, 40, e2e::Button::Left);
  // The loop keeps turning: a later key press still arrives.
  x.TapKey(XK_b);
  run.WaitForEvent("key 66 char 0");
  std::string events = run.Events();
  EXPECT_EQ(events.find("move"), std::string::npos) << events;
  EXPECT_EQ(events.find("down"), std::string::npos) << events;

  e2e::Image shown = x.WaitForStableImage(run.window, 300ms, 10s);
  EXPECT_FALSE(e2e::Near(shown.At(10, 10), e2e::Rgb{255, 0, 0}, 8)) << shown.At(10, 10);
  x.RequestClose(run.window);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));
}

TEST(EngineRun, MaximisingBeeps) {
  e2e::XSession x;
  ProbeRun run(x, "", {{"PROBE_MAXIMIZE", "1"}});
  run.WaitForEvent("maximise posted");
  run.app.WaitForFileContaining("trace.txt", "MessageBeep 0\n", 10s);
  x.RequestClose(run.window);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));
}

TEST(EngineRun, AFullScreenModeTheDisplayLacksShutsDownWithExitStatusZero) {
  e2e::XSession x;
  e2e::App app(ENGINE_PROBE_DIST, "EngineProbe.exe");
  app.WriteFile("EngineProbe.INI",
                "[Options]\r\nWidth=800\r\nHeight=600\r\nBitsPerPixel=16\r\nFullScreen=1\r\n");
  e2e::StartOptions options;
  options.env.emplace_back("WINLAYER_TRACE", app.PathOf("trace.txt").string());
  app.Start(options);
  EXPECT_EQ(app.WaitForExit(20s), ExitStatus::Code(0));

  EXPECT_EQ(app.ReadFile("EngineProbe.log"),
            StartUntilWindow() +
                VideoModeUntilOpenGL("Устанавливаем полноэкранный видеорежим 800x600x16"_cp) +
                StatusLine("    Инициализация полноэкранного режима"_cp, "Game3DEngine") +
                StatusLine("    Сбой при инициализации полноэкранного режима"_cp, "Game3DEngine") +
                ErrorLine("  Невозможно переключить видеорежим"_cp, "Game") + Shutdown());
  // The mode was asked for and refused, and the restore still came.
  std::string trace = app.ReadFile("trace.txt");
  auto asked = trace.find("ChangeDisplaySettingsA 800x600x16 4 -> ");
  auto restored = trace.find("ChangeDisplaySettingsA NULL 4");
  EXPECT_NE(asked, std::string::npos) << trace;
  EXPECT_NE(restored, std::string::npos) << trace;
  EXPECT_LT(asked, restored) << trace;
  EXPECT_EQ(trace.find("ChangeDisplaySettingsA 800x600x16 4 -> 0\n"), std::string::npos) << trace;
}

TEST(EngineRun, TheScreensOwnModeRunsFullScreen) {
  e2e::XSession x;
  ProbeRun run(x, "[Options]\r\nWidth=1024\r\nHeight=768\r\nBitsPerPixel=32\r\nFullScreen=1\r\n");
  run.WaitForEvent("start 1024 768 gl 0 0 1024 768");
  e2e::Rect placed = x.Geometry(run.window);
  EXPECT_EQ(placed, (e2e::Rect{0, 0, 1024, 768}));
  x.RequestClose(run.window);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));

  EXPECT_EQ(run.Log(), StartUntilWindow() +
                           VideoModeUntilOpenGL("Устанавливаем полноэкранный видеорежим 1024x768x32"_cp) +
                           StatusLine("    Инициализация полноэкранного режима"_cp, "Game3DEngine") +
                           OpenGLSteps() + CloseByUser());
  std::string trace = run.Trace();
  EXPECT_NE(trace.find("ChangeDisplaySettingsA 1024x768x32 4 -> 0\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("ChangeDisplaySettingsA NULL 4"), std::string::npos) << trace;
}

}  // namespace
