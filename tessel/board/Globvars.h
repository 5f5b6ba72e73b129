// The shared state of Tessel: the board and its flags, the window size and
// the board geometry derived from it, the gem colours, and the leaders table
// with the end-of-game state. Plain globals that live for the whole process.
#pragma once

#include <cstdint>
#include <string>

// ------------------------------------------------------------------ board

// board[x][y]: x the column (left to right), y the row (top to bottom).
// Cells 1..8 in both directions are played; the outer ring stays 0 and
// stops the group search. A value of 0 is an empty cell, 1..9 a gem of that
// kind, 11..19 a gem marked while ResolveGroups examines its group.
extern int32_t board[10][10];

extern int32_t score;       // may become negative
extern int32_t lastPoints;  // net points of the last ResolveGroups pass
extern int32_t multiplier;  // combo multiplier, doubled after every removed group

extern bool boardAtRest;   // the last FallStep moved and created nothing
extern bool gemSelected;   // a first cell is chosen
extern bool checkPending;  // ResolveGroups runs on the next tick
extern bool swapPending;   // a swap was made and has not been evaluated yet

// The chosen cells: the first with the kind it held when chosen, the second
// with the kind it held before the swap.
struct SelectionRecord {
  int32_t firstX;
  int32_t firstY;
  int32_t firstKind;
  int32_t secondX;
  int32_t secondY;
  int32_t secondKind;
};
extern SelectionRecord selection;

// Decimal text of a number: an optional minus sign and the digits.
std::string IntToText(int32_t n);

// --------------------------------------------------------------- geometry

// Client size in pixels; the initial values are also the window's outer size
// when it is created.
extern int32_t windowWidth;   // 350 at start
extern int32_t windowHeight;  // 500 at start

// Set by ComputeGeometry. The sizes and the origin are in normalised device
// units, where the whole client area spans -1..1 in each direction; the
// origin is the board's top-left corner.
extern int32_t cellPixels;
extern float cellWidth;
extern float cellHeight;
extern float originX;
extern float originY;

// RGB of each cell value 0..9: black for an empty cell, then the nine kinds.
extern const float gemColors[10][3];

// Makes an RGB triple the current OpenGL colour.
void SetColor(const float c[3]);

// ---------------------------------------------------------------- leaders

// One entry of the leaders table. The name keeps the space that separates it
// from the score in the file, so a typed name "ABC" is stored as " ABC".
struct leader {
  int32_t score;
  std::string name;
};

constexpr int32_t kLeadersShown = 10;  // slots 1..10: read, shown and saved
constexpr int32_t kOverflowSlot = 11;  // takes what falls out of slot 10

// The table, best first, in slots 1..11 (leaders[0] is not used, so that the
// index is the place). Slot 11 is never shown or saved.
extern leader leaders[kOverflowSlot + 1];

extern int32_t leaderPlace;     // the slot of this game's score; 11 = not in the table
extern std::string playerName;  // the name typed after the game, without the space
extern bool leadersSaved;       // the table was written; the leaders screen shows
extern bool gameOver;           // the player ended the game
