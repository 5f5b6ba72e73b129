#include "MyIniFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Cp1251.h"
#include "TestFiles.h"

namespace {

TEST(MyIniFile, ValuesAreReadUpTo2047CharactersAndIntegersFromTheirDigits) {
  const std::string path = ::testing::TempDir() + "myinifile_test.ini";
  std::string value(3000, 'v');
  value[2046] = 'e';
  enginetest::WriteBytes(path,
                         "[Options]\r\nName=Игрок 1\r\nEmpty=\r\nN=-1 024px\r\nLong="_cp + value + "\r\n");
  TMyIniFile ini(path);
  EXPECT_EQ(ini.ReadString("Options", "Name", "none"), "Игрок 1"_cp);
  EXPECT_EQ(ini.ReadString("Options", "Empty", "none"), "");
  EXPECT_EQ(ini.ReadString("Options", "Missing", "по умолчанию"_cp), "по умолчанию"_cp);
  EXPECT_EQ(ini.ReadString("Options", "Long", ""), value.substr(0, 2047));
  EXPECT_EQ(ini.ReadInteger("Options", "N", 1), 1024);
  EXPECT_EQ(ini.ReadInteger("Options", "Empty", 1), 0);
  // A missing key gives the default's decimal text read the same way, so
  // a negative default loses its sign.
  EXPECT_EQ(ini.ReadInteger("Options", "Missing", 640), 640);
  EXPECT_EQ(ini.ReadInteger("Options", "Missing", -5), 5);
  std::remove(path.c_str());
}

}  // namespace
