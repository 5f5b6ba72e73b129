// What the test programs share: scratch folders, files read and written
// whole, and a leaders table in the format of Tessel's file.
// Plain C++ and the standard library only, so that every test program of
// both builds, the fuzz targets included, can take it.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace testsupport {

namespace fs = std::filesystem;

// A fresh, empty folder of its own in the system's temporary folder, removed
// with everything in it (read-only files and folders too) when the object
// goes. Two tests running at once never share one.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& label = "test") {
    std::random_device entropy;  // the clock as well: not every random_device is random
    for (int attempt = 0;; ++attempt) {
      const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
      path_ = fs::temp_directory_path() / (label + "-" + std::to_string(stamp) + "-" + std::to_string(entropy()));
      if (fs::create_directory(path_)) break;
      if (attempt == 100) throw std::runtime_error("cannot make a folder like " + path_.string());
    }
  }
  ~ScratchDir() {
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const fs::path& Path() const { return path_; }
  fs::path operator/(const fs::path& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// A scratch folder that is the process's current directory while the object
// lives; the old one is current again afterwards.
class InScratchDir {
 public:
  explicit InScratchDir(const std::string& label = "test") : dir_(label), home_(fs::current_path()) {
    fs::current_path(dir_.Path());
  }
  ~InScratchDir() {
    std::error_code ignored;
    fs::current_path(home_, ignored);
  }
  const fs::path& Path() const { return dir_.Path(); }

 private:
  ScratchDir dir_;
  fs::path home_;
};

// A file name given in UTF-8, as the sources write names such as
// "рекорды.txt", in the form the file system takes on every platform.
inline fs::path Utf8Name(const std::string& name) {
  return fs::path(std::u8string(name.begin(), name.end()));
}

// The file's bytes; throws when it cannot be read.
inline std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes the bytes as the whole file; throws when it cannot.
inline void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

// A leaders file of ten CR LF lines of score, a space and name: scores
// from `top` down in steps of `step`, each named after its place ("P1" to
// "P10"), a table that any score above `top - 9 * step` enters.
inline std::string LeadersFrom(int64_t top, int64_t step = 10) {
  std::string text;
  for (int place = 1; place <= 10; ++place)
    text += std::to_string(top - step * (place - 1)) + " P" + std::to_string(place) + "\r\n";
  return text;
}

}  // namespace testsupport
