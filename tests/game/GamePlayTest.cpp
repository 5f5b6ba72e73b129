// Game as a player meets it: the program started from a scratch copy of its
// ready-to-run folder under the test X server, played with real pointer and
// key input, its window read back, its log and exit status checked.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "App.h"
#include "ExpectedLog.h"
#include "TestFiles.h"
#include "XSession.h"

namespace {

using namespace std::chrono_literals;
using e2e::ExitStatus;
using e2e::Rgb;
using e2e::WindowQuery;

const char* const kTitle = "Game gfx engine";

// A tile's colour where its picture is transparent: its kind's tint, glow
// g, under the scene's light (ambient 0.2 and the diffuse part of a light
// from (-0.2, 0.5, 1) on a face looking at the viewer).
Rgb LitTint(int kind, double g) {
  const double c = 0.5 + g;
  const double tints[6][3] = {{c, 0, g}, {0, c, g}, {0, c, c}, {0, g, c}, {c, 0.4, c}, {c, c, c}};
  auto lit = [](double v) {
    return static_cast<uint8_t>(std::lround(std::min(1.0, v * (0.2 + 1 / std::sqrt(1.29))) * 255));
  };
  return {lit(tints[kind][0]), lit(tints[kind][1]), lit(tints[kind][2])};
}

// Kinds read off the screen, column by column; -1 for a cell whose tile
// shows no resting tint (selected, hovered, moving, or not there).
struct Board {
  int kind[8][8];

  bool operator==(const Board& other) const {
    for (int c = 0; c < 8; ++c)
      for (int r = 0; r < 8; ++r)
        if (kind[c][r] != other.kind[c][r]) return false;
    return true;
  }

  bool Complete() const {
    for (const auto& column : kind)
      for (int k : column)
        if (k < 0) return false;
    return true;
  }

  bool HasRun() const {
    for (int c = 0; c < 8; ++c) {
      for (int r = 0; r < 8; ++r) {
        int k = kind[c][r];
        if (r >= 2 && kind[c][r - 1] == k && kind[c][r - 2] == k) return true;
        if (c >= 2 && kind[c - 1][r] == k && kind[c - 2][r] == k) return true;
      }
    }
    return false;
  }

  Board Swapped(int c1, int r1, int c2, int r2) const {
    Board b = *this;
    std::swap(b.kind[c1][r1], b.kind[c2][r2]);
    return b;
  }

  std::string Describe() const {
    std::string text;
    for (int r = 7; r >= 0; --r) {
      for (int c = 0; c < 8; ++c) text += kind[c][r] < 0 ? '?' : static_cast<char>('0' + kind[c][r]);
      text += '\n';
    }
    return text;
  }
};

double Home(int i) { return i * 0.2 - 0.7; }

// One run of the game in its own copy of the folder.
class GameRun {
 public:
  explicit GameRun(e2e::XSession& x) : x_(x), app(e2e::Dist(GAME_DIST), "Game.exe") {
    e2e::StartOptions options;
    options.env.emplace_back("WINLAYER_TRACE", (app.ScratchDir() / "trace.txt").string());
    app.Start(options);
    // Found by its title before the first frame-rate report replaces it.
    window = app.WaitForWindow(x, WindowQuery::Exact(kTitle), 20s);
    found = std::chrono::steady_clock::now();
  }

  // Waits for the first frame-rate caption: the scene is set up and the
  // main loop draws.
  std::string WaitForFrames() { return x_.WaitForTitle(window, WindowQuery::Prefix("FPS: "), 10s); }

  // Window pixel of the scene point (x, y) on the board's plane.
  int Px(double x) const { return static_cast<int>(std::floor((x * 3 / 8 + 0.5) * Size().width)); }
  int Py(double y) const { return static_cast<int>(std::floor((0.5 - y / 2) * Size().height)); }
  e2e::Rect Size() const { return x_.Geometry(window); }

  // The colour at the top left of cell (c, r)'s face, where every picture
  // is transparent.
  Rgb Corner(const e2e::Image& image, int c, int r) const {
    return image.At(Px(Home(c) - 0.07), Py(Home(r) + 0.07));
  }

  Board Read(const e2e::Image& image) const {
    Board board;
    for (int c = 0; c < 8; ++c) {
      for (int r = 0; r < 8; ++r) {
        board.kind[c][r] = -1;
        for (int k = 0; k < 6; ++k)
          if (e2e::Near(Corner(image, c, r), LitTint(k, 0), 4)) board.kind[c][r] = k;
      }
    }
    return board;
  }

  // The board once the picture has settled.
  Board ReadAtRest() { return Read(x_.WaitForStableImage(window, 300ms, 15s)); }

  void Click(int c, int r) { x_.Click(window, Px(Home(c)), Py(Home(r))); }
  void MoveTo(int c, int r) { x_.MovePointer(window, Px(Home(c)), Py(Home(r))); }

  std::string Trace() const {
    const auto path = app.ScratchDir() / "trace.txt";
    return std::filesystem::exists(path) ? enginetest::ReadBytes(path) : "";
  }

  e2e::XSession& x_;
  e2e::App app;
  e2e::WindowId window = 0;
  std::chrono::steady_clock::time_point found;
};

TEST(GamePlay, ADefaultStartClosedByAltF4LeavesTheWholeLogAndExitsWithZero) {
  e2e::XSession x;
  GameRun run(x);
  run.WaitForFrames();
  x.Activate(run.window);
  x.TapKey(XK_F4, e2e::kAlt);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0)) << run.app.Stderr();
  EXPECT_EQ(run.app.ReadFile("Game.log"), enginetest::DefaultStart() + enginetest::CloseByUser());
  // The scene hid the system pointer to draw its own.
  if (std::getenv("E2E_RUNNER") == nullptr) {
    EXPECT_NE(run.Trace().find("ShowCursor 0 -> -1\n"), std::string::npos) << run.Trace();
  }
}

TEST(GamePlay, TheCaptionShowsTheFrameRateFromAboutOneSecondAfterTheStart) {
  e2e::XSession x;
  GameRun run(x);
  const std::string caption = run.WaitForFrames();
  const auto waited = std::chrono::steady_clock::now() - run.found;
  // The first report comes a second after the scene was set up, which was
  // after the window appeared.
  EXPECT_GE(waited, 500ms);
  const std::string number = caption.substr(5);
  ASSERT_FALSE(number.empty()) << caption;
  EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << caption;
  EXPECT_GT(std::stoi(number), 0) << caption;
  std::printf("first caption: %s\n", caption.c_str());
  x.RequestClose(run.window);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));
}

// Neighbours in a row whose swap does, or does not, make a run.
std::optional<std::pair<int, int>> FindPair(const Board& board, bool makesRun) {
  for (int r = 1; r < 7; ++r)
    for (int c = 1; c < 6; ++c)
      if (board.Swapped(c, r, c + 1, r).HasRun() == makesRun) return std::pair{c, r};
  return std::nullopt;
}

TEST(GamePlay, AClickOnAGemAndThenOnItsNeighbourSwapsThemOrSlidesThemBack) {
  e2e::XSession x;
  GameRun run(x);
  run.WaitForFrames();
  x.MovePointer(run.window, 5, 5);
  const Board start = run.ReadAtRest();
  ASSERT_TRUE(start.Complete()) << start.Describe();
  ASSERT_FALSE(start.HasRun()) << start.Describe();

  // Plays the swap of (c, r) with (c + 1, r); true when the two cells were
  // seen showing the white of the movement.
  auto swap = [&](int c, int r) {
    run.Click(c, r);
    x.WaitForPixel(run.window, run.Px(Home(c) - 0.07), run.Py(Home(r) + 0.07), Rgb{255, 255, 0}, 4, 5s);
    run.Click(c + 1, r);
    bool white = false;
    const auto until = std::chrono::steady_clock::now() + 3s;
    while (!white && std::chrono::steady_clock::now() < until) {
      e2e::Image image = x.Capture(run.window);
      white = e2e::Near(run.Corner(image, c, r), Rgb{255, 255, 255}, 2) ||
              e2e::Near(run.Corner(image, c + 1, r), Rgb{255, 255, 255}, 2);
    }
    return white;
  };

  // A swap that makes no run: the gems slide past each other and back.
  auto fruitless = FindPair(start, false);
  ASSERT_TRUE(fruitless);
  EXPECT_TRUE(swap(fruitless->first, fruitless->second));
  const Board back = run.ReadAtRest();
  EXPECT_EQ(back, start) << "before:\n" << start.Describe() << "after:\n" << back.Describe();

  // One that makes a run: the gems change places, the run goes, new gems
  // fall in and the board comes to rest without a run.
  auto fruitful = FindPair(back, true);
  if (!fruitful) GTEST_SKIP() << "no swap on this board makes a run:\n" << back.Describe();
  EXPECT_TRUE(swap(fruitful->first, fruitful->second));
  const Board after = run.ReadAtRest();
  EXPECT_TRUE(after.Complete()) << after.Describe();
  EXPECT_FALSE(after.HasRun()) << after.Describe();
  EXPECT_FALSE(after == back) << after.Describe();

  x.RequestClose(run.window);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));
}

TEST(GamePlay, ASelectedGemIsYellowAndTheOneUnderThePointerGlows) {
  e2e::XSession x;
  GameRun run(x);
  run.WaitForFrames();
  x.MovePointer(run.window, 5, 5);
  const Board start = run.ReadAtRest();
  ASSERT_TRUE(start.Complete()) << start.Describe();

  run.Click(3, 4);
  run.MoveTo(5, 5);
  // The glow rises to its full 0.5 within half a second and stays.
  const Rgb glowing = LitTint(start.kind[5][5], 0.5);
  x.WaitForPixel(run.window, run.Px(Home(5) - 0.07), run.Py(Home(5) + 0.07), glowing, 4, 5s);
  e2e::Image shown = x.WaitForStableImage(run.window, 300ms, 10s);
  EXPECT_TRUE(e2e::PixelIs(shown, run.Px(Home(3) - 0.07), run.Py(Home(4) + 0.07), Rgb{255, 255, 0}, 4));
  EXPECT_TRUE(e2e::PixelIs(shown, run.Px(Home(5) - 0.07), run.Py(Home(5) + 0.07), glowing, 4));
  // The rest of the board shows its tints as before.
  Board now = run.Read(shown);
  now.kind[3][4] = start.kind[3][4];
  now.kind[5][5] = start.kind[5][5];
  EXPECT_EQ(now, start) << now.Describe();

  // For the README: GAME_SCREENSHOT names the file to keep this picture in.
  if (const char* path = std::getenv("GAME_SCREENSHOT")) e2e::SavePng(shown, path);
  x.RequestClose(run.window);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));
}

}  // namespace
