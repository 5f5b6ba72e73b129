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
  std::string out(offset, '\xEE');
  auto put = [&out](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(v >> (8 * i));
  };
  out[0] = 'B', out[1] = 'M';
  for (auto [at, v] : Fields{{2, offset + size},
                             {6, 0},
                             {10, offset},
                             {14, 40},
                             {18, static_cast<uint32_t>(width)},
                             {22, static_cast<uint32_t>(height)},
                             {26, 1 | 24 << 16},
                             {30, 0},
                             {34, size},
                             {38, 2835},
                             {42, 2835},
                             {46, 0},
                             {50, 0}})
    put(at, v);
  for (size_t p = 0; p < pixels.size(); ++p) {
    out +=
        {static_cast<char>(pixels[p][2]), static_cast<char>(pixels[p][1]), static_cast<char>(pixels[p][0])};
    if ((p + 1) % width == 0) out.append(rowBytes - width * 3, '\xAB');
  }
  for (auto [at, v] : fields) put(at, v);
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
  // the rows' size.
  const Rgb key{10, 200, 30};
  auto image = Load(Bitmap(5, 2,
                           {key,
                            {11, 200, 30},
                            {10, 199, 30},
                            {10, 200, 31},
                            {1, 2, 3},  // bottom row
                            {4, 5, 6},
                            key,
                            {255, 255, 255},
                            key,
                            {0, 0, 0}},
                           {{34, 0}}));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 5);
  EXPECT_EQ(image->height, 2);
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
    if (!image) {
      ADD_FAILURE() << c.what << ": none";
      continue;
    }
    EXPECT_EQ(image->width, 2) << c.what;
    EXPECT_EQ(image->height, 2) << c.what;
    EXPECT_EQ(image->pixels, expected) << c.what;
  }
}

TEST_F(BmpLoading, MissingShortAndUnusableFilesGiveNone) {
  EXPECT_FALSE(LoadBmpImage((dir / "no such picture.bmp").string().c_str()));
  const std::string good = Bitmap(2, 2, std::vector<Rgb>(4, {1, 2, 3}));
  struct Case {
    const char* what;
    Fields fields;
    size_t keep = 70;  // bytes of the file kept
  };
  for (const Case& c : {Case{"empty file", {}, 0},
                        {"cut inside the headers", {}, 30},
                        {"last byte of the pixel data missing", {}, 69},
                        {"32 bits a pixel", {{28, 32}}},
                        {"8 bits a pixel", {{28, 8}}},
                        {"compressed", {{30, 1}}},
                        {"top-down", {{22, static_cast<uint32_t>(-2)}}},
                        {"no width", {{18, 0}}},
                        {"declared data shorter than the rows", {{34, 12}}},
                        {"more data declared than the file holds, though the rows are there", {{34, 20}}},
                        {"too wide for a texture", {{18, 65536}}},
                        {"sizes that would overflow", {{18, 0x7FFFFFFF}}}}) {
    std::string bytes = good;
    for (auto [at, v] : c.fields)
      for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
    EXPECT_FALSE(Load(bytes.substr(0, c.keep))) << c.what;
  }
}

TEST_F(BmpLoading, HeadersDeclaringMoreThanTheFileHoldsReserveNoMoreThanTheFile) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  for (const Case& c :
       {// 54 bytes declaring 65535 x 8191 pixels.
        Case{"image size 0", Bitmap(65535, 8191, {}, {{34, 0}})},
        {"image size given", Bitmap(65535, 8191, {})},
        {"offset zero", Bitmap(65535, 8191, {}, {{10, 0}})},
        {"all bytes set aside", Bitmap(2, 2, std::vector<Rgb>(4), {{10, 0}, {46, 0xFFFFFFFF}})},
        {"half the rows", Bitmap(1000, 1000, std::vector<Rgb>(500 * 1000))}}) {
    EXPECT_FALSE(Load(c.bytes)) << c.what;
    EXPECT_LT(largestAllocation, 4096u) << c.what;
  }
}

}  // namespace
