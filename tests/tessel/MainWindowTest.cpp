#include "MainWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>

#include "Globvars.h"
#include "File_work.h"
#include "TestSupport.h"
#include "_Pole.h"

// The window procedure's gates and key rules, driven by its messages
// without a window: OpenGL and the caption calls then have nothing to act
// on and do nothing.
namespace {

const auto kFile = testsupport::Utf8Name("рекорды.txt");

LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return MainWindowProc(nullptr, message, wParam, lParam);
}
void Key(WPARAM key) { EXPECT_EQ(Send(WM_KEYDOWN, key), 0); }
void LeftClick(int x, int y) { EXPECT_EQ(Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)), 0); }

// The cell under each point as "xy", or "-" where there is none.
std::string Cells(std::initializer_list<std::pair<int32_t, int32_t>> points) {
  std::string text;
  for (auto [px, py] : points) {
    int32_t x = 0, y = 0;
    text += (CellAt(px, py, x, y) ? std::to_string(x * 10 + y) : "-") + " ";
  }
  return text;
}

// In a scratch folder with a leaders file: a 350 by 500 client area and a
// full board at rest whose kinds run 1..9 in turn, so that no group forms.
class WindowProc : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::WriteBytes(kFile, "300 ANNA\r\n200 BORIS\r\n100 VERA\r\n");
    quitRequested = false;
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(350, 500));
    NewGame();
    for (int32_t x = 1; x <= 8; ++x)
      for (int32_t y = 1; y <= 8; ++y) board[x][y] = (x + 2 * y) % 9 + 1;
    boardAtRest = checkPending = true;
  }
  testsupport::InScratchDir dir_{"tessel-window"};
};

TEST_F(WindowProc, ClicksReachACellOnlyStrictlyInsideTheBoardAndOnlyAtRestBeforeTheEnd) {
  EXPECT_EQ(cellPixels, 38);  // the board covers pixels 20..324 both ways; 58 starts column 2
  EXPECT_EQ(Cells({{20, 100}, {100, 20}, {324, 100}, {100, 324}, {21, 323}, {58, 57}}), "- - - - 18 21 ");

  // A client area of 0 by 0 (minimised) gives infinities and NaNs, which
  // the masked floating-point exceptions let pass, and no cell anywhere;
  // the next size brings the board back.
  Send(WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_EQ(cellPixels, -5);
  EXPECT_TRUE(std::isinf(cellWidth) && std::isnan(cellHeight) && std::isinf(originX) && std::isinf(originY));
  EXPECT_EQ(Cells({{21, 21}, {-1, -1}}), "- - ");
  Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(326, 400));
  EXPECT_EQ(cellPixels, 35);
  EXPECT_EQ(Cells({{56, 21}}), "21 ");

  // A click while the board falls, or one outside the board, chooses
  // nothing; one inside at rest chooses its cell.
  boardAtRest = false;
  LeftClick(100, 100);
  EXPECT_FALSE(gemSelected);
  boardAtRest = true;
  LeftClick(10, 200);
  EXPECT_FALSE(gemSelected);
  LeftClick(56, 21);
  EXPECT_TRUE(gemSelected);
  EXPECT_EQ(selection.firstX * 10 + selection.firstY, 21);
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
  boardAtRest = swapPending = true;
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
  score = 100;
  Key(VK_RETURN);
  EXPECT_EQ(leaderPlace, 4);  // a tie goes below the score already there
  // Lower-case codes are keypad keys: neither they nor the space type.
  for (WPARAM key : {WPARAM{'Z'}, WPARAM{'0'}, WPARAM{VK_SPACE}, WPARAM{0x61}, WPARAM{VK_BACK}, WPARAM{'9'}})
    Key(key);
  EXPECT_EQ(playerName, "Z9");
  for (int i = 0; i < 3; ++i) Key(VK_BACK);  // the third on an empty name: nothing
  EXPECT_EQ(playerName, "");

  // Auto-repeat is not filtered: the held Enter that ended the game saves
  // the empty name and starts the next game.
  Key(VK_RETURN);
  EXPECT_EQ(testsupport::ReadBytes(kFile),
            "300 ANNA\r\n200 BORIS\r\n100 VERA\r\n100 \r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
  Key('X');  // the leaders screen still edits the name
  EXPECT_EQ(playerName, "X");

  // The next game: an empty board, every flag down and the table read
  // afresh; the last points and the kinds in the caption stay.
  testsupport::WriteBytes(kFile, "70 A\r\n");
  multiplier = 8;
  lastPoints = 33;
  selection.secondKind = 6;
  gemSelected = swapPending = true;
  Key(VK_RETURN);
  EXPECT_EQ(LeadersFileText(), "70 A\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
  EXPECT_EQ(std::count(&board[0][0], &board[0][0] + 100, 0), 100);
  EXPECT_EQ(std::tuple(score, multiplier, leaderPlace, lastPoints, selection.secondKind, playerName),
            std::tuple(0, 1, 11, 33, 6, ""));
  EXPECT_FALSE(gameOver || leadersSaved || boardAtRest || gemSelected || checkPending || swapPending);

  boardAtRest = true;
  Key(VK_ESCAPE);
  EXPECT_TRUE(quitRequested);
  EXPECT_FALSE(gameOver);
}

}  // namespace
