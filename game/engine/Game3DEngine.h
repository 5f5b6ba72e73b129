// The OpenGL side of the engine window: display mode, pixel format,
// rendering context, viewport and the fixed projection.
#pragma once

#include <windows.h>

#include <cstdint>

// The window's device context; held for the whole run. The scene presents
// each frame with SwapBuffers on it.
extern HDC DeviceContext;
// The rendering context, current on the main thread for the whole run.
extern HGLRC RenderContext;
// The size last given to ResizeViewport; the height is never 0.
extern int32_t ViewportWidth;
extern int32_t ViewportHeight;
// Whether full screen was asked of InitOpenGL, recorded before anything is
// tried, so that the shutdown restores the display mode even when the
// change itself failed.
extern bool FullScreenMode;

// Switches to the full-screen mode when asked, takes the device context,
// sets the pixel format, creates the rendering context and makes it
// current, turns off waiting for the vertical retrace and sets the
// viewport. Each step is logged; returns 0, or -1 at the first failure.
int32_t InitOpenGL(int32_t width, int32_t height, int32_t bitsPerPixel, bool fullScreen);

// Asks for a double-buffered RGBA format with 32 colour and 32 depth bits;
// returns 0 when it was set, -1 otherwise.
int32_t SetupPixelFormat(HDC dc);

// Sets the viewport to width x height (a height of 0 counts as 1) and the
// projection to the fixed 4:3 frustum; leaves the model-view matrix current
// and reset.
void ResizeViewport(int32_t width, int32_t height);

// Puts back the display mode stored in the system when full screen was
// asked for.
void RestoreDisplayMode();
