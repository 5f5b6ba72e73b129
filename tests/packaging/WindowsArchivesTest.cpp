// The Windows archives in build/packages/: each holds its program's folder,
// exactly, under names Windows unpacks as they are meant, with a stripped
// program that carries the project's version; the debug information stays
// in the Windows build folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "PackageFiles.h"

namespace {

namespace fs = std::filesystem;
using packagetest::ReadBytes, packagetest::ReadZip, packagetest::ZipEntry;

const fs::path kWin32Build = WIN32_BUILD_DIR;

std::set<std::string> Names(const std::map<std::string, ZipEntry>& entries) {
  std::set<std::string> names;
  for (const auto& [name, entry] : entries) names.insert(name);
  return names;
}

std::string ArchiveName(const std::string& program) { return program + "-" + GEM_VERSION + "-win32.zip"; }

// Every entry inside the program's folder; the folder's own entry, if the
// archive has one, is the only one that is not a file.
void ExpectOnlyFiles(const std::map<std::string, ZipEntry>& entries, const std::string& folder,
                     const std::set<std::string>& files) {
  std::set<std::string> found;
  for (const auto& [name, entry] : entries) {
    if (name != folder + "/") found.insert(name);
  }
  std::set<std::string> expected;
  for (const auto& file : files) expected.insert(folder + "/" + file);
  EXPECT_EQ(found, expected);
}

TEST(WindowsArchives, GameHoldsItsFolderWithTheProgramAndTheSevenPicturesOfTheBuild) {
  const auto entries = ReadZip(packagetest::Package(ArchiveName("Game")));
  const std::set<std::string> pictures = {"1.bmp", "2.bmp", "3.bmp", "4.bmp", "5.bmp", "6.bmp", "arrow.bmp"};
  std::set<std::string> files = pictures;
  files.insert("Game.exe");
  ExpectOnlyFiles(entries, "Game", files);
  for (const auto& picture : pictures) {
    const auto entry = entries.find("Game/" + picture);
    if (entry == entries.end()) continue;
    EXPECT_EQ(entry->second.content, ReadBytes(kWin32Build / "dist/Game" / picture)) << picture;
  }
}

TEST(WindowsArchives, TesselHoldsItsProgramAndTheShippedTableUnderItsUnicodeName) {
  const auto entries = ReadZip(packagetest::Package(ArchiveName("Tessel")));
  ExpectOnlyFiles(entries, "Tessel", {"Tessel.exe", "рекорды.txt"});
  const auto table = entries.find("Tessel/рекорды.txt");
  ASSERT_NE(table, entries.end()) << ::testing::PrintToString(Names(entries));
  // Without the UTF-8 flag, Windows would read the name's bytes in the
  // OEM code page and unpack a file the game cannot find.
  EXPECT_TRUE(table->second.flags & 0x0800) << "flags " << table->second.flags;
  EXPECT_EQ(table->second.content, ReadBytes(fs::path(SOURCE_DIR) / "tessel/рекорды.txt"));
}

TEST(WindowsArchives, ProgramsAreStrippedCarryTheirVersionAndLeaveTheirDebugInformationInTheBuild) {
  const std::string version = GEM_VERSION;
  for (const std::string program : {"Game", "Tessel"}) {
    SCOPED_TRACE(program);
    const auto entries = ReadZip(packagetest::Package(ArchiveName(program)));
    const auto exe = entries.find(program + "/" + program + ".exe");
    ASSERT_NE(exe, entries.end()) << ::testing::PrintToString(Names(entries));
    const std::string& bytes = exe->second.content;
    ASSERT_EQ(bytes.substr(0, 2), "MZ");

    EXPECT_EQ(packagetest::VersionString(bytes, "ProductName"), program);
    EXPECT_EQ(packagetest::VersionString(bytes, "ProductVersion"), version);
    EXPECT_EQ(packagetest::VersionString(bytes, "FileVersion"), version);
    EXPECT_EQ(packagetest::VersionString(bytes, "FileDescription").rfind(program + ": ", 0), 0u);
    EXPECT_EQ(packagetest::FixedFileVersion(bytes), version + ".0");

    packagetest::ScratchDir dir("win32-exe");
    const fs::path copy = dir.Path() / (program + ".exe");
    packagetest::WriteBytes(copy, bytes);
    const auto sections = packagetest::Sections(MINGW_OBJDUMP, copy);
    EXPECT_NE(std::find(sections.begin(), sections.end(), ".text"), sections.end());
    EXPECT_NE(std::find(sections.begin(), sections.end(), ".rsrc"), sections.end());
    for (const auto& section : sections) EXPECT_NE(section.rfind(".debug", 0), 0u) << section;

    const fs::path symbols = kWin32Build / "symbols" / (program + ".exe.debug");
    ASSERT_TRUE(fs::exists(symbols)) << symbols;
    const auto debugSections = packagetest::Sections(MINGW_OBJDUMP, symbols);
    EXPECT_NE(std::find(debugSections.begin(), debugSections.end(), ".debug_info"), debugSections.end());
  }
}

}  // namespace
