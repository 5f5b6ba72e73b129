// Game's picture loader on any file. Whatever the bytes, the loader must not
// crash, reserve more than the file can hold (libFuzzer's malloc limit), or
// break its promises:
// - an accepted picture is an uncompressed 24-bit one with sides of 1 to
//   65535, width x height x 4 bytes of pixels, the colours of the file's rows
//   from where they start (below), and alpha 0 exactly where a pixel has
//   pixel 0's colour, else 255;
// - a picture is accepted only when the file holds all of its declared pixel
//   data from there, and every plain picture that does is accepted.
// The data start at the file header's offset when that is at or past the end
// of the info header (byte 54 at least) and the data fit from there, else
// right after the 40-byte info header and the colours-used count of bytes.
#include <algorithm>
#include <cstring>
#include <string>

#include "BMPUnit.h"
#include "FuzzCheck.h"

namespace {

uint32_t Field32(const uint8_t* data, size_t offset) {
  return static_cast<uint32_t>(data[offset]) | static_cast<uint32_t>(data[offset + 1]) << 8 |
         static_cast<uint32_t>(data[offset + 2]) << 16 | static_cast<uint32_t>(data[offset + 3]) << 24;
}

const std::string& PicturePath() {
  static const std::string path = fuzzcheck::ScratchDir() + "/picture.bmp";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzcheck::WriteWhole(PicturePath(), std::string_view(reinterpret_cast<const char*>(data), size));
  const auto image = LoadBmpImage(PicturePath().c_str());
  if (size < 54) {
    FUZZ_CHECK(!image, "a file shorter than its headers was accepted");
    return 0;
  }

  const uint32_t offset = Field32(data, 10), infoSize = Field32(data, 14), compression = Field32(data, 30),
                 imageSize = Field32(data, 34), colours = Field32(data, 46);
  const auto width = static_cast<int32_t>(Field32(data, 18)),
             height = static_cast<int32_t>(Field32(data, 22));
  const unsigned bits = data[28] | data[29] << 8;
  const uint64_t rowBytes = width > 0 ? (uint64_t(width) * 3 + 3) / 4 * 4 : 0;
  const uint64_t rows = height > 0 ? rowBytes * uint64_t(height) : 0;
  const uint64_t declared = imageSize != 0 ? imageSize : rows;
  const bool offsetFits =
      offset >= std::max<uint64_t>(54, 14 + uint64_t(infoSize)) && offset + declared <= size;
  const uint64_t start = offsetFits ? offset : 54 + uint64_t(colours);

  if (!image) {
    // A small, plain picture whose data are all there must load.
    const bool plain = bits == 24 && compression == 0 && width > 0 && height > 0 && width <= 4096 &&
                       height <= 4096 && (imageSize == 0 || imageSize >= rows) && start + declared <= size;
    FUZZ_CHECK(!plain, "a plain picture whose data are in the file was refused");
    return 0;
  }

  FUZZ_CHECK(image->width == width && image->height == height, "the sides are not the header's");
  FUZZ_CHECK(width >= 1 && width <= 65535 && height >= 1 && height <= 65535, "sides out of range");
  FUZZ_CHECK(bits == 24 && compression == 0, "not an uncompressed 24-bit picture");
  FUZZ_CHECK(start + declared <= size && declared >= rows, "the file is short of its declared data");
  FUZZ_CHECK(image->pixels.size() == uint64_t(width) * uint64_t(height) * 4, "wrong number of pixel bytes");

  const uint8_t* key = data + start;
  for (int32_t row = 0, i = 0; row < height; ++row) {
    const uint8_t* in = data + start + row * rowBytes;
    for (int32_t column = 0; column < width; ++column, ++i, in += 3) {
      const uint8_t* out = image->pixels.data() + size_t(i) * 4;
      FUZZ_CHECK(out[0] == in[2] && out[1] == in[1] && out[2] == in[0],
                 "pixel " + std::to_string(i) + " is not the file's colour");
      FUZZ_CHECK(out[3] == (std::memcmp(in, key, 3) == 0 ? 0 : 255),
                 "pixel " + std::to_string(i) + " has the wrong alpha");
    }
  }
  return 0;
}
