// The board's pointer, selection and animation control, stepped frame by
// frame with chosen elapsed times. No rendering context is current here:
// the drawing calls that the frames make do nothing, so only the state is
// looked at.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Game3DEngine.h"
#include "Geometry3D.h"
#include "MainUnit.h"
#include "Random.h"

namespace {

// Pixel coordinates in a 640 x 480 viewport: cell squares are 48 pixels
// wide, their borders at x = 128 + 48 c and y = 432 - 48 r.
int BorderX(int c) { return 128 + 48 * c; }
int BorderY(int r) { return 432 - 48 * r; }
int CentreX(int c) { return BorderX(c) + 24; }
int CentreY(int r) { return BorderY(r) - 24; }

void MoveTo(int c, int r) { HandleMouseMove(CentreX(c), CentreY(r)); }
void PressOn(int c, int r) { HandleMouseDown(CentreX(c), CentreY(r)); }

// One frame that lasted `ms` milliseconds, as the frame routine runs it.
void Frame(uint32_t ms) {
  tickPrev = tickNow;
  tickNow += ms;
  RenderFrame();
}

// Frames of `ms` until the board is no longer in `state`; returns the time
// they took. Gives up after ten seconds of game time.
uint32_t RunWhile(int32_t state, uint32_t ms) {
  uint32_t spent = 0;
  while (animState == state && spent < 10000) {
    Frame(ms);
    spent += ms;
  }
  return spent;
}

// A board in which no two neighbours are equal and no swap makes a run,
// made of kinds 1 to 5: kinds planted as 0 form exactly the runs they draw.
void SetQuietBoard() {
  for (int c = 0; c < BoardSide; ++c)
    for (int r = 0; r < BoardSide; ++r)
      BoardCell(c, r) =
          Cell{HomeCoordinate(c), HomeCoordinate(r), static_cast<uint8_t>(1 + (c + 2 * r) % 5), Normal, 0.0f};
}

std::string Kinds() {
  std::string kinds;
  for (const Cell& cell : gemBoard) kinds += static_cast<char>('0' + cell.kind);
  return kinds;
}

// Whether some row or column holds three equal kinds in a row.
bool AnyRun() {
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      int k = BoardCell(c, r).kind;
      if (r >= 2 && BoardCell(c, r - 1).kind == k && BoardCell(c, r - 2).kind == k) return true;
      if (c >= 2 && BoardCell(c - 1, r).kind == k && BoardCell(c - 2, r).kind == k) return true;
    }
  }
  return false;
}

::testing::AssertionResult AtRest() {
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      const Cell& cell = BoardCell(c, r);
      if (cell.x != HomeCoordinate(c) || cell.y != HomeCoordinate(r) || cell.state != Normal)
        return ::testing::AssertionFailure() << "cell " << c << "," << r << " at " << cell.x << "," << cell.y
                                             << " in state " << int{cell.state};
    }
  }
  if (animState != Idle || pickState != NothingPicked)
    return ::testing::AssertionFailure() << "state " << animState << "/" << int{pickState};
  return ::testing::AssertionSuccess();
}

// Runs the swap movement in `phase`, `done` ms of which have passed, to its
// end: still under way at 399 ms, over a millisecond after 400 at the
// latest (single-precision positions can fall a hair short at 400 ms).
void FinishMovement(uint8_t phase, uint32_t done) {
  while (done + 16 < 400) {
    Frame(16);
    done += 16;
  }
  Frame(399 - done);
  ASSERT_EQ(pickState, phase) << "ended before 400 ms";
  Frame(1);
  if (pickState == phase && animState == Swap) Frame(1);
  ASSERT_NE(pickState, phase) << "still moving after 401 ms";
}

class BoardControl : public ::testing::Test {
 protected:
  void SetUp() override {
    ViewportWidth = 640;
    ViewportHeight = 480;
    SetQuietBoard();
    animState = Idle;
    pickState = NothingPicked;
    firstCell = secondCell = nullptr;
    cursorX = cursorY = 0.0f;
    tickPrev = tickNow = 5000;
    ProgramRandom.Seed(7);
  }

  // Selects (c1, r1), then presses its neighbour (c2, r2).
  void StartSwap(int c1, int r1, int c2, int r2) {
    PressOn(c1, r1);
    PressOn(c2, r2);
    ASSERT_EQ(animState, Swap);
    ASSERT_EQ(pickState, SwapMoving);
  }
};

TEST_F(BoardControl, ThePointerMapsOntoTheBoardPlaneThroughTheViewport) {
  HandleMouseMove(0, 0);
  EXPECT_FLOAT_EQ(cursorX, -4.0f / 3.0f);
  EXPECT_FLOAT_EQ(cursorY, 1.0f);
  HandleMouseMove(640, 480);
  EXPECT_FLOAT_EQ(cursorX, 4.0f / 3.0f);
  EXPECT_FLOAT_EQ(cursorY, -1.0f);
  HandleMouseMove(CentreX(0), CentreY(7));
  EXPECT_EQ(cursorX, -0.7f);
  EXPECT_EQ(cursorY, 0.7f);
  // Another window size stretches the same frustum over it.
  ViewportWidth = 1000;
  ViewportHeight = 300;
  HandleMouseMove(500, 150);
  EXPECT_EQ(cursorX, 0.0f);
  EXPECT_EQ(cursorY, 0.0f);
  HandleMouseMove(1000, 0);
  EXPECT_FLOAT_EQ(cursorX, 4.0f / 3.0f);
  EXPECT_FLOAT_EQ(cursorY, 1.0f);
}

TEST_F(BoardControl, HoverFollowsThePointerButNotOntoBordersOrOffTheBoard) {
  MoveTo(2, 5);
  for (int c = 0; c < BoardSide; ++c)
    for (int r = 0; r < BoardSide; ++r)
      EXPECT_EQ(BoardCell(c, r).state, c == 2 && r == 5 ? Hovered : Normal) << c << "," << r;

  // Exactly on a line between two cells, or on a corner of four, the
  // pointer is over none of them, and the hovered cell lets go.
  const struct {
    int x, y;
  } nowhere[] = {{BorderX(3), CentreY(5)}, {CentreX(2), BorderY(5)}, {BorderX(3), BorderY(5)},
                 {BorderX(0), CentreY(0)}, {CentreX(7), BorderY(8)}, {100, 300},
                 {CentreX(3), 20}};
  for (auto p : nowhere) {
    MoveTo(2, 5);
    ASSERT_EQ(BoardCell(2, 5).state, Hovered);
    HandleMouseMove(p.x, p.y);
    for (const Cell& cell : gemBoard) EXPECT_EQ(cell.state, Normal) << p.x << "," << p.y;
    // A press there selects nothing.
    HandleMouseDown(p.x, p.y);
    EXPECT_EQ(pickState, NothingPicked) << p.x << "," << p.y;
  }
  // One pixel inside the line is inside the cell.
  HandleMouseMove(BorderX(3) + 1, BorderY(5) - 1);
  EXPECT_EQ(BoardCell(3, 5).state, Hovered);
  HandleMouseMove(BorderX(3) - 1, BorderY(5) + 1);
  EXPECT_EQ(BoardCell(2, 4).state, Hovered);
  EXPECT_EQ(BoardCell(3, 5).state, Normal);

  // The grid decides, not where a gem happens to be drawn.
  BoardCell(4, 4).x = HomeCoordinate(6);
  MoveTo(6, 4);
  EXPECT_EQ(BoardCell(6, 4).state, Hovered);
  EXPECT_EQ(BoardCell(4, 4).state, Normal);
}

TEST_F(BoardControl, PressesSelectWithdrawAndAcceptOnlyANeighbour) {
  PressOn(2, 5);
  EXPECT_EQ(BoardCell(2, 5).state, Selected);
  EXPECT_EQ(firstCell, &BoardCell(2, 5));
  EXPECT_EQ(pickState, OnePicked);
  // A selected cell stays so under the pointer and after it leaves.
  MoveTo(2, 5);
  MoveTo(6, 1);
  EXPECT_EQ(BoardCell(2, 5).state, Selected);

  // Diagonal neighbours and cells two places away are no partners.
  for (auto [c, r] : {std::pair{3, 6}, std::pair{1, 4}, std::pair{4, 5}, std::pair{2, 7}, std::pair{6, 1}}) {
    PressOn(c, r);
    EXPECT_EQ(pickState, OnePicked) << c << "," << r;
    EXPECT_EQ(animState, Idle) << c << "," << r;
    EXPECT_EQ(BoardCell(2, 5).state, Selected) << c << "," << r;
    EXPECT_NE(BoardCell(c, r).state, Selected) << c << "," << r;
  }

  // A press on the selected cell withdraws it; the cell shows as hovered.
  PressOn(2, 5);
  EXPECT_EQ(BoardCell(2, 5).state, Hovered);
  EXPECT_EQ(pickState, NothingPicked);

  // Each of the four neighbours starts a swap toward it.
  const struct {
    int c, r;
    float stepX, stepY;
  } partners[] = {
      {3, 5, 0.2f / 400, 0}, {1, 5, -0.2f / 400, 0}, {2, 6, 0, 0.2f / 400}, {2, 4, 0, -0.2f / 400}};
  for (const auto& p : partners) {
    SetUp();
    PressOn(2, 5);
    PressOn(p.c, p.r);
    ASSERT_EQ(animState, Swap) << p.c << "," << p.r;
    EXPECT_EQ(pickState, SwapMoving);
    EXPECT_EQ(secondCell, &BoardCell(p.c, p.r));
    EXPECT_EQ(firstCell->state, Swapping);
    EXPECT_EQ(secondCell->state, Swapping);
    EXPECT_FLOAT_EQ(swapStepX, p.stepX);
    EXPECT_FLOAT_EQ(swapStepY, p.stepY);
    // Each glow holds where its gem arrives: the partner's home.
    EXPECT_EQ(firstCell->glow, p.stepX != 0 ? HomeCoordinate(p.c) : HomeCoordinate(p.r));
    EXPECT_EQ(secondCell->glow, p.stepX != 0 ? HomeCoordinate(2) : HomeCoordinate(5));
  }
}

TEST_F(BoardControl, AFruitlessSwapMovesThereAndBackInTwoMovementsOf400Ms) {
  // Both axes, both directions, at the edges of the board and inside it.
  const struct { int c1, r1, c2, r2; } pairs[] = {{0, 0, 1, 0}, {4, 3, 3, 3}, {5, 5, 5, 6}, {7, 7, 7, 6}};
  for (const auto& p : pairs) {
    SCOPED_TRACE(::testing::Message() << p.c1 << "," << p.r1 << " with " << p.c2 << "," << p.r2);
    SetUp();
    const std::string kinds = Kinds();
    const uint8_t k1 = BoardCell(p.c1, p.r1).kind, k2 = BoardCell(p.c2, p.r2).kind;
    StartSwap(p.c1, p.r1, p.c2, p.r2);
    Cell& a = BoardCell(p.c1, p.r1);
    Cell& b = BoardCell(p.c2, p.r2);
    const bool alongX = p.r1 == p.r2;
    auto pos = [&](const Cell& cell) { return alongX ? cell.x : cell.y; };
    const float homeA = pos(a), homeB = pos(b);

    // Halfway the gems have each covered half a pitch toward the other.
    for (int i = 0; i < 12; ++i) Frame(16);
    Frame(8);
    EXPECT_NEAR(pos(a), (homeA + homeB) / 2, 1e-5);
    EXPECT_NEAR(pos(b), (homeA + homeB) / 2, 1e-5);
    FinishMovement(SwapMoving, 200);
    ASSERT_EQ(animState, Swap);
    ASSERT_EQ(pickState, ReturnMoving);
    EXPECT_EQ(a.kind, k2);
    EXPECT_EQ(b.kind, k1);
    EXPECT_EQ(a.state, Swapping);
    EXPECT_EQ(b.state, Swapping);
    // Both gems are drawn at home again: the cells never change places.
    EXPECT_EQ(pos(a), homeA);
    EXPECT_EQ(pos(b), homeB);

    // The way back takes as long, and leaves the board as it was.
    FinishMovement(ReturnMoving, 0);
    EXPECT_EQ(Kinds(), kinds);
    EXPECT_TRUE(AtRest());
    EXPECT_EQ(a.glow, 0.0f);
    EXPECT_EQ(b.glow, 0.0f);
  }
}

// Row 0 gets a run of three when (2, 1) comes down, and once columns 0 to
// 2 have sunk by one, (1, 2) and (2, 2) meet (3, 1) in another.
void PlantCascade() {
  for (auto [c, r] :
       {std::pair{0, 0}, std::pair{1, 0}, std::pair{2, 1}, std::pair{1, 2}, std::pair{2, 2}, std::pair{3, 1}})
    BoardCell(c, r).kind = 0;
}

TEST_F(BoardControl, ASwapThatMakesARunShrinksFallsAndCascadesToRest) {
  PlantCascade();
  ASSERT_FALSE(AnyRun());
  const uint8_t lowerKind = BoardCell(2, 0).kind;
  StartSwap(2, 0, 2, 1);

  // The frame in which the movement completes starts the shrink and gives
  // it that frame's time.
  RunWhile(Swap, 16);
  EXPECT_EQ(animState, Shrink);
  EXPECT_EQ(pickState, NothingPicked);
  EXPECT_EQ(shrinkScale, static_cast<float>(1.0 - 16 * 0.005));
  for (int c = 0; c < 3; ++c) EXPECT_EQ(BoardCell(c, 0).state, Matched) << c;
  // The other gem of the swap forms no run: it rests where it arrived.
  EXPECT_EQ(BoardCell(2, 1).state, Normal);
  EXPECT_EQ(BoardCell(2, 1).kind, lowerKind);

  // The shrink takes 200 ms and hands over to the fall in its last frame.
  const Cell riser = BoardCell(0, 1);
  const uint32_t shrinkTime = RunWhile(Shrink, 16) + 16;
  EXPECT_GE(shrinkTime, 200u);
  EXPECT_LE(shrinkTime, 216u);
  ASSERT_EQ(animState, Fall);
  // The gem above the run sank into row 0 and has fallen for one frame
  // from its old height.
  EXPECT_EQ(BoardCell(0, 0).kind, riser.kind);
  EXPECT_EQ(BoardCell(0, 0).y, static_cast<float>(riser.y - 16 * 0.001));
  // The new gem of column 0 starts a pitch above the top.
  EXPECT_NEAR(BoardCell(0, 7).y, 0.9 - 0.016, 1e-6);

  // A pitch takes 200 ms to fall; the gems that sank meet in a new run,
  // and the cascade goes on in the frame after the last one above home.
  RunWhile(Fall, 16);
  ASSERT_EQ(animState, Shrink);
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(BoardCell(c, 1).state, Matched) << c;
  for (int c = 0; c < BoardSide; ++c)
    for (int r = 0; r < BoardSide; ++r) EXPECT_EQ(BoardCell(c, r).y, HomeCoordinate(r)) << c << "," << r;

  // Whatever the new gems bring, the cascade ends with a board at rest.
  for (int i = 0; i < 2000 && animState != Idle; ++i) Frame(16);
  EXPECT_TRUE(AtRest());
  EXPECT_FALSE(AnyRun());
}

TEST_F(BoardControl, DuringAnimationsPressesAreLostAndMovesOnlyMoveTheCursor) {
  PlantCascade();
  MoveTo(6, 6);
  StartSwap(2, 0, 2, 1);
  ASSERT_EQ(BoardCell(6, 6).state, Hovered);
  for (int32_t state : {Swap, Shrink, Fall}) {
    SCOPED_TRACE(state);
    for (int i = 0; i < 100 && animState != state; ++i) Frame(16);
    ASSERT_EQ(animState, state);
    const std::string kinds = Kinds();
    const float x = cursorX, y = cursorY;
    PressOn(5, 5);
    PressOn(5, 6);
    EXPECT_EQ(cursorX, x);
    EXPECT_EQ(cursorY, y);
    EXPECT_EQ(animState, state);
    EXPECT_EQ(BoardCell(5, 5).state, Normal);
    EXPECT_EQ(Kinds(), kinds);
    // The cursor follows the pointer; the hover mark stays where it was.
    MoveTo(4, 6);
    EXPECT_EQ(cursorX, HomeCoordinate(4));
    EXPECT_EQ(BoardCell(4, 6).state, Normal);
    EXPECT_EQ(BoardCell(6, 6).state, Hovered);
    MoveTo(6, 6);
  }
  for (int i = 0; i < 2000 && animState != Idle; ++i) Frame(16);
  ASSERT_EQ(animState, Idle);
  // Nothing was queued: at rest a press is a new first choice.
  EXPECT_EQ(pickState, NothingPicked);
  PressOn(5, 5);
  EXPECT_EQ(BoardCell(5, 5).state, Selected);
}

TEST_F(BoardControl, AVeryLongFrameEndsEachAnimationAtOnce) {
  // A swap movement that overshoots is put back on the homes in that frame.
  const std::string kinds = Kinds();
  StartSwap(4, 4, 4, 5);
  Frame(100000);
  EXPECT_EQ(pickState, ReturnMoving);
  EXPECT_EQ(BoardCell(4, 4).y, HomeCoordinate(4));
  EXPECT_EQ(BoardCell(4, 5).y, HomeCoordinate(5));
  Frame(100000);
  EXPECT_EQ(Kinds(), kinds);
  EXPECT_TRUE(AtRest());

  // A swap that makes a run: movement, shrink and collapse in one frame,
  // and the fall's first step takes the falling gems far below their homes.
  SetUp();
  PlantCascade();
  StartSwap(2, 0, 2, 1);
  Frame(100000);
  ASSERT_EQ(animState, Fall);
  EXPECT_LT(BoardCell(0, 7).y, -90.0f);
  EXPECT_EQ(BoardCell(7, 7).y, HomeCoordinate(7));
  // The next frame sets them on their homes, and the cascade goes on.
  Frame(1);
  EXPECT_EQ(animState, Shrink);
  for (int c = 0; c < BoardSide; ++c)
    for (int r = 0; r < BoardSide; ++r) EXPECT_EQ(BoardCell(c, r).y, HomeCoordinate(r)) << c << "," << r;

  // Across the tick counter's wrap the elapsed time is still 512 ms, more
  // than the shrink needs.
  tickNow = 0xFFFFFF00u;
  Frame(0x200);
  EXPECT_EQ(animState, Fall);
  for (int i = 0; i < 2000 && animState != Idle; ++i) Frame(16);
  EXPECT_TRUE(AtRest());
}

TEST_F(BoardControl, TheHoverGlowRisesAndFadesAtItsRate) {
  MoveTo(3, 3);
  PressOn(5, 5);
  BoardCell(5, 5).glow = 0.25f;
  const double rises[] = {0.15, 0.3, 0.45, 0.5, 0.5};
  for (double expected : rises) {
    Frame(100);
    EXPECT_NEAR(BoardCell(3, 3).glow, expected, 1e-6);
  }
  // It fades at the same rate once the pointer has left, down to 0.
  MoveTo(0, 0);
  Frame(10);
  Frame(0);
  const double fades[] = {0.335, 0.185, 0.035, 0.0, 0.0};
  for (double expected : fades) {
    Frame(100);
    EXPECT_NEAR(BoardCell(3, 3).glow, expected, 1e-6);
    EXPECT_GE(BoardCell(3, 3).glow, 0.0f);
  }
  // The newly hovered cell rises from 0; a selected cell keeps its glow.
  EXPECT_NEAR(BoardCell(0, 0).glow, 0.5, 1e-6);
  EXPECT_EQ(BoardCell(5, 5).glow, 0.25f);
  // Across the counter's wrap the elapsed time is still 32 ms.
  MoveTo(1, 1);
  tickNow = 0xFFFFFFF0u;
  Frame(0x20);
  EXPECT_NEAR(BoardCell(1, 1).glow, 32 * 0.0015, 1e-6);
}

TEST(FrameRate, ReportsComeOnAOneSecondGridThatCatchesUpAfterAStall) {
  ViewportWidth = 640;
  ViewportHeight = 480;
  animState = Idle;
  // Three and a half seconds behind: one report per frame, each moving the
  // grid by exactly one second, until it is less than a second behind.
  const uint32_t start = GetTickCount() - 3500;
  fpsTick = start;
  frameCount = 41;
  for (uint32_t report = 1; report <= 3; ++report) {
    FrameTick();
    EXPECT_EQ(fpsTick, start + 1000 * report);
    EXPECT_EQ(frameCount, 0);
    EXPECT_EQ(tickPrev, tickNow);
  }
  FrameTick();
  FrameTick();
  EXPECT_EQ(fpsTick, start + 3000);
  EXPECT_EQ(frameCount, 2);
}

TEST(ScaleMatrix, ScalesAlongTheAxesInGlOrder) {
  float m[16];
  MakeScaleMatrix(m, 1.0f, 1.0f, 1.0f);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << i;
  MakeScaleMatrix(m, 0.25f, -2.0f, 3.0f);
  const float expected[16] = {0.25f, 0, 0, 0, 0, -2.0f, 0, 0, 0, 0, 3.0f, 0, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], expected[i]) << i;
}

}  // namespace
