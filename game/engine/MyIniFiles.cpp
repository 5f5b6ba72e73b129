#include "MyIniFiles.h"

#include <windows.h>

#include "MyUtils.h"

namespace {
constexpr DWORD kValueBufferSize = 2048;
}  // namespace

TMyIniFile::TMyIniFile(const std::string& path) : fileName(path) {}

std::string TMyIniFile::ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultText) {
  char value[kValueBufferSize];
  DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText.c_str(), value,
                                          kValueBufferSize, fileName.c_str());
  if (length >= kValueBufferSize) length = kValueBufferSize - 1;
  return std::string(value, length);
}

int32_t TMyIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) {
  return TextToNum(ReadString(section, key, NumToText(defaultValue)));
}
