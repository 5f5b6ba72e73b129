#include "MainUnit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Random.h"

namespace {

// A board at rest in which no two neighbours are equal, made of kinds 1 to
// 5 only: whatever is planted in kind 0 forms exactly the runs it draws.
void SetQuietBoard() {
  for (int c = 0; c < BoardSide; ++c)
    for (int r = 0; r < BoardSide; ++r)
      BoardCell(c, r) =
          Cell{HomeCoordinate(c), HomeCoordinate(r), static_cast<uint8_t>(1 + (c + 2 * r) % 5), Normal, 0.0f};
}

// Pictures are eight lines of eight characters, row 7 first, column 0 left.
bool At(const std::string& picture, int c, int r) { return picture[(7 - r) * 8 + c] != '.'; }

void Plant(const std::string& picture) {
  for (int c = 0; c < BoardSide; ++c)
    for (int r = 0; r < BoardSide; ++r)
      if (At(picture, c, r)) BoardCell(c, r).kind = 0;
}

std::string MatchedPicture() {
  std::string picture;
  for (int r = BoardSide - 1; r >= 0; --r)
    for (int c = 0; c < BoardSide; ++c) picture += BoardCell(c, r).state == Matched ? '#' : '.';
  return picture;
}

// Independent reference: a cell is in a run when the line of equal kinds
// through it, across or up, is three or longer.
std::string RunsPicture() {
  auto same = [](int c, int r, int k) {
    return c >= 0 && c < BoardSide && r >= 0 && r < BoardSide && BoardCell(c, r).kind == k;
  };
  std::string picture;
  for (int r = BoardSide - 1; r >= 0; --r) {
    for (int c = 0; c < BoardSide; ++c) {
      int k = BoardCell(c, r).kind, across = 1, up = 1;
      for (int i = c - 1; same(i, r, k); --i) ++across;
      for (int i = c + 1; same(i, r, k); ++i) ++across;
      for (int i = r - 1; same(c, i, k); --i) ++up;
      for (int i = r + 1; same(c, i, k); ++i) ++up;
      picture += across >= 3 || up >= 3 ? '#' : '.';
    }
  }
  return picture;
}

const std::string kNoRuns(64, '.');

TEST(Board, HomeCoordinatesAreTheNearestFloats) {
  const float expected[8] = {-0.7f, -0.5f, -0.3f, -0.1f, 0.1f, 0.3f, 0.5f, 0.7f};
  for (int i = 0; i < 8; ++i) {
    volatile int atRunTime = i;  // worked out by the program, not by the compiler
    EXPECT_EQ(HomeCoordinate(atRunTime), expected[i]) << i;
  }
}

TEST(Board, FilledBoardHasNoRunAndEveryGemAtHome) {
  bool kindSeen[GemKinds] = {};
  for (uint32_t seed = 0; seed < 300; ++seed) {
    ProgramRandom.Seed(seed);
    std::memset(gemBoard, 0xAB, sizeof gemBoard);
    FillBoard();
    ASSERT_EQ(RunsPicture(), kNoRuns) << "seed " << seed;
    for (int c = 0; c < BoardSide; ++c) {
      for (int r = 0; r < BoardSide; ++r) {
        const Cell& cell = BoardCell(c, r);
        ASSERT_EQ(cell.x, HomeCoordinate(c));
        ASSERT_EQ(cell.y, HomeCoordinate(r));
        ASSERT_LT(cell.kind, GemKinds);
        ASSERT_EQ(cell.state, Normal);
        ASSERT_EQ(cell.glow, 0.0f);
        kindSeen[cell.kind] = true;
      }
    }
    // The run search leaves such a board exactly as it was.
    Cell before[BoardCells];
    std::memcpy(before, gemBoard, sizeof gemBoard);
    ASSERT_FALSE(MarkRuns());
    ASSERT_EQ(std::memcmp(before, gemBoard, sizeof gemBoard), 0);
  }
  for (bool seen : kindSeen) EXPECT_TRUE(seen);
}

TEST(Board, MarkRunsMarksEveryShapeWhole) {
  const std::vector<std::string> shapes = {
      // A line of three at the bottom edge, four up the right edge.
      "........"
      "........"
      "........"
      ".......#"
      ".......#"
      ".......#"
      ".......#"
      "###.....",
      // Five across the top, and an L of three plus three sharing a corner.
      "#####..."
      "........"
      "........"
      "..#....."
      "..#....."
      "..###..."
      "........"
      "........",
      // A cross and a T, runs in both directions found by one search.
      "........"
      "...#...."
      "...#...."
      ".#####.."
      "...#...."
      "..#....."
      "..#....."
      "#####...",
  };
  for (const std::string& shape : shapes) {
    SetQuietBoard();
    Plant(shape);
    BoardCell(3, 4).state = Hovered;  // marking overwrites any state
    BoardCell(7, 1).state = Selected;
    EXPECT_TRUE(MarkRuns());
    EXPECT_EQ(MatchedPicture(), shape);
  }
  // Pairs, a diagonal and a broken line are no runs.
  SetQuietBoard();
  Plant(
      "##.##..."
      "........"
      "#......."
      ".#......"
      "..#....."
      "......#."
      "......#."
      "#......#");
  EXPECT_FALSE(MarkRuns());
  EXPECT_EQ(MatchedPicture(), kNoRuns);
}

TEST(Board, MarkRunsAgreesWithReferenceOnRandomBoards) {
  RandomGenerator rng;
  rng.Seed(2024);
  for (int round = 0; round < 500; ++round) {
    for (Cell& cell : gemBoard) cell = Cell{0, 0, static_cast<uint8_t>(rng.Below(3)), Normal, 0};
    std::string expected = RunsPicture();
    EXPECT_EQ(MarkRuns(), expected != kNoRuns);
    ASSERT_EQ(MatchedPicture(), expected) << "round " << round;
  }
}

// Marks the given rows of column 2 Matched on a quiet board, collapses, and
// compares the column's heights; the other columns must not change.
void ExpectHeightsAfterCollapse(std::vector<int> matchedRows, std::vector<float> heights) {
  SetQuietBoard();
  Cell before[BoardCells];
  std::memcpy(before, gemBoard, sizeof gemBoard);
  for (int r : matchedRows) BoardCell(2, r).state = Matched;
  CollapseColumns();
  for (int r = 0; r < BoardSide; ++r) EXPECT_NEAR(BoardCell(2, r).y, heights[r], 1e-6) << "row " << r;
  for (int c : {0, 1, 3, 4, 5, 6, 7})
    EXPECT_EQ(std::memcmp(&before[c * 8], &BoardCell(c, 0), sizeof(Cell) * 8), 0) << "column " << c;
}

TEST(Board, CollapseGivesNewGemsTheirStartHeights) {
  // A run at the top: new gems one pitch apart above the column.
  ExpectHeightsAfterCollapse({5, 6, 7}, {-0.7f, -0.5f, -0.3f, -0.1f, 0.1f, 0.9f, 1.1f, 1.3f});
  // One gem in the middle: those above sink, keeping their heights.
  ExpectHeightsAfterCollapse({3}, {-0.7f, -0.5f, -0.3f, 0.1f, 0.3f, 0.5f, 0.7f, 0.9f});
  // Rows 2 and 7: the new gem of row 6 follows the sunk gem below it.
  ExpectHeightsAfterCollapse({2, 7}, {-0.7f, -0.5f, -0.1f, 0.1f, 0.3f, 0.5f, 0.7f, 0.9f});
  // Two at the bottom: everything sinks two rows.
  ExpectHeightsAfterCollapse({0, 1}, {-0.3f, -0.1f, 0.1f, 0.3f, 0.5f, 0.7f, 0.9f, 1.1f});
  // The whole column: all new, stacked from one pitch above the top row.
  ExpectHeightsAfterCollapse({0, 1, 2, 3, 4, 5, 6, 7}, {0.9f, 1.1f, 1.3f, 1.5f, 1.7f, 1.9f, 2.1f, 2.3f});
}

TEST(Board, SunkGemsKeepTheirWholeRecords) {
  SetQuietBoard();
  for (int r = 0; r < BoardSide; ++r) BoardCell(4, r).glow = 0.05f * static_cast<float>(r);
  BoardCell(4, 6).state = Hovered;
  Cell before[BoardSide];
  std::memcpy(before, &BoardCell(4, 0), sizeof before);
  BoardCell(4, 1).state = Matched;
  BoardCell(4, 4).state = Matched;
  CollapseColumns();
  const int from[] = {0, 2, 3, 5, 6, 7};
  for (int r = 0; r < 6; ++r) {
    const Cell& cell = BoardCell(4, r);
    const Cell& old = before[from[r]];
    EXPECT_TRUE(cell.x == old.x && cell.y == old.y && cell.kind == old.kind && cell.state == old.state &&
                cell.glow == old.glow)
        << "row " << r << " should hold the gem of row " << from[r];
  }
  for (int r = 6; r < BoardSide; ++r) {
    EXPECT_EQ(BoardCell(4, r).state, Normal);
    EXPECT_EQ(BoardCell(4, r).x, HomeCoordinate(4));
  }
}

TEST(Board, RefillCompletesNoRunLeftOrDownAndCascadesEnd) {
  RandomGenerator rng;
  rng.Seed(77);
  int runsAfterRefill = 0;
  for (uint32_t seed = 0; seed < 300; ++seed) {
    ProgramRandom.Seed(seed);
    FillBoard();
    for (int cascade = 0;; ++cascade) {
      ASSERT_LT(cascade, 50) << "seed " << seed;
      if (cascade == 0) {
        for (Cell& cell : gemBoard)
          if (rng.Below(4) == 0) cell.state = Matched;
      } else if (!MarkRuns()) {
        break;
      }
      std::vector<std::vector<uint8_t>> survivors(BoardSide);
      for (int c = 0; c < BoardSide; ++c)
        for (int r = 0; r < BoardSide; ++r)
          if (BoardCell(c, r).state != Matched) survivors[c].push_back(BoardCell(c, r).kind);
      CollapseColumns();
      for (int c = 0; c < BoardSide; ++c) {
        for (int r = 0; r < BoardSide; ++r) {
          Cell& cell = BoardCell(c, r);
          ASSERT_NE(cell.state, Matched);
          ASSERT_LT(cell.kind, GemKinds);
          ASSERT_GE(cell.y, HomeCoordinate(r));
          if (r < static_cast<int>(survivors[c].size())) {
            ASSERT_EQ(cell.kind, survivors[c][r]) << "column " << c << " lost its order";
          } else {
            ASSERT_TRUE(FitsWithoutRun(c, r)) << "seed " << seed << " cell " << c << "," << r;
            if (r > 0) {
              ASSERT_GT(cell.y, BoardCell(c, r - 1).y);
            }
          }
        }
      }
      for (int i = 0; i < BoardCells; ++i) gemBoard[i].y = HomeCoordinate(i % BoardSide);  // the fall
      runsAfterRefill += cascade == 0 && RunsPicture() != kNoRuns;
    }
    ASSERT_EQ(RunsPicture(), kNoRuns);
  }
  // Runs to the right or above are left for the next search to find.
  EXPECT_GT(runsAfterRefill, 0);
}

}  // namespace
