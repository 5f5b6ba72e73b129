#include "MainUnit.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "BoardRuns.h"
#include "Game3DEngine.h"
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

TEST(Board, NewGemsCompleteNoRunToTheLeftOrBelowAndCascadesEnd) {
  // A filled board, then random cells matched, collapsed and refilled, and
  // the runs that new gems make to the right or above removed in turn.
  RandomGenerator rng;
  rng.Seed(77);
  bool kindSeen[GemKinds] = {};
  int runsAfterRefill = 0;
  for (uint32_t seed = 0; seed < 300; ++seed) {
    ProgramRandom.Seed(seed);
    std::memset(gemBoard, 0xAB, sizeof gemBoard);
    FillBoard();
    ASSERT_EQ(Runs(), kNoRuns) << "seed " << seed;
    for (int i = 0; i < BoardCells; ++i) {
      // The homes, worked out at run time, are the floats nearest to the
      // decimal values.
      const Cell& cell = gemBoard[i];
      ASSERT_TRUE(cell.x == kHomes[i / 8] && cell.y == kHomes[i % 8] && cell.kind < GemKinds &&
                  cell.state == Normal && cell.glow == 0.0f)
          << "seed " << seed << " cell " << i;
      kindSeen[cell.kind] = true;
    }
    for (Cell& cell : gemBoard)
      if (rng.Below(4) == 0) cell.state = Matched;
    for (int cascade = 0; cascade == 0 || MarkRuns(); ++cascade) {
      ASSERT_LT(cascade, 50) << "seed " << seed;
      int kept[BoardSide] = {};
      for (int i = 0; i < BoardCells; ++i) kept[i / 8] += gemBoard[i].state != Matched;
      CollapseColumns();
      // The new gems stand above the kept ones in each column.
      for (int i = 0; i < BoardCells; ++i)
        ASSERT_TRUE(gemBoard[i].state == Normal && gemBoard[i].kind < GemKinds &&
                    (i % 8 < kept[i / 8] || FitsWithoutRun(i / 8, i % 8)))
            << "seed " << seed << " cell " << i;
      for (int i = 0; i < BoardCells; ++i) gemBoard[i].y = kHomes[i % BoardSide];  // the fall
      runsAfterRefill += cascade == 0 && Runs() != kNoRuns;
    }
    ASSERT_EQ(Runs(), kNoRuns);
  }
  for (bool seen : kindSeen) EXPECT_TRUE(seen);
  EXPECT_GT(runsAfterRefill, 0);
}

// ---------------------------------------------------------------------------
// The pointer, selection and animation control, stepped frame by frame with
// chosen elapsed times. No rendering context is current here, so the
// frames' drawing calls do nothing and only the state is looked at.

// In a 640 x 480 viewport the cells are 48 pixels wide, their borders at
// x = 128 + 48 c and y = 432 - 48 r.
int Bx(int c) { return 128 + 48 * c; }
int By(int r) { return 432 - 48 * r; }
void MoveTo(int c, int r) { HandleMouseMove(Bx(c) + 24, By(r) - 24); }
void PressOn(int c, int r) { HandleMouseDown(Bx(c) + 24, By(r) - 24); }

// One frame that lasted `ms` milliseconds, as the frame routine runs it.
void Frame(uint32_t ms) {
  tickPrev = tickNow;
  tickNow += ms;
  RenderFrame();
}

// 16 ms frames while the board is in `state` (ten seconds at most);
// returns their time.
uint32_t RunWhile(int32_t state) {
  uint32_t spent = 0;
  for (; animState == state && spent < 10000; spent += 16) Frame(16);
  return spent;
}

std::string Kinds() {
  std::string kinds;
  for (const Cell& cell : gemBoard) kinds += static_cast<char>('0' + cell.kind);
  return kinds;
}

// Idle, nothing picked, every gem Normal at its home.
bool AtRest() {
  for (int i = 0; i < BoardCells; ++i)
    if (gemBoard[i].x != HomeCoordinate(i / 8) || gemBoard[i].y != HomeCoordinate(i % 8) ||
        gemBoard[i].state != Normal)
      return false;
  return animState == Idle && pickState == NothingPicked;
}

class BoardControl : public ::testing::Test {
 protected:
  // A board of kinds 1 to 5 on which no swap makes a run; kinds planted as
  // 0 form exactly the runs they draw.
  void SetUp() override {
    ViewportWidth = 640;
    ViewportHeight = 480;
    for (int c = 0; c < BoardSide; ++c)
      for (int r = 0; r < BoardSide; ++r)
        BoardCell(c, r) = Cell{HomeCoordinate(c), HomeCoordinate(r),
                               static_cast<uint8_t>(1 + (c + 2 * r) % 5), Normal, 0.0f};
    animState = Idle;
    pickState = NothingPicked;
    tickPrev = tickNow = 5000;
    ProgramRandom.Seed(7);
  }

  // Row 0 gets a run when (2, 1) comes down, picked first or second; once
  // columns 0 to 2 have sunk by one, (1, 2) and (2, 2) meet (3, 1) in another.
  void PlantCascade(int firstRow) {
    for (auto [c, r] : {std::pair{0, 0}, {1, 0}, {2, 1}, {1, 2}, {2, 2}, {3, 1}}) BoardCell(c, r).kind = 0;
    PressOn(2, firstRow);
    PressOn(2, 1 - firstRow);
    ASSERT_EQ(animState, Swap);
  }
};

TEST_F(BoardControl, ThePointerMapsThroughTheViewportAndALineBetweenCellsHoversNothing) {
  HandleMouseMove(640, 0);
  EXPECT_FLOAT_EQ(cursorX, 4.0f / 3.0f);
  EXPECT_FLOAT_EQ(cursorY, 1.0f);
  // The frustum stretches over any window, one with no height too, which
  // counts as one pixel high.
  ResizeViewport(1000, 0);
  HandleMouseMove(0, 1);
  EXPECT_FLOAT_EQ(cursorX, -4.0f / 3.0f);
  EXPECT_FLOAT_EQ(cursorY, -1.0f);
  ResizeViewport(640, 480);

  MoveTo(2, 5);
  EXPECT_EQ(BoardCell(2, 5).state, Hovered);
  // Exactly on a line between cells, on a corner, or off the board the
  // pointer is over none; the hovered cell lets go, a press picks nothing.
  for (auto [x, y] :
       {std::pair{Bx(3), By(5) - 9}, {Bx(2) + 9, By(5)}, {Bx(3), By(5)}, {Bx(8), By(0) - 9}, {90, 300}}) {
    MoveTo(2, 5);
    HandleMouseMove(x, y);
    HandleMouseDown(x, y);
    for (const Cell& cell : gemBoard) EXPECT_EQ(cell.state, Normal) << x << "," << y;
  }
  HandleMouseMove(Bx(3) + 1, By(5) - 1);
  EXPECT_EQ(BoardCell(3, 5).state, Hovered);
  // The grid decides, not where a gem happens to be drawn.
  BoardCell(4, 4).x = HomeCoordinate(6);
  MoveTo(6, 4);
  EXPECT_EQ(BoardCell(6, 4).state, Hovered);
  EXPECT_EQ(BoardCell(4, 4).state, Normal);
}

TEST_F(BoardControl, APressSelectsAndWithdrawsAndOnlyANeighbourIsTakenAsPartner) {
  PressOn(2, 5);
  MoveTo(6, 1);
  EXPECT_EQ(BoardCell(2, 5).state, Selected);
  // Diagonal neighbours and cells two places away on either side.
  for (auto [c, r] : {std::pair{3, 6}, {1, 4}, {4, 5}, {0, 5}, {2, 7}, {2, 3}}) PressOn(c, r);
  EXPECT_EQ(pickState, OnePicked);
  EXPECT_EQ(BoardCell(2, 5).state, Selected);
  PressOn(2, 5);
  EXPECT_EQ(BoardCell(2, 5).state, Hovered);
  EXPECT_EQ(pickState, NothingPicked);
}

TEST_F(BoardControl, AFruitlessSwapGoesThereAndBackIn400MsEachAndLeavesTheBoardAsItWas) {
  for (auto [c1, r1, c2, r2] : {std::tuple{0, 0, 1, 0}, {4, 3, 3, 3}, {5, 5, 5, 6}, {7, 7, 7, 6}}) {
    SetUp();
    const std::string kinds = Kinds();
    const uint8_t k1 = BoardCell(c1, r1).kind;
    PressOn(c1, r1);
    PressOn(c2, r2);
    ASSERT_EQ(animState, Swap);
    float& moving = r1 == r2 ? BoardCell(c1, r1).x : BoardCell(c1, r1).y;
    const float from = moving, to = r1 == r2 ? HomeCoordinate(c2) : HomeCoordinate(r2);
    for (uint8_t phase : {SwapMoving, ReturnMoving}) {
      for (int i = 0; i < 24; ++i) Frame(16);
      EXPECT_NEAR(moving, from + (to - from) * 0.96, 1e-5);
      Frame(15);
      EXPECT_EQ(pickState, phase) << "at 399 ms";
      // At 400 ms, or a millisecond later where single precision falls a
      // hair short, the gems are back on the homes and the kinds exchanged.
      Frame(1);
      if (pickState == phase) Frame(1);
      EXPECT_NE(pickState, phase) << c1 << "," << r1;
      EXPECT_EQ(moving, from);
      EXPECT_EQ(BoardCell(c2, r2).kind == k1, phase == SwapMoving);
    }
    EXPECT_EQ(Kinds(), kinds);
    EXPECT_TRUE(AtRest()) << c1 << "," << r1;
    EXPECT_EQ(BoardCell(c1, r1).glow + BoardCell(c2, r2).glow, 0.0f);
  }
}

TEST_F(BoardControl, ARunShrinksFallsAndCascadesToRestWhilePressesAreLost) {
  MoveTo(6, 6);
  const uint8_t lower = BoardCell(2, 0).kind;
  const Cell riser = BoardCell(0, 1);
  PlantCascade(0);
  // Presses are lost in every state, cursor and all; moves only move the
  // cursor and leave the hover mark.
  auto pressesAreLost = [&] {
    const std::string kinds = Kinds();
    const float x = cursorX;
    const int32_t state = animState;
    PressOn(5, 5);
    PressOn(5, 6);
    EXPECT_EQ(cursorX, x);
    EXPECT_EQ(animState, state);
    EXPECT_EQ(Kinds(), kinds);
    MoveTo(4, 6);
    EXPECT_NE(cursorX, x);
    EXPECT_EQ(BoardCell(4, 6).state, Normal);
    EXPECT_EQ(BoardCell(6, 6).state, Hovered);
    MoveTo(6, 6);
  };
  pressesAreLost();

  RunWhile(Swap);
  ASSERT_EQ(animState, Shrink);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(BoardCell(c, 0).state, Matched);
  EXPECT_EQ(BoardCell(2, 1).state, Normal);  // the other gem rests where it arrived
  EXPECT_EQ(BoardCell(2, 1).kind, lower);
  pressesAreLost();

  // The shrink takes 200 ms, from the frame that ended the movement, and
  // the fall starts in its last frame: the gem above the run has sunk into
  // row 0 and falls from its old height; the new gem comes in a pitch
  // above the top.
  EXPECT_EQ(RunWhile(Shrink), 192u);
  ASSERT_EQ(animState, Fall);
  EXPECT_EQ(BoardCell(0, 0).kind, riser.kind);
  EXPECT_NEAR(BoardCell(0, 0).y, riser.y, 0.02);
  EXPECT_NEAR(BoardCell(0, 7).y, 0.9, 0.02);
  pressesAreLost();

  // A pitch takes 200 ms: the gems pass their homes in the shrink's last
  // frame and twelve more, and are put on them in the next, where the gems
  // that sank meet in a new run.
  EXPECT_EQ(RunWhile(Fall), 208u);
  ASSERT_EQ(animState, Shrink);
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(BoardCell(c, 1).state, Matched);
  for (int i = 0; i < 2000 && animState != Idle; ++i) Frame(16);
  EXPECT_EQ(BoardCell(6, 6).state, Hovered);
  BoardCell(6, 6).state = Normal;
  EXPECT_TRUE(AtRest());
  EXPECT_FALSE(MarkRuns());
  // Nothing was queued: a press now is a new first choice.
  PressOn(5, 5);
  EXPECT_EQ(pickState, OnePicked);
}

TEST_F(BoardControl, AVeryLongFrameEndsEachAnimationAtOnce) {
  const std::string kinds = Kinds();
  PressOn(4, 4);
  PressOn(4, 5);
  Frame(100000);
  EXPECT_EQ(pickState, ReturnMoving);
  EXPECT_EQ(BoardCell(4, 4).y, HomeCoordinate(4));
  EXPECT_EQ(BoardCell(4, 5).y, HomeCoordinate(5));
  Frame(100000);
  EXPECT_EQ(Kinds(), kinds);
  EXPECT_TRUE(AtRest());

  // Movement, shrink and collapse in one frame; the gem picked first, which
  // made no run, has sunk and rests. The fall's first step takes the gems
  // far below their homes, and the next puts them there.
  PlantCascade(1);
  Frame(100000);
  ASSERT_EQ(animState, Fall);
  EXPECT_EQ(BoardCell(2, 0).state, Normal);
  EXPECT_LT(BoardCell(0, 7).y, -90.0f);
  Frame(1);
  EXPECT_EQ(animState, Shrink);
  for (int i = 0; i < BoardCells; ++i) EXPECT_EQ(gemBoard[i].y, HomeCoordinate(i % 8)) << i;
  // Across the tick counter's wrap 512 ms pass, more than a shrink needs.
  tickNow = 0xFFFFFF00u;
  Frame(0x200);
  EXPECT_EQ(animState, Fall);
}

TEST_F(BoardControl, TheHoverGlowRisesToFullInAThirdOfASecondAndFadesAsFast) {
  MoveTo(3, 3);
  PressOn(5, 5);
  BoardCell(5, 5).glow = 0.25f;
  const float& glow = BoardCell(3, 3).glow;
  Frame(320);
  EXPECT_TRUE(glow > 0.4f && glow < 0.5f) << glow;
  Frame(20);
  EXPECT_EQ(glow, 0.5f);
  Frame(1000);
  EXPECT_EQ(glow, 0.5f);
  MoveTo(0, 0);
  Frame(320);
  EXPECT_TRUE(glow > 0.0f && glow < 0.1f) << glow;
  Frame(20);
  EXPECT_EQ(glow, 0.0f);
  EXPECT_EQ(BoardCell(5, 5).glow, 0.25f);  // selected: unchanged
}

TEST(FrameRate, ReportsComeOnAOneSecondGridThatCatchesUpAfterAStall) {
  // 3.5 s behind: one report per frame, each a second on, until less than
  // a second is left.
  animState = Idle;
  const uint32_t start = GetTickCount() - 3500;
  fpsTick = start;
  for (uint32_t report = 1; report <= 4; ++report) {
    frameCount = 41;
    const uint32_t before = GetTickCount();
    FrameTick();
    EXPECT_EQ(fpsTick, start + 1000 * std::min(report, 3u));
    EXPECT_EQ(frameCount, report <= 3 ? 0 : 42);
    // The next frame measures its time from this one's.
    EXPECT_TRUE(tickPrev >= before && tickPrev <= GetTickCount()) << tickPrev;
  }
}

}  // namespace
