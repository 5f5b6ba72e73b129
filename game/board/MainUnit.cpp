#include "MainUnit.h"

#include <cstring>

#include "Random.h"

Cell gemBoard[BoardCells];

// The homes must be the floats nearest to the decimal values; the Windows
// build does the same sums in SSE2 double precision.
static_assert(HomeCoordinate(0) == -0.7f && HomeCoordinate(1) == -0.5f && HomeCoordinate(2) == -0.3f &&
              HomeCoordinate(3) == -0.1f && HomeCoordinate(4) == 0.1f && HomeCoordinate(5) == 0.3f &&
              HomeCoordinate(6) == 0.5f && HomeCoordinate(7) == 0.7f);

namespace {

uint8_t RandomKind() { return static_cast<uint8_t>(ProgramRandom.Below(GemKinds)); }

// Draws kinds for (c, r) until one completes no run to the left or below.
// At most two kinds are ever excluded, so this ends quickly.
void DrawFittingKind(int c, int r) {
  Cell& cell = BoardCell(c, r);
  do {
    cell.kind = RandomKind();
  } while (!FitsWithoutRun(c, r));
}

bool SameKind(const Cell& a, const Cell& b, const Cell& d) { return a.kind == b.kind && b.kind == d.kind; }

void MarkThree(Cell& a, Cell& b, Cell& d) {
  a.state = Matched;
  b.state = Matched;
  d.state = Matched;
}

// Start height of the new gem that will fill the empty place (c, r): one
// pitch above the gem below when that one is on its way down (it sank or is
// new itself), otherwise one pitch above the top of the column. Row 0 has no
// cell below (the whole column was matched); its gem starts above the top
// like that of any column in which nothing sank, so the column's eight new
// gems start at 0.9, 1.1, ... 2.3.
float StartHeight(int c, int r) {
  if (r > 0) {
    const Cell& below = BoardCell(c, r - 1);
    if (below.y != HomeCoordinate(r - 1)) return static_cast<float>(below.y + 0.2);
  }
  return static_cast<float>(BoardCell(c, BoardSide - 1).y + 0.2);
}

}  // namespace

void FillBoard() {
  std::memset(gemBoard, 0, sizeof gemBoard);
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell& cell = BoardCell(c, r);
      cell.x = HomeCoordinate(c);
      cell.y = HomeCoordinate(r);
      DrawFittingKind(c, r);
    }
  }
}

bool FitsWithoutRun(int c, int r) {
  uint8_t k = BoardCell(c, r).kind;
  if (c >= 2 && BoardCell(c - 2, r).kind == k && BoardCell(c - 1, r).kind == k) return false;
  if (r >= 2 && BoardCell(c, r - 2).kind == k && BoardCell(c, r - 1).kind == k) return false;
  return true;
}

bool MarkRuns() {
  // Every three consecutive cells of a line are tested, so longer runs and
  // runs that cross or touch are marked whole by this one search.
  bool found = false;
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 2; r < BoardSide; ++r) {
      Cell &a = BoardCell(c, r - 2), &b = BoardCell(c, r - 1), &d = BoardCell(c, r);
      if (SameKind(a, b, d)) {
        MarkThree(a, b, d);
        found = true;
      }
    }
  }
  for (int c = 2; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell &a = BoardCell(c - 2, r), &b = BoardCell(c - 1, r), &d = BoardCell(c, r);
      if (SameKind(a, b, d)) {
        MarkThree(a, b, d);
        found = true;
      }
    }
  }
  return found;
}

void CollapseColumns() {
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell& cell = BoardCell(c, r);
      if (cell.state != Matched) continue;
      // The nearest gem above sinks into this place, keeping its height so
      // that it falls from where it was drawn.
      for (int k = r + 1; k < BoardSide; ++k) {
        Cell& above = BoardCell(c, k);
        if (above.state != Matched) {
          cell = above;
          above.state = Matched;
          break;
        }
      }
      if (cell.state == Matched) cell.y = StartHeight(c, r);
    }
  }
  RefillEmpty();
}

void RefillEmpty() {
  // Columns left to right, rows bottom to top: the cells that the new kind
  // is checked against already hold their final kinds.
  for (int c = 0; c < BoardSide; ++c) {
    for (int r = 0; r < BoardSide; ++r) {
      Cell& cell = BoardCell(c, r);
      if (cell.state != Matched) continue;
      cell.state = Normal;
      DrawFittingKind(c, r);
    }
  }
}
