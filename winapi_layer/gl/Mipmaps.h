// The levels of a mipmapped texture as gluBuild2DMipmaps makes them, on the
// processor: the image scaled to power-of-two sides with a box filter, then
// halved level by level down to 1 by 1.
#pragma once

#include <cstdint>
#include <vector>

namespace glsubset {

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // rows from the first given, 4 bytes a pixel
};

// The power of two nearest to n (n >= 1): the highest set bit, doubled when
// the bit below it is set too, so 3 gives 4, 5 gives 4 and 6 gives 8.
int NearestPowerOfTwo(int n);

// Every level, from the scaled image down to 1 by 1. Sides larger than
// `largest` (the host's largest texture) are halved together until they fit.
std::vector<RgbaImage> BuildMipmaps(const RgbaImage& image, int largest);

}  // namespace glsubset
