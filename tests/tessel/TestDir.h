// Each test in a fresh directory of its own, and files put there and read
// back by their Windows-1251 names through the wide-character calls, the
// way the program names them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#include "Cp1251.h"

namespace tesseltest {

inline void Put(const char* name, const std::string& bytes) {
  HANDLE file = CreateFileW(cp1251::ToUtf16<WCHAR>(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(file);
}

// The file's bytes (64 MiB at most), or "(none)" when it cannot be opened.
inline std::string Get(const char* name) {
  HANDLE file = CreateFileW(cp1251::ToUtf16<WCHAR>(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(none)";
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (bytes.size() < (64u << 20) && ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
    bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

class InFreshDir : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::filesystem::current_path();
    std::random_device entropy;  // the clock as well: not every random_device is random
    do {
      auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
      dir_ = std::filesystem::temp_directory_path() /
             ("tessel-test-" + std::to_string(stamp) + "-" + std::to_string(entropy()));
    } while (!std::filesystem::create_directory(dir_));
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(home_);
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path home_, dir_;
};

}  // namespace tesseltest
