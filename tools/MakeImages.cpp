// Draws the pictures of Game: six gems, each with a cut of its own, and the
// cursor arrow, as uncompressed 24-bit bottom-up BMP files on a key-colour
// background (the game makes the colour of the first pixel transparent).
//
//     MakeImages <folder>   writes <folder>/1.bmp .. 6.bmp and arrow.bmp
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

namespace {

struct Rgb {
  double r, g, b;
};

struct Vec {
  double x, y;
};

// The background of every picture. Nothing drawn on top uses it.
constexpr uint8_t kKey[3] = {255, 0, 255};

class Picture {
 public:
  Picture(int width, int height) : width_(width), height_(height), pixels_(width * height * 3) {
    for (int i = 0; i < width * height; ++i) {
      for (int c = 0; c < 3; ++c) pixels_[i * 3 + c] = kKey[c];
    }
  }

  // Sets the pixel at column x, row y counted from the top.
  void Set(int x, int y, Rgb colour) {
    uint8_t* p = &pixels_[(y * width_ + x) * 3];
    p[0] = Channel(colour.r);
    p[1] = Channel(colour.g);
    p[2] = Channel(colour.b);
    // A drawn pixel must never be taken for the key colour.
    if (p[0] == kKey[0] && p[1] == kKey[1] && p[2] == kKey[2]) p[1] = 1;
  }

  bool Write(const std::string& path) const {
    const int rowBytes = (width_ * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(rowBytes * height_);
    std::vector<uint8_t> file;
    auto put16 = [&](uint32_t v) {
      file.push_back(static_cast<uint8_t>(v));
      file.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto put32 = [&](uint32_t v) {
      put16(v & 0xFFFF);
      put16(v >> 16);
    };
    file.push_back('B');
    file.push_back('M');
    put32(54 + imageSize);  // file size
    put32(0);               // reserved
    put32(54);              // offset of the pixel data
    put32(40);              // info header size
    put32(static_cast<uint32_t>(width_));
    put32(static_cast<uint32_t>(height_));  // positive: bottom row first
    put16(1);                               // planes
    put16(24);                              // bits per pixel
    put32(0);                               // no compression
    put32(imageSize);
    put32(2835);  // 72 dots per inch
    put32(2835);
    put32(0);  // colours used
    put32(0);  // important colours
    for (int y = height_ - 1; y >= 0; --y) {
      for (int x = 0; x < width_; ++x) {
        const uint8_t* p = &pixels_[(y * width_ + x) * 3];
        file.push_back(p[2]);  // blue, green, red
        file.push_back(p[1]);
        file.push_back(p[0]);
      }
      for (int pad = width_ * 3; pad < rowBytes; ++pad) file.push_back(0);
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && ok;
  }

  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  static uint8_t Channel(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

  int width_, height_;
  std::vector<uint8_t> pixels_;
};

double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
Vec Sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb Scale(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }

// A convex outline, counter-clockwise in picture coordinates with y up.
using Outline = std::vector<Vec>;

Outline RegularPolygon(int sides, double rx, double ry, double turn) {
  Outline out;
  for (int i = 0; i < sides; ++i) {
    double a = turn + 2 * std::numbers::pi * i / sides;
    out.push_back({rx * std::cos(a), ry * std::sin(a)});
  }
  return out;
}

// Signed distance to each edge's line, negative inside; the largest decides
// whether a point is inside and which edge is nearest.
struct EdgeHit {
  double distance;  // to the nearest edge, positive inside
  int edge;
  Vec normal;  // outward normal of that edge
};

EdgeHit NearestEdge(const Outline& shape, Vec p) {
  EdgeHit hit{1e9, -1, {0, 0}};
  for (size_t i = 0; i < shape.size(); ++i) {
    Vec a = shape[i];
    Vec b = shape[(i + 1) % shape.size()];
    Vec d = Sub(b, a);
    double len = std::hypot(d.x, d.y);
    Vec n{d.y / len, -d.x / len};  // outward for counter-clockwise order
    double inside = -Dot(Sub(p, a), n);
    if (inside < hit.distance) hit = {inside, static_cast<int>(i), n};
  }
  return hit;
}

// Shades a faceted stone: a flat table in the middle, and around it crown
// facets that slope toward each edge, every facet split in two along the
// line from the centre to its edge's middle so that the light catches the
// halves differently.
void DrawGem(Picture& pic, const Outline& shape, Rgb base, double tableShare) {
  const Vec light{-0.45, 0.55};  // from the upper left
  const double lightZ = 0.7;
  const double size = pic.Width();
  const int samples = 4;
  const double inradius = std::max(NearestEdge(shape, {0, 0}).distance, 1e-6);
  for (int py = 0; py < pic.Height(); ++py) {
    for (int px = 0; px < pic.Width(); ++px) {
      Rgb sum{0, 0, 0};
      int covered = 0;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          // Centred coordinates in units of the picture's half width, y up.
          Vec p{((px + (sx + 0.5) / samples) - size / 2) / (size / 2),
                (size / 2 - (py + (sy + 0.5) / samples)) / (size / 2)};
          EdgeHit hit = NearestEdge(shape, p);
          if (hit.distance < 0) continue;
          ++covered;
          // How far in from the outline, relative to the nearest edge's
          // distance from the centre.
          double depth = hit.distance / inradius;
          Rgb colour;
          if (depth < 0.07) {
            colour = Scale(base, 0.28);  // the girdle: a dark rim
          } else if (depth > 1.0 - tableShare) {
            // The table: flat, bright, with a soft gleam toward the light.
            double gleam = std::max(0.0, Dot(p, light)) * 0.5;
            colour = Mix(Scale(base, 0.95), Rgb{1, 1, 1}, 0.12 + gleam * 0.5);
          } else {
            Vec a = shape[hit.edge];
            Vec b = shape[(hit.edge + 1) % shape.size()];
            Vec mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
            // Which half of the facet: left or right of the centre-to-middle line.
            double side = mid.x * p.y - mid.y * p.x;
            Vec along{-hit.normal.y, hit.normal.x};
            double twist = side > 0 ? 0.35 : -0.35;
            Vec n{hit.normal.x * 0.75 + along.x * twist, hit.normal.y * 0.75 + along.y * twist};
            double nz = 0.8;
            double norm = std::sqrt(n.x * n.x + n.y * n.y + nz * nz);
            double lambert = (n.x * light.x + n.y * light.y + nz * lightZ) / norm;
            double shade = 0.35 + 0.75 * std::max(0.0, lambert);
            colour = Scale(base, shade);
            if (lambert > 0.9) colour = Mix(colour, Rgb{1, 1, 1}, (lambert - 0.9) * 4);
          }
          sum = {sum.r + colour.r, sum.g + colour.g, sum.b + colour.b};
        }
      }
      // Half-covered pixels belong to the stone; the rest stays key colour,
      // so the outline is crisp against whatever shows through.
      if (covered * 2 >= samples * samples) pic.Set(px, py, Scale(sum, 1.0 / covered));
    }
  }
  // A small star of light on the table.
  const int cx = static_cast<int>(size * 0.40), cy = static_cast<int>(size * 0.36);
  for (int d = -4; d <= 4; ++d) {
    double strength = 1.0 - std::abs(d) / 5.0;
    Rgb white{1, 1, 1};
    for (auto [x, y] : {std::pair{cx + d, cy}, std::pair{cx, cy + d}}) {
      if (NearestEdge(shape, {(x + 0.5 - size / 2) / (size / 2), (size / 2 - y - 0.5) / (size / 2)}).distance > 0.1) {
        pic.Set(x, y, Mix(base, white, 0.55 + 0.45 * strength));
      }
    }
  }
}

// The pointer: an arrow whose tip is the top left pixel, white with a black
// edge, on the key colour.
void DrawArrow(Picture& pic) {
  const int n = pic.Width();
  const Outline arrow = {{0, 0}, {0, 0.78}, {0.2, 0.6}, {0.34, 0.92}, {0.46, 0.86}, {0.33, 0.55}, {0.6, 0.55}};
  for (int y = 0; y < pic.Height(); ++y) {
    for (int x = 0; x < n; ++x) {
      Vec p{(x + 0.5) / n, (y + 0.5) / n};  // y grows downward here
      // Even-odd rule: the arrow is concave.
      bool inside = false;
      double nearest = 1e9;
      for (size_t i = 0, j = arrow.size() - 1; i < arrow.size(); j = i++) {
        Vec a = arrow[i], b = arrow[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
        Vec d = Sub(b, a);
        double t = std::clamp(Dot(Sub(p, a), d) / Dot(d, d), 0.0, 1.0);
        Vec q{a.x + d.x * t, a.y + d.y * t};
        nearest = std::min(nearest, std::hypot(p.x - q.x, p.y - q.y));
      }
      if (!inside && nearest > 0.03) continue;
      pic.Set(x, y, nearest < 0.045 ? Rgb{0, 0, 0} : Rgb{1, 1, 1});
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: MakeImages <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  struct Stone {
    Outline shape;
    Rgb colour;
    double table;
  };
  const double r = 0.86;
  const Stone stones[6] = {
      {RegularPolygon(16, r, r, std::numbers::pi / 16), {0.86, 0.10, 0.16}, 0.45},  // round ruby
      {{{-0.62, -0.86}, {0.62, -0.86}, {0.78, -0.70}, {0.78, 0.70}, {0.62, 0.86}, {-0.62, 0.86}, {-0.78, 0.70},
        {-0.78, -0.70}},
       {0.10, 0.72, 0.28},
       0.40},                                                            // emerald cut
      {RegularPolygon(6, r, r, 0), {0.30, 0.85, 0.88}, 0.45},            // hexagonal aquamarine
      {RegularPolygon(4, 0.74, r, 0), {0.15, 0.30, 0.92}, 0.35},         // rhombic sapphire
      {RegularPolygon(3, 0.95, 0.95, std::numbers::pi / 2), {0.66, 0.30, 0.86}, 0.40},  // triangular amethyst
      {RegularPolygon(20, 0.62, r, 0), {0.90, 0.92, 0.96}, 0.45},        // oval diamond
  };
  bool ok = true;
  for (int k = 0; k < 6; ++k) {
    Picture pic(64, 64);
    DrawGem(pic, stones[k].shape, stones[k].colour, stones[k].table);
    ok = pic.Write(folder + "/" + std::to_string(k + 1) + ".bmp") && ok;
  }
  Picture arrow(32, 32);
  DrawArrow(arrow);
  ok = arrow.Write(folder + "/arrow.bmp") && ok;
  if (!ok) {
    std::fprintf(stderr, "MakeImages: cannot write the pictures into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
