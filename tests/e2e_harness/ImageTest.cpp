#include "Image.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "App.h"
#include "Wait.h"

namespace {

namespace fs = std::filesystem;
using e2e::Image;
using e2e::Rect;
using e2e::Rgb;

constexpr Rgb kRed{200, 40, 10}, kBlue{30, 60, 220}, kBlack{0, 0, 0};

TEST(Image, PixelsAndCountsStayInsideTheirArea) {
  Image image(10, 8);
  EXPECT_EQ(image.At(9, 7), kBlack);
  image.Fill({2, 1, 3, 4}, kRed);     // 12 red pixels
  image.Fill({8, 6, 10, 10}, kBlue);  // clipped to the 2x2 corner
  image.Set(0, 0, Rgb{203, 37, 10});  // red within 3
  EXPECT_EQ(image.At(2, 1), kRed);
  EXPECT_EQ(image.At(4, 4), kRed);
  EXPECT_EQ(image.At(5, 4), kBlack);
  EXPECT_EQ(image.At(1, 1), kBlack);
  EXPECT_EQ(image.At(9, 7), kBlue);

  EXPECT_EQ(e2e::CountPixels(image, image.Bounds(), kRed), 12);
  EXPECT_EQ(e2e::CountPixels(image, image.Bounds(), kRed, 3), 13);
  EXPECT_EQ(e2e::CountPixels(image, image.Bounds(), kRed, 2), 12);
  EXPECT_EQ(e2e::CountPixels(image, {3, 0, 100, 3}, kRed), 4);  // clipped at the right
  EXPECT_EQ(e2e::CountPixels(image, {-5, -5, 8, 8}, kRed), 2);  // clipped at the top left
  EXPECT_EQ(e2e::CountPixels(image, {20, 20, 5, 5}, kBlack), 0);
  EXPECT_EQ(e2e::CountPixels(image, image.Bounds(), kBlue), 4);

  e2e::ColourCount dominant = e2e::DominantColour(image, {2, 1, 4, 4});
  EXPECT_EQ(dominant.colour, kRed);
  EXPECT_EQ(dominant.count, 12);
  EXPECT_EQ(e2e::DominantColour(image, {50, 50, 1, 1}).count, 0);

  EXPECT_THROW(image.At(10, 0), e2e::HarnessError);
  EXPECT_THROW(image.At(0, -1), e2e::HarnessError);
  EXPECT_THROW(image.Set(0, 8, kRed), e2e::HarnessError);
}

TEST(Image, PixelIsExplainsAMismatch) {
  Image image(4, 4);
  image.Set(1, 2, Rgb{100, 150, 200});
  EXPECT_TRUE(e2e::PixelIs(image, 1, 2, Rgb{100, 150, 200}));
  EXPECT_TRUE(e2e::PixelIs(image, 1, 2, Rgb{104, 146, 200}, 4));
  auto wrong = e2e::PixelIs(image, 1, 2, Rgb{105, 150, 200}, 4);
  EXPECT_FALSE(wrong);
  EXPECT_STREQ(wrong.message(), "pixel (1, 2) is #6496C8, expected #6996C8 within 4");
  auto outside = e2e::PixelIs(image, 4, 0, kBlack);
  EXPECT_FALSE(outside);
  EXPECT_STREQ(outside.message(), "pixel (4, 0) is outside the 4x4 image");
}

uint32_t BigEndian(const std::string& bytes, size_t at) {
  return (uint32_t{static_cast<uint8_t>(bytes[at])} << 24) |
         (uint32_t{static_cast<uint8_t>(bytes[at + 1])} << 16) |
         (uint32_t{static_cast<uint8_t>(bytes[at + 2])} << 8) | uint32_t{static_cast<uint8_t>(bytes[at + 3])};
}

// Decodes the PNGs the harness writes (8-bit RGB, unfiltered rows, one or
// more IDAT chunks), checking every chunk's CRC on the way.
Image DecodePng(const std::string& png) {
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
  std::string idat;
  int width = -1, height = -1;
  std::string lastType;
  for (size_t at = 8; at + 12 <= png.size();) {
    uint32_t length = BigEndian(png, at);
    std::string type = png.substr(at + 4, 4);
    std::string data = png.substr(at + 8, length);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + at + 4), length + 4);
    EXPECT_EQ(BigEndian(png, at + 8 + length), crc) << "CRC of " << type;
    if (type == "IHDR") {
      EXPECT_EQ(length, 13u);
      width = static_cast<int>(BigEndian(data, 0));
      height = static_cast<int>(BigEndian(data, 4));
      EXPECT_EQ(data.substr(8), std::string("\x08\x02\x00\x00\x00", 5)) << "8-bit RGB, not interlaced";
    } else if (type == "IDAT") {
      idat += data;
    }
    lastType = type;
    at += 12 + length;
  }
  EXPECT_EQ(lastType, "IEND");
  if (width < 0 || height < 0) {
    ADD_FAILURE() << "no IHDR";
    return {};
  }
  const size_t rowBytes = static_cast<size_t>(width) * 3 + 1;
  std::string raw(rowBytes * height, '\0');
  uLongf rawSize = static_cast<uLongf>(raw.size());
  EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize,
                       reinterpret_cast<const Bytef*>(idat.data()), static_cast<uLong>(idat.size())),
            Z_OK);
  EXPECT_EQ(rawSize, raw.size());
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    EXPECT_EQ(raw[y * rowBytes], 0) << "filter of row " << y;
    for (int x = 0; x < width; ++x) {
      const char* p = &raw[y * rowBytes + 1 + x * 3];
      image.Set(x, y, {static_cast<uint8_t>(p[0]), static_cast<uint8_t>(p[1]), static_cast<uint8_t>(p[2])});
    }
  }
  return image;
}

TEST(Png, DecodesBackToTheSamePixelsAndRefusesWhatItCannotWrite) {
  std::string pattern = (fs::temp_directory_path() / "png-test-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  // Wide enough that rows do not fit a byte's worth of offsets; no two rows alike.
  Image image(301, 7);
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      image.Set(x, y, {static_cast<uint8_t>(x), static_cast<uint8_t>(y * 30), static_cast<uint8_t>(x ^ y)});
    }
  }
  const fs::path file = dir / "nested" / "folder" / "shot.png";  // folders are made
  e2e::SavePng(image, file);
  std::string png = e2e::ReadIfPresent(file);
  EXPECT_EQ(BigEndian(png, 16), 301u);  // IHDR width and height right after the signature
  EXPECT_EQ(BigEndian(png, 20), 7u);
  EXPECT_EQ(DecodePng(png), image);

  Image one(1, 1);
  one.Set(0, 0, kRed);
  e2e::SavePng(one, file);  // replaces the bigger file
  EXPECT_EQ(DecodePng(e2e::ReadIfPresent(file)), one);

  EXPECT_THROW(e2e::SavePng(Image(0, 5), dir / "empty.png"), e2e::HarnessError);
  EXPECT_FALSE(fs::exists(dir / "empty.png"));
  std::ofstream(dir / "plain-file") << "x";
  EXPECT_THROW(e2e::SavePng(Image(2, 2), dir / "plain-file" / "shot.png"), e2e::HarnessError);
  fs::remove_all(dir);
}

}  // namespace
