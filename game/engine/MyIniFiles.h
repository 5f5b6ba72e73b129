// A minimal reader of INI files over the system's profile-string call.
#pragma once

#include <cstdint>
#include <string>

class TMyIniFile {
 public:
  // The path is kept as given and handed to the system with every read.
  explicit TMyIniFile(const std::string& path);

  // The value of key in section, or defaultText when the file, the section
  // or the key is missing. Values are cut to 2047 characters.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultText);

  // The value read as a whole number: its decimal digits from left to
  // right, everything else (a sign included) skipped, wrapping in 32 bits.
  // The default goes through the same reading as its decimal text.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue);

 private:
  std::string fileName;
};
