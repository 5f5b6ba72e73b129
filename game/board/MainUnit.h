// The 3D board of Game: an 8 x 8 board of cells, each holding one gem of
// six kinds with its position in the scene and its display state; the rules
// that act on it (the fill of a new board, the run search, the collapse of
// the columns and the refill of the emptied places); the gem tiles; the
// pointer, selection and animation control; and the scene with its frame.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------
// Board model

constexpr int BoardSide = 8;
constexpr int BoardCells = BoardSide * BoardSide;
// Gem kinds are 0 .. GemKinds - 1; kind k is drawn with the image "k+1.bmp".
constexpr uint32_t GemKinds = 6;

// Cell states.
enum CellState : uint8_t {
  Normal = 0,    // gem at rest
  Hovered = 1,   // the pointer is over the cell
  Selected = 2,  // first cell of a pair chosen by the player
  Swapping = 3,  // one of the two cells of a swap movement
  Matched = 4,   // part of a run; after the collapse, a place waiting for a new gem
};

// One place of the board. A sinking gem moves as the whole record.
struct Cell {
  float x;  // centre of the gem in scene units
  float y;
  uint8_t kind;   // 0 .. GemKinds - 1
  uint8_t state;  // a CellState
  // Hover highlight, 0 to 0.5; during a swap movement, the coordinate on
  // the axis of the movement at which the cell's gem arrives.
  float glow;
};

// The board, column by column: column c (0 = leftmost), row r (0 = bottom)
// is element c * BoardSide + r.
extern Cell gemBoard[BoardCells];

inline Cell& BoardCell(int c, int r) { return gemBoard[c * BoardSide + r]; }

// Home x of column i, or home y of row i: i * 0.2 - 0.7 worked out in
// double and rounded to float, so that every home position in the program
// is the same float (-0.7f, -0.5f, ... 0.7f) and exact comparisons with
// stored coordinates hold. Every home position is computed here.
constexpr float HomeCoordinate(int i) { return static_cast<float>(i * 0.2 - 0.7); }

// Fills a new board without any run of three, every gem at its home.
void FillBoard();

// True when the gem in (c, r) does not complete a run with the two cells to
// its left or the two cells below it. Compares kinds only.
bool FitsWithoutRun(int c, int r);

// Marks every cell of every row or column run of three or more equal kinds
// Matched, whatever its state was; true when at least one run was found.
bool MarkRuns();

// Lets the remaining gems of each column sink into the Matched places, each
// keeping its old height to fall from; gives every place left empty at the
// top of a column the height its new gem starts from; then refills.
void CollapseColumns();

// Gives every Matched cell a new random kind that completes no run with the
// cells to its left or below, and makes it Normal.
void RefillEmpty();

// ---------------------------------------------------------------------------
// Gem tiles

// Texture names of the six gem pictures; 0 where a picture failed to load,
// which leaves the tile its plain lit tint.
extern uint32_t gemTextures[GemKinds];

// Sets the current colour to the cell's tint: its kind's base colour,
// brightened by its hover glow.
void SetGemColour(const Cell& cell);

// Draws the cell's bevelled tile at the cell's current position, with the
// current colour: a flat textured face 0.16 wide at z = -1 and four bevels
// sloping back to a square 0.19 wide at z = -1.01.
void DrawGem(const Cell& cell);

// ---------------------------------------------------------------------------
// Pointer, selection and animation

// What the board is doing.
enum AnimState : int32_t {
  Idle = 0,    // at rest, waiting for the player
  Swap = 1,    // two gems move past each other (or back)
  Shrink = 2,  // the gems of the runs shrink away
  Fall = 3,    // the columns close up and new gems fall in
};

// How far the player's choice has got.
enum PickState : uint8_t {
  NothingPicked = 0,
  OnePicked = 1,     // one cell Selected
  SwapMoving = 2,    // the swap movement is under way
  ReturnMoving = 3,  // the swap made no run and the gems move back
};

// Pointer position in scene units on the board's plane, where the cursor
// picture is drawn; 0, 0 until the first pointer message.
extern float cursorX;
extern float cursorY;
extern int32_t animState;  // an AnimState
extern uint8_t pickState;  // a PickState
// The first and the second chosen cell.
extern Cell* firstCell;
extern Cell* secondCell;
// Distance per millisecond that firstCell moves during a swap movement
// (secondCell moves the opposite way); exactly one of them is non-zero.
extern float swapStepX;
extern float swapStepY;
// Scale of the matched gems while they shrink, from 1 down to below 0.
extern float shrinkScale;
// Tick counter in milliseconds at the start of this frame and of the
// previous one. Every movement is scaled by their difference, so the frame
// routine sets them and tests can set them to step the animations.
extern uint32_t tickNow;
extern uint32_t tickPrev;

// Pointer input in pixels of the window's client area, origin top left.
// A move updates the cursor and, at rest, the hover marks; a press selects,
// withdraws a selection or starts a swap. During an animation a move only
// moves the cursor, and a press is lost entirely.
void HandleMouseMove(int32_t x, int32_t y);
void HandleMouseDown(int32_t x, int32_t y);

// The selection rule for a press on the Normal or Hovered cell (c, r).
void PickCell(int c, int r);

// Starts the movement of firstCell and secondCell toward each other's home.
void StartSwapMove();

// One frame's step of each animation; the swap and the shrink draw the gems
// they move.
void AnimateSwap();
void AnimateShrink();
void AnimateFall();

// Brightens a Hovered cell's glow toward 0.5 and fades a Normal one toward
// 0, at 0.0015 a millisecond; other states keep theirs.
void UpdateHoverGlow(Cell& cell);

// ---------------------------------------------------------------------------
// Scene and frame

// Texture name of the cursor picture; 0 if it failed to load.
extern uint32_t arrowTexture;
// Frames counted since the last frame-rate report.
extern int32_t frameCount;
// Tick of the last point of the one-second report grid.
extern uint32_t fpsTick;

// Loads the pictures, fills the board, sets the fixed OpenGL state, hides
// the system pointer and installs the board's routines in the engine's
// slots. Needs the engine up (window and rendering context).
void SetupScene();

// The engine's idle routine: reads the clock, reports the frame rate in the
// caption once a second, draws and presents one frame.
void FrameTick();

// Draws the rim, the resting gems, the running animation and the cursor,
// and presents the frame.
void RenderFrame();

void DrawBoardCells();
void DrawBoardRim();
void DrawCursor();
