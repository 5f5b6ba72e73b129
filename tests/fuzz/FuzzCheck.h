// What the fuzz targets share: a broken promise stops the run with a message
// and an abort, which libFuzzer reports as a finding and saves the input of.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

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
  // Up to `length` bytes as text.
  std::string Text(size_t length) {
    size_t n = length < size_ - pos_ ? length : size_ - pos_;
    std::string text(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return text;
  }
  std::string Rest() { return Text(size_ - pos_); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A directory of the process's own for the files the targets write for every
// input: under TMPDIR, else in memory (/dev/shm) where there is such a
// place, since a disk makes the runs many times slower. Removed at the end.
inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp ? tmp : std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string name = base + "/fuzz-XXXXXX";
    if (!::mkdtemp(name.data())) {
      std::perror(name.c_str());
      std::abort();
    }
    return name;
  }();
  static const bool removedAtExit = [] {
    return std::atexit([] {
             std::error_code ignored;
             std::filesystem::remove_all(ScratchDir(), ignored);
           }) == 0;
  }();
  (void)removedAtExit;
  return dir;
}

// Writes the bytes to a file through the C library; aborts when it cannot,
// since every later check would then be about the wrong file.
inline void WriteWhole(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

}  // namespace fuzzcheck
