#include "PackageFiles.h"

#include <sys/wait.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace packagetest {

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

fs::path Package(const std::string& fileName) {
  const fs::path path = fs::path(PACKAGES_DIR) / fileName;
  if (!fs::is_regular_file(path)) {
    throw std::runtime_error(
        path.string() + " is missing: ./run-tests makes it (cpack --preset native, cpack --preset win32)");
  }
  return path;
}

CommandResult Shell(const std::string& commandLine) {
  CommandResult result;
  FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + commandLine);
  std::array<char, 4096> chunk;
  size_t got = 0;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) result.output.append(chunk.data(), got);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

ScratchDir::ScratchDir(const std::string& label) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + label + "-XXXXXX";
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder like " + pattern);
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  // Unpacked packages are read-only in places.
  Shell("chmod -R u+w " + Quote(path_.string()));
  fs::remove_all(path_, ignored);
}

void UnpackDeb(const fs::path& deb, const fs::path& root) {
  const CommandResult unpack = Shell("dpkg-deb -x " + Quote(deb.string()) + " " + Quote(root.string()));
  if (unpack.status != 0) throw std::runtime_error("dpkg-deb -x failed: " + unpack.output);
}

std::vector<std::string> FilesUnder(const fs::path& root) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_directory() || entry.is_symlink())
      files.push_back(fs::relative(entry.path(), root).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

namespace {

uint32_t Le(const std::string& bytes, size_t at, int size) {
  if (at + size > bytes.size()) throw std::runtime_error("zip archive cut short");
  uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

std::string Inflate(const std::string& packed, size_t size) {
  std::string out(size, '\0');
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw std::runtime_error("inflateInit2 failed");
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int status = inflate(&z, Z_FINISH);
  inflateEnd(&z);
  if (status != Z_STREAM_END || z.avail_out != 0) throw std::runtime_error("a zip entry does not inflate");
  return out;
}

}  // namespace

std::map<std::string, ZipEntry> ReadZip(const fs::path& path) {
  const std::string zip = ReadBytes(path);
  // The end of central directory record, found from the end.
  const size_t end = zip.rfind(std::string("PK\x05\x06", 4));
  if (end == std::string::npos) throw std::runtime_error(path.string() + " is not a zip archive");
  const uint32_t count = Le(zip, end + 10, 2);
  size_t at = Le(zip, end + 16, 4);
  std::map<std::string, ZipEntry> entries;
  for (uint32_t i = 0; i < count; ++i) {
    if (Le(zip, at, 4) != 0x02014b50) throw std::runtime_error("bad central directory entry");
    ZipEntry entry;
    entry.madeBy = static_cast<uint8_t>(Le(zip, at + 5, 1));
    entry.flags = static_cast<uint16_t>(Le(zip, at + 8, 2));
    const uint32_t method = Le(zip, at + 10, 2), packedSize = Le(zip, at + 20, 4), size = Le(zip, at + 24, 4);
    const uint32_t nameLength = Le(zip, at + 28, 2), extraLength = Le(zip, at + 30, 2),
                   commentLength = Le(zip, at + 32, 2), local = Le(zip, at + 42, 4);
    entry.name = zip.substr(at + 46, nameLength);
    const size_t data = local + 30 + Le(zip, local + 26, 2) + Le(zip, local + 28, 2);
    if (data + packedSize > zip.size()) throw std::runtime_error("zip entry " + entry.name + " cut short");
    const std::string packed = zip.substr(data, packedSize);
    if (method == 0) {
      entry.content = packed;
    } else if (method == 8) {
      entry.content = Inflate(packed, size);
    } else {
      throw std::runtime_error("zip entry " + entry.name + ": method " + std::to_string(method));
    }
    if (crc32(0, reinterpret_cast<const Bytef*>(entry.content.data()),
              static_cast<uInt>(entry.content.size())) != Le(zip, at + 16, 4))
      throw std::runtime_error("zip entry " + entry.name + ": wrong CRC");
    entries[entry.name] = std::move(entry);
    at += 46 + nameLength + extraLength + commentLength;
  }
  return entries;
}

namespace {

std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) wide += std::string{c, '\0'};
  return wide;
}

}  // namespace

std::string VersionString(const std::string& exe, const std::string& key) {
  // A String block: its key in UTF-16 with a terminating zero, padding to
  // four bytes from the block's start, then the value.
  const std::string needle = Utf16(key) + std::string(2, '\0');
  const size_t keyAt = exe.find(needle);
  if (keyAt == std::string::npos || keyAt < 6) return {};
  const size_t blockAt = keyAt - 6;
  size_t valueAt = keyAt + needle.size();
  valueAt += (4 - (valueAt - blockAt) % 4) % 4;
  std::string value;
  for (size_t i = valueAt; i + 1 < exe.size() && (exe[i] || exe[i + 1]); i += 2) value += exe[i];
  return value;
}

std::string FixedFileVersion(const std::string& exe) {
  const size_t at = exe.find(std::string("\xBD\x04\xEF\xFE", 4));
  if (at == std::string::npos || at + 16 > exe.size()) return {};
  const uint32_t high = Le(exe, at + 8, 4), low = Le(exe, at + 12, 4);
  std::ostringstream text;
  text << (high >> 16) << '.' << (high & 0xFFFF) << '.' << (low >> 16) << '.' << (low & 0xFFFF);
  return text.str();
}

std::vector<std::string> Sections(const std::string& objdump, const fs::path& file) {
  const CommandResult dump = Shell(objdump + " -h " + Quote(file.string()));
  if (dump.status != 0) throw std::runtime_error(objdump + " -h failed: " + dump.output);
  // Lines like "  0 .text   0000abcd ...": an index, then the name.
  std::vector<std::string> names;
  std::istringstream lines(dump.output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string index, name;
    if (words >> index >> name && !index.empty() &&
        std::all_of(index.begin(), index.end(), [](char c) { return c >= '0' && c <= '9'; }))
      names.push_back(name);
  }
  return names;
}

}  // namespace packagetest
