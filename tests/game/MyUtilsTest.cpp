#include "MyUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "Cp1251.h"

namespace {

TEST(MyUtils, NumToTextWritesPlainDecimals) {
  EXPECT_EQ(NumToText(0), "0");
  EXPECT_EQ(NumToText(-5), "-5");
  EXPECT_EQ(NumToText(-1024), "-1024");
  EXPECT_EQ(NumToText(INT32_MAX), "2147483647");
  EXPECT_EQ(NumToText(INT32_MIN), "-2147483648");
}

TEST(MyUtils, TextToNumReadsDigitsOnlyAndWraps) {
  EXPECT_EQ(TextToNum("-12"), 12);
  EXPECT_EQ(TextToNum("1a2"), 12);
  EXPECT_EQ(TextToNum("007"), 7);
  EXPECT_EQ(TextToNum(""), 0);
  EXPECT_EQ(TextToNum(" 1 920 пикселей"_cp), 1920);
  EXPECT_EQ(TextToNum("2147483647"), INT32_MAX);
  EXPECT_EQ(TextToNum("2147483648"), INT32_MIN);
  EXPECT_EQ(TextToNum("4294967295"), -1);
  EXPECT_EQ(TextToNum("4294967297"), 1);
}

TEST(MyUtils, FileExtensionIsReplacedAfterTheLastFullStop) {
  EXPECT_EQ(ChangeFileExtension("C:\\Games\\Game.v2.exe", ".INI"), "C:\\Games\\Game.v2.INI");
  EXPECT_EQ(ChangeFileExtension("C:\\a.b\\prog", ".INI"), "C:\\a.INI");
  EXPECT_EQ(ChangeFileExtension("C:\\Games\\Game", ".INI"), "");
  EXPECT_EQ(ChangeFileExtension("Игра."_cp, ".INI"), "Игра.INI"_cp);
}

TEST(MyUtils, PathSplitsAtTheLastBackslashOnly) {
  EXPECT_EQ(ExtractFileNamePart("C:\\Games\\Game.exe"), "Game.exe");
  EXPECT_EQ(ExtractDirPart("C:\\Games\\Game.exe"), "C:\\Games\\");
  EXPECT_EQ(ExtractFileNamePart("Game.exe"), "Game.exe");
  EXPECT_EQ(ExtractDirPart("Game.exe"), "");
  EXPECT_EQ(ExtractFileNamePart("C:\\Games\\"), "");
  EXPECT_EQ(ExtractDirPart("C:\\Games\\"), "C:\\Games\\");
  EXPECT_EQ(ExtractFileNamePart("/home/player/Game.exe"), "/home/player/Game.exe");
  EXPECT_EQ(ExtractDirPart("/home/player/Game.exe"), "");
  EXPECT_EQ(ExtractFileNamePart("C:\\Игры\\Игра.exe"_cp), "Игра.exe"_cp);
  EXPECT_EQ(ExtractDirPart("C:\\Игры\\Игра.exe"_cp), "C:\\Игры\\"_cp);
}

TEST(MyUtils, AbsValue) {
  EXPECT_EQ(AbsValue(-0.5f), 0.5f);
  EXPECT_EQ(AbsValue(2.0f), 2.0f);
  EXPECT_EQ(AbsValue(-0.2f - 0.01f), 0.2f + 0.01f);
  EXPECT_EQ(AbsValue(-std::numeric_limits<float>::infinity()), std::numeric_limits<float>::infinity());
}

}  // namespace
