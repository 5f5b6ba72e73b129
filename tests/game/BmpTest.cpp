#include "BMPUnit.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

// The largest single block asked of operator new while watched: what a
// loading costs in memory, whatever the platform's allocator makes of it.
namespace {
bool watchingAllocations = false;
std::size_t largestAllocation = 0;
}  // namespace

// GCC takes the blocks of a replaced operator new for its own and warns when
// they reach free(); both sides here are malloc and free.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  if (watchingAllocations && size > largestAllocation) largestAllocation = size;
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

using Rgb = std::array<uint8_t, 3>;
// 32-bit fields to overwrite: byte offset in the file, value.
using Fields = std::vector<std::pair<size_t, uint32_t>>;

// A plain 24-bit bitmap: a 40-byte info header, `extra` bytes of 0xEE before
// the pixel data, which start where the file header says; then as many rows
// as `pixels` fills, bottom row first, each padded with 0xAB. The fields
// given are overwritten last.
std::string Bitmap(int32_t width, int32_t height, const std::vector<Rgb>& pixels, const Fields& fields = {},
                   uint32_t extra = 0) {
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t offset = 54 + extra, size = rowBytes * static_cast<uint32_t>(height);
  std::string out = "BM";
  // One plane of 24 bits a pixel, uncompressed, no colours used.
  for (uint32_t v : {offset + size, 0u, offset, 40u, static_cast<uint32_t>(width),
                     static_cast<uint32_t>(height), 1u | 24u << 16, 0u, size, 2835u, 2835u, 0u, 0u})
    for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i));
  out.resize(offset, '\xEE');
  for (size_t p = 0; p < pixels.size(); ++p) {
    for (int c = 2; c >= 0; --c) out += static_cast<char>(pixels[p][c]);
    if ((p + 1) % width == 0) out.append(rowBytes - width * 3, '\xAB');
  }
  for (auto [at, v] : fields)
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(v >> (8 * i));
  return out;
}

class BmpLoading : public ::testing::Test {
 protected:
  testsupport::ScratchDir dir{"bmp"};

  std::optional<BmpImage> Load(const std::string& bytes) {
    const std::string path = (dir / "picture.bmp").string();
    testsupport::WriteBytes(path, bytes);
    largestAllocation = 0;
    watchingAllocations = true;
    auto image = LoadBmpImage(path.c_str());
    watchingAllocations = false;
    return image;
  }
};

TEST_F(BmpLoading, RowsBecomeRgbaWithExactlyTheFirstPixelsColourTransparent) {
  // Five pixels take 15 bytes of a 16-byte row; a size field of 0 stands for
  // the rows' size. Bottom row first.
  const Rgb key{10, 200, 30};
  const std::vector<Rgb> rows = {key,       {11, 200, 30}, {10, 199, 30},   {10, 200, 31}, {1, 2, 3},
                                 {4, 5, 6}, key,           {255, 255, 255}, key,           {0, 0, 0}};
  auto image = Load(Bitmap(5, 2, rows, {{34, 0}}));
  ASSERT_TRUE(image);
  EXPECT_EQ(std::pair(image->width, image->height), std::pair(5, 2));
  EXPECT_EQ(image->pixels,
            (std::vector<uint8_t>{10,  200, 30,  0,   11, 200, 30, 255, 10, 199, 30, 255, 10, 200,
                                  31,  255, 1,   2,   3,  255, 4,  5,   6,  255, 10, 200, 30, 0,
                                  255, 255, 255, 255, 10, 200, 30, 0,   0,  0,   0,  255}));
}

TEST_F(BmpLoading, PixelsStartAtARealOffsetElseAfterTheInfoHeaderAndTheBytesSetAside) {
  // Bottom row blue, top row red: the blue of pixel 0 is the transparent one.
  const std::vector<uint8_t> expected = {0, 0, 255, 0, 0, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 255};
  const std::vector<Rgb> picture = {{0, 0, 255}, {0, 0, 255}, {255, 0, 0}, {255, 0, 0}};
  struct Case {
    const char* what;
    Fields fields;
    uint32_t extra = 0;
  };
  for (const Case& c : {Case{"plain", {}},
                        {"offset zero", {{2, 0}, {10, 0}}},
                        {"offset past the end", {{10, 0xFFFFFFF0}}},
                        {"info size zero", {{14, 0}}},
                        {"info size zero, offset inside the headers", {{14, 0}, {10, 20}}},
                        {"three bytes set aside", {{46, 3}}, 3},
                        {"three bytes set aside, offset zero", {{46, 3}, {10, 0}}, 3},
                        {"124-byte info header", {{14, 124}}, 84},
                        {"one-entry colour table", {{46, 1}}, 4}}) {
    auto image = Load(Bitmap(2, 2, picture, c.fields, c.extra));
    EXPECT_EQ(image ? image->pixels : std::vector<uint8_t>{}, expected) << c.what;
  }
}

TEST_F(BmpLoading, MissingShortAndUnusableFilesGiveNoneAndReserveNoMoreThanTheFileHolds) {
  EXPECT_FALSE(LoadBmpImage((dir / "no such picture.bmp").string().c_str()));
  const std::vector<Rgb> four(4, {1, 2, 3});
  const std::string good = Bitmap(2, 2, four);
  struct Case {
    const char* what;
    std::string bytes;
  };
  for (const Case& c :
       {Case{"empty file", ""},
        {"cut inside the headers", good.substr(0, 30)},
        {"last byte of the pixel data missing", good.substr(0, good.size() - 1)},
        {"32 bits a pixel", Bitmap(2, 2, four, {{28, 32}})},
        {"8 bits a pixel", Bitmap(2, 2, four, {{28, 8}})},
        {"compressed", Bitmap(2, 2, four, {{30, 1}})},
        {"top-down", Bitmap(2, 2, four, {{22, static_cast<uint32_t>(-2)}})},
        {"no width", Bitmap(2, 2, four, {{18, 0}})},
        {"declared data shorter than the rows", Bitmap(2, 2, four, {{34, 12}})},
        {"more data declared than the file holds, the rows there", Bitmap(2, 2, four, {{34, 20}})},
        {"too wide for a texture, all rows there", Bitmap(65536, 1, std::vector<Rgb>(65536))},
        {"sizes that would overflow", Bitmap(2, 2, four, {{18, 0x7FFFFFFF}})},
        {"all bytes set aside", Bitmap(2, 2, four, {{10, 0}, {46, 0xFFFFFFFF}})},
        // 54 bytes declaring 65535 x 8191 pixels, 1.6 GB.
        {"huge, image size 0", Bitmap(65535, 8191, {}, {{34, 0}})},
        {"huge, image size given", Bitmap(65535, 8191, {})},
        {"huge, offset zero", Bitmap(65535, 8191, {}, {{10, 0}})},
        {"half the rows", Bitmap(1000, 1000, std::vector<Rgb>(500 * 1000))}}) {
    EXPECT_FALSE(Load(c.bytes)) << c.what;
    EXPECT_LT(largestAllocation, 4096u) << c.what;
  }
}

}  // namespace
