#include "BMPUnit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "TestFiles.h"

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

struct Px {
  uint8_t r, g, b;
};

// A 24-bit bitmap file, rows given bottom row first.
struct BmpFile {
  int32_t width = 0, height = 0;
  uint32_t coloursUsed = 0;              // entries of four bytes in the colour table
  uint32_t imageSizeField = 0xFFFFFFFF;  // the true size unless set
  std::vector<Px> pixels = {};
  uint32_t infoSize = 40;  // 108 and 124 for the headers image editors write
  uint32_t gap = 0;        // bytes between the colour table and the pixel data

  uint32_t PixelOffset() const { return 14 + infoSize + 4 * coloursUsed + gap; }

  uint32_t RowBytes() const { return (static_cast<uint32_t>(width) * 3 + 3) & ~3u; }

  // Everything before the pixel data.
  std::vector<uint8_t> Headers() const {
    const uint32_t size = RowBytes() * static_cast<uint32_t>(height);
    std::vector<uint8_t> out = {'B', 'M'};
    // The file header after "BM", then the first 40 bytes of the info
    // header; one plane of 24 bits a pixel, no compression.
    for (uint32_t v : {PixelOffset() + size, 0u, PixelOffset(), infoSize, static_cast<uint32_t>(width),
                       static_cast<uint32_t>(height), 1u | 24u << 16, 0u,
                       imageSizeField == 0xFFFFFFFF ? size : imageSizeField, 2835u, 2835u, coloursUsed, 0u})
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    // The rest of a larger info header, the colour table and the gap, in
    // bytes unlike any pixel's.
    out.resize(PixelOffset(), 0xEE);
    return out;
  }

  std::vector<uint8_t> Bytes() const {
    const uint32_t rowBytes = RowBytes();
    std::vector<uint8_t> out = Headers();
    for (int32_t y = 0, p = 0; y < height; ++y) {
      const size_t start = out.size();
      for (int32_t x = 0; x < width; ++x, ++p) {
        const Px px = p < static_cast<int32_t>(pixels.size()) ? pixels[p] : Px{0, 0, 0};
        out.insert(out.end(), {px.b, px.g, px.r});
      }
      out.resize(start + rowBytes, 0xAB);
    }
    return out;
  }
};

class BmpLoading : public ::testing::Test {
 protected:
  std::string path = ::testing::TempDir() + "bmp_test_image.bmp";

  std::optional<BmpImage> Load(const std::vector<uint8_t>& bytes) {
    enginetest::WriteBytes(path, std::string(bytes.begin(), bytes.end()));
    largestAllocation = 0;
    watchingAllocations = true;
    auto image = LoadBmpImage(path.c_str());
    watchingAllocations = false;
    return image;
  }
  void TearDown() override { std::remove(path.c_str()); }
};

TEST_F(BmpLoading, FirstPixelsColourIsTransparentWhereverItStandsAndOnlyExactly) {
  const Px key{10, 200, 30};
  BmpFile bmp{.width = 4, .height = 2};
  bmp.pixels = {key,       {11, 200, 30}, {10, 199, 30},   {10, 200, 31},  // bottom row
                {1, 2, 3}, key,           {255, 255, 255}, key};           // top row
  auto image = Load(bmp.Bytes());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 4);
  EXPECT_EQ(image->height, 2);
  ASSERT_EQ(image->pixels.size(), 4u * 2 * 4);
  const std::vector<uint8_t> alphas = {0, 255, 255, 255, 255, 0, 255, 0};
  for (size_t i = 0; i < alphas.size(); ++i) EXPECT_EQ(image->pixels[i * 4 + 3], alphas[i]) << "pixel " << i;
}

TEST_F(BmpLoading, PaddedRowsComeOutAsRedGreenBlueBottomRowFirstPastTheColourTable) {
  // Five pixels take 15 bytes a row; the file pads each row to 16. A size
  // field of 0 means the size the rows need.
  BmpFile bmp{.width = 5, .height = 2, .coloursUsed = 8, .imageSizeField = 0};
  for (uint8_t i = 0; i < 10; ++i) bmp.pixels.push_back({static_cast<uint8_t>(i * 20), i, 100});
  auto image = Load(bmp.Bytes());
  ASSERT_TRUE(image);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(image->pixels[i * 4 + 0], i * 20) << "pixel " << i;
    EXPECT_EQ(image->pixels[i * 4 + 1], i) << "pixel " << i;
    EXPECT_EQ(image->pixels[i * 4 + 2], 100) << "pixel " << i;
  }
}

TEST_F(BmpLoading, MissingShortAndMalformedFilesGiveNone) {
  EXPECT_FALSE(LoadBmpImage("no such picture.bmp"));
  BmpFile good{.width = 5, .height = 3};
  good.pixels.assign(15, Px{1, 2, 3});
  ASSERT_TRUE(Load(good.Bytes()));

  auto bytes = good.Bytes();
  EXPECT_FALSE(Load({bytes.begin(), bytes.end() - 1})) << "last byte of the pixel data missing";
  EXPECT_FALSE(Load({bytes.begin(), bytes.begin() + 30})) << "cut inside the headers";
  EXPECT_FALSE(Load({})) << "empty file";

  // One header field spoilt at a time: its offset, its new value.
  for (auto [offset, value, what] :
       {std::tuple{28, 32u, "32 bits a pixel"},
        {28, 8u, "8 bits a pixel"},
        {30, 1u, "compressed"},
        {22, static_cast<uint32_t>(-3), "top-down"},
        {18, 0u, "no width"},
        {34, 10u, "declared data shorter than the rows"},
        {46, 0x7FFFFFFFu, "a colour table running past the end"},
        {46, 1u, "a colour table reaching into the pixel data"},
        {10, 20u, "pixel data said to start inside the headers"},
        {10, 0xFFFFu, "pixel data said to start past the end"},
        {14, 12u, "the old 12-byte core header"},
        {34, 52u, "more data declared than the file holds, though the rows are there"},
        {18, 65536u, "too wide for a texture"},
        {18, 0x7FFFFFFFu, "sizes that would overflow"}}) {
    std::vector<uint8_t> spoilt = bytes;
    for (int i = 0; i < 4; ++i) spoilt[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    EXPECT_FALSE(Load(spoilt)) << what;
  }
}

TEST_F(BmpLoading, LargerInfoHeadersColourTablesAndGapsBeforeThePixelsChangeNothingOfThePicture) {
  BmpFile plain{.width = 3, .height = 2};
  plain.pixels = {{9, 9, 9}, {200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {9, 9, 9}, {1, 2, 3}};
  auto expected = Load(plain.Bytes());
  ASSERT_TRUE(expected);
  for (BmpFile variant : {BmpFile{.infoSize = 108}, BmpFile{.infoSize = 124}, BmpFile{.coloursUsed = 256},
                          BmpFile{.coloursUsed = 2, .infoSize = 124, .gap = 6}}) {
    variant.width = plain.width;
    variant.height = plain.height;
    variant.pixels = plain.pixels;
    auto image = Load(variant.Bytes());
    ASSERT_TRUE(image) << "info header " << variant.infoSize << ", " << variant.coloursUsed << " colours";
    EXPECT_EQ(image->pixels, expected->pixels) << "info header " << variant.infoSize << ", "
                                               << variant.coloursUsed << " colours, gap " << variant.gap;
  }
}

TEST_F(BmpLoading, HeadersDeclaringMoreThanTheFileHoldsReserveNoMoreThanTheFile) {
  // 54 bytes declaring 65535 x 8191 pixels, with and without an image size.
  for (uint32_t sizeField : {0u, 0x5FFFA000u}) {
    BmpFile huge{.width = 65535, .height = 8191, .imageSizeField = sizeField};
    EXPECT_FALSE(Load(huge.Headers())) << "image size field " << sizeField;
    EXPECT_LT(largestAllocation, 4096u) << "image size field " << sizeField;
  }
  // A picture cut to half its rows reserves nothing for the rest.
  BmpFile big{.width = 1000, .height = 1000};
  auto bytes = big.Bytes();
  bytes.resize(bytes.size() / 2);
  EXPECT_FALSE(Load(bytes));
  EXPECT_LT(largestAllocation, 4096u);
}

}  // namespace
