#include "MainWindow.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "Globvars.h"
#include "_Pole.h"

// The window procedure's gates and key rules, driven by its messages
// without a window: OpenGL and the caption calls then have nothing to act
// on and do nothing.
namespace {

namespace fs = std::filesystem;

const std::string kTable = "300 ANNA\r\n200 BORIS\r\n100 VERA\r\n";

LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return MainWindowProc(nullptr, message, wParam, lParam);
}
void Key(WPARAM key) { EXPECT_EQ(Send(WM_KEYDOWN, key), 0); }
void LeftClick(int x, int y) { EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)), 0); }

std::string FileBytes() {
  std::ifstream in(fs::path(u8"рекорды.txt"), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh directory with a leaders file, a 350 by 500 client area and a
// full board at rest whose kinds run 1..9 in turn, so that no group forms.
class WindowProc : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    std::random_device entropy;
    do {
      auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
      dir_ = fs::temp_directory_path() /
             ("tessel-window-" + std::to_string(stamp) + "-" + std::to_string(entropy()));
    } while (!fs::create_directory(dir_));
    fs::current_path(dir_);
    std::ofstream(fs::path(u8"рекорды.txt"), std::ios::binary) << kTable;

    quitRequested = false;
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(350, 500));
    NewGame();
    for (int32_t x = 1; x <= 8; ++x) {
      for (int32_t y = 1; y <= 8; ++y) board[x][y] = (x + 2 * y) % 9 + 1;
    }
    boardAtRest = checkPending = true;
  }
  void TearDown() override {
    fs::current_path(home_);
    fs::remove_all(dir_);
  }
  fs::path home_, dir_;
};

TEST_F(WindowProc, ClicksReachACellOnlyStrictlyInsideTheBoardAndOnlyAtRestBeforeTheEnd) {
  EXPECT_EQ(cellPixels, 38);  // the board covers pixels 20..324 both ways
  int32_t x = 0, y = 0;
  EXPECT_FALSE(CellAt(20, 100, x, y));
  EXPECT_FALSE(CellAt(100, 20, x, y));
  EXPECT_FALSE(CellAt(324, 100, x, y));
  EXPECT_FALSE(CellAt(100, 324, x, y));
  ASSERT_TRUE(CellAt(21, 323, x, y));
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 8);
  ASSERT_TRUE(CellAt(58, 57, x, y));  // 58 - 20 = 38: the first pixel of column 2
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 1);

  // A client area of 0 by 0 (minimised) leaves no cell anywhere; the next
  // size brings the board back.
  Send(WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_EQ(windowWidth, 0);
  EXPECT_FALSE(CellAt(21, 21, x, y));
  EXPECT_FALSE(CellAt(-1, -1, x, y));
  Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(326, 400));
  EXPECT_EQ(cellPixels, 35);
  ASSERT_TRUE(CellAt(56, 21, x, y));
  EXPECT_EQ(x, 2);

  // While the board falls a click leaves no trace at all.
  boardAtRest = false;
  clickX = clickY = -1;
  LeftClick(100, 100);
  EXPECT_EQ(clickX, -1);
  EXPECT_FALSE(gemSelected);

  // At rest a click outside the board is remembered and does nothing else;
  // one inside chooses its cell.
  boardAtRest = true;
  LeftClick(10, 200);
  EXPECT_EQ(clickX, 10);
  EXPECT_EQ(clickY, 200);
  EXPECT_FALSE(gemSelected);
  LeftClick(56, 21);
  EXPECT_TRUE(gemSelected);
  EXPECT_EQ(selection.firstX, 2);
  EXPECT_EQ(selection.firstY, 1);
  EXPECT_EQ(selection.firstKind, board[2][1]);

  // Once the game has ended the board takes no more left clicks.
  gameOver = true;
  LeftClick(56, 21);
  EXPECT_TRUE(gemSelected);
}

TEST_F(WindowProc, RightClickTurnsTheBoardAtRestUnlessASwapWaitsEvenAfterTheEnd) {
  const int32_t topLeft = board[1][1];
  boardAtRest = false;
  EXPECT_EQ(Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5)), 0);
  EXPECT_EQ(board[1][1], topLeft);

  boardAtRest = true;
  swapPending = true;
  Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(board[1][1], topLeft);

  swapPending = false;
  gameOver = true;
  Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(board[1][8], topLeft);  // the top-left gem goes to the bottom-left corner
}

TEST_F(WindowProc, KeysWaitForRestTypeOnlyDigitsAndCapitalCodesAndHeldEnterRunsTheWholeEnd) {
  boardAtRest = false;
  Key(VK_ESCAPE);
  Key(VK_RETURN);
  EXPECT_FALSE(quitRequested || gameOver);

  boardAtRest = true;
  Key('A');  // letters mean nothing while playing
  score = 50;
  Key(VK_RETURN);
  EXPECT_EQ(leaderPlace, 4);
  // Lower-case codes are keypad keys: neither they nor the space type.
  for (WPARAM key : {WPARAM{'Z'}, WPARAM{'0'}, WPARAM{VK_SPACE}, WPARAM{0x61}, WPARAM{VK_BACK}, WPARAM{'9'}})
    Key(key);
  EXPECT_EQ(playerName, "Z9");
  Key(VK_BACK);
  Key(VK_BACK);
  Key(VK_BACK);  // on an empty name: nothing
  EXPECT_EQ(playerName, "");

  // Auto-repeat is not filtered: the held Enter that ended the game saves
  // the empty name and starts the next game.
  Key(VK_RETURN);
  EXPECT_EQ(FileBytes(), "300 ANNA\r\n200 BORIS\r\n100 VERA\r\n50 \r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
  Key('X');  // the leaders screen still edits the name
  EXPECT_EQ(playerName, "X");
  Key(VK_RETURN);
  EXPECT_FALSE(gameOver || leadersSaved || boardAtRest || quitRequested);
  EXPECT_EQ(playerName, "");

  boardAtRest = true;
  Key(VK_ESCAPE);
  EXPECT_TRUE(quitRequested);
  EXPECT_FALSE(gameOver);
}

}  // namespace
