// Game as a player meets it: the program started from a scratch copy of its
// ready-to-run folder under the test X server, played with real pointer and
// key input, its window read back, its log and exit status checked.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
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

// Rows from the top, '?' for an unread cell.
std::string Describe(const Board& b) {
  std::string text = "\n";
  for (int r = 7; r >= 0; --r)
    for (int c = 0; c <= 8; ++c) text += c == 8 ? '\n' : b[c][r] < 0 ? '?' : char('0' + b[c][r]);
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

TEST(GamePlay, FramesAreCountedClicksSelectAndSwapAndAnAltF4CloseLeavesTheWholeLog) {
  e2e::XSession x;
  e2e::App app(e2e::Dist(GAME_DIST), "Game.exe");
  e2e::StartOptions options;
  options.env = {{"WINLAYER_TRACE", app.PathOf("trace.txt").string()}};
  app.Start(options);
  // Found by its title before the first frame-rate report replaces it.
  const e2e::WindowId w = app.WaitForWindow(x, e2e::WindowQuery::Exact("Game gfx engine"), 20s);
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
  auto readAtRest = [&] {
    const e2e::Image image = x.WaitForStableImage(w, 300ms, 15s);
    Board board;
    for (int c = 0; c < 8; ++c)
      for (int r = 0; r < 8; ++r) {
        board[c][r] = -1;
        for (int k = 0; k < 6; ++k)
          if (e2e::Near(image.At(corner(c, r).x, corner(c, r).y), LitTint(k, 0), 4)) board[c][r] = k;
      }
    return board;
  };

  x.MovePointer(w, 5, 5);
  const Board start = readAtRest();
  ASSERT_EQ(Describe(start).find('?'), std::string::npos) << Describe(start);
  ASSERT_FALSE(HasRun(start)) << Describe(start);

  // A selected gem is yellow behind its picture; the one under the pointer
  // glows to its full brightness and stays so.
  click(3, 4);
  x.MovePointer(w, pixel(Home(5), Home(5)).x, pixel(Home(5), Home(5)).y);
  waitForCorner(5, 5, LitTint(start[5][5], 0.5));
  const e2e::Image shown = x.WaitForStableImage(w, 300ms, 10s);
  EXPECT_TRUE(e2e::PixelIs(shown, corner(3, 4).x, corner(3, 4).y, Rgb{255, 255, 0}, 4));
  // For the README: GAME_SCREENSHOT names a file to keep this picture in.
  if (const char* path = std::getenv("GAME_SCREENSHOT")) e2e::SavePng(shown, path);
  click(3, 4);  // withdrawn

  // Swaps (c, r) with (c + 1, r), waiting for the movement's white.
  auto swap = [&](std::pair<int, int> pair) {
    auto [c, r] = pair;
    click(c, r);
    waitForCorner(c, r, Rgb{255, 255, 0});
    click(c + 1, r);
    x.WaitForPixel(w, corner(c, r).x, corner(c, r).y, Rgb{255, 255, 255}, 2, 3s);
  };
  // No run: the gems slide past each other and back.
  auto fruitless = FindPair(start, false);
  ASSERT_TRUE(fruitless);
  swap(*fruitless);
  const Board back = readAtRest();
  EXPECT_EQ(back, start) << Describe(start) << Describe(back);

  // A run: it goes, new gems fall in, the board comes to rest without one.
  if (auto fruitful = FindPair(back, true)) {
    swap(*fruitful);
    const Board after = readAtRest();
    EXPECT_EQ(Describe(after).find('?'), std::string::npos) << Describe(after);
    EXPECT_FALSE(HasRun(after)) << Describe(after);
    EXPECT_NE(after, back) << Describe(after);
  }

  // The game has no key routine: a key press is dropped.
  x.Activate(w);
  x.TapKey(XK_space);
  x.TapKey(XK_F4, e2e::kAlt);
  EXPECT_EQ(app.WaitForExit(10s), e2e::ExitStatus::Code(0)) << app.Stderr();
  EXPECT_EQ(app.ReadFile("Game.log"), enginetest::DefaultStart() + enginetest::CloseByUser());
  // The scene hid the system pointer to draw its own (traced on Linux only).
  if (!e2e::UnderWine()) {
    const std::string trace = app.ReadFile("trace.txt");
    EXPECT_NE(trace.find("ShowCursor 0 -> -1\n"), std::string::npos) << trace;
  }
}

}  // namespace
