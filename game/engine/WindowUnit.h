// The engine window: its class, its creation and its window procedure.
#pragma once

#include <windows.h>

#include <cstdint>

// Registers the class "GameEng" and creates the hidden 640 x 480 window
// "Game gfx engine"; the video mode set-up later gives it its final style,
// size and visibility. Returns the window, or 0 when creation failed.
HWND CreateGameWindow();

// Keeps the viewport in step with the client size, shuts the engine down on
// WM_CLOSE, beeps when the window is maximised and leaves everything else to
// the default handling.
LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The two 16-bit halves of a message's lParam (coordinates, sizes) as whole
// numbers: lParam mod 65536 and lParam div 65536, truncating.
int32_t LowHalf(LPARAM lParam);
int32_t HighHalf(LPARAM lParam);
