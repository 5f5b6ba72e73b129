// Helpers of all the layer's test programs: the layer's trace file for one
// test, display mode records, and the games' font.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

// WINLAYER_TRACE names a fresh file while the object lives.
class TraceFile {
 public:
  TraceFile() : path_(::testing::TempDir() + "winlayer-trace-" + std::to_string(getpid())) {
    std::remove(path_.c_str());
    setenv("WINLAYER_TRACE", path_.c_str(), 1);
  }
  ~TraceFile() {
    unsetenv("WINLAYER_TRACE");
    std::remove(path_.c_str());
  }
  std::vector<std::string> Lines() const {
    std::ifstream in(path_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  std::string path_;
};

// A mode naming its size and bits per pixel.
inline DEVMODEA Mode(DWORD width, DWORD height, DWORD bits) {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmBitsPerPel = bits;
  return mode;
}

// The font the games write with.
inline HFONT ArialBold() {
  return CreateFontA(16, 8, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     ANTIALIASED_QUALITY, 0, "arial");
}
