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

// Loads a bottom-up, uncompressed 24-bit bitmap whose width and height are 1
// to 65535, its rows padded to four bytes. Nothing in the 14-byte file
// header refuses a file, and 40 bytes are read as the info header whatever
// size its first field gives. The pixel data start at the file header's
// offset when that lies past the info header (at byte 54 or later) and the
// declared data fit in the file from there, as they do in bitmaps with
// larger info headers and colour tables; otherwise right after the 40-byte
// info header and as many bytes as its colours-used field counts. Gives
// none for a missing file, a file shorter than its two headers or than its
// declared pixel data from where they start, a declared size smaller than
// the rows, any other kind of pixels, or a block that cannot be reserved.
// Nothing is reserved before the file is known to hold what its headers
// declare, and nothing is read past what the file holds.
std::optional<BmpImage> LoadBmpImage(const char* fileName);
