// RGB images read from the screen, colour checks on them, and PNG output.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// "#C82808", for messages.
std::string ToString(Rgb c);
std::ostream& operator<<(std::ostream& out, Rgb c);

// True when no channel differs by more than `tolerance`.
bool Near(Rgb a, Rgb b, int tolerance);

struct Point {
  int x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
  bool Empty() const { return width <= 0 || height <= 0; }
  Point Centre() const { return {x + width / 2, y + height / 2}; }
};
std::ostream& operator<<(std::ostream& out, const Rect& r);

// The part both rectangles cover (empty when they do not meet).
Rect Intersect(const Rect& a, const Rect& b);

// Pixels in rows from the top, three bytes each; starts black.
class Image {
 public:
  Image() = default;
  Image(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  Rect Bounds() const { return {0, 0, width_, height_}; }

  // Throws HarnessError for a pixel outside the image.
  Rgb At(int x, int y) const;
  void Set(int x, int y, Rgb c);

  // Rows from the top, RGB bytes.
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

  friend bool operator==(const Image&, const Image&) = default;

 private:
  void Check(int x, int y) const;

  int width_ = 0, height_ = 0;
  std::vector<uint8_t> bytes_;
};

// Pixels of `area` (clipped to the image) within `tolerance` of `colour`.
int CountPixels(const Image& image, const Rect& area, Rgb colour, int tolerance = 0);

// For EXPECT_TRUE: the pixel at (x, y) is within `tolerance` of `expected`;
// on failure the message gives the pixel's actual colour.
::testing::AssertionResult PixelIs(const Image& image, int x, int y, Rgb expected, int tolerance = 0);

// Writes an 8-bit RGB PNG, creating missing parent folders. Throws
// HarnessError when the file cannot be written.
void SavePng(const Image& image, const std::filesystem::path& path);

}  // namespace e2e
