// How the game's scene shows in a window, for the tests that read it back:
// where points of the board's plane land, and the colours the tiles show.
#pragma once

#include <cmath>

#include "Image.h"

// The pixel that shows scene point (x, y) of the board's plane in a
// viewport of the given size: the fixed frustum puts -4/3 and 4/3 on the
// left and right edges, 1 and -1 on the top and bottom.
inline e2e::Point ScenePixel(double x, double y, int width, int height) {
  return {static_cast<int>(std::floor((x * 3 / 8 + 0.5) * width)),
          static_cast<int>(std::floor((0.5 - y / 2) * height))};
}

// A tile of each kind where its picture is transparent, on its face toward
// the viewer, resting or under the pointer at its full glow. The light from
// the upper left adds 0.88 of a colour to the ambient 0.2: a channel of 0.5
// shows as 138, 0.4 as 110, 1.0 as 255; with full glow each channel that
// glows gains 0.5.
inline e2e::Rgb LitTint(int kind, bool glowing = false) {
  static constexpr e2e::Rgb kResting[6] = {{138, 0, 0}, {0, 138, 0},     {0, 138, 138},
                                           {0, 0, 138}, {138, 110, 138}, {138, 138, 138}};
  static constexpr e2e::Rgb kGlowing[6] = {{255, 0, 138}, {0, 255, 138},   {0, 255, 255},
                                           {0, 138, 255}, {255, 110, 255}, {255, 255, 255}};
  return glowing ? kGlowing[kind] : kResting[kind];
}
