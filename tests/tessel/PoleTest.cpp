#include "_Pole.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <regex>
#include <string>
#include <tuple>

#include "Globvars.h"
#include "Random.h"

namespace {

// The board as its rows from the top, joined by '|': a digit per gem, '.'
// per empty cell.
std::string Rows() {
  std::string text;
  for (int32_t y = 1; y <= 8; ++y) {
    for (int32_t x = 1; x <= 8; ++x) text += board[x][y] == 0 ? '.' : static_cast<char>('0' + board[x][y]);
    if (y < 8) text += '|';
  }
  return text;
}

// Sets the board from such a picture (rows may be short or left out) and
// puts it at rest with nothing pending.
void SetRows(const std::string& rows) {
  std::memset(board, 0, sizeof board);
  int32_t x = 1, y = 1;
  for (char c : rows) {
    if (c == '|') {
      ++y;
      x = 1;
    } else {
      board[x++][y] = c == '.' ? 0 : c - '0';
    }
  }
  boardAtRest = true;
  gemSelected = checkPending = swapPending = false;
}

TEST(Gravity, OneRowPerCallNewGemsOfEveryKindAndAFullBoardAfterEightTicks) {
  SetRows("5|6");
  FallStep();
  EXPECT_TRUE(std::regex_match(Rows(), std::regex("[1-9]{8}\\|5\\.{7}\\|6\\.{7}(\\|\\.{8}){5}"))) << Rows();
  EXPECT_FALSE(boardAtRest || checkPending);
  // New gems are of the nine kinds 1 to 9, each about as often as another:
  // 896 of them give each kind between 50 and 150 times.
  int counts[10] = {};
  for (int row = 0; row < 112; ++row) {
    SetRows("");
    FallStep();
    for (int32_t x = 1; x <= 8; ++x) ++counts[board[x][1]];
  }
  EXPECT_EQ(counts[0], 0);
  for (int kind = 1; kind <= 9; ++kind) EXPECT_TRUE(counts[kind] >= 50 && counts[kind] <= 150) << kind;

  SetRows("");
  boardAtRest = false;
  std::string top;
  for (int32_t tick = 1; tick <= 8; ++tick) {
    BoardTick();
    if (tick == 1) top = Rows().substr(0, 8);
    const std::string full = std::to_string(tick - 1), empty = std::to_string(8 - tick);
    EXPECT_TRUE(
        std::regex_match(Rows(), std::regex("[1-9]{8}(\\|[1-9]{8}){" + full + "}(\\|\\.{8}){" + empty + "}")))
        << "tick " << tick << ": " << Rows();
  }
  EXPECT_EQ(Rows().substr(63), top);
  EXPECT_FALSE(boardAtRest);

  // A full board without groups comes to rest and is evaluated in that same
  // tick, drawing no gem.
  SetRows("12345678|45678912|78912345|12345678|45678912|78912345|12345678|45678912");
  boardAtRest = false;
  lastPoints = 77;
  RandomGenerator expected = ProgramRandom;
  BoardTick();
  EXPECT_TRUE(boardAtRest && checkPending);
  EXPECT_EQ(lastPoints, 0);
  EXPECT_EQ(ProgramRandom.Next(), expected.Next());
}

TEST(Groups, FourConnectedGroupsGoDiagonalsDoNotAndTheFirstMetScoresFirst) {
  SetRows("44|.4|2|2|.2|.......9|...7...9|......99");
  multiplier = 1;
  score = 1000;
  ResolveGroups();
  // The L of 4s (column 1) at 9 x 1, then the corner 9s at 16 x 2.
  EXPECT_EQ(Rows(), "........|........|2.......|2.......|.2......|........|...7....|........");
  EXPECT_EQ(std::tuple(lastPoints, score, multiplier), std::tuple(41, 1041, 4));
  EXPECT_FALSE(boardAtRest);

  // After a swap the multiplier starts again at 1 and doubles per group.
  for (const char* rows : {"2...3|2...3|2...3|....3|....3", "3...2|3...2|3...2|3|3"}) {
    SetRows(rows);
    swapPending = true;
    multiplier = 16;
    ResolveGroups();
    EXPECT_EQ(std::tuple(lastPoints, multiplier), std::tuple(rows[0] == '2' ? 9 + 25 * 2 : 25 + 9 * 2, 4));
    EXPECT_FALSE(swapPending);
  }
}

TEST(Swap, ChoosingWithdrawingFarClicksAndSwapsWithTheirCost) {
  SetRows("12|34");
  ChooseCell(1, 1);
  ChooseCell(1, 1);
  EXPECT_FALSE(gemSelected);
  ChooseCell(1, 1);
  ChooseCell(2, 2);  // diagonal
  ChooseCell(3, 1);  // two cells away
  EXPECT_TRUE(gemSelected);
  EXPECT_FALSE(checkPending || swapPending);

  // A swap that forms nothing stays made, costs 500 and resets the multiplier.
  multiplier = 8;
  score = 100;
  ChooseCell(2, 1);
  EXPECT_EQ(Rows().substr(0, 2), "21");
  EXPECT_EQ(selection.firstKind * 10 + selection.secondKind, 12);
  EXPECT_TRUE(checkPending && swapPending && !gemSelected);
  ResolveGroups();
  EXPECT_EQ(Rows().substr(0, 2), "21");
  EXPECT_EQ(std::tuple(lastPoints, score, multiplier), std::tuple(-500, -400, 1));
  EXPECT_TRUE(boardAtRest && !swapPending);

  // The score wraps around at 32 bits.
  score = INT_MIN + 100;
  ChooseCell(1, 1);
  ChooseCell(2, 1);
  ResolveGroups();
  EXPECT_EQ(score, INT_MAX - 399);
}

// The whole turn is read off the screen by the play test; here the chosen
// cell and the multiplier, which the screen does not show.
TEST(Rotation, TheChosenCellFollowsItsGemAndTheMultiplierStays) {
  SetRows("5|5|5");
  ChooseCell(1, 2);
  multiplier = 8;
  RotateBoard();  // column 1 becomes the bottom row
  EXPECT_EQ(Rows().substr(54), "........|555.....");
  EXPECT_EQ(std::tuple(selection.firstX, selection.firstY, selection.firstKind), std::tuple(2, 8, 5));
  ResolveGroups();
  EXPECT_EQ(lastPoints, 72);
}

// Computes the geometry for a window size and checks it, floats exactly.
void ExpectGeometry(int32_t width, int32_t height, int32_t pixels, float cw, float ch, float ox, float oy) {
  windowWidth = width;
  windowHeight = height;
  ComputeGeometry();
  EXPECT_EQ(std::tuple(cellPixels, cellWidth, cellHeight, originX, originY),
            std::tuple(pixels, cw, ch, ox, oy));
}

TEST(Geometry, CellSizeAndOriginFollowTheWindow) {
  ExpectGeometry(640, 480, 75, 0.234375f, 0.3125f, -0.9375f, 0.9166666667f);
  ExpectGeometry(350, 500, 38, 0.2171428571f, 0.152f, -0.8857142857f, 0.92f);
}

}  // namespace
