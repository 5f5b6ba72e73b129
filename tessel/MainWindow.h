// The window procedure of Tessel, which drives the whole game: the timer
// steps the board and redraws the screen, the mouse acts on the board, the
// keyboard ends a game, takes the player's name, starts the next game or
// quits.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The message loop ends as soon as this is set: by Escape here, or by the
// loop itself on WM_QUIT.
extern bool quitRequested;

// Client position of the last left click that came while the board took
// clicks.
extern int32_t clickX;
extern int32_t clickY;

constexpr UINT_PTR kGameTimer = 1;  // steps the board and redraws
constexpr UINT kTickMilliseconds = 800;

// Class name and first title of the window.
extern const char* const kWindowTitle;

// The caption set on every tick: the title and the two gem kinds of the
// last choice and swap.
std::string CaptionText();

// The board cell (1..8 in both directions) under a client point, or false
// when the point is not strictly inside the board.
bool CellAt(int32_t px, int32_t py, int32_t& x, int32_t& y);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
