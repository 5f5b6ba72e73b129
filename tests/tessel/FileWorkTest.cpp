#include "File_work.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "Cp1251.h"
#include "Globvars.h"
#include "TestDir.h"
#include "_Pole.h"

namespace {

namespace fs = std::filesystem;
using tesseltest::Get;
using tesseltest::Put;
using LeadersFile = tesseltest::InFreshDir;

const char* const kFile = "рекорды.txt"_cp;
const char* const kTemp = "рекорды.tmp"_cp;

// Slots 1..10 hold top, top - 100, ..., each named after its score.
void SetTable(int32_t top) {
  for (int32_t slot = 1; slot <= kLeadersShown; ++slot) {
    leaders[slot].score = top - 100 * (slot - 1);
    leaders[slot].name = " N" + IntToText(leaders[slot].score);
  }
  leaders[kOverflowSlot] = {-1, "?"};
}

// The scores of slots 1..11.
std::string Scores() {
  std::string text;
  for (int32_t slot = 1; slot <= kOverflowSlot; ++slot)
    text += (slot > 1 ? " " : "") + IntToText(leaders[slot].score);
  return text;
}

TEST(PlaceScore, BelowEqualScoresWithTheOverflowSlotTakingWhatFallsOut) {
  SetTable(900);
  score = 800;
  PlaceScore();
  EXPECT_EQ(leaderPlace, 3);
  EXPECT_EQ(Scores(), "900 800 800 700 600 500 400 300 200 100 0");
  EXPECT_EQ(leaders[3].name + leaders[4].name + leaders[11].name, " N700 N700 N0");  // name stored later

  for (int32_t last : {0, -5}) {
    SetTable(900);
    score = last;
    PlaceScore();
    EXPECT_EQ(leaderPlace, 11);
    EXPECT_EQ(Scores(), "900 800 700 600 500 400 300 200 100 0 " + IntToText(last));
  }

  SetTable(-100);
  score = -950;
  PlaceScore();
  EXPECT_EQ(leaderPlace, 10);
  EXPECT_EQ(Scores(), "-100 -200 -300 -400 -500 -600 -700 -800 -900 -950 -1000");
}

TEST_F(LeadersFile, ReadingSkipsBlanksTakesTheRestOfTheLineAndStopsAtCtrlZ) {
  Put(kFile,
      "\r\n  \t 500 Анна\r\n-2147483648\tTAB\n\n+7  two  spaces \r\n1234\r\n30\r\r\n40 x\x1A"
      "ABC\r\n"_cp);
  SetTable(900);
  ReadLeaders();
  EXPECT_EQ(
      LeadersFileText(),
      "500 Анна\r\n-2147483648\tTAB\r\n7  two  spaces \r\n1234\r\n30\r\n40 x\r\n0\r\n0\r\n0\r\n0\r\n"_cp);
  EXPECT_EQ(leaders[11].name, "?");

  // A multi-megabyte name; lines after the tenth are not read at all.
  std::string big = "9 " + std::string(3 << 20, 'Z') + "\r\n";
  for (int i = 2; i <= 10; ++i) big += "1 P\r\n";
  Put(kFile, big + "not a number\r\n");
  ReadLeaders();
  EXPECT_EQ(leaders[1].name.size(), (3u << 20) + 1);
  EXPECT_EQ(leaders[10].name, " P");
  Put(kFile, std::string(4 << 20, ' '));
  ReadLeaders();
  EXPECT_EQ(leaders[1].score, 0);
}

TEST_F(LeadersFile, WritingGivesBackTheTableByteForByteEvenOutOfTheTable) {
  const std::string table =
      "5000 Борис\r\n4000  two  spaces\r\n3000 \r\n2000\r\n10 A\r\n9 B\r\n0 C\r\n-1 D\r\n-20 E\r\n-300\r\n"_cp;
  Put(kFile, table.substr(0, table.size() - 2));  // the last line end comes back

  ReadLeaders();
  leaderPlace = 11;
  playerName = "IGNORED";
  SaveLeaders();
  EXPECT_EQ(Get(kFile), table);
  EXPECT_TRUE(leadersSaved);
  EXPECT_EQ(Get(kTemp), "(none)");
}

TEST_F(LeadersFile, NewGameAfterAGameStartsAfreshAndReadsTheFile) {
  Put(kFile, "70 A\r\n60 B\r\n");
  lastPoints = 33;
  selection = {1, 2, 3, 4, 5, 6};
  board[4][4] = 9;
  score = 12;
  gameOver = leadersSaved = gemSelected = true;
  playerName = "Q";
  NewGame();
  NewGame();
  EXPECT_EQ(LeadersFileText(), "70 A\r\n60 B\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
  EXPECT_EQ(cellPixels, 38);
  EXPECT_EQ(std::count(&board[0][0], &board[0][0] + 100, 0), 100);
  EXPECT_EQ(score * 100 + multiplier * 10 + leaderPlace, 21);
  EXPECT_FALSE(boardAtRest || gemSelected || checkPending || swapPending || gameOver || leadersSaved);
  EXPECT_EQ(playerName, "");
  EXPECT_EQ(lastPoints + selection.secondKind, 39);  // both kept from the game before
}

// On Windows the error box is a real one that waits for its button.
#if !defined(_WIN32)
using LeadersFileDeathTest = LeadersFile;

TEST_F(LeadersFileDeathTest, MissingFileAndBadScoresEndTheProgramWithTheirCodes) {
  GTEST_FLAG_SET(death_test_style, "fast");  // the child shares this directory
  EXPECT_EXIT(ReadLeaders(), ::testing::ExitedWithCode(2), "Runtime error   2 at ");
  for (const char* text : {"1234\r\nABC\r\n", "2147483648 X\r\n", "-\r\n", "12a B\r\n"}) {
    Put(kFile, text);
    EXPECT_EXIT(ReadLeaders(), ::testing::ExitedWithCode(106), "Runtime error 106 at ") << text;
  }
}

TEST_F(LeadersFileDeathTest, AFailedWriteLeavesTheOldTableAsItWas) {
  GTEST_FLAG_SET(death_test_style, "fast");
  Put(kFile, "10 OLD\r\n");
  ReadLeaders();
  leaderPlace = 1;
  playerName = "NEW";
  auto expectRefused = [&](DWORD code, const char* text) {
    EXPECT_EXIT(SaveLeaders(), ::testing::ExitedWithCode(static_cast<int>(code)), text);
    EXPECT_EQ(Get(kFile), "10 OLD\r\n");
  };
  // The temporary file cannot be created where a directory stands.
  fs::create_directory(cp1251::ToUtf8(kTemp));
  expectRefused(ERROR_ACCESS_DENIED, "Runtime error   5 at ");
  fs::remove(cp1251::ToUtf8(kTemp));
  // A table its owner made read-only is not replaced, as on Windows, and
  // the new table's temporary file goes.
  fs::permissions(cp1251::ToUtf8(kFile), fs::perms::owner_write, fs::perm_options::remove);
  expectRefused(ERROR_ACCESS_DENIED, "Runtime error   5 at ");
  EXPECT_FALSE(fs::exists(cp1251::ToUtf8(kTemp)));
  fs::permissions(cp1251::ToUtf8(kFile), fs::perms::owner_write, fs::perm_options::add);
  // A write that fails part way: the temporary file leads to a full disk.
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  fs::create_symlink("/dev/full", cp1251::ToUtf8(kTemp));
  expectRefused(ERROR_DISK_FULL, "Runtime error 112 at ");
  EXPECT_FALSE(fs::is_symlink(cp1251::ToUtf8(kTemp)));
}
#endif

}  // namespace
