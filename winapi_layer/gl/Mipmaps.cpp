#include "Mipmaps.h"

#include <algorithm>
#include <cmath>

namespace glsubset {

namespace {

// Each pixel the mean of the source pixels its box covers, each weighted by
// the part of it that lies in the box; the sum is truncated, not rounded.
RgbaImage Scale(const RgbaImage& in, int width, int height) {
  RgbaImage out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
  const double sx = static_cast<double>(in.width) / width;
  const double sy = static_cast<double>(in.height) / height;
  for (int oy = 0; oy < height; ++oy) {
    const double y0 = oy * sy, y1 = (oy + 1) * sy;
    for (int ox = 0; ox < width; ++ox) {
      const double x0 = ox * sx, x1 = (ox + 1) * sx;
      double sum[4] = {0, 0, 0, 0};
      for (int iy = static_cast<int>(y0); iy < in.height && iy < y1; ++iy) {
        const double wy = std::min<double>(iy + 1, y1) - std::max<double>(iy, y0);
        for (int ix = static_cast<int>(x0); ix < in.width && ix < x1; ++ix) {
          const double w = wy * (std::min<double>(ix + 1, x1) - std::max<double>(ix, x0));
          const uint8_t* p = &in.pixels[(static_cast<size_t>(iy) * in.width + ix) * 4];
          for (int k = 0; k < 4; ++k) sum[k] += w * p[k];
        }
      }
      uint8_t* q = &out.pixels[(static_cast<size_t>(oy) * width + ox) * 4];
      for (int k = 0; k < 4; ++k) q[k] = static_cast<uint8_t>(std::min(255.0, sum[k] / (sx * sy) + 1e-6));
    }
  }
  return out;
}

// The next level: each pixel the rounded mean of the two or four it
// replaces; a side of 1 stays 1.
RgbaImage Halve(const RgbaImage& in) {
  const int width = std::max(1, in.width / 2), height = std::max(1, in.height / 2);
  const int dx = in.width > 1 ? 1 : 0, dy = in.height > 1 ? 1 : 0;
  RgbaImage out{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4)};
  auto at = [&](int x, int y, int k) { return in.pixels[(static_cast<size_t>(y) * in.width + x) * 4 + k]; };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int x0 = x * (dx + 1), y0 = y * (dy + 1);
      for (int k = 0; k < 4; ++k) {
        int sum = at(x0, y0, k);
        if (dx) sum += at(x0 + 1, y0, k);
        if (dy) sum += at(x0, y0 + 1, k);
        if (dx && dy) sum += at(x0 + 1, y0 + 1, k);
        const int count = (dx + 1) * (dy + 1);
        out.pixels[(static_cast<size_t>(y) * width + x) * 4 + k] =
            static_cast<uint8_t>((sum + count / 2) / count);
      }
    }
  }
  return out;
}

}  // namespace

int NearestPowerOfTwo(int n) {
  int power = 1;
  while (n > 3) {
    n >>= 1;
    power <<= 1;
  }
  return n == 3 ? power * 4 : n == 2 ? power * 2 : power;
}

std::vector<RgbaImage> BuildMipmaps(const RgbaImage& image, int largest) {
  int width = NearestPowerOfTwo(image.width), height = NearestPowerOfTwo(image.height);
  while ((width > largest || height > largest) && (width > 1 || height > 1)) {
    width = std::max(1, width / 2);
    height = std::max(1, height / 2);
  }
  std::vector<RgbaImage> levels;
  levels.push_back(width == image.width && height == image.height ? image : Scale(image, width, height));
  while (levels.back().width > 1 || levels.back().height > 1) levels.push_back(Halve(levels.back()));
  return levels;
}

}  // namespace glsubset
