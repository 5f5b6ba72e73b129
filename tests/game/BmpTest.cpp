#include "BMPUnit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Px {
  uint8_t r, g, b;
};

// A bottom-up 24-bit bitmap file: rows given bottom row first.
struct BmpFile {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t imageSizeField = 0xFFFFFFFF;  // the true size unless set
  uint32_t coloursUsed = 0;
  std::vector<Px> pixels;

  std::vector<uint8_t> Bytes() const {
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t size = rowBytes * static_cast<uint32_t>(height > 0 ? height : -height);
    std::vector<uint8_t> out;
    auto put = [&](uint32_t v, int n) {
      for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    out.push_back('B');
    out.push_back('M');
    put(54 + coloursUsed + size, 4);
    put(0, 4);
    put(54 + coloursUsed, 4);
    put(40, 4);
    put(static_cast<uint32_t>(width), 4);
    put(static_cast<uint32_t>(height), 4);
    put(1, 2);
    put(bits, 2);
    put(compression, 4);
    put(imageSizeField == 0xFFFFFFFF ? size : imageSizeField, 4);
    put(2835, 4);
    put(2835, 4);
    put(coloursUsed, 4);
    put(0, 4);
    for (uint32_t i = 0; i < coloursUsed; ++i) out.push_back(0xEE);
    size_t p = 0;
    for (int32_t y = 0; y < height; ++y) {
      size_t start = out.size();
      for (int32_t x = 0; x < width; ++x, ++p) {
        Px px = p < pixels.size() ? pixels[p] : Px{0, 0, 0};
        out.push_back(px.b);
        out.push_back(px.g);
        out.push_back(px.r);
      }
      while (out.size() - start < rowBytes) out.push_back(0xAB);
    }
    return out;
  }
};

BmpFile Sized(int32_t width, int32_t height) {
  BmpFile b;
  b.width = width;
  b.height = height;
  return b;
}

class BmpLoading : public ::testing::Test {
 protected:
  std::string path = ::testing::TempDir() + "bmp_test_image.bmp";

  std::optional<BmpImage> Load(const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return LoadBmpImage(path.c_str());
  }
  void TearDown() override { std::remove(path.c_str()); }
};

TEST_F(BmpLoading, FirstPixelsColourIsTransparentWhereverItStandsAndOnlyExactly) {
  const Px key{10, 200, 30};
  BmpFile bmp = Sized(4, 2);
  bmp.pixels = {key, {11, 200, 30}, {10, 199, 30}, {10, 200, 31},  // bottom row
                {1, 2, 3}, key, {255, 255, 255}, key};             // top row
  auto image = Load(bmp.Bytes());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 4);
  EXPECT_EQ(image->height, 2);
  ASSERT_EQ(image->pixels.size(), 4u * 2 * 4);
  const std::vector<uint8_t> alphas = {0, 255, 255, 255, 255, 0, 255, 0};
  for (size_t i = 0; i < alphas.size(); ++i) EXPECT_EQ(image->pixels[i * 4 + 3], alphas[i]) << "pixel " << i;
  // Channels come out as red, green, blue in file order, bottom row first.
  EXPECT_EQ(image->pixels[4 * 4 + 0], 1);
  EXPECT_EQ(image->pixels[4 * 4 + 1], 2);
  EXPECT_EQ(image->pixels[4 * 4 + 2], 3);
}

TEST_F(BmpLoading, OneColourImageIsWhollyTransparentAndZeroSizeFieldMeansComputed) {
  BmpFile bmp = Sized(4, 3);
  bmp.imageSizeField = 0;
  bmp.pixels.assign(12, Px{50, 60, 70});
  auto image = Load(bmp.Bytes());
  ASSERT_TRUE(image);
  for (size_t i = 0; i < 12; ++i) EXPECT_EQ(image->pixels[i * 4 + 3], 0);
}

TEST_F(BmpLoading, PaddedRowsAreHonouredAndTheColourTableSkipped) {
  // Five pixels take 15 bytes a row; the file pads each row to 16.
  BmpFile bmp = Sized(5, 2);
  bmp.coloursUsed = 8;
  for (uint8_t i = 0; i < 10; ++i) bmp.pixels.push_back({static_cast<uint8_t>(i * 20), i, 100});
  auto image = Load(bmp.Bytes());
  ASSERT_TRUE(image);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(image->pixels[i * 4 + 0], i * 20) << "pixel " << i;
    EXPECT_EQ(image->pixels[i * 4 + 1], i) << "pixel " << i;
  }
}

TEST_F(BmpLoading, ShortAndMalformedFilesGiveNone) {
  BmpFile good = Sized(5, 3);
  good.pixels.assign(15, Px{1, 2, 3});
  ASSERT_TRUE(Load(good.Bytes()));

  auto bytes = good.Bytes();
  EXPECT_FALSE(Load({bytes.begin(), bytes.end() - 1})) << "last byte of the pixel data missing";
  EXPECT_FALSE(Load({bytes.begin(), bytes.begin() + 30})) << "cut inside the headers";
  EXPECT_FALSE(Load({})) << "empty file";

  auto variant = [&](auto change) {
    BmpFile b = good;
    change(b);
    return Load(b.Bytes());
  };
  EXPECT_FALSE(variant([](BmpFile& b) { b.bits = 32; }));
  EXPECT_FALSE(variant([](BmpFile& b) { b.bits = 8; }));
  EXPECT_FALSE(variant([](BmpFile& b) { b.compression = 1; }));
  EXPECT_FALSE(variant([](BmpFile& b) { b.height = -3; })) << "top-down";
  EXPECT_FALSE(variant([](BmpFile& b) { b.width = 0; }));
  EXPECT_FALSE(variant([](BmpFile& b) { b.imageSizeField = 10; })) << "declared data shorter than the rows";

  auto patched = [&](size_t offset, uint32_t value) {
    std::vector<uint8_t> b = good.Bytes();
    for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    return Load(b);
  };
  EXPECT_FALSE(patched(46, 0x7FFFFFFF)) << "a colour table running past the end";
  EXPECT_FALSE(patched(46, 1)) << "the table eats a byte of the pixel data";

  // Sizes that would overflow are refused from the header alone.
  std::vector<uint8_t> huge = good.Bytes();
  huge.resize(54 + 64);
  for (int32_t w : {65536, 0x7FFFFFFF}) {
    huge[18] = static_cast<uint8_t>(w);
    huge[19] = static_cast<uint8_t>(w >> 8);
    huge[20] = static_cast<uint8_t>(w >> 16);
    huge[21] = static_cast<uint8_t>(w >> 24);
    EXPECT_FALSE(Load(huge)) << "width " << w;
  }
}

TEST(BmpMissing, MissingFileGivesNone) { EXPECT_FALSE(LoadBmpImage("no such picture.bmp")); }

}  // namespace
