// The engine in a program of its own, the probe, copied under names of the
// test's choosing and started by the harness: the log named after the
// program, the fatal end when the log cannot be written, the settings read
// from the INI file beside the program, a start without a display, and whole
// runs under the test X server driven with real input.
#include <gtest/gtest.h>

#include <filesystem>
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

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace enginetest;
using e2e::ExitStatus;
using Env = std::vector<std::pair<std::string, std::string>>;

// The layer's trace, beside the program's folder.
const char* const kTrace = "../trace.txt";

// The probe as `name` in a folder `folder` of its own, copied by the harness
// into a scratch directory.
struct Probe {
  explicit Probe(const std::string& name = "Game.exe", const std::string& folder = "dist")
      : source(e2e::Dist(ENGINE_PROBE_DIST), "EngineProbe.exe"), app(Rename(source, folder, name), name) {}

  // The probe moved out of a first copy of its folder into a new one.
  static fs::path Rename(const e2e::App& copy, const std::string& folder, const std::string& name) {
    fs::create_directories(copy.ScratchDir() / folder);
    fs::rename(copy.PathOf("EngineProbe.exe"), copy.ScratchDir() / folder / name);
    return copy.ScratchDir() / folder;
  }

  void Start(const std::string& mode, Env env = {}) {
    e2e::StartOptions options;
    options.args = {mode};
    options.env = std::move(env);
    options.env.emplace_back("WINLAYER_TRACE", app.PathOf(kTrace).string());
    app.Start(options);
  }
  // The layer's trace of the display-mode calls, the beeps and the boxes:
  // the Linux build's alone.
  std::string Trace() const {
    EXPECT_FALSE(e2e::UnderWine()) << "Windows keeps no trace";
    return Read(kTrace);
  }
  // Starts the program and waits for its end.
  ExitStatus Run(const std::string& mode, Env env = {}) {
    Start(mode, std::move(env));
    return app.WaitForExit(20s);
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

  e2e::App source, app;
  e2e::WindowId window = 0;
};

TEST(LogFile, IsNamedAfterTheProgramLessItsLastFourCharacters) {
  for (auto [program, log] :
       {std::pair{"Game.exe", "Game.log"}, {"Engine", "En.log"}, {"Игра.bin", "Игра.log"}}) {
    Probe probe(program);
    EXPECT_EQ(probe.Run("log"), ExitStatus::Code(0)) << program;
    EXPECT_EQ(probe.app.ReadFile(log), FirstLine() + LastLine()) << program;
    // The program and its log, nothing else.
    EXPECT_EQ(std::distance(fs::directory_iterator(probe.app.Folder()), fs::directory_iterator()), 2)
        << program;
  }
}

TEST(LogFile, ALogThatCannotBeCreatedOrWrittenIsAFatalRuntimeError) {
  // Without a display nothing waits for a click on the error box: on
  // Linux its text still goes to standard error, on Windows no box shows.
  const Env noDisplay = {{"DISPLAY", ""}};
  auto expectBox = [](const Probe& probe, const std::string& text) {
    if (e2e::UnderWine()) return;
    const auto texts = probe.app.MessageBoxTexts("Error");
    EXPECT_TRUE(texts.size() == 1 && texts[0].starts_with(text)) << probe.app.Stderr();
  };
  // A folder in the log's place: access denied (5) at the creation.
  Probe blocked;
  fs::create_directories(blocked.app.PathOf("Game.log"));
  EXPECT_EQ(blocked.Run("log", noDisplay), ExitStatus::Code(5));
  expectBox(blocked, "Runtime error   5 at ");

  // A full disk (112) when the buffered lines go out at the close.
  Probe full;
  fs::create_symlink("/dev/full", full.app.PathOf("Game.log"));
  EXPECT_EQ(full.Run("log", noDisplay), ExitStatus::Code(112));
  expectBox(full, "Runtime error 112 at ");
}

TEST(Settings, ComeFromTheIniBesideTheProgramWithDefaultsAndAnyNonZeroNumberForFullScreen) {
  // "Width Height BitsPerPixel FullScreen" as loaded with `ini` beside the
  // program (none when empty).
  auto loaded = [](const std::string& ini, const std::string& folder = "dist") {
    Probe probe("Game.exe", folder);
    if (!ini.empty()) probe.app.WriteFile("Game.INI", ini);
    EXPECT_EQ(probe.Run("settings"), ExitStatus::Code(0)) << probe.app.Stderr();
    return probe.app.Stdout();
  };
  EXPECT_EQ(loaded(""), "640 480 32 0\n");
  EXPECT_EQ(loaded("[Other]\r\nWidth=800\r\n[Options]\r\nHeight=600\r\n"), "640 600 32 0\n");
  EXPECT_EQ(loaded("[Options]\r\nFullScreen=1\r\nBitsPerPixel=16\r\n"), "640 480 16 1\n");
  EXPECT_EQ(loaded("[Options]\r\nFullScreen=-1\r\n"), "640 480 32 1\n");
  EXPECT_EQ(loaded("[Options]\r\nFullScreen=yes\r\n"), "640 480 32 0\n");
  // A dot in a folder name does no harm while the program has an extension.
  EXPECT_EQ(loaded("[Options]\r\nWidth=800\r\n", "my.games"), "800 480 32 0\n");
  // Without one, the folder's dot decides: a.b\prog reads a.INI beside the
  // folder, not a.b\prog.INI.
  Probe bare("prog", "a.b");
  bare.app.WriteFile("../a.INI", "[Options]\r\nWidth=1024\r\n");
  bare.app.WriteFile("prog.INI", "[Options]\r\nWidth=1280\r\n");
  EXPECT_EQ(bare.Run("settings"), ExitStatus::Code(0));
  EXPECT_EQ(bare.app.Stdout(), "1024 480 32 0\n");
}

TEST(StartUp, WithoutADisplayTheWindowFailsAndTheProgramEndsNormally) {
  Probe probe;
  // A display that no server answers.
  EXPECT_EQ(probe.Run("run", {{"DISPLAY", ":3999"}}), ExitStatus::Code(0)) << probe.app.Stderr();
  EXPECT_EQ(probe.app.ReadFile("Game.log"),
            StartUntilWindow() + ErrorLine("  Невозможно создать окно"_cp, "WindowUnit") +
                ErrorLine("  Не возможно создание окна"_cp, "GameEngine") +
                ErrorLine("GameEngine не инициализирован"_cp, "Game") + LastLine());
}

TEST(EngineRun, TheViewportFollowsTheClientAreaInputReachesItsSlotsAndAltF4LeavesTheWholeLog) {
  e2e::XSession x;
  Probe run;
  run.Start("run");
  run.WaitForWindow(x);
  // The viewport is the client area from the first frame on: the window's
  // outer size is the settings' 640 by 480, frame and caption included.
  const e2e::Rect client = x.Geometry(run.window);
  EXPECT_TRUE(e2e::IsClientAreaOf(client, {0, 0, 640, 480})) << client;
  const std::string size = std::to_string(client.width) + " " + std::to_string(client.height);
  run.WaitForEvent("start " + size + " gl 0 0 " + size);
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
  EXPECT_EQ(run.Read("Game.log"), DefaultStart() + CloseByUser());
  // One record per press and per left press. With Alt held the keys are
  // system keys: not intercepted, dispatched, and the close comes from them.
  const std::string events = run.Read("events.txt");
  EXPECT_EQ(events.find("down 60 70"), std::string::npos) << events;
  EXPECT_EQ(events.find("key 65", events.find("key 65") + 1), std::string::npos) << events;
  EXPECT_EQ(events.find("down", events.find("down 30 40") + 1), std::string::npos) << events;
  EXPECT_EQ(events.find("key ", events.find("key 13") + 1), std::string::npos) << events;
  // A windowed run never touches the display mode (the screen keeps its
  // size on both builds; only Linux traces the calls).
  EXPECT_EQ(x.ScreenRect(), (e2e::Rect{0, 0, 1024, 768}));
  if (!e2e::UnderWine()) {
    EXPECT_EQ(run.Trace().find("ChangeDisplaySettingsA"), std::string::npos) << run.Trace();
  }
}

TEST(EngineRun, EmptySlotsDropTheirInputAndAnEmptyFrameSlotDrawsNothing) {
  e2e::XSession x;
  Probe run;
  run.Start("run", {{"PROBE_SLOTS", "k"}});
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
  Probe run;
  run.app.WriteFile("Game.INI",
                    "[Options]\r\nWidth=800\r\nHeight=600\r\nBitsPerPixel=16\r\nFullScreen=1\r\n");
  EXPECT_EQ(run.Run("run"), ExitStatus::Code(0));
  EXPECT_EQ(run.Read("Game.log"),
            StartUntilWindow() +
                VideoModeUntilOpenGL("Устанавливаем полноэкранный видеорежим 800x600x16"_cp) +
                StatusLine("    Инициализация полноэкранного режима"_cp, "Game3DEngine") +
                StatusLine("    Сбой при инициализации полноэкранного режима"_cp, "Game3DEngine") +
                ErrorLine("  Невозможно переключить видеорежим"_cp, "Game") + Shutdown());
  // The mode was asked for and refused, and the restore still came; the
  // display-mode calls are traced on Linux only.
  if (e2e::UnderWine()) return;
  const std::string trace = run.Trace();
  const auto asked = trace.find("ChangeDisplaySettingsA 800x600x16 4 -> ");
  const auto restored = trace.find("ChangeDisplaySettingsA NULL 4");
  EXPECT_NE(asked, std::string::npos) << trace;
  EXPECT_NE(restored, std::string::npos) << trace;
  EXPECT_LT(asked, restored) << trace;
  EXPECT_EQ(trace.find("ChangeDisplaySettingsA 800x600x16 4 -> 0\n"), std::string::npos) << trace;
}

TEST(EngineRun, TheScreensOwnModeRunsFullScreenAndMaximisingBeeps) {
  e2e::XSession x;
  Probe run;
  run.app.WriteFile("Game.INI",
                    "[Options]\r\nWidth=1024\r\nHeight=768\r\nBitsPerPixel=32\r\nFullScreen=1\r\n");
  run.Start("run", {{"PROBE_MAXIMIZE", "1"}});
  run.WaitForWindow(x);
  run.WaitForEvent("start 1024 768 gl 0 0 1024 768");
  EXPECT_EQ(x.Geometry(run.window), (e2e::Rect{0, 0, 1024, 768}));
  run.WaitForEvent("maximise posted");
  // The beep is traced on Linux only.
  if (!e2e::UnderWine()) run.app.WaitForFileContaining(kTrace, "MessageBeep 0\n", 10s);
  run.Close(x);

  EXPECT_EQ(run.Read("Game.log"),
            StartUntilWindow() +
                VideoModeUntilOpenGL("Устанавливаем полноэкранный видеорежим 1024x768x32"_cp) +
                StatusLine("    Инициализация полноэкранного режима"_cp, "Game3DEngine") + OpenGLSteps() +
                CloseByUser());
  if (e2e::UnderWine()) return;
  const std::string trace = run.Trace();
  EXPECT_NE(trace.find("ChangeDisplaySettingsA 1024x768x32 4 -> 0\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("ChangeDisplaySettingsA NULL 4"), std::string::npos) << trace;
}

}  // namespace
