#include "ProfileText.h"

#include <algorithm>
#include <cstring>

#include "Cp1251.h"

namespace winlayer {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// What a C caller sees of a text: everything before its first zero byte.
std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

// Lower case of a Windows-1251 letter, as a code point.
char32_t Folded(char c) {
  char32_t cp = cp1251::ToCodePoint(static_cast<unsigned char>(c));
  if (cp >= U'A' && cp <= U'Z') return cp + 0x20;
  if (cp >= 0x0400 && cp <= 0x040F) return cp + 0x50;  // Ѐ..Џ
  if (cp >= 0x0410 && cp <= 0x042F) return cp + 0x20;  // А..Я
  if (cp == 0x0490) return 0x0491;                     // Ґ
  return cp;
}

// Names compared as Windows compares them: letter case ignored for Latin
// and Cyrillic letters alike.
bool SameProfileName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Folded(a[i]) != Folded(b[i])) return false;
  }
  return true;
}

const ProfileSection* FindSection(const std::vector<ProfileSection>& sections, const char* name) {
  std::string_view wanted = Trim(name);
  for (const ProfileSection& section : sections) {
    if (SameProfileName(section.name, wanted)) return &section;
  }
  return nullptr;
}

const ProfileEntry* FindEntry(const ProfileSection& section, const char* name) {
  std::string_view wanted = Trim(name);
  for (const ProfileEntry& entry : section.entries) {
    if (SameProfileName(entry.name, wanted)) return &entry;
  }
  return nullptr;
}

uint32_t CopyString(std::string_view text, char* buffer, uint32_t size) {
  auto count = static_cast<uint32_t>(std::min<std::size_t>(text.size(), size - 1));
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return count;
}

uint32_t CopyDefault(const char* defaultText, char* buffer, uint32_t size) {
  std::string_view text = defaultText ? defaultText : "";
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return CopyString(text, buffer, size);
}

}  // namespace

std::vector<ProfileSection> ParseProfile(std::string_view text) {
  std::vector<ProfileSection> sections;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      std::size_t close = line.find(']');
      if (close != std::string_view::npos) {
        sections.push_back({Trim(line.substr(1, close - 1)), {}});
        continue;
      }
      // Without its closing bracket the line is no header; it is read as
      // any other line of the current section.
    }
    std::size_t equals = line.find('=');
    if (sections.empty() || equals == std::string_view::npos) continue;
    sections.back().entries.push_back({Trim(line.substr(0, equals)), Unquote(Trim(line.substr(equals + 1)))});
  }
  return sections;
}

ProfileAnswer AnswerProfileQuery(const std::vector<ProfileSection>& sections, const char* section,
                                 const char* key, const char* defaultText, char* buffer, uint32_t size) {
  if (!buffer || size == 0) return {};
  const ProfileSection* found = section && key ? FindSection(sections, section) : nullptr;
  const ProfileEntry* entry = found ? FindEntry(*found, key) : nullptr;
  if (!entry) return {CopyDefault(defaultText, buffer, size), false};
  return {CopyString(UpToZero(entry->value), buffer, size), true};
}

}  // namespace winlayer
