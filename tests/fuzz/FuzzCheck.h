// What the fuzz targets share: a broken promise stops the run with a message
// and an abort, which libFuzzer reports as a finding and saves the input of.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "TestSupport.h"

#define FUZZ_CHECK(condition, what)                                                         \
  do {                                                                                      \
    if (!(condition)) ::fuzzcheck::Fail(__FILE__, __LINE__, #condition, std::string(what)); \
  } while (0)

namespace fuzzcheck {

[[noreturn]] inline void Fail(const char* file, int line, const char* condition, const std::string& what) {
  std::fprintf(stderr, "%s:%d: promise broken: %s\n  %s\n", file, line, condition, what.c_str());
  std::fflush(stderr);
  std::abort();
}

// Reads the fuzzer's bytes from the front: numbers first, the rest as text.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  // The next byte, or 0 when none is left.
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(Byte()) << (8 * i);
    return v;
  }
  // The bytes left, as text.
  std::string Rest() {
    std::string text(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
    pos_ = size_;
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A folder of the process's own for the files the targets write for every
// input, removed at exit: in memory (/dev/shm) where there is such a place
// and TMPDIR names no other, since a disk makes the runs many times slower.
inline const std::string& ScratchDir() {
  static const testsupport::ScratchDir dir = [] {
    if (std::filesystem::is_directory("/dev/shm")) ::setenv("TMPDIR", "/dev/shm", 0);
    return testsupport::ScratchDir("fuzz");
  }();
  static const std::string path = dir.Path().string();
  return path;
}

// Writes the bytes as the whole file; a failure ends the run, since every
// later check would then be about the wrong file.
inline void WriteWhole(const std::string& path, std::string_view bytes) {
  testsupport::WriteBytes(path, std::string(bytes));
}

}  // namespace fuzzcheck
