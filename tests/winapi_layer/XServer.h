// What the layer's tests ask of the X server beyond the harness's XSession.
// Xlib stays inside XServer.cpp, since its names clash with Windows'.
#pragma once

#include "XSession.h"

struct SDL_Window;

namespace xserver {

// The X window behind an SDL window.
e2e::WindowId WindowOf(SDL_Window* window);

// What a window manager does when it maximises a window, as far as the
// window's state goes (it keeps its size here).
void Maximise(e2e::XSession& x, e2e::WindowId window);

}  // namespace xserver
