// Game as a player meets it: the program started from a scratch copy of its
// ready-to-run folder under the test X server, played with real pointer and
// key input, its window read back, its log and exit status checked.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "App.h"
#include "BoardRuns.h"
#include "ExpectedLog.h"
#include "SceneLook.h"
#include "XSession.h"

namespace {

using namespace std::chrono_literals;
using e2e::Rgb;

double Home(int i) { return i * 0.2 - 0.7; }

// Kinds read off the screen, [column][row]; -1 where a cell shows no
// resting tint.
using Board = std::array<std::array<int, 8>, 8>;

bool HasRun(const Board& b) {
  return RunsPicture([&](int c, int r) { return b[c][r]; }) != kNoRuns;
}

std::string Describe(const Board& b) {
  std::string text = "\n";
  for (int r = 7; r >= 0; --r) {
    for (int c = 0; c < 8; ++c) text += b[c][r] < 0 ? '?' : char('0' + b[c][r]);
    text += '\n';
  }
  return text;
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

// The game in its own copy of the folder, found by its title before the
// first frame-rate report replaces it.
struct GameRun {
  explicit GameRun(e2e::XSession& session) : x(session), app(e2e::Dist(GAME_DIST), "Game.exe") {
    app.Start(
        {.args = {}, .env = {{"WINLAYER_TRACE", app.PathOf("trace.txt").string()}}, .runner = std::nullopt});
    window = app.WaitForWindow(x, e2e::WindowQuery::Exact("Game gfx engine"), 20s);
  }

  // The window pixel of a scene point on the board's plane.
  e2e::Point Pixel(double sx, double sy) {
    const e2e::Rect r = x.Geometry(window);
    return ScenePixel(sx, sy, r.width, r.height);
  }
  // The top left of a cell's face, where every gem picture is transparent.
  e2e::Point Corner(int c, int r) { return Pixel(Home(c) - 0.07, Home(r) + 0.07); }

  Board Read(const e2e::Image& image) {
    Board board;
    for (int c = 0; c < 8; ++c)
      for (int r = 0; r < 8; ++r) {
        board[c][r] = -1;
        const Rgb shown = image.At(Corner(c, r).x, Corner(c, r).y);
        for (int k = 0; k < 6; ++k)
          if (e2e::Near(shown, LitTint(k, 0), 4)) board[c][r] = k;
      }
    return board;
  }
  Board ReadAtRest() { return Read(x.WaitForStableImage(window, 300ms, 15s)); }

  void Click(int c, int r) { x.Click(window, Pixel(Home(c), Home(r)).x, Pixel(Home(c), Home(r)).y); }
  void WaitForCorner(int c, int r, Rgb colour) {
    x.WaitForPixel(window, Corner(c, r).x, Corner(c, r).y, colour, 4, 5s);
  }

  e2e::XSession& x;
  e2e::App app;
  e2e::WindowId window = 0;
};

TEST(GamePlay, FramesAreCountedClicksSelectAndSwapAndAnAltF4CloseLeavesTheWholeLog) {
  e2e::XSession x;
  GameRun run(x);
  const auto found = std::chrono::steady_clock::now();
  // The first report comes a second after the scene was set up, which was
  // after the window appeared.
  const std::string caption = x.WaitForTitle(run.window, e2e::WindowQuery::Prefix("FPS: "), 10s);
  EXPECT_GE(std::chrono::steady_clock::now() - found, 500ms);
  EXPECT_GT(std::atoi(caption.c_str() + 5), 0) << caption;
  EXPECT_EQ(caption.find_first_not_of("0123456789", 5), std::string::npos) << caption;
  std::printf("first caption under the test X server: %s\n", caption.c_str());

  x.MovePointer(run.window, 5, 5);
  const Board start = run.ReadAtRest();
  ASSERT_EQ(Describe(start).find('?'), std::string::npos) << Describe(start);
  ASSERT_FALSE(HasRun(start)) << Describe(start);

  // A selected gem is yellow behind its picture; the one under the pointer
  // glows to its full brightness and stays so.
  run.Click(3, 4);
  x.MovePointer(run.window, run.Pixel(Home(5), Home(5)).x, run.Pixel(Home(5), Home(5)).y);
  run.WaitForCorner(5, 5, LitTint(start[5][5], 0.5));
  e2e::Image shown = x.WaitForStableImage(run.window, 300ms, 10s);
  EXPECT_TRUE(e2e::PixelIs(shown, run.Corner(3, 4).x, run.Corner(3, 4).y, Rgb{255, 255, 0}, 4));
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
      const e2e::Image image = x.Capture(run.window);
      if (e2e::Near(image.At(run.Corner(c, r).x, run.Corner(c, r).y), Rgb{255, 255, 255}, 2)) return true;
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
  if (auto fruitful = FindPair(back, true)) {
    EXPECT_TRUE(swap(*fruitful));
    const Board after = run.ReadAtRest();
    EXPECT_EQ(Describe(after).find('?'), std::string::npos) << Describe(after);
    EXPECT_FALSE(HasRun(after)) << Describe(after);
    EXPECT_NE(after, back) << Describe(after);
  }

  x.Activate(run.window);
  x.TapKey(XK_F4, e2e::kAlt);
  EXPECT_EQ(run.app.WaitForExit(10s), e2e::ExitStatus::Code(0)) << run.app.Stderr();
  EXPECT_EQ(run.app.ReadFile("Game.log"), enginetest::DefaultStart() + enginetest::CloseByUser());
  // The scene hid the system pointer to draw its own.
  if (std::getenv("E2E_RUNNER") == nullptr) {
    const std::string trace = run.app.ReadFile("trace.txt");
    EXPECT_NE(trace.find("ShowCursor 0 -> -1\n"), std::string::npos) << trace;
  }
}

}  // namespace
