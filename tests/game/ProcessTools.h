// Helpers for tests that run programs and look at the files they leave:
// scratch folders, whole-file reads and writes, and child processes with a
// time limit.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace enginetest {

// A fresh folder under the temporary directory, removed with everything in
// it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);

// A copy of an executable under another name, runnable.
void CopyProgram(const std::filesystem::path& from, const std::filesystem::path& to);

struct ChildResult {
  bool finished = false;  // false: killed after the time limit
  int exitCode = -1;      // the exit status when it ended normally
  std::string output;     // standard output
  std::string errors;     // standard error
};

// Runs program with the arguments and with extra "NAME=value" settings added
// to the environment (a "NAME" alone removes the variable); waits at most
// timeoutMs milliseconds, then kills it.
ChildResult RunChild(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment = {}, int timeoutMs = 20000);

// The running test program's own path on the host.
std::filesystem::path OwnProgramPath();

}  // namespace enginetest
