#include "Image.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "Wait.h"

namespace e2e {

std::string ToString(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", c.r, c.g, c.b);
  return text;
}

std::ostream& operator<<(std::ostream& out, Rgb c) { return out << ToString(c); }

std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << r.width << "x" << r.height << " at (" << r.x << ", " << r.y << ")";
}

bool Near(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

Rect Intersect(const Rect& a, const Rect& b) {
  int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
  int right = std::min(a.x + a.width, b.x + b.width), bottom = std::min(a.y + a.height, b.y + b.height);
  if (right <= left || bottom <= top) return {left, top, 0, 0};
  return {left, top, right - left, bottom - top};
}

Image::Image(int width, int height) : width_(width), height_(height) {
  if (width < 0 || height < 0) throw HarnessError("an image cannot have a negative size");
  bytes_.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
}

void Image::Check(int x, int y) const {
  if (!Bounds().Contains(x, y)) {
    throw HarnessError("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is outside the " +
                       std::to_string(width_) + "x" + std::to_string(height_) + " image");
  }
}

Rgb Image::At(int x, int y) const {
  Check(x, y);
  const uint8_t* p = &bytes_[(static_cast<size_t>(y) * width_ + x) * 3];
  return {p[0], p[1], p[2]};
}

void Image::Set(int x, int y, Rgb c) {
  Check(x, y);
  uint8_t* p = &bytes_[(static_cast<size_t>(y) * width_ + x) * 3];
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
}

int CountPixels(const Image& image, const Rect& area, Rgb colour, int tolerance) {
  Rect a = Intersect(area, image.Bounds());
  int count = 0;
  for (int y = a.y; y < a.y + a.height; ++y) {
    for (int x = a.x; x < a.x + a.width; ++x) {
      if (Near(image.At(x, y), colour, tolerance)) ++count;
    }
  }
  return count;
}

::testing::AssertionResult PixelIs(const Image& image, int x, int y, Rgb expected, int tolerance) {
  if (!image.Bounds().Contains(x, y)) {
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is outside the "
                                         << image.Width() << "x" << image.Height() << " image";
  }
  Rgb actual = image.At(x, y);
  if (Near(actual, expected, tolerance)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << actual << ", expected "
                                       << expected << " within " << tolerance;
}

namespace {

void PutBigEndian(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

// Length, type, data and the CRC of type and data.
void PutChunk(std::string& out, const char type[4], const std::string& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  out += body;
  PutBigEndian(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                                static_cast<uInt>(body.size()))));
}

}  // namespace

void SavePng(const Image& image, const std::filesystem::path& path) {
  if (image.Width() == 0 || image.Height() == 0)
    throw HarnessError("a PNG cannot be empty: " + path.string());
  // Each row gets filter type 0 (none) in front of its pixels.
  const size_t rowBytes = static_cast<size_t>(image.Width()) * 3;
  std::string raw;
  raw.reserve((rowBytes + 1) * image.Height());
  for (int y = 0; y < image.Height(); ++y) {
    raw += '\0';
    raw.append(reinterpret_cast<const char*>(image.Bytes().data()) + y * rowBytes, rowBytes);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                Z_BEST_SPEED) != Z_OK) {
    throw HarnessError("could not compress the image for " + path.string());
  }
  packed.resize(packedSize);

  std::string header;
  PutBigEndian(header, static_cast<uint32_t>(image.Width()));
  PutBigEndian(header, static_cast<uint32_t>(image.Height()));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter choice, no interlace

  std::string png = "\x89PNG\r\n\x1A\n";
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", "");

  std::error_code ignored;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  out.close();
  if (!out) throw HarnessError("could not write " + path.string());
}

}  // namespace e2e
