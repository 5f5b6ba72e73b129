#include "MainUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "BoardRuns.h"
#include "Random.h"

namespace {

const float kHomes[8] = {-0.7f, -0.5f, -0.3f, -0.1f, 0.1f, 0.3f, 0.5f, 0.7f};

std::string Runs() {
  return RunsPicture([](int c, int r) { return static_cast<int>(BoardCell(c, r).kind); });
}

bool SameRecord(const Cell& a, const Cell& b) {
  return a.x == b.x && a.y == b.y && a.kind == b.kind && a.state == b.state && a.glow == b.glow;
}

std::string MatchedPicture() {
  std::string picture;
  for (int r = BoardSide - 1; r >= 0; --r)
    for (int c = 0; c < BoardSide; ++c) picture += BoardCell(c, r).state == Matched ? '#' : '.';
  return picture;
}

TEST(Board, AFilledBoardHasNoRunAndEveryGemNormalAtItsHome) {
  bool kindSeen[GemKinds] = {};
  for (uint32_t seed = 0; seed < 300; ++seed) {
    ProgramRandom.Seed(seed);
    std::memset(gemBoard, 0xAB, sizeof gemBoard);
    FillBoard();
    ASSERT_EQ(Runs(), kNoRuns) << "seed " << seed;
    ASSERT_FALSE(MarkRuns());
    for (int c = 0; c < BoardSide; ++c) {
      for (int r = 0; r < BoardSide; ++r) {
        // The homes, worked out at run time, are the floats nearest to the
        // decimal values.
        const Cell& cell = BoardCell(c, r);
        ASSERT_TRUE(cell.x == kHomes[c] && cell.y == kHomes[r] && cell.kind < GemKinds &&
                    cell.state == Normal && cell.glow == 0.0f)
            << "seed " << seed << " cell " << c << "," << r;
        kindSeen[cell.kind] = true;
      }
    }
  }
  for (bool seen : kindSeen) EXPECT_TRUE(seen);
}

TEST(Board, MarkRunsMarksExactlyTheCellsOfEveryRunWhateverTheirState) {
  // Three to six kinds: boards full of runs that cross and touch, and some
  // with none.
  RandomGenerator rng;
  rng.Seed(2024);
  int boardsWithoutRuns = 0;
  for (int round = 0; round < 800; ++round) {
    for (Cell& cell : gemBoard)
      cell =
          Cell{0, 0, static_cast<uint8_t>(rng.Below(3 + round % 4)), static_cast<uint8_t>(rng.Below(3)), 0};
    const std::string expected = Runs();
    boardsWithoutRuns += expected == kNoRuns;
    EXPECT_EQ(MarkRuns(), expected != kNoRuns);
    ASSERT_EQ(MatchedPicture(), expected) << "round " << round;
  }
  EXPECT_GT(boardsWithoutRuns, 10);
}

// Marks the given rows of column 2 Matched on a board of distinct records,
// collapses, and compares the column's heights. The gems that sank keep
// their whole records, the new ones are Normal, the other columns unchanged.
void ExpectHeightsAfterCollapse(std::vector<int> matchedRows, std::vector<float> heights) {
  for (int c = 0; c < BoardSide; ++c)
    for (int r = 0; r < BoardSide; ++r)
      BoardCell(c, r) = Cell{kHomes[c], kHomes[r], static_cast<uint8_t>(1 + (c + 2 * r) % 5),
                             static_cast<uint8_t>(r % 2 ? Hovered : Normal), 0.01f * (c * 8 + r)};
  Cell before[BoardCells];
  std::memcpy(before, gemBoard, sizeof gemBoard);
  std::vector<int> kept;
  for (int r = 0; r < BoardSide; ++r)
    if (std::find(matchedRows.begin(), matchedRows.end(), r) == matchedRows.end()) kept.push_back(r);
  for (int r : matchedRows) BoardCell(2, r).state = Matched;
  CollapseColumns();
  for (int r = 0; r < BoardSide; ++r) {
    const Cell& cell = BoardCell(2, r);
    EXPECT_NEAR(cell.y, heights[r], 1e-6) << "row " << r;
    const bool sunk = r < static_cast<int>(kept.size());
    EXPECT_TRUE(sunk ? SameRecord(cell, before[16 + kept[r]]) : cell.state == Normal && cell.x == kHomes[2])
        << "row " << r;
  }
  for (int i = 0; i < BoardCells; ++i)
    EXPECT_TRUE(i / 8 == 2 || SameRecord(gemBoard[i], before[i])) << "column " << i / 8 << " row " << i % 8;
}

TEST(Board, CollapseLetsGemsSinkWholeAndGivesNewGemsTheirStartHeights) {
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

TEST(Board, RefillCompletesNoRunLeftOrDownAndCascadesEnd) {
  RandomGenerator rng;
  rng.Seed(77);
  int runsAfterRefill = 0;
  for (uint32_t seed = 0; seed < 300; ++seed) {
    ProgramRandom.Seed(seed);
    FillBoard();
    for (Cell& cell : gemBoard)
      if (rng.Below(4) == 0) cell.state = Matched;
    for (int cascade = 0; cascade == 0 || MarkRuns(); ++cascade) {
      ASSERT_LT(cascade, 50) << "seed " << seed;
      std::vector<uint8_t> survivors[BoardSide];
      for (int c = 0; c < BoardSide; ++c)
        for (int r = 0; r < BoardSide; ++r)
          if (BoardCell(c, r).state != Matched) survivors[c].push_back(BoardCell(c, r).kind);
      CollapseColumns();
      for (int c = 0; c < BoardSide; ++c) {
        for (int r = 0; r < BoardSide; ++r) {
          const Cell& cell = BoardCell(c, r);
          // Every column stands in order, the new gems above the old.
          ASSERT_TRUE(cell.state == Normal && cell.kind < GemKinds &&
                      (r == 0 || cell.y > BoardCell(c, r - 1).y))
              << "seed " << seed << " cell " << c << "," << r;
          if (r < static_cast<int>(survivors[c].size())) {
            ASSERT_EQ(cell.kind, survivors[c][r]) << "column " << c << " lost its order";
          } else {
            ASSERT_TRUE(FitsWithoutRun(c, r)) << "seed " << seed << " cell " << c << "," << r;
          }
        }
      }
      for (int i = 0; i < BoardCells; ++i) gemBoard[i].y = kHomes[i % BoardSide];  // the fall
      runsAfterRefill += cascade == 0 && Runs() != kNoRuns;
    }
    ASSERT_EQ(Runs(), kNoRuns);
  }
  // Runs to the right or above are left for the next search to find.
  EXPECT_GT(runsAfterRefill, 0);
}

}  // namespace
