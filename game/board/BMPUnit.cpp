#include "BMPUnit.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr size_t kFileHeaderSize = 14;
// The fields read here are those of the 40-byte info header; the larger
// ones that image editors write (52, 56, 108, 124 bytes) begin the same way.
constexpr size_t kInfoHeaderRead = 40;
constexpr uint64_t kHeadersRead = kFileHeaderSize + kInfoHeaderRead;
// The pictures become textures whose sides are given in 16 bits.
constexpr int32_t kLargestSide = 65535;
constexpr uint64_t kLargestBuffer = 0x7FFFFFFF;

uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Reads exactly `size` bytes; false on a failed or short read.
bool ReadExactly(HANDLE file, void* buffer, size_t size) {
  auto* out = static_cast<uint8_t*>(buffer);
  while (size > 0) {
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(file, out, chunk, &got, nullptr) || got == 0) return false;
    out += got;
    size -= got;
  }
  return true;
}

// Skips what lies between the headers and the pixel data: the rest of a
// larger info header, the colour table, any gap the file leaves.
bool SkipBytes(HANDLE file, uint64_t count) {
  uint8_t scratch[4096];
  while (count > 0) {
    size_t chunk = count < sizeof scratch ? static_cast<size_t>(count) : sizeof scratch;
    if (!ReadExactly(file, scratch, chunk)) return false;
    count -= chunk;
  }
  return true;
}

class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const char* name)
      : handle_(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~ReadOnlyFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  HANDLE Handle() const { return handle_; }
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

}  // namespace

std::optional<BmpImage> LoadBmpImage(const char* fileName) {
  ReadOnlyFile file(fileName);
  if (!file.IsOpen()) return std::nullopt;
  LARGE_INTEGER fileSizeField{};
  if (!GetFileSizeEx(file.Handle(), &fileSizeField) || fileSizeField.QuadPart < 0) return std::nullopt;
  const auto fileSize = static_cast<uint64_t>(fileSizeField.QuadPart);

  uint8_t headers[kHeadersRead];
  if (!ReadExactly(file.Handle(), headers, sizeof headers)) return std::nullopt;
  const uint32_t pixelOffset = Read32(headers + 10);
  const uint8_t* info = headers + kFileHeaderSize;
  const uint32_t infoSize = Read32(info);
  const auto width = static_cast<int32_t>(Read32(info + 4));
  const auto height = static_cast<int32_t>(Read32(info + 8));
  const uint16_t bitsPerPixel = Read16(info + 14);
  const uint32_t compression = Read32(info + 16);
  const uint32_t imageSize = Read32(info + 20);
  const uint32_t coloursUsed = Read32(info + 32);

  // Only what the game draws: bottom-up rows of 3-byte pixels.
  if (bitsPerPixel != 24 || compression != 0) return std::nullopt;
  if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return std::nullopt;

  // Each row is padded to a multiple of four bytes.
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
  const uint64_t dataSize = rowBytes * static_cast<uint64_t>(height);
  const uint64_t pixelCount = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  if (dataSize > kLargestBuffer || pixelCount * 4 > kLargestBuffer) return std::nullopt;
  // A declared size smaller than the rows need means the data are short.
  if (imageSize != 0 && imageSize < dataSize) return std::nullopt;

  // The pixel data start at the file header's offset when that is where a
  // bitmap from an image editor keeps them: past the info header, however
  // large, and with all of the declared data in the file from there. Any
  // other offset (0, inside the headers, past the end) is not one: the data
  // then follow the 40-byte info header and as many bytes as the colours-used
  // field counts. Checked before anything is reserved, so that a header
  // cannot make the loader allocate more than the file holds.
  const uint64_t declaredSize = imageSize != 0 ? imageSize : dataSize;
  const uint64_t infoEnd = std::max(kFileHeaderSize + uint64_t{infoSize}, kHeadersRead);
  const bool offsetFits = pixelOffset >= infoEnd && uint64_t{pixelOffset} + declaredSize <= fileSize;
  const uint64_t pixelStart = offsetFits ? pixelOffset : kHeadersRead + coloursUsed;
  if (pixelStart + declaredSize > fileSize) return std::nullopt;

  if (!SkipBytes(file.Handle(), pixelStart - kHeadersRead)) return std::nullopt;
  // A 32-bit process may still be refused a large block; that picture is
  // then none like any other the game cannot use.
  std::vector<uint8_t> data;
  BmpImage image{width, height, {}};
  try {
    data.resize(static_cast<size_t>(dataSize));
    image.pixels.resize(static_cast<size_t>(pixelCount) * 4);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (!ReadExactly(file.Handle(), data.data(), data.size())) return std::nullopt;

  const uint8_t* key = data.data();  // pixel 0: blue, green, red
  uint8_t* out = image.pixels.data();
  for (int32_t row = 0; row < height; ++row) {
    const uint8_t* in = data.data() + static_cast<size_t>(row) * rowBytes;
    for (int32_t column = 0; column < width; ++column, in += 3, out += 4) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = std::memcmp(in, key, 3) == 0 ? 0 : 255;
    }
  }
  return image;
}
