#include "MyIniFiles.h"

#include <gtest/gtest.h>

#include <string>

#include "Cp1251.h"
#include "TestFiles.h"

namespace {

using enginetest::ScratchDir;
using enginetest::WriteBytes;

TEST(MyIniFile, ReadStringGivesTheValueOrTheDefault) {
  ScratchDir dir;
  WriteBytes(dir / "t.ini", "[Options]\r\nName=Игрок 1\r\nEmpty=\r\n"_cp);
  TMyIniFile ini((dir / "t.ini").string());
  EXPECT_EQ(ini.ReadString("Options", "Name", "none"), "Игрок 1"_cp);
  EXPECT_EQ(ini.ReadString("Options", "Empty", "none"), "");
  EXPECT_EQ(ini.ReadString("Options", "Missing", "none"), "none");
  EXPECT_EQ(ini.ReadString("Other", "Name", "none"), "none");

  TMyIniFile absent((dir / "absent.ini").string());
  EXPECT_EQ(absent.ReadString("Options", "Name", "по умолчанию"_cp), "по умолчанию"_cp);
}

TEST(MyIniFile, LongValuesAreCutTo2047Characters) {
  ScratchDir dir;
  std::string value(3000, 'v');
  value[2046] = 'e';
  WriteBytes(dir / "t.ini", "[Options]\r\nLong=" + value + "\r\n");
  TMyIniFile ini((dir / "t.ini").string());
  std::string read = ini.ReadString("Options", "Long", "");
  EXPECT_EQ(read.size(), 2047u);
  EXPECT_EQ(read, value.substr(0, 2047));
}

TEST(MyIniFile, ReadIntegerReadsDigitsOnlyFromTheValueAndFromTheDefault) {
  ScratchDir dir;
  WriteBytes(dir / "t.ini", "[Options]\r\nA=800px\r\nB=-800\r\nC=1 024\r\nD=\r\nE=yes\r\nF=4294967296\r\n");
  TMyIniFile ini((dir / "t.ini").string());
  EXPECT_EQ(ini.ReadInteger("Options", "A", 1), 800);
  EXPECT_EQ(ini.ReadInteger("Options", "B", 1), 800);
  EXPECT_EQ(ini.ReadInteger("Options", "C", 1), 1024);
  EXPECT_EQ(ini.ReadInteger("Options", "D", 1), 0);
  EXPECT_EQ(ini.ReadInteger("Options", "E", 1), 0);
  EXPECT_EQ(ini.ReadInteger("Options", "F", 1), 0);
  // A missing key gives the default's decimal text read the same way, so
  // a negative default loses its sign.
  EXPECT_EQ(ini.ReadInteger("Options", "G", 640), 640);
  EXPECT_EQ(ini.ReadInteger("Options", "G", -5), 5);
}

}  // namespace
