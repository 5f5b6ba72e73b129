// The Windows archives: each holds exactly its program's folder with the
// licence, under names Windows unpacks as meant, with a stripped program
// carrying the project's version and its icon; the debug information stays
// in the Windows build folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <regex>
#include <utility>

#include "PackageKit.h"

namespace {

using namespace packagetest;

const std::string kVersion = GEM_VERSION;
const fs::path kWin32Build = WIN32_BUILD_DIR;

// The general purpose flags of an entry, from the archive's central directory.
int EntryFlags(const std::string& zip, const std::string& name) {
  for (size_t at = 0; (at = zip.find("PK\x01\x02", at)) != std::string::npos; ++at) {
    auto le16 = [&](size_t i) {
      return static_cast<uint8_t>(zip[at + i]) | static_cast<uint8_t>(zip[at + i + 1]) << 8;
    };
    if (zip.compare(at + 46, le16(28), name) == 0) return le16(8);
  }
  return -1;
}

// The sizes of the first icon group among the resources that windres
// lists, as in "\020\020\000\000", 1, 32, ... for 16 pixels at 32 bits.
std::vector<int> FirstIconSizes(const std::string& resources) {
  std::vector<int> sizes;
  const size_t group = resources.find("/* RT_GROUP_ICON */");
  if (group == std::string::npos) return sizes;
  const std::string block = resources.substr(group, resources.find("END", group) - group);
  const std::regex element(R"re("\\([0-7]{3})\\([0-7]{3})\\000\\000", 1, 32,)re");
  for (std::sregex_iterator it(block.begin(), block.end(), element), end; it != end; ++it) {
    const int side = std::stoi((*it)[1].str(), nullptr, 8);
    sizes.push_back(side == 0 ? 256 : side);
  }
  return sizes;
}

struct Expected {
  std::string program;
  std::vector<std::string> files;  // besides the program and the licence
};

TEST(WindowsArchives, HoldTheirFolderExactlyWithAStrippedVersionedProgramWithItsIconAndTheFilesOfTheBuild) {
  const Expected archives[] = {
      {"Game", {"1.bmp", "2.bmp", "3.bmp", "4.bmp", "5.bmp", "6.bmp", "arrow.bmp"}},
      {"Tessel", {"рекорды.txt"}},
  };
  const std::string licence =
      std::regex_replace(ReadBytes(fs::path(SOURCE_DIR) / "LICENSE"), std::regex("\n"), "\r\n");
  for (const auto& [program, files] : archives) {
    SCOPED_TRACE(program);
    ScratchDir dir("win32-zip");
    const fs::path folder = Unzipped(program, dir.Path());

    std::vector<std::string> expected = {program + "/" + program + ".exe", program + "/LICENSE.txt"};
    for (const auto& file : files) expected.push_back(program + "/" + file);
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(FilesUnder(dir.Path()), expected);
    // The files as the build made them (Tessel's table as shipped), and the
    // licence with Windows' line ends.
    for (const auto& file : files) {
      const fs::path built = program == "Tessel" ? fs::path(SOURCE_DIR) / "tessel" / file
                                                 : kWin32Build / "dist" / program / file;
      EXPECT_EQ(ReadBytes(folder / file), ReadBytes(built)) << file;
    }
    EXPECT_EQ(ReadBytes(folder / "LICENSE.txt"), licence);

    const fs::path exe = folder / (program + ".exe");
    const std::string resources = Must("i686-w64-mingw32-windres -i " + Quote(exe) + " -O rc");
    // Explorer shows the first icon group, at the size it needs.
    EXPECT_EQ(FirstIconSizes(resources), (std::vector<int>{16, 32, 48, 256}));
    const std::string v = std::regex_replace(kVersion, std::regex("\\."), ", ");
    EXPECT_NE(resources.find("FILEVERSION " + v + ", 0\n"), std::string::npos) << resources;
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"ProductName", program},
                                     {"ProductVersion", kVersion},
                                     {"FileVersion", kVersion}})
      EXPECT_NE(resources.find("VALUE \"" + key + "\", \"" + value + "\""), std::string::npos) << key;
    EXPECT_NE(resources.find("VALUE \"FileDescription\", \"" + program + ": "), std::string::npos);

    const std::string sections = Sections("i686-w64-mingw32-objdump", exe);
    EXPECT_TRUE(sections.find(" .text ") != std::string::npos &&
                sections.find(" .debug") == std::string::npos)
        << sections;
    const fs::path symbols = kWin32Build / "symbols" / (program + ".exe.debug");
    EXPECT_NE(Sections("i686-w64-mingw32-objdump", symbols).find(" .debug_info "), std::string::npos);
  }
}

TEST(WindowsArchives, NameTheLeadersTableInUtf8ForWindowsToUnpackIt) {
  // Without the flag, Windows reads the name's bytes in the OEM code page
  // and unpacks a file the game cannot find.
  const std::string zip = ReadBytes(Package("Tessel-" + kVersion + "-win32.zip"));
  const int flags = EntryFlags(zip, "Tessel/рекорды.txt");
  ASSERT_GE(flags, 0);
  EXPECT_TRUE(flags & 0x0800) << flags;
}

}  // namespace
