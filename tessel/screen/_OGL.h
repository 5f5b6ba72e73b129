// OpenGL for the window of Tessel: the context with its bitmap font, the
// viewport, and the drawing of the whole screen with its texts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string_view>

extern HDC windowDC;     // the window's device context
extern HGLRC glContext;  // the one rendering context, current from StartOpenGL on
// The first of 96 display lists: list fontBase + (c - 32) draws the glyph of
// character code c (32..127) and moves the raster position past it.
extern uint32_t fontBase;

// Gives the device context a double-buffered OpenGL pixel format.
void SetWindowPixelFormat(HDC dc);

// The font of the screen texts: bold Arial, 16 pixels high, 8 wide.
HFONT CreateScreenFont();

// Binds OpenGL to the window: device context, pixel format, rendering
// context, the dark violet clear colour, the font lists and the viewport.
void StartOpenGL(HWND window);

// Viewport over the whole client area of windowWidth by windowHeight, and an
// identity projection; leaves the projection matrix current.
void ResizeView();

// Releases the rendering context (and the font lists with it) and the
// device context.
void StopOpenGL(HWND window);

// Draws one line of Windows-1251 text with its base line starting at pixel
// (x, y) from the bottom-left corner of the client area, in colour (r, g, b).
// Characters outside 32..127 draw nothing. Leaves the model-view matrix
// current and both matrices as they were.
void PrintText(int32_t x, int32_t y, std::string_view text, float r, float g, float b);

// Paints the client area: the board or the leaders table, the score line and
// the lines for the state of the game, and shows the picture.
void DrawScreen();
