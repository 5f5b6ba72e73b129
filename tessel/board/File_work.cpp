#include "File_work.h"

#include <windows.h>

#include "Cp1251.h"
#include "Globvars.h"
#include "RuntimeError.h"

namespace {

// The names go to the system's wide-character calls, so that the same file
// is found whatever code page the system takes narrow names in.
const std::basic_string<WCHAR> kLeadersFile = cp1251::ToUtf16<WCHAR>("рекорды.txt"_cp);
// The new table is written here first and then takes the old one's place.
const std::basic_string<WCHAR> kLeadersTempFile = cp1251::ToUtf16<WCHAR>("рекорды.tmp"_cp);

constexpr uint32_t kInvalidNumber = 106;

[[noreturn]] void FailWithSystemError() { FatalRuntimeError(GetLastError()); }

bool IsBlank(unsigned char c) { return c <= 32; }

// A decimal int32 with an optional sign and at least one digit, nothing else.
bool ParseScore(std::string_view field, int32_t& value) {
  std::size_t pos = 0;
  bool negative = false;
  if (pos < field.size() && (field[pos] == '-' || field[pos] == '+')) {
    negative = field[pos] == '-';
    ++pos;
  }
  if (pos == field.size()) return false;
  const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
  uint64_t magnitude = 0;
  for (; pos < field.size(); ++pos) {
    char c = field[pos];
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
    if (magnitude > limit) return false;
  }
  value = static_cast<int32_t>(negative ? 0u - static_cast<uint32_t>(magnitude)
                                        : static_cast<uint32_t>(magnitude));
  return true;
}

}  // namespace

bool ParseLeaders(std::string_view text) {
  // A Ctrl-Z ends the file wherever it stands.
  auto eof = text.find('\x1A');
  if (eof != std::string_view::npos) text = text.substr(0, eof);
  std::size_t pos = 0;
  const std::size_t end = text.size();
  for (int32_t slot = 1; slot <= kLeadersShown; ++slot) {
    leader& entry = leaders[slot];
    // Blanks and control characters before the score, empty lines included.
    while (pos < end && IsBlank(static_cast<unsigned char>(text[pos]))) ++pos;
    // The score runs up to the next blank, which stays for the name.
    std::size_t start = pos;
    while (pos < end && !IsBlank(static_cast<unsigned char>(text[pos]))) ++pos;
    if (pos == start) {
      entry.score = 0;
    } else if (!ParseScore(text.substr(start, pos - start), entry.score)) {
      return false;
    }
    // The name is the rest of the line, with its leading space.
    start = pos;
    while (pos < end && text[pos] != '\r' && text[pos] != '\n') ++pos;
    entry.name.assign(text.substr(start, pos - start));
    // On to the start of the next line.
    while (pos < end && text[pos] != '\n') ++pos;
    if (pos < end) ++pos;
  }
  return true;
}

std::string LeadersFileText() {
  std::string text;
  for (int32_t slot = 1; slot <= kLeadersShown; ++slot) {
    text += IntToText(leaders[slot].score);
    text += leaders[slot].name;
    text += "\r\n";
  }
  return text;
}

void ReadLeaders() {
  HANDLE file = CreateFileW(kLeadersFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) FailWithSystemError();
  // The whole file first; the table is parsed from memory.
  std::string text;
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) FailWithSystemError();
    if (got == 0) break;
    text.append(chunk, got);
  }
  if (!CloseHandle(file)) FailWithSystemError();
  if (!ParseLeaders(text)) FatalRuntimeError(kInvalidNumber);
}

void PlaceScore() {
  int32_t place = 1;
  while (place < kOverflowSlot && score <= leaders[place].score) ++place;
  leaderPlace = place;
  for (int32_t slot = kLeadersShown; slot >= place; --slot) leaders[slot + 1] = leaders[slot];
  // The slot keeps the moved entry's name until SaveLeaders stores the
  // player's.
  leaders[place].score = score;
}

void SaveLeaders() {
  if (leaderPlace >= 1 && leaderPlace <= kOverflowSlot) leaders[leaderPlace].name = " " + playerName;
  const std::string text = LeadersFileText();

  // Write the whole table to a file of its own, make it durable, and only
  // then let it replace the old table, so that the leaders file is at every
  // moment either the old table or the new one.
  HANDLE file = CreateFileW(kLeadersTempFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) FailWithSystemError();
  DWORD written = 0;
  bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  if (ok && written != text.size()) {
    ok = false;
    error = ERROR_DISK_FULL;  // the system took fewer bytes than it was given
  }
  if (ok && !FlushFileBuffers(file)) {
    ok = false;
    error = GetLastError();
  }
  if (!CloseHandle(file) && ok) {
    ok = false;
    error = GetLastError();
  }
  if (ok && !MoveFileExW(kLeadersTempFile.c_str(), kLeadersFile.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) {
    DeleteFileW(kLeadersTempFile.c_str());
    FatalRuntimeError(error);
  }
  leadersSaved = true;
}
