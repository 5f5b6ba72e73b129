#include "MyUtils.h"

#include <windows.h>

#include <algorithm>

namespace {
constexpr char kSeparator = '\\';
// The longest program path taken from the system.
constexpr DWORD kMaxProgramPath = 260;
}  // namespace

std::string NumToText(int32_t n) {
  // The magnitude is taken in unsigned arithmetic, so the most negative
  // value has one too: 0 - 0x80000000 is 0x80000000.
  uint32_t magnitude = static_cast<uint32_t>(n);
  if (n < 0) magnitude = 0u - magnitude;
  std::string text;
  do {
    text.push_back(static_cast<char>('0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (n < 0) text.push_back('-');
  std::reverse(text.begin(), text.end());
  return text;
}

int32_t TextToNum(const std::string& s) {
  // Unsigned arithmetic wraps without undefined behaviour; the conversion
  // back to a signed value keeps the low 32 bits.
  uint32_t result = 0;
  for (char ch : s) {
    if (ch >= '0' && ch <= '9') result = result * 10u + static_cast<uint32_t>(ch - '0');
  }
  return static_cast<int32_t>(result);
}

std::string ChangeFileExtension(const std::string& s, const std::string& extension) {
  // The last full stop anywhere in s decides, even one inside a folder name.
  size_t dot = s.rfind('.');
  if (dot == std::string::npos) return std::string();
  return s.substr(0, dot) + extension;
}

std::string ExtractFileNamePart(const std::string& s) {
  size_t slash = s.rfind(kSeparator);
  if (slash == std::string::npos) return s;
  return s.substr(slash + 1);
}

std::string ExtractDirPart(const std::string& s) {
  size_t slash = s.rfind(kSeparator);
  if (slash == std::string::npos) return std::string();
  return s.substr(0, slash + 1);
}

float AbsValue(float x) {
  if (x >= 0) return x;
  return 0 - x;
}

std::string ProgramPath() {
  char path[kMaxProgramPath + 1] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, kMaxProgramPath + 1);
  if (length > kMaxProgramPath) length = kMaxProgramPath;
  return std::string(path, length);
}
