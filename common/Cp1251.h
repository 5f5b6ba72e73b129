// Windows-1251 texts.
//
// Both programs keep every text they show, write or pass to the system in
// the Windows-1251 code page. The sources stay readable in UTF-8; the
// literal suffix _cp turns a UTF-8 string literal into its Windows-1251
// bytes while compiling, so no compiler's execution character set matters:
//
//     AppLog->WriteStatus("Запуск приложения"_cp, "Initialization"_cp);
//
// A character that Windows-1251 cannot hold stops the build. The same
// table serves the conversions made at run time (file names, captions).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cp1251 {

// Unicode code points of the bytes 0x80..0xFF; 0 marks the one unassigned
// byte, 0x98.
inline constexpr char16_t kHighHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The code point of one Windows-1251 byte (U+FFFD for the unassigned 0x98).
constexpr char32_t ToCodePoint(unsigned char byte) {
  if (byte < 0x80) return byte;
  char16_t cp = kHighHalf[byte - 0x80];
  return cp == 0 ? char32_t{0xFFFD} : char32_t{cp};
}

// The Windows-1251 byte of a code point, or -1 when the page lacks it.
constexpr int FromCodePoint(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  for (int i = 0; i < 128; ++i) {
    if (kHighHalf[i] != 0 && kHighHalf[i] == cp) return 0x80 + i;
  }
  return -1;
}

// Decodes one UTF-8 sequence starting at text[pos]; advances pos. Returns
// U+FFFD for a malformed sequence (and skips one byte).
constexpr char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(pos);
  int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
  if (extra < 0 || pos + extra >= text.size()) {
    ++pos;
    return 0xFFFD;
  }
  char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  pos += extra + 1;
  return cp;
}

// Run-time conversions for the places where the host wants UTF-8. A code
// point outside the page becomes '?'.
std::string ToUtf8(std::string_view text1251);
std::string FromUtf8(std::string_view utf8);

// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t cp);

// The UTF-16 text of a Windows-1251 text, for the system's wide-character
// calls: WideChar is their 16-bit WCHAR (wchar_t on Windows, char16_t
// elsewhere). Every character of the page lies in the Basic Multilingual
// Plane, so each byte gives one code unit.
template <class WideChar>
std::basic_string<WideChar> ToUtf16(std::string_view text1251) {
  static_assert(sizeof(WideChar) == 2, "UTF-16 wants a 16-bit character type");
  std::basic_string<WideChar> out;
  out.reserve(text1251.size());
  for (char c : text1251) out += static_cast<WideChar>(ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

// A string literal as a template argument.
template <std::size_t N>
struct Utf8Literal {
  char bytes[N]{};
  constexpr Utf8Literal(const char (&text)[N]) {  // NOLINT: implicit on purpose
    for (std::size_t i = 0; i < N; ++i) bytes[i] = text[i];
  }
};

template <std::size_t N>
struct Converted {
  char bytes[N]{};
  std::size_t length = 0;
};

template <Utf8Literal S>
constexpr auto Convert() {
  Converted<sizeof(S.bytes)> out{};
  std::string_view in(S.bytes, sizeof(S.bytes) - 1);
  std::size_t pos = 0;
  while (pos < in.size()) {
    char32_t cp = DecodeUtf8(in, pos);
    int b = FromCodePoint(cp);
    if (b < 0 || cp == 0xFFFD) throw "text holds a character outside Windows-1251";
    out.bytes[out.length++] = static_cast<char>(b);
  }
  out.bytes[out.length] = '\0';
  return out;
}

template <Utf8Literal S>
inline constexpr auto kConverted = Convert<S>();

}  // namespace cp1251

// "текст"_cp: the zero-terminated Windows-1251 bytes of a UTF-8 literal.
template <cp1251::Utf8Literal S>
constexpr const char* operator""_cp() {
  return cp1251::kConverted<S>.bytes;
}
