// The rules of Tessel: gravity and refill one row per tick, the search for
// groups with its scoring, the player's swap and the quarter turn of the
// board, the board geometry for the window size, and the start of a game.
// Everything works on the globals of Globvars.
#pragma once

#include <cstdint>

// One timer tick: a row of gravity while the board is not at rest, then the
// group search while one is pending.
void BoardTick();

// Moves every gem that has a hole below it down by one row and puts a new
// random gem into each empty top cell. Sets boardAtRest and checkPending
// when nothing changed, clears both otherwise.
void FallStep();

// Removes and scores every 4-connected group of three or more equal gems,
// and charges a swap that removed nothing.
void ResolveGroups();

// The kind of the group being examined and its size so far, shared by
// ResolveGroups and FloodMark.
extern int32_t groupKind;
extern int32_t groupSize;

// Marks (as groupKind + 10) the unmarked gems of kind groupKind that are
// 4-connected to cell (x, y), counting them in groupSize.
void FloodMark(int32_t x, int32_t y);

// Turns the board a quarter turn counter-clockwise on screen; a chosen cell
// follows its gem.
void RotateBoard();

// The left click on cell (x, y), both in 1..8: choose, withdraw the choice,
// or swap with an orthogonal neighbour of the chosen cell.
void ChooseCell(int32_t x, int32_t y);

// Cell size and board origin for windowWidth by windowHeight.
void ComputeGeometry();

// Draws the board with OpenGL in board coordinates: the origin at its
// top-left corner, x to the right, y upwards, one cell cellWidth by
// cellHeight. The caller moves the origin into place. Cells in their gems'
// colours, a grey frame open at the top, and a white outline around the
// chosen cell.
void DrawBoard();

// An empty board, score 0, all flags cleared, the leaders read again and the
// geometry computed.
void NewGame();
