#include "File_work.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Cp1251.h"
#include "Globvars.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

const fs::path kFile = testsupport::Utf8Name("рекорды.txt"), kTemp = testsupport::Utf8Name("рекорды.tmp");

// Each test in a scratch folder of its own, where the game looks for its
// table.
class LeadersFile : public ::testing::Test {
  testsupport::InScratchDir dir_{"tessel-leaders"};
};

TEST_F(LeadersFile, ReadingSkipsBlanksTakesTheRestOfTheLineAndStopsAtCtrlZ) {
  WriteBytes(kFile,
             "\r\n  \t 500 Анна\r\n-2147483648\tTAB\n\n+7  two  spaces \r\n1234\r\n30\r\r\n40 x\x1A"
             "ABC\r\n"_cp);
  for (leader& entry : leaders) entry = {-1, "?"};
  ReadLeaders();
  EXPECT_EQ(
      LeadersFileText(),
      "500 Анна\r\n-2147483648\tTAB\r\n7  two  spaces \r\n1234\r\n30\r\n40 x\r\n0\r\n0\r\n0\r\n0\r\n"_cp);
  EXPECT_EQ(leaders[11].name, "?");

  // A multi-megabyte name; lines after the tenth are not read at all.
  std::string big = "9 " + std::string(3 << 20, 'Z') + "\r\n";
  for (int i = 2; i <= 10; ++i) big += "1 P\r\n";
  WriteBytes(kFile, big + "not a number\r\n");
  ReadLeaders();
  EXPECT_EQ(leaders[1].name.size(), (3u << 20) + 1);
  EXPECT_EQ(leaders[10].name, " P");
  WriteBytes(kFile, std::string(4 << 20, ' '));
  ReadLeaders();
  EXPECT_EQ(leaders[1].score, 0);
}

// On Windows the error box is a real one that waits for its button.
#if !defined(_WIN32)
using LeadersFileDeathTest = LeadersFile;

TEST_F(LeadersFileDeathTest, MissingFileAndBadScoresEndTheProgramWithTheirCodes) {
  GTEST_FLAG_SET(death_test_style, "fast");  // the child shares this directory
  EXPECT_EXIT(ReadLeaders(), ::testing::ExitedWithCode(2), "Runtime error   2 at ");
  for (const char* text : {"1234\r\nABC\r\n", "2147483648 X\r\n", "-\r\n", "12a B\r\n"}) {
    WriteBytes(kFile, text);
    EXPECT_EXIT(ReadLeaders(), ::testing::ExitedWithCode(106), "Runtime error 106 at ") << text;
  }
}

TEST_F(LeadersFileDeathTest, AFailedWriteLeavesTheOldTableAsItWas) {
  GTEST_FLAG_SET(death_test_style, "fast");
  WriteBytes(kFile, "10 OLD\r\n");
  ReadLeaders();
  leaderPlace = 1;
  playerName = "NEW";
  auto expectRefused = [&](DWORD code, const char* text) {
    EXPECT_EXIT(SaveLeaders(), ::testing::ExitedWithCode(static_cast<int>(code)), text);
    EXPECT_EQ(ReadBytes(kFile), "10 OLD\r\n");
  };
  // The temporary file cannot be created where a directory stands.
  fs::create_directory(kTemp);
  expectRefused(ERROR_ACCESS_DENIED, "Runtime error   5 at ");
  fs::remove(kTemp);
  // A table its owner made read-only is not replaced, as on Windows, and
  // the new table's temporary file goes.
  fs::permissions(kFile, fs::perms::owner_write, fs::perm_options::remove);
  expectRefused(ERROR_ACCESS_DENIED, "Runtime error   5 at ");
  EXPECT_FALSE(fs::exists(kTemp));
  fs::permissions(kFile, fs::perms::owner_write, fs::perm_options::add);
  // A write that fails part way: the temporary file leads to a full disk.
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  fs::create_symlink("/dev/full", kTemp);
  expectRefused(ERROR_DISK_FULL, "Runtime error 112 at ");
  EXPECT_FALSE(fs::is_symlink(kTemp));
}
#endif

}  // namespace
