// The layer's INI reader and Game's settings reader on any INI text.
// Promises:
// - parsing keeps names trimmed and free of line breaks, key names free of
//   '=', and every name and value inside the text; writing the parsed
//   sections out again and parsing that gives the same sections;
// - a query answers into a buffer of any size without passing its end, with
//   a zero after the text; a value found in the file is that value, cut to
//   the buffer; a missing one is the default, its trailing spaces dropped;
// - LoadSettings, which reads the file beside the program through the
//   system call, reads any text safely, and a text without the section
//   Options leaves the four defaults.
#include <windows.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "GameEngine.h"
#include "MyUtils.h"
#include "ProfileText.h"

namespace {

using winlayer::ProfileSection;

bool Inside(std::string_view part, std::string_view text) {
  return part.empty() ||
         (part.data() >= text.data() && part.data() + part.size() <= text.data() + text.size());
}

bool Trimmed(std::string_view name) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
  return name.empty() || (!blank(name.front()) && !blank(name.back()));
}

std::string Serialize(const std::vector<ProfileSection>& sections) {
  std::string text;
  for (const ProfileSection& section : sections) {
    text.append("[").append(section.name).append("]\r\n");
    for (const auto& entry : section.entries)
      text.append(entry.name).append("=\"").append(entry.value).append("\"\n");
  }
  return text;
}

std::string UpToZero(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

// One query into a buffer of exactly `size` bytes; the text it answers.
std::string Ask(const std::vector<ProfileSection>& sections, const char* section, const char* key,
                const char* defaultText, uint32_t size, bool* fromFile = nullptr) {
  std::vector<char> buffer(size);
  const auto answer = winlayer::AnswerProfileQuery(sections, section, key, defaultText, buffer.data(), size);
  FUZZ_CHECK(answer.count < size && buffer[answer.count] == '\0', "no zero after the answer");
  if (fromFile) *fromFile = answer.fromFile;
  return std::string(buffer.data(), answer.count);
}

// The value query's promise for one section and key.
void CheckValueQuery(const std::vector<ProfileSection>& sections, const std::string& section,
                     const std::string& key, uint32_t size) {
  bool fromFile = false;
  const std::string answer = Ask(sections, section.c_str(), key.c_str(), " default ", size, &fromFile);
  if (!fromFile) {
    FUZZ_CHECK(answer == std::string(" default").substr(0, size - 1),
               "a missing key did not give the default");
    return;
  }
  bool isValue = false;
  for (const ProfileSection& s : sections) {
    for (const auto& entry : s.entries) {
      std::string value = UpToZero(entry.value);
      isValue = isValue || answer == value.substr(0, size - 1);
    }
  }
  FUZZ_CHECK(isValue, "the answer \"" + answer + "\" is no value of the file");
}

// Writes the INI file beside the program, as LoadSettings names it: on the
// host a link to a file in the scratch directory, which is in memory where
// that can be.
void WriteSettings(const std::string& text) {
  static const std::string file = [] {
    FUZZ_CHECK(!ChangeFileExtension(ProgramPath(), ".INI").empty(),
               "the fuzz target's name has no extension");
    auto beside = std::filesystem::read_symlink("/proc/self/exe").replace_extension(".INI");
    std::filesystem::remove(beside);
    std::filesystem::create_symlink(fuzzcheck::ScratchDir() + "/settings.INI", beside);
    return fuzzcheck::ScratchDir() + "/settings.INI";
  }();
  fuzzcheck::WriteWhole(file, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  fuzzcheck::Input input(bytes, size);
  const uint32_t bufferSize = 1 + input.Byte() % 48;
  const std::string text = input.Rest();

  const std::vector<ProfileSection> sections = winlayer::ParseProfile(text);
  for (const ProfileSection& section : sections) {
    FUZZ_CHECK(Inside(section.name, text) && Trimmed(section.name), "section name out of place or untrimmed");
    FUZZ_CHECK(section.name.find_first_of("\r\n]") == std::string_view::npos,
               "section name holds ] or a break");
    for (const auto& entry : section.entries) {
      FUZZ_CHECK(Inside(entry.name, text) && Inside(entry.value, text), "entry outside the text");
      FUZZ_CHECK(Trimmed(entry.name) && entry.name.find_first_of("\r\n=") == std::string_view::npos &&
                     !entry.name.starts_with(';'),
                 "key name untrimmed, or holding = or a break, or a comment");
      FUZZ_CHECK(entry.value.find_first_of("\r\n") == std::string_view::npos, "value holds a line break");
    }
  }
  const std::string again = Serialize(sections);
  FUZZ_CHECK(Serialize(winlayer::ParseProfile(again)) == again, "written out and read again, it differs");

  // Values by the names the file has and by the settings' names.
  CheckValueQuery(sections, "Options", "Width", bufferSize);
  if (!sections.empty()) {
    const std::string section = UpToZero(sections.front().name);
    CheckValueQuery(sections, section, "Width", bufferSize);
    if (!sections.front().entries.empty())
      CheckValueQuery(sections, section, UpToZero(sections.front().entries.back().name), bufferSize);
  }

  // Game's settings from the same text in the file beside the program;
  // without "Options" in any case the defaults hold.
  WriteSettings(text);
  LoadSettings();
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find("options") == std::string::npos) {
    FUZZ_CHECK(Width == 640 && Height == 480 && BitsPerPixel == 32 && !FullScreen,
               "settings other than the defaults from a text without their section");
  }
  return 0;
}
