// The 3D board of Game: an 8 x 8 board of cells, each holding one gem of
// six kinds with its position in the scene and its display state, and the
// rules that act on it (the fill of a new board, the run search, the
// collapse of the columns and the refill of the emptied places).
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
