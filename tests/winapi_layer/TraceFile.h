// The layer's trace file for one test: WINLAYER_TRACE names a fresh file
// while the object lives.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

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
