#include "Cp1251.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Cp1251, LiteralsBecomeTheirWindows1251BytesAndAsciiStaysAsItIs) {
  EXPECT_EQ(std::string("Запуск приложения"_cp),
            "\xC7\xE0\xEF\xF3\xF1\xEA\x20\xEF\xF0\xE8\xEB\xEE\xE6\xE5\xED\xE8\xFF");
  EXPECT_EQ(std::string("*** ОШИБКА *** :  "_cp), "*** \xCE\xD8\xC8\xC1\xCA\xC0 *** :  ");
  EXPECT_EQ(std::string("рекорды.txt"_cp), "\xF0\xE5\xEA\xEE\xF0\xE4\xFB.txt");
  EXPECT_EQ(std::string("Gemora  от Vardelin"_cp), "Gemora  \xEE\xF2 Vardelin");
  // The whole alphabet, capitals then small letters, fills 0xC0..0xFF in
  // order.
  const std::string alphabet = "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя"_cp;
  ASSERT_EQ(alphabet.size(), 64u);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(static_cast<unsigned char>(alphabet[i]), 0xC0 + i) << i;
  // Letters outside the basic alphabet and typographic signs.
  EXPECT_EQ(std::string("Ёё№«»–"_cp), "\xA8\xB8\xB9\xAB\xBB\x96");
  EXPECT_EQ(std::string("Runtime error"_cp), "Runtime error");
  EXPECT_EQ(std::string(""_cp), "");
}

TEST(Cp1251, EveryByteSurvivesUtf8AndWhatThePageLacksBecomesAQuestionMark) {
  for (int b = 1; b < 256; ++b) {
    if (b == 0x98) continue;  // the one byte without a character
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(cp1251::FromUtf8(cp1251::ToUtf8(one)), one) << "byte " << b;
  }
  EXPECT_EQ(cp1251::ToUtf8("\x98"), "\xEF\xBF\xBD");
  EXPECT_EQ(cp1251::FromUtf8("a\xE4\xB8\xAD"
                             "b"),
            "a?b");                                      // a CJK character
  EXPECT_EQ(cp1251::FromUtf8("\xD0"), "?");              // cut short
  EXPECT_EQ(cp1251::FromUtf8("\xFF\xD0\x96"), "?\xC6");  // a stray byte, then Ж
}

}  // namespace
