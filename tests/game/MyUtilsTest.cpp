#include "MyUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Cp1251.h"

namespace {

TEST(MyUtils, NumbersAreWrittenWithTheirSignAndReadFromTheirDigitsAlone) {
  // A number, the text NumToText writes for it, and a text that TextToNum
  // reads as it: digits only, no sign, wrapping in 32 bits.
  const struct {
    int32_t number;
    std::string written, read;
  } cases[] = {
      {0, "0", ""},
      {7, "7", "007"},
      {12, "12", "-12"},
      {12, "12", "1a2"},
      {1920, "1920", " 1 920 пикселей"_cp},
      {INT32_MAX, "2147483647", "2147483647"},
      {INT32_MIN, "-2147483648", "2147483648"},
      {-1024, "-1024", "4294966272"},
      {1, "1", "4294967297"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NumToText(c.number), c.written);
    EXPECT_EQ(TextToNum(c.read), c.number) << c.read;
  }
  // A path without a full stop has no extension to replace.
  EXPECT_EQ(ChangeFileExtension("C:\\Games\\Game", ".INI"), "");
}

}  // namespace
