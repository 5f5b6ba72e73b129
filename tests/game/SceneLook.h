// How the game's scene shows in a window, for the tests that read it back:
// where points of the board's plane land, and the colours that the fixed
// light gives the tiles.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Image.h"

// The pixel that shows scene point (x, y) of the board's plane in a
// viewport of the given size: the fixed frustum puts -4/3 and 4/3 on the
// left and right edges, 1 and -1 on the top and bottom.
inline e2e::Point ScenePixel(double x, double y, int width, int height) {
  return {static_cast<int>(std::floor((x * 3 / 8 + 0.5) * width)),
          static_cast<int>(std::floor((0.5 - y / 2) * height))};
}

// What the fixed light makes of a grey level on a surface with normal n:
// the global ambient 0.2 plus the diffuse light from (-0.2, 0.5, 1).
inline uint8_t Lit(double level, double nx = 0, double ny = 0, double nz = 1) {
  const double diffuse = std::max(0.0, (-0.2 * nx + 0.5 * ny + nz) / std::sqrt(1.29));
  return static_cast<uint8_t>(std::lround(std::min(1.0, level * (0.2 + diffuse)) * 255));
}

// A tile where its picture is transparent: its kind's tint with glow g, lit
// on a face toward the viewer.
inline e2e::Rgb LitTint(int kind, double g) {
  const double c = 0.5 + g;
  const double tints[6][3] = {{c, 0, g}, {0, c, g}, {0, c, c}, {0, g, c}, {c, 0.4, c}, {c, c, c}};
  return {Lit(tints[kind][0]), Lit(tints[kind][1]), Lit(tints[kind][2])};
}
