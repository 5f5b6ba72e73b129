// Draws the icons of both games, with an alpha channel:
//
//     MakeIcons <gem.bmp> <folder>
//
// writes the desktop menu icons <folder>/<n>x<n>/apps/gem-game.png and
// gem-tessel.png for n = 48, 64 and 128, in the folder layout of an icon
// theme, and the Windows icons <folder>/Game.ico and Tessel.ico, each of
// 16, 32, 48 and 256 pixels. Game's icon is one of its own gem pictures (a
// 24-bit BMP whose first pixel's colour is transparent, as MakeImages draws
// them), resampled; Tessel's is four of its coloured squares in its grey
// frame, in the colours the game draws them with.
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "Globvars.h"

namespace {

// Premultiplied colour with coverage, each 0..1.
struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};

struct Picture {
  int width = 0, height = 0;
  std::vector<Rgba> pixels;  // rows from the top

  Picture(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
  Rgba& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Rgba& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

uint32_t Le(const std::string& bytes, size_t at, int size) {
  uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

// An uncompressed 24-bit BMP as a picture whose key-colour pixels (the
// colour of the first pixel in the file) are fully transparent.
std::optional<Picture> ReadKeyedBmp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return std::nullopt;
  const uint32_t offset = Le(bytes, 10, 4);
  const int32_t width = static_cast<int32_t>(Le(bytes, 18, 4));
  const int32_t height = static_cast<int32_t>(Le(bytes, 22, 4));
  if (Le(bytes, 28, 2) != 24 || Le(bytes, 30, 4) != 0 || width <= 0 || height <= 0 || width > 4096 ||
      height > 4096)
    return std::nullopt;
  const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (offset > bytes.size() || (bytes.size() - offset) / rowBytes < static_cast<size_t>(height))
    return std::nullopt;
  auto raw = [&](int x, int row) { return offset + row * rowBytes + static_cast<size_t>(x) * 3; };
  const std::string key = bytes.substr(raw(0, 0), 3);
  Picture pic(width, height);
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      const size_t at = raw(x, row);
      if (bytes.compare(at, 3, key) == 0) continue;  // stays transparent
      Rgba& p = pic.At(x, height - 1 - row);         // the file's rows run bottom up
      p = {static_cast<uint8_t>(bytes[at + 2]) / 255.0, static_cast<uint8_t>(bytes[at + 1]) / 255.0,
           static_cast<uint8_t>(bytes[at]) / 255.0, 1.0};
    }
  }
  return pic;
}

// The source's colour at a point in its pixel units, interpolated between
// the four nearest pixel centres; outside the picture is transparent.
Rgba Bilinear(const Picture& src, double x, double y) {
  const double fx = x - 0.5, fy = y - 0.5;
  const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
  const double tx = fx - x0, ty = fy - y0;
  Rgba sum;
  for (int dy = 0; dy < 2; ++dy) {
    for (int dx = 0; dx < 2; ++dx) {
      const int sx = x0 + dx, sy = y0 + dy;
      if (sx < 0 || sy < 0 || sx >= src.width || sy >= src.height) continue;
      const double w = (dx ? tx : 1 - tx) * (dy ? ty : 1 - ty);
      const Rgba& p = src.At(sx, sy);
      sum = {sum.r + p.r * w, sum.g + p.g * w, sum.b + p.b * w, sum.a + p.a * w};
    }
  }
  return sum;
}

// The source scaled to size x size: every target pixel averages 4 x 4
// interpolated samples, which smooths an enlargement and does not skip
// pixels in a reduction.
Picture Resample(const Picture& src, int size) {
  Picture out(size, size);
  const int n = 4;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      Rgba sum;
      for (int sy = 0; sy < n; ++sy) {
        for (int sx = 0; sx < n; ++sx) {
          const Rgba p = Bilinear(src, (x + (sx + 0.5) / n) * src.width / size,
                                  (y + (sy + 0.5) / n) * src.height / size);
          sum = {sum.r + p.r, sum.g + p.g, sum.b + p.b, sum.a + p.a};
        }
      }
      const double k = 1.0 / (n * n);
      out.At(x, y) = {sum.r * k, sum.g * k, sum.b * k, sum.a * k};
    }
  }
  return out;
}

void FillRect(Picture& pic, int left, int top, int right, int bottom, double r, double g, double b) {
  for (int y = std::max(top, 0); y < std::min(bottom, pic.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, pic.width); ++x) pic.At(x, y) = {r, g, b, 1.0};
  }
}

// Tessel's board in small: its dark background inside the grey frame, and
// two by two gems of four kinds, each a square with the background between.
Picture TesselIcon(int size) {
  Picture pic(size, size);
  const int frame = std::max(2, size / 20);
  const int gap = std::max(1, size / 24);
  FillRect(pic, 0, 0, size, size, 0.8, 0.8, 0.8);  // the frame, as the game's grey
  FillRect(pic, frame, frame, size - frame, size - frame, 26 / 255.0, 0, 51 / 255.0);
  const int kinds[2][2] = {{4, 7}, {5, 1}};  // red, yellow; blue, green
  const int inner = size - 2 * frame - 3 * gap;
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 2; ++col) {
      const int left = frame + gap + col * (inner / 2 + gap);
      const int top = frame + gap + row * (inner / 2 + gap);
      const float* c = gemColors[kinds[row][col]];
      const int right = col == 1 ? size - frame - gap : left + inner / 2;
      const int bottom = row == 1 ? size - frame - gap : top + inner / 2;
      FillRect(pic, left, top, right, bottom, c[0], c[1], c[2]);
    }
  }
  return pic;
}

void PutBe32(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBe32(out, static_cast<uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  PutBe32(out, static_cast<uint32_t>(
                   crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

uint8_t Channel(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

// The picture's pixel as straight (not premultiplied) 8-bit red, green,
// blue and alpha.
std::array<uint8_t, 4> Straight(const Rgba& p) {
  const double k = p.a > 0 ? 1.0 / p.a : 0.0;
  return {Channel(p.r * k), Channel(p.g * k), Channel(p.b * k), Channel(p.a)};
}

// An 8-bit RGBA PNG of the picture; empty when it cannot be compressed.
std::string PngBytes(const Picture& pic) {
  std::string raw;
  for (int y = 0; y < pic.height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < pic.width; ++x)
      for (uint8_t c : Straight(pic.At(x, y))) raw.push_back(static_cast<char>(c));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 9) != Z_OK)
    return {};
  packed.resize(packedSize);

  std::string png = "\x89PNG\r\n\x1a\n";
  std::string header;
  PutBe32(header, static_cast<uint32_t>(pic.width));
  PutBe32(header, static_cast<uint32_t>(pic.height));
  header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no filter, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", "");
  return png;
}

void PutLe(std::string& out, uint32_t v, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The picture as an icon image in the older form every Windows reads: a
// bitmap header of twice the height, 32-bit blue, green, red and alpha
// rows from the bottom up, then the mask of transparent pixels, one bit
// each, in rows of whole 32-bit words.
std::string IconBitmap(const Picture& pic) {
  const int maskRow = (pic.width + 31) / 32 * 4;
  std::string dib;
  PutLe(dib, 40, 4);  // the header's size
  PutLe(dib, static_cast<uint32_t>(pic.width), 4);
  PutLe(dib, static_cast<uint32_t>(2 * pic.height), 4);
  PutLe(dib, 1, 2);   // planes
  PutLe(dib, 32, 2);  // bits per pixel
  PutLe(dib, 0, 4);   // uncompressed
  PutLe(dib, static_cast<uint32_t>(pic.height * (pic.width * 4 + maskRow)), 4);
  dib.append(16, '\0');  // resolution and colour table: none
  std::string mask;
  for (int y = pic.height - 1; y >= 0; --y) {
    std::string bits(static_cast<size_t>(maskRow), '\0');
    for (int x = 0; x < pic.width; ++x) {
      const auto [r, g, b, a] = Straight(pic.At(x, y));
      for (uint8_t c : {b, g, r, a}) dib.push_back(static_cast<char>(c));
      if (a == 0) bits[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
    }
    mask += bits;
  }
  return dib + mask;
}

// A Windows icon file holding the picture drawn at every size: the small
// sizes as bitmaps, 256 pixels as a PNG, as Windows takes them.
std::string IcoBytes(const std::function<Picture(int)>& draw) {
  const int sizes[] = {16, 32, 48, 256};
  std::vector<std::string> images;
  for (int size : sizes) images.push_back(size >= 256 ? PngBytes(draw(size)) : IconBitmap(draw(size)));
  std::string ico;
  PutLe(ico, 0, 2);  // reserved
  PutLe(ico, 1, 2);  // an icon
  PutLe(ico, static_cast<uint32_t>(images.size()), 2);
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const uint32_t side = sizes[i] >= 256 ? 0 : static_cast<uint32_t>(sizes[i]);  // 0 means 256
    PutLe(ico, side, 1);
    PutLe(ico, side, 1);
    PutLe(ico, 0, 2);  // no palette, reserved
    PutLe(ico, 1, 2);  // planes
    PutLe(ico, 32, 2);
    PutLe(ico, static_cast<uint32_t>(images[i].size()), 4);
    PutLe(ico, offset, 4);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) ico += image;
  return ico;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  if (bytes.empty()) return false;
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: MakeIcons <gem.bmp> <folder>\n");
    return 2;
  }
  const std::optional<Picture> gem = ReadKeyedBmp(argv[1]);
  if (!gem) {
    std::fprintf(stderr, "MakeIcons: %s is not a 24-bit BMP picture\n", argv[1]);
    return 1;
  }
  const std::filesystem::path folder = argv[2];
  bool ok = true;
  const auto game = [&](int size) { return Resample(*gem, size); };
  for (int size : {48, 64, 128}) {
    const std::filesystem::path apps = folder / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
    ok = WriteFile(apps / "gem-game.png", PngBytes(game(size))) && ok;
    ok = WriteFile(apps / "gem-tessel.png", PngBytes(TesselIcon(size))) && ok;
  }
  ok = WriteFile(folder / "Game.ico", IcoBytes(game)) && ok;
  ok = WriteFile(folder / "Tessel.ico", IcoBytes(TesselIcon)) && ok;
  if (!ok) {
    std::fprintf(stderr, "MakeIcons: cannot write the icons into %s\n", folder.string().c_str());
    return 1;
  }
  return 0;
}
