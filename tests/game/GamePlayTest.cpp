// Game as a player meets it: the program started from a scratch copy of its
// ready-to-run folder under the test X server, played with real pointer and
// key input, its window read back, its log and exit status checked.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
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

// A tile's colour where its picture is transparent: its kind's tint with
// glow g, lit on a face toward the viewer (ambient 0.2 plus the diffuse
// light from (-0.2, 0.5, 1)).
Rgb LitTint(int kind, double g) {
  const double c = 0.5 + g;
  const double tints[6][3] = {{c, 0, g}, {0, c, g}, {0, c, c}, {0, g, c}, {c, 0.4, c}, {c, c, c}};
  auto lit = [](double v) {
    return uint8_t(std::lround(std::min(1.0, v * (0.2 + 1 / std::sqrt(1.29))) * 255));
  };
  return {lit(tints[kind][0]), lit(tints[kind][1]), lit(tints[kind][2])};
}

double Home(int i) { return i * 0.2 - 0.7; }

// Kinds read off the screen, [column][row]; -1 where a cell shows no
// resting tint.
using Board = std::array<std::array<int, 8>, 8>;

bool HasRun(const Board& b) {
  for (int c = 0; c < 8; ++c)
    for (int r = 0; r < 8; ++r) {
      if (r >= 2 && b[c][r] == b[c][r - 1] && b[c][r] == b[c][r - 2]) return true;
      if (c >= 2 && b[c][r] == b[c - 1][r] && b[c][r] == b[c - 2][r]) return true;
    }
  return false;
}

std::string Describe(const Board& b) {
  std::string text = "\n";
  for (int r = 7; r >= 0; --r) {
    for (int c = 0; c < 8; ++c) text += b[c][r] < 0 ? '?' : char('0' + b[c][r]);
    text += '\n';
  }
  return text;
}

// One run of the game in its own copy of the folder, found by its title
// before the first frame-rate report replaces it.
struct GameRun {
  explicit GameRun(e2e::XSession& session) : x(session), app(e2e::Dist(GAME_DIST), "Game.exe") {
    e2e::StartOptions options;
    options.env.emplace_back("WINLAYER_TRACE", (app.ScratchDir() / "trace.txt").string());
    app.Start(options);
    window = app.WaitForWindow(x, e2e::WindowQuery::Exact("Game gfx engine"), 20s);
    found = std::chrono::steady_clock::now();
  }

  std::string WaitForFrames() { return x.WaitForTitle(window, e2e::WindowQuery::Prefix("FPS: "), 10s); }

  // Window pixels of scene points on the board's plane.
  int Px(double sx) { return int(std::floor((sx * 3 / 8 + 0.5) * x.Geometry(window).width)); }
  int Py(double sy) { return int(std::floor((0.5 - sy / 2) * x.Geometry(window).height)); }
  // The top left of a cell's face, where every gem picture is transparent.
  Rgb Corner(const e2e::Image& image, int c, int r) {
    return image.At(Px(Home(c) - 0.07), Py(Home(r) + 0.07));
  }

  Board Read(const e2e::Image& image) {
    Board board;
    for (int c = 0; c < 8; ++c)
      for (int r = 0; r < 8; ++r) {
        board[c][r] = -1;
        for (int k = 0; k < 6; ++k)
          if (e2e::Near(Corner(image, c, r), LitTint(k, 0), 4)) board[c][r] = k;
      }
    return board;
  }
  Board ReadAtRest() { return Read(x.WaitForStableImage(window, 300ms, 15s)); }

  void Click(int c, int r) { x.Click(window, Px(Home(c)), Py(Home(r))); }
  void WaitForCorner(int c, int r, Rgb colour) {
    x.WaitForPixel(window, Px(Home(c) - 0.07), Py(Home(r) + 0.07), colour, 4, 5s);
  }

  e2e::XSession& x;
  e2e::App app;
  e2e::WindowId window = 0;
  std::chrono::steady_clock::time_point found;
};

TEST(GamePlay, TheCaptionShowsTheFrameRateAndAnAltF4CloseLeavesTheWholeLog) {
  e2e::XSession x;
  GameRun run(x);
  const std::string caption = run.WaitForFrames();
  // The first report comes a second after the scene was set up, which was
  // after the window appeared.
  EXPECT_GE(std::chrono::steady_clock::now() - run.found, 500ms);
  EXPECT_GT(std::atoi(caption.c_str() + 5), 0) << caption;
  EXPECT_EQ(caption.find_first_not_of("0123456789", 5), std::string::npos) << caption;
  std::printf("first caption under the test X server: %s\n", caption.c_str());

  x.Activate(run.window);
  x.TapKey(XK_F4, e2e::kAlt);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0)) << run.app.Stderr();
  EXPECT_EQ(run.app.ReadFile("Game.log"), enginetest::DefaultStart() + enginetest::CloseByUser());
  // The scene hid the system pointer to draw its own.
  if (std::getenv("E2E_RUNNER") == nullptr) {
    const std::string trace = enginetest::ReadBytes(run.app.ScratchDir() / "trace.txt");
    EXPECT_NE(trace.find("ShowCursor 0 -> -1\n"), std::string::npos) << trace;
  }
}

// Neighbours in a row, away from the edges, whose swap does, or does not,
// make a run.
std::optional<std::pair<int, int>> FindPair(const Board& board, bool makesRun) {
  for (int r = 1; r < 7; ++r)
    for (int c = 1; c < 6; ++c) {
      Board swapped = board;
      std::swap(swapped[c][r], swapped[c + 1][r]);
      if (HasRun(swapped) == makesRun) return std::pair{c, r};
    }
  return std::nullopt;
}

TEST(GamePlay, ClicksSelectAndSwapNeighboursThatSlideBackOrMakeARunGo) {
  e2e::XSession x;
  GameRun run(x);
  run.WaitForFrames();
  x.MovePointer(run.window, 5, 5);
  const Board start = run.ReadAtRest();
  ASSERT_EQ(Describe(start).find('?'), std::string::npos) << Describe(start);
  ASSERT_FALSE(HasRun(start)) << Describe(start);

  // A selected gem is yellow behind its picture; the one under the pointer
  // glows to its full brightness and stays so.
  run.Click(3, 4);
  x.MovePointer(run.window, run.Px(Home(5)), run.Py(Home(5)));
  run.WaitForCorner(5, 5, LitTint(start[5][5], 0.5));
  e2e::Image shown = x.WaitForStableImage(run.window, 300ms, 10s);
  EXPECT_TRUE(e2e::PixelIs(shown, run.Px(Home(3) - 0.07), run.Py(Home(4) + 0.07), Rgb{255, 255, 0}, 4));
  Board marked = run.Read(shown);
  EXPECT_EQ(marked[3][4] + marked[5][5], -2);
  marked[3][4] = start[3][4];
  marked[5][5] = start[5][5];
  EXPECT_EQ(marked, start) << Describe(marked);
  // For the README: GAME_SCREENSHOT names a file to keep this picture in.
  if (const char* path = std::getenv("GAME_SCREENSHOT")) e2e::SavePng(shown, path);
  run.Click(3, 4);  // withdrawn

  // Swaps (c, r) with (c + 1, r); true when the movement's white was seen.
  auto swap = [&](std::pair<int, int> pair) {
    auto [c, r] = pair;
    run.Click(c, r);
    run.WaitForCorner(c, r, Rgb{255, 255, 0});
    run.Click(c + 1, r);
    for (auto until = std::chrono::steady_clock::now() + 3s; std::chrono::steady_clock::now() < until;) {
      e2e::Image image = x.Capture(run.window);
      if (e2e::Near(run.Corner(image, c, r), Rgb{255, 255, 255}, 2)) return true;
    }
    return false;
  };
  // No run: the gems slide past each other and back.
  auto fruitless = FindPair(start, false);
  ASSERT_TRUE(fruitless);
  EXPECT_TRUE(swap(*fruitless));
  const Board back = run.ReadAtRest();
  EXPECT_EQ(back, start) << Describe(start) << Describe(back);

  // A run: it goes, new gems fall in, the board comes to rest without one.
  auto fruitful = FindPair(back, true);
  if (fruitful) {
    EXPECT_TRUE(swap(*fruitful));
    const Board after = run.ReadAtRest();
    EXPECT_EQ(Describe(after).find('?'), std::string::npos) << Describe(after);
    EXPECT_FALSE(HasRun(after)) << Describe(after);
    EXPECT_NE(after, back) << Describe(after);
  }
  x.RequestClose(run.window);
  EXPECT_EQ(run.app.WaitForExit(10s), ExitStatus::Code(0));
}

}  // namespace
