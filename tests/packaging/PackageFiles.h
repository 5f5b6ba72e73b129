// What the package tests read: the packages in build/packages/, the
// entries of a zip archive, commands' output, scratch folders.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace packagetest {

// The whole file; throws std::runtime_error when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// A package in the packages folder; throws, naming the cpack command that
// makes it, when it is missing.
std::filesystem::path Package(const std::string& fileName);

struct CommandResult {
  int status = -1;     // the exit status, or -1 when killed by a signal
  std::string output;  // standard output and error together
};
// Runs a shell command line; words are quoted with Quote().
CommandResult Shell(const std::string& commandLine);
std::string Quote(const std::string& word);

// A fresh folder under $TMPDIR, removed with the object.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& label);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The Debian package unpacked with dpkg-deb -x into `root`.
void UnpackDeb(const std::filesystem::path& deb, const std::filesystem::path& root);
// Every regular file and link under `root`, as paths relative to it.
std::vector<std::string> FilesUnder(const std::filesystem::path& root);

struct ZipEntry {
  std::string name;
  uint16_t flags = 0;   // general purpose bits; bit 11: the name is UTF-8
  uint8_t madeBy = 0;   // the system the archive was made on (0 DOS, 3 Unix)
  std::string content;  // inflated
};
// The entries of a zip archive by name, read through its central directory;
// throws std::runtime_error for an archive it cannot read.
std::map<std::string, ZipEntry> ReadZip(const std::filesystem::path& path);

// The value of a string in a Windows version resource ("ProductName"),
// converted from UTF-16 for ASCII text; empty when the key is absent.
std::string VersionString(const std::string& exe, const std::string& key);
// The file version of the resource's fixed part as "major.minor.patch.build";
// empty without one.
std::string FixedFileVersion(const std::string& exe);

// Section names of an object file as objdump shows them.
std::vector<std::string> Sections(const std::string& objdump, const std::filesystem::path& file);

}  // namespace packagetest
