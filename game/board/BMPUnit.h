// Reading the game's pictures: uncompressed 24-bit Windows bitmaps, turned
// into RGBA pixels in which the colour of the first pixel is transparent.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

struct BmpImage {
  int32_t width;
  int32_t height;
  // Red, green, blue, alpha per pixel, in the order of the file's pixel data
  // (bottom row first, left to right), with no gap between rows. Alpha is 0
  // where the pixel has exactly the key colour, 255 elsewhere.
  std::vector<uint8_t> pixels;
};

// Loads a bottom-up, uncompressed 24-bit bitmap with a positive width and
// height, with an info header of 40 bytes or more and any colour table, its
// pixels read from the offset the file header gives. Anything else, a file
// shorter than its headers declare, or sizes that do not fit gives none;
// nothing is reserved before the file is known to hold what its headers
// declare, and nothing is read past what the file holds.
std::optional<BmpImage> LoadBmpImage(const char* fileName);
