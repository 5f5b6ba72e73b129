#include "Cp1251.h"

namespace cp1251 {

std::string ToUtf8(std::string_view text1251) {
  std::string out;
  out.reserve(text1251.size() * 2);
  for (char c : text1251) {
    char32_t cp = ToCodePoint(static_cast<unsigned char>(c));
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::string FromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    int b = FromCodePoint(DecodeUtf8(utf8, pos));
    out += static_cast<char>(b < 0 ? '?' : b);
  }
  return out;
}

}  // namespace cp1251
