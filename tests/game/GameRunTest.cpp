// Whole programs under the test X server, started by the harness from
// scratch copies of their folders: the engine in a program of its own, the
// probe, copied under names of the test's choosing (the log named after the
// program, the fatal end when the log cannot be written, the settings read
// from the INI file beside the program, starts without a display, windowed
// and full-screen runs driven with real input), and Game itself, played.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "App.h"
#include "Browser.h"
#include "BoardRuns.h"
#include "Cp1251.h"
#include "ExpectedLog.h"
#include "SceneLook.h"
#include "XSession.h"
// Last: their macros clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace enginetest;
using e2e::ExitStatus;
using e2e::Rgb;
using Env = std::vector<std::pair<std::string, std::string>>;

// The start's lines up to the OpenGL set-up for a mode line such as
// "Устанавливаем оконный видеорежим 640x480x32".
std::string StartFor(const std::string& modeLine) {
  return StartUntilWindow() + VideoModeUntilOpenGL(modeLine);
}
std::string FullScreenStep() {
  return StatusLine("    Инициализация полноэкранного режима"_cp, "Game3DEngine");
}
// The whole log of a windowed start with the default settings and a close.
const std::string kDefaultRun = DefaultStart() + CloseByUser();

// ---------------------------------------------------------------------------
// The test server's screen: the size of the mode its one output shows, as
// RandR tells it ("1024x768"), and 640 x 480 offered besides that mode.

std::string ShownMode(e2e::XSession& x) {
  XRRScreenResources* screen = XRRGetScreenResourcesCurrent(x.Raw(), DefaultRootWindow(x.Raw()));
  XRRCrtcInfo* crtc = XRRGetCrtcInfo(x.Raw(), screen, screen->crtcs[0]);
  const std::string shown = std::to_string(crtc->width) + "x" + std::to_string(crtc->height);
  XRRFreeCrtcInfo(crtc);
  XRRFreeScreenResources(screen);
  return shown;
}

void WaitForShownMode(e2e::XSession& x, const std::string& mode) {
  e2e::WaitUntil(
      "the screen in " + mode, 10s, [&] { return ShownMode(x) == mode; }, [&] { return ShownMode(x); });
}

void OfferSmallMode(e2e::XSession& x) {
  const Window root = DefaultRootWindow(x.Raw());
  XRRScreenResources* screen = XRRGetScreenResources(x.Raw(), root);
  bool offered = false;
  for (int i = 0; i < screen->nmode; ++i) offered |= std::string(screen->modes[i].name) == "640x480";
  char name[] = "640x480";
  XRRModeInfo mode{};
  mode.width = 640;
  mode.height = 480;
  mode.dotClock = 25175000;
  mode.hTotal = 800;
  mode.vTotal = 525;
  mode.name = name;
  mode.nameLength = sizeof name - 1;
  if (!offered) XRRAddOutputMode(x.Raw(), screen->outputs[0], XRRCreateMode(x.Raw(), root, &mode));
  XSync(x.Raw(), False);
  XRRFreeScreenResources(screen);
}

// ---------------------------------------------------------------------------
// The engine's runs.

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
  std::string Trace() const { return Read(kTrace); }
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

  e2e::App source, app;
  e2e::WindowId window = 0;
};

// The probe is a program of the Linux and Windows builds alone, and what
// it tries (a missing display, a log in a folder's place or on a full disk,
// program names, display modes, Alt+F4) a page does not have.
const char* const kProbeHasNoPage =
    "the engine's probe has no page: a page has no display to lack, no disk to fill, no display modes and no "
    "Alt+F4";

TEST(LogFile, IsNamedAfterTheProgramAndTellsOfAWindowThatCouldNotBeMade) {
  if (e2e::OnWeb()) GTEST_SKIP() << kProbeHasNoPage;
  // On a display that no server answers the window fails, and the program
  // ends normally. The log replaces an older, longer one beside the program,
  // named after it less its last four characters.
  for (auto [program, log] :
       {std::pair{"Game.exe", "Game.log"}, {"Engine", "En.log"}, {"Игра.bin", "Игра.log"}}) {
    Probe probe(program);
    probe.app.WriteFile(log, std::string(1000, 'x') + "\r\nan earlier run\r\n");
    EXPECT_EQ(probe.Run("run", {{"DISPLAY", ":3999"}}), ExitStatus::Code(0)) << probe.app.Stderr();
    EXPECT_EQ(probe.app.ReadFile(log), StartUntilWindow() +
                                           ErrorLine("  Невозможно создать окно"_cp, "WindowUnit") +
                                           ErrorLine("  Не возможно создание окна"_cp, "GameEngine") +
                                           ErrorLine("GameEngine не инициализирован"_cp, "Game") + LastLine())
        << program;
    // The program and its log, nothing else.
    EXPECT_EQ(std::distance(fs::directory_iterator(probe.app.Folder()), fs::directory_iterator()), 2)
        << program;
  }
}

TEST(LogFile, ALogThatCannotBeCreatedOrWrittenIsAFatalRuntimeError) {
  if (e2e::OnWeb()) GTEST_SKIP() << kProbeHasNoPage;
  // The error box comes before any window of the program's own; once it is
  // dismissed the program ends with the error code as its exit status.
  e2e::XSession x;
  auto expectBoxAndEnd = [&](Probe& probe, const std::string& text, int code) {
    probe.Start("run");
    const e2e::WindowId box = probe.app.WaitForWindow(x, e2e::WindowQuery::Exact("Error"), 20s);
    const auto texts = probe.app.MessageBoxTexts("Error");
    EXPECT_TRUE(texts.size() == 1 && texts[0].starts_with(text)) << probe.app.Stderr();
    x.Activate(box);
    x.TapKey(XK_Return);
    EXPECT_EQ(probe.app.WaitForExit(10s), ExitStatus::Code(code));
  };
  // A folder in the log's place: access denied (5) at the creation.
  Probe blocked;
  fs::create_directories(blocked.app.PathOf("Game.log"));
  expectBoxAndEnd(blocked, "Runtime error   5 at ", 5);

  // A full disk (112) when the first buffer of lines goes out.
  Probe full;
  fs::create_symlink("/dev/full", full.app.PathOf("Game.log"));
  expectBoxAndEnd(full, "Runtime error 112 at ", 112);
}

TEST(Settings, ComeFromTheIniBesideTheProgramWithDefaultsAndTheDigitsOfEachValue) {
  if (e2e::OnWeb()) GTEST_SKIP() << kProbeHasNoPage;
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
  EXPECT_EQ(loaded("[Options]\r\nFullScreen=yes\r\nWidth=\r\nHeight=1 024px\r\n"), "0 1024 32 0\n");
  // A value is cut to its first 2047 characters.
  EXPECT_EQ(loaded("[Options]\r\nWidth=" + std::string(2046, '0') + "800\r\n"), "8 480 32 0\n");
  // A dot in a folder name does no harm while the program has an extension,
  // nor does a long path (well within Windows' 260 characters).
  EXPECT_EQ(loaded("[Options]\r\nWidth=800\r\n", "my.games" + std::string(72, '_')), "800 480 32 0\n");
  // Without one, the folder's dot decides: a.b\prog reads a.INI beside the
  // folder, not a.b\prog.INI.
  Probe bare("prog", "a.b");
  bare.app.WriteFile("../a.INI", "[Options]\r\nWidth=1024\r\n");
  bare.app.WriteFile("prog.INI", "[Options]\r\nWidth=1280\r\n");
  EXPECT_EQ(bare.Run("settings"), ExitStatus::Code(0));
  EXPECT_EQ(bare.app.Stdout(), "1024 480 32 0\n");
}

TEST(EngineRun, TheViewportFollowsTheClientAreaInputReachesItsSlotsAndAltF4LeavesTheWholeLog) {
  if (e2e::OnWeb()) GTEST_SKIP() << kProbeHasNoPage;
  e2e::XSession x;
  // A mode the window's size would fit, which a windowed run must not take.
  OfferSmallMode(x);
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
  EXPECT_EQ(ShownMode(x), "1024x768");
  // While the program runs its log holds whole buffers of the start's
  // lines; the rest goes out at the close.
  const std::string early = run.Read("Game.log");
  EXPECT_TRUE(!early.empty() && early.size() % 128 == 0 && kDefaultRun.starts_with(early)) << early.size();
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
  EXPECT_EQ(run.Read("Game.log"), kDefaultRun);
  // One record per press and per left press. With Alt held the keys are
  // system keys: not intercepted, dispatched, and the close comes from them.
  const std::string events = run.Read("events.txt");
  EXPECT_EQ(events.find("down 60 70"), std::string::npos) << events;
  EXPECT_EQ(events.find("key 65", events.find("key 65") + 1), std::string::npos) << events;
  EXPECT_EQ(events.find("down", events.find("down 30 40") + 1), std::string::npos) << events;
  EXPECT_EQ(events.find("key ", events.find("key 13") + 1), std::string::npos) << events;
  // The layer asks for no mode either (its trace is the Linux build's).
  if (!e2e::UnderWine()) {
    EXPECT_EQ(run.Trace().find("ChangeDisplaySettingsA"), std::string::npos);
  }
}

TEST(EngineRun, AFullScreenModeTheDisplayLacksShutsDownWithExitStatusZero) {
  if (e2e::OnWeb()) GTEST_SKIP() << kProbeHasNoPage;
  Probe run;
  run.app.WriteFile("Game.INI",
                    "[Options]\r\nWidth=800\r\nHeight=600\r\nBitsPerPixel=16\r\nFullScreen=1\r\n");
  EXPECT_EQ(run.Run("run"), ExitStatus::Code(0));
  EXPECT_EQ(run.Read("Game.log"),
            StartFor("Устанавливаем полноэкранный видеорежим 800x600x16"_cp) + FullScreenStep() +
                StatusLine("    Сбой при инициализации полноэкранного режима"_cp, "Game3DEngine") +
                ErrorLine("  Невозможно переключить видеорежим"_cp, "Game") + Shutdown());
  // The mode was asked for and refused, and the restore still came (the
  // layer's trace, on Linux only).
  if (!e2e::UnderWine()) {
    const std::string trace = run.Trace();
    EXPECT_NE(
        trace.find("ChangeDisplaySettingsA NULL 4", trace.find("ChangeDisplaySettingsA 800x600x16 4 -> ")),
        std::string::npos)
        << trace;
  }
}

TEST(EngineRun, AFullScreenModeTheDisplayOffersHoldsTheScreenUntilTheCloseAndMaximisingBeeps) {
  if (e2e::OnWeb()) GTEST_SKIP() << kProbeHasNoPage;
  e2e::XSession x;
  OfferSmallMode(x);
  Probe run;
  run.app.WriteFile("Game.INI",
                    "[Options]\r\nWidth=640\r\nHeight=480\r\nBitsPerPixel=32\r\nFullScreen=1\r\n");
  run.Start("run", {{"PROBE_MAXIMIZE", "1"}});
  run.WaitForWindow(x);
  run.WaitForEvent("start 640 480 gl 0 0 640 480");
  WaitForShownMode(x, "640x480");
  EXPECT_EQ(x.Geometry(run.window), (e2e::Rect{0, 0, 640, 480}));
  run.WaitForEvent("maximise posted");
  // The beep is traced on Linux only.
  if (!e2e::UnderWine()) run.app.WaitForFileContaining(kTrace, "MessageBeep 0\n", 10s);
  x.RequestClose(run.window);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));
  WaitForShownMode(x, "1024x768");
  EXPECT_EQ(run.Read("Game.log"), StartFor("Устанавливаем полноэкранный видеорежим 640x480x32"_cp) +
                                      FullScreenStep() + OpenGLSteps() + CloseByUser());
  // The program itself puts the mode back, not only the layer at the exit.
  if (!e2e::UnderWine()) {
    EXPECT_NE(run.Trace().find("ChangeDisplaySettingsA NULL 4"), std::string::npos);
  }
}

// ---------------------------------------------------------------------------
// Game as a player meets it: started from a scratch copy of its ready-to-run
// folder, played with real pointer and key input, its window read back.

double Home(int i) { return i * 0.2 - 0.7; }

// Kinds read off the screen, [column][row]; -1 where a cell shows no
// resting tint.
using Board = std::array<std::array<int, 8>, 8>;

bool HasRun(const Board& b) {
  return RunsPicture([&](int c, int r) { return b[c][r]; }) != kNoRuns;
}

// Rows from the top, '?' for an unread cell.
std::string Describe(const Board& b) {
  std::string text = "\n";
  for (int r = 7; r >= 0; --r)
    for (int c = 0; c <= 8; ++c) text += c == 8 ? '\n' : b[c][r] < 0 ? '?' : char('0' + b[c][r]);
  return text;
}

// Neighbours (c1, r1) and (c2, r2), in a row or a column anywhere on the
// board, whose swap does, or does not, make a run.
std::optional<std::array<int, 4>> FindSwap(const Board& board, bool makesRun) {
  for (int c = 0; c < 8; ++c)
    for (int r = 0; r < 8; ++r)
      for (auto [c2, r2] : {std::pair{c + 1, r}, {c, r + 1}}) {
        if (c2 == 8 || r2 == 8) continue;
        Board swapped = board;
        std::swap(swapped[c][r], swapped[c2][r2]);
        if (HasRun(swapped) == makesRun) return std::array{c, r, c2, r2};
      }
  return std::nullopt;
}

TEST(GamePlay, FramesAreCountedClicksSelectAndSwapAnAltF4CloseLeavesTheWholeLogAndTheNextStartDealsAnew) {
  e2e::XSession x;
  e2e::App app(e2e::Dist(GAME_DIST), "Game.exe");
  app.Start();
  // Found by its title before the first frame-rate report replaces it.
  e2e::WindowId w = app.WaitForWindow(x, e2e::WindowQuery::Exact("Game gfx engine"), 20s);
  const auto found = std::chrono::steady_clock::now();
  // The first report comes a second after the scene was set up, which was
  // after the window appeared.
  const std::string caption = x.WaitForTitle(w, e2e::WindowQuery::Prefix("FPS: "), 10s);
  EXPECT_GE(std::chrono::steady_clock::now() - found, 500ms);
  EXPECT_GT(std::atoi(caption.c_str() + 5), 0) << caption;
  EXPECT_EQ(caption.find_first_not_of("0123456789", 5), std::string::npos) << caption;

  // The window pixel of a scene point on the board's plane; the top left of
  // a cell's face, where every gem picture is transparent.
  auto pixel = [&](double sx, double sy) {
    const e2e::Rect r = x.Geometry(w);
    return ScenePixel(sx, sy, r.width, r.height);
  };
  auto corner = [&](int c, int r) { return pixel(Home(c) - 0.07, Home(r) + 0.07); };
  auto click = [&](int c, int r) { x.Click(w, pixel(Home(c), Home(r)).x, pixel(Home(c), Home(r)).y); };
  auto waitForCorner = [&](int c, int r, Rgb colour) {
    x.WaitForPixel(w, corner(c, r).x, corner(c, r).y, colour, 4, 5s);
  };
  // At rest every cell shows a resting tint and no run is left. A picture
  // that holds still for a moment is not enough: on a loaded machine frames
  // come slowly, and one may stand in the middle of a fall.
  auto readAtRest = [&] {
    Board board;
    e2e::WaitUntil(
        "the board at rest", 30s,
        [&] {
          const e2e::Image image = x.WaitForStableImage(w, 300ms, 15s);
          for (int c = 0; c < 8; ++c)
            for (int r = 0; r < 8; ++r) {
              board[c][r] = -1;
              for (int k = 0; k < 6; ++k)
                if (e2e::Near(image.At(corner(c, r).x, corner(c, r).y), LitTint(k), 4)) board[c][r] = k;
            }
          return Describe(board).find('?') == std::string::npos && !HasRun(board);
        },
        [&] { return Describe(board); });
    return board;
  };

  x.MovePointer(w, 5, 5);
  const Board start = readAtRest();
  // The game draws its own pointer: the system's is hidden over the window
  // and shows off it.
  EXPECT_FALSE(x.PointerShown());
  x.MovePointer(w, 800, 600);
  EXPECT_TRUE(x.PointerShown());

  // A selected gem is yellow behind its picture; the one under the pointer
  // glows to its full brightness and stays so.
  click(3, 4);
  x.MovePointer(w, pixel(Home(5), Home(5)).x, pixel(Home(5), Home(5)).y);
  waitForCorner(5, 5, LitTint(start[5][5], true));
  const e2e::Image shown = x.WaitForStableImage(w, 300ms, 10s);
  EXPECT_TRUE(e2e::PixelIs(shown, corner(3, 4).x, corner(3, 4).y, Rgb{255, 255, 0}, 4));
  // For the README: GAME_SCREENSHOT names a file to keep this picture in.
  if (const char* path = std::getenv("GAME_SCREENSHOT")) e2e::SavePng(shown, path);
  click(3, 4);  // withdrawn

  // Swaps two neighbours: the first shows yellow until the second press
  // starts the movement (whose look the scene's own test checks). Once at
  // rest the second is no longer lit although the pointer is still on it.
  auto swapPair = [&](std::array<int, 4> pair) {
    const int c1 = pair[0], r1 = pair[1], c2 = pair[2], r2 = pair[3];
    click(c1, r1);
    waitForCorner(c1, r1, Rgb{255, 255, 0});
    click(c2, r2);
    e2e::WaitUntil("the swap to start", 5s, [&] {
      return !e2e::Near(x.Capture(w).At(corner(c1, r1).x, corner(c1, r1).y), Rgb{255, 255, 0}, 4);
    });
  };
  // No run: the gems slide past each other and back.
  const auto fruitless = FindSwap(start, false);
  ASSERT_TRUE(fruitless) << Describe(start);
  swapPair(*fruitless);
  const Board back = readAtRest();
  EXPECT_EQ(back, start) << Describe(start) << Describe(back);

  // A run: it goes, new gems fall in, the board comes to rest without one.
  const auto fruitful = FindSwap(back, true);
  ASSERT_TRUE(fruitful) << "no swap makes a run" << Describe(back);
  swapPair(*fruitful);
  const Board after = readAtRest();
  EXPECT_NE(after, back) << Describe(after);

  // The game has no key routine: a key press changes nothing.
  // (A page under software WebGL on a loaded machine may take longer than
  // 300 ms over a frame: a still picture there is one held longer.)
  x.Activate(w);
  const auto still = e2e::OnWeb() ? 1500ms : 300ms;
  const e2e::Image before = x.WaitForStableImage(w, still, 10s);
  x.TapKey(XK_space);
  EXPECT_TRUE(x.WaitForStableImage(w, still, 10s) == before);
  if (e2e::OnWeb()) {
    // A page has no Alt+F4 (the browser's window would close): the log
    // holds whole buffers of the start's lines so far.
    const std::string early = app.ReadFile("Game.log");
    EXPECT_TRUE(!early.empty() && early.size() % 128 == 0 && kDefaultRun.starts_with(early)) << early.size();
  } else {
    x.TapKey(XK_F4, e2e::kAlt);
    EXPECT_EQ(app.WaitForExit(10s), ExitStatus::Code(0)) << app.Stderr();
    EXPECT_EQ(app.ReadFile("Game.log"), kDefaultRun);
  }

  // Every start deals a board of its own.
  app.Start();
  w = app.WaitForWindow(x, e2e::WindowQuery::Exact("Game gfx engine"), 20s);
  x.MovePointer(w, 5, 5);
  const Board next = readAtRest();
  EXPECT_NE(next, start) << Describe(start) << Describe(next);
  if (!e2e::OnWeb()) {
    x.Activate(w);
    x.TapKey(XK_F4, e2e::kAlt);
    EXPECT_EQ(app.WaitForExit(10s), ExitStatus::Code(0));
  }
}

// Game's page alone: full screen as the settings ask, which a browser
// grants at the player's first click, without a change of display mode;
// the picture scaled to the screen, where clicks still find their gems.
TEST(GamePage, FullScreenComesAtTheFirstClickWithThePictureScaledToTheScreenInTheDisplaysOwnMode) {
  e2e::XSession x;
  e2e::App app(e2e::Dist(GAME_DIST), "Game.exe");
  app.WriteFile("Game.INI", "[Options]\r\nWidth=640\r\nHeight=480\r\nBitsPerPixel=32\r\nFullScreen=1\r\n");
  app.Start();
  const e2e::WindowId w = app.WaitForWindow(x, e2e::WindowQuery::Exact("Game gfx engine"), 20s);
  EXPECT_EQ(x.Geometry(w), (e2e::Rect{0, 0, 640, 480}));
  x.Click(w, 5, 5);  // on the rim, where a click chooses nothing
  e2e::Browser& page = *app.Page();
  app.WaitUntil("the page in full screen", 10s,
                [&] { return page.Evaluate("document.fullscreenElement !== null") == true; });
  // The display keeps its mode.
  EXPECT_EQ(ShownMode(x), "1024x768");
  // The test server has no window manager to give a full-screen window the
  // screen: the test does, as one would. The picture fills it, its
  // proportions kept (the screen's 4:3 is the picture's).
  const e2e::Rect screen = x.ScreenRect();
  XMoveResizeWindow(x.Raw(), w, 0, 0, static_cast<unsigned>(screen.width),
                    static_cast<unsigned>(screen.height));
  XSync(x.Raw(), False);
  app.WaitUntil("the canvas to fill the screen", 10s, [&] { return page.ElementBox("#canvas") == screen; });

  // Clicks still find their gems.
  const e2e::Rect shown = x.Geometry(w);
  auto pixel = [&](double sx, double sy) { return ScenePixel(sx, sy, shown.width, shown.height); };
  const auto corner = pixel(Home(3) - 0.07, Home(4) + 0.07);
  app.WaitUntil("a gem in cell (3, 4)", 20s, [&] {
    const Rgb c = x.Capture(w).At(corner.x, corner.y);
    for (int k = 0; k < 6; ++k)
      if (e2e::Near(c, LitTint(k), 12)) return true;
    return false;
  });
  x.Click(w, pixel(Home(3), Home(4)).x, pixel(Home(3), Home(4)).y);
  x.WaitForPixel(w, corner.x, corner.y, Rgb{255, 255, 0}, 12, 10s);
  // The log so far: whole buffers of a full-screen start that went well.
  const std::string early = app.ReadFile("Game.log");
  EXPECT_TRUE(!early.empty() && (StartFor("Устанавливаем полноэкранный видеорежим 640x480x32"_cp) +
                                 FullScreenStep() + OpenGLSteps() + CloseByUser())
                                    .starts_with(early))
      << early;
}

}  // namespace
