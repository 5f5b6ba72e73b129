// INI text as the profile-string calls read it: parsing into sections and
// answering one query into a caller's buffer. Pure; no files.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace winlayer {

struct ProfileEntry {
  std::string_view name;   // blanks trimmed
  std::string_view value;  // blanks trimmed, one pair of enclosing quotes removed
};

struct ProfileSection {
  std::string_view name;  // blanks trimmed
  std::vector<ProfileEntry> entries;
};

// The sections of a Windows-1251 INI text, in file order, duplicates kept.
// The views point into text. Lines end in LF, CR LF or CR; lines whose
// first non-blank character is ';', lines without '=' and lines before the
// first section header are skipped.
std::vector<ProfileSection> ParseProfile(std::string_view text);

struct ProfileAnswer {
  uint32_t count = 0;     // characters written, without the final zero(s)
  bool fromFile = false;  // false when the default was used
};

// GetPrivateProfileStringA's answer for the parsed file: the value of the
// key in the first section of that name, or the default, cut to size - 1
// characters. The lists that a null section or key would ask for no program
// reads; those give the default too.
ProfileAnswer AnswerProfileQuery(const std::vector<ProfileSection>& sections, const char* section,
                                 const char* key, const char* defaultText, char* buffer, uint32_t size);

}  // namespace winlayer
