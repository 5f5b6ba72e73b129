// What the package tests share: the packages in build/packages/, shell
// commands and their output, archives unpacked, the files of a folder and
// the sections of a program.
#pragma once

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace packagetest {

namespace fs = std::filesystem;
using testsupport::ReadBytes, testsupport::ScratchDir;

inline std::string Quote(const fs::path& path) {
  std::string quoted = "'";
  for (char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct Output {
  int status = -1;   // exit status; -1 after a signal
  std::string text;  // standard output and error
};
inline Output Shell(const std::string& commandLine) {
  Output out;
  FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + commandLine);
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.text.append(chunk, got);
  const int status = ::pclose(pipe);
  out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

// Runs the command and throws with its output when it fails.
inline std::string Must(const std::string& commandLine) {
  Output out = Shell(commandLine);
  if (out.status != 0) throw std::runtime_error(commandLine + " failed:\n" + out.text);
  return out.text;
}

// A package; throws, naming what makes it, when it is missing.
inline fs::path Package(const std::string& fileName) {
  const fs::path path = fs::path(PACKAGES_DIR) / fileName;
  if (!fs::is_regular_file(path))
    throw std::runtime_error(path.string() + " is missing: cpack --preset native|win32");
  return path;
}

inline fs::path Deb() {
  std::string arch = Must("dpkg --print-architecture");
  return Package(std::string("gem-games_") + GEM_VERSION + "_" + arch.substr(0, arch.find('\n')) + ".deb");
}

// The Windows archive of `program` unpacked into `into`; its folder there.
inline fs::path Unzipped(const std::string& program, const fs::path& into) {
  const fs::path zip = Package(program + "-" + GEM_VERSION + "-win32.zip");
  Must("LC_ALL=C.UTF-8 unzip -q " + Quote(zip) + " -d " + Quote(into));
  return into / program;
}

// The value of `key` in a menu entry's text, or "(none)".
inline std::string EntryValue(const std::string& entry, const std::string& key) {
  std::smatch m;
  return std::regex_search(entry, m, std::regex("(^|\n)" + key + "=([^\n]*)")) ? m[2].str() : "(none)";
}

// Every file and link under `root`, relative to it, sorted.
inline std::vector<std::string> FilesUnder(const fs::path& root) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (!entry.is_directory() || entry.is_symlink())
      files.push_back(fs::relative(entry.path(), root).string());
  std::sort(files.begin(), files.end());
  return files;
}

// The section names of an object file as objdump -h lists them, each with a
// space before and after (" .text  .data ").
inline std::string Sections(const std::string& objdump, const fs::path& file) {
  std::string names;
  const std::string dump = Must(objdump + " -h " + Quote(file));
  for (size_t at = 0; (at = dump.find("\n ", at)) != std::string::npos; ++at) {
    char index[16] = {}, name[128] = {};
    if (std::sscanf(dump.c_str() + at, " %15[0-9] %127s", index, name) == 2)
      names += std::string(" ") + name + " ";
  }
  return names;
}

}  // namespace packagetest
