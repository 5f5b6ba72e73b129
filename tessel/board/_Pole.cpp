#include "_Pole.h"

// windows.h first: the OpenGL header of Windows needs its declarations.
#include <windows.h>
#include <GL/gl.h>

#include "File_work.h"
#include "Globvars.h"
#include "Random.h"

int32_t groupKind;
int32_t groupSize;

namespace {

// Score arithmetic wraps around at 32 bits, as the players' totals always
// have; unsigned arithmetic keeps the wrap defined.
int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int32_t WrapMul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// Every cell of the 8 by 8 board holding `from` gets `to`.
void ReplaceAll(int32_t from, int32_t to) {
  for (int32_t x = 1; x <= 8; ++x) {
    for (int32_t y = 1; y <= 8; ++y) {
      if (board[x][y] == from) board[x][y] = to;
    }
  }
}

}  // namespace

void BoardTick() {
  if (!boardAtRest) FallStep();
  if (checkPending) ResolveGroups();
}

void FallStep() {
  boardAtRest = true;
  checkPending = true;
  for (int32_t x = 1; x <= 8; ++x) {
    // From the bottom up, so that a stack over a hole moves down together by
    // one row and the hole rises by one.
    for (int32_t y = 7; y >= 1; --y) {
      if (board[x][y] != 0 && board[x][y + 1] == 0) {
        board[x][y + 1] = board[x][y];
        board[x][y] = 0;
        boardAtRest = false;
        checkPending = false;
      }
    }
    if (board[x][1] == 0) {
      board[x][1] = static_cast<int32_t>(ProgramRandom.Below(9)) + 1;
      boardAtRest = false;
      checkPending = false;
    }
  }
}

void FloodMark(int32_t x, int32_t y) {
  static constexpr int32_t kSteps[4][2] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};  // left, up, right, down
  for (const auto& step : kSteps) {
    int32_t nx = x + step[0];
    int32_t ny = y + step[1];
    // The zero border stops the search at the edge of the board.
    if (board[nx][ny] == groupKind) {
      board[nx][ny] = groupKind + 10;
      ++groupSize;
      FloodMark(nx, ny);
    }
  }
}

void ResolveGroups() {
  if (swapPending) multiplier = 1;
  lastPoints = 0;
  // Column by column, top to bottom: the group met first is scored first,
  // before the multiplier doubles for the next.
  for (int32_t x = 1; x <= 8; ++x) {
    for (int32_t y = 1; y <= 8; ++y) {
      int32_t v = board[x][y];
      if (v < 1 || v > 10) continue;
      groupKind = v;
      groupSize = 1;
      board[x][y] = v + 10;
      FloodMark(x, y);
      if (groupSize >= 3) {
        lastPoints = WrapAdd(lastPoints, WrapMul(groupSize * groupSize, multiplier));
        multiplier = WrapMul(multiplier, 2);
        swapPending = false;
        boardAtRest = false;
        ReplaceAll(v + 10, 0);
      } else {
        ReplaceAll(v + 10, v);
      }
    }
  }
  if (swapPending) {
    // The swap removed nothing: it stays, and it costs.
    swapPending = false;
    lastPoints = -500;
  }
  score = WrapAdd(score, lastPoints);
}

void RotateBoard() {
  int32_t old[10][10];
  for (int32_t x = 1; x <= 8; ++x) {
    for (int32_t y = 1; y <= 8; ++y) old[x][y] = board[x][y];
  }
  // The gem at column c, row r goes to column r, row 9 - c.
  for (int32_t x = 1; x <= 8; ++x) {
    for (int32_t y = 1; y <= 8; ++y) board[x][y] = old[9 - y][x];
  }
  if (gemSelected) {
    int32_t oldX = selection.firstX;
    selection.firstX = selection.firstY;
    selection.firstY = 9 - oldX;
  }
}

void ChooseCell(int32_t x, int32_t y) {
  if (!gemSelected) {
    selection.firstX = x;
    selection.firstY = y;
    selection.firstKind = board[x][y];
    gemSelected = true;
    return;
  }
  selection.secondX = x;
  selection.secondY = y;
  int32_t dx = x - selection.firstX;
  int32_t dy = y - selection.firstY;
  if (dx == 0 && dy == 0) {
    gemSelected = false;
  } else if ((dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) == 1) {
    // Every swap with a neighbour is made; ResolveGroups decides what it was
    // worth.
    selection.secondKind = board[x][y];
    board[x][y] = selection.firstKind;
    board[selection.firstX][selection.firstY] = selection.secondKind;
    gemSelected = false;
    checkPending = true;
    swapPending = true;
  }
}

void ComputeGeometry() {
  cellPixels = windowWidth / 8 - 5;
  // Each size is stored as a 32-bit float, and cellHeight is derived from the
  // stored cellWidth, so that the cells come out square on screen. A window
  // of 0 by 0 (minimised) gives infinities and NaNs here, harmlessly.
  cellWidth = static_cast<float>(2.0 * cellPixels / windowWidth);
  cellHeight = static_cast<float>(static_cast<double>(windowWidth) * cellWidth / windowHeight);
  originX = static_cast<float>(40.0 / windowWidth - 1.0);
  originY = static_cast<float>(1.0 - 40.0 / windowHeight);
}

namespace {

// Corner (i, j) of the cell grid in board coordinates: i cells to the right
// and j cells down from the board's top-left corner. Each coordinate is the
// whole factor times the stored 32-bit size.
void GridVertex(int32_t i, int32_t j) {
  glVertex2f(static_cast<float>(i) * cellWidth, -(static_cast<float>(j) * cellHeight));
}

}  // namespace

void DrawBoard() {
  for (int32_t x = 1; x <= 8; ++x) {
    for (int32_t y = 1; y <= 8; ++y) {
      SetColor(gemColors[board[x][y]]);
      glBegin(GL_QUADS);
      GridVertex(x - 1, y - 1);
      GridVertex(x, y - 1);
      GridVertex(x, y);
      GridVertex(x - 1, y);
      glEnd();
    }
  }

  // Left, bottom and right sides; the top, where new gems enter, stays open.
  glColor3f(0.8f, 0.8f, 0.8f);
  glLineWidth(3.0f);
  glLineStipple(1, 0x0000);
  glBegin(GL_LINE_STRIP);
  GridVertex(0, 0);
  GridVertex(0, 8);
  GridVertex(8, 8);
  GridVertex(8, 0);
  glEnd();

  if (gemSelected) {
    const int32_t x = selection.firstX;
    const int32_t y = selection.firstY;
    glColor3f(1.0f, 1.0f, 1.0f);
    glLineWidth(5.0f);
    glLineStipple(1, 0x0000);
    glBegin(GL_LINE_STRIP);
    GridVertex(x - 1, y - 1);
    GridVertex(x, y - 1);
    GridVertex(x, y);
    GridVertex(x - 1, y);
    GridVertex(x - 1, y - 1);
    glEnd();
  }
}

void NewGame() {
  for (auto& column : board) {
    for (int32_t& cell : column) cell = 0;
  }
  score = 0;
  multiplier = 1;
  boardAtRest = false;
  gemSelected = false;
  checkPending = false;
  swapPending = false;
  gameOver = false;
  leadersSaved = false;
  leaderPlace = kOverflowSlot;
  playerName.clear();
  ReadLeaders();
  ComputeGeometry();
}
