// Tessel's leaders reader on any file "рекорды.txt", then a score placed in
// the table that was read. The fatal routine is replaced here: a refused
// file throws its error code instead of ending the process. Promises:
// - a refused file names error 106 (a score that is not a whole number) and
//   holds a field that is not a decimal 32-bit number;
// - an accepted file fills slots 1..10 and leaves the overflow slot alone;
//   every non-zero score stands in the file; the text the table would be
//   saved as is ten lines that read back as the same table;
// - a placed score lands below every score at least as good, the slots
//   from there move down by one, and what was slot 10 ends in slot 11.
#include <unistd.h>

#include <charconv>
#include <string>
#include <vector>

#include "File_work.h"
#include "FuzzCheck.h"
#include "Globvars.h"
#include "RuntimeError.h"

namespace {

struct Refused {
  uint32_t code;
};

const leader kUntouched{424242, " untouched"};

bool IsDecimal32(std::string_view field) {
  if (field.size() >= 2 && field[0] == '+' && field[1] != '-') field.remove_prefix(1);
  int32_t value = 0;
  auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  return error == std::errc() && end == field.data() + field.size();
}

// The blank-separated fields of the file up to its first Ctrl-Z.
std::vector<std::string_view> Fields(std::string_view text) {
  text = text.substr(0, text.find('\x1A'));
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= 32) ++pos;
    size_t start = pos;
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) > 32) ++pos;
    if (pos > start) fields.push_back(text.substr(start, pos - start));
  }
  return fields;
}

bool SameSlots(const leader* a, const leader* b) {
  for (int slot = 1; slot <= kLeadersShown; ++slot) {
    if (a[slot].score != b[slot].score || a[slot].name != b[slot].name) return false;
  }
  return true;
}

// The scratch directory as the current one: the file name is fixed.
void EnterScratchDirectory() {
  static const bool entered = ::chdir(fuzzcheck::ScratchDir().c_str()) == 0;
  if (!entered) std::abort();
}

}  // namespace

[[noreturn]] void FatalRuntimeError(uint32_t code) { throw Refused{code}; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  EnterScratchDirectory();
  fuzzcheck::Input input(bytes, size);
  const auto placed = static_cast<int32_t>(input.Word());
  const std::string file = input.Rest();
  testsupport::WriteBytes(testsupport::Utf8Name("рекорды.txt"), file);

  for (leader& entry : leaders) entry = kUntouched;
  try {
    ReadLeaders();
  } catch (const Refused& refused) {
    FUZZ_CHECK(refused.code == 106, "refused with error " + std::to_string(refused.code));
    bool badField = false;
    for (std::string_view field : Fields(file)) badField = badField || !IsDecimal32(field);
    FUZZ_CHECK(badField, "refused a file whose every field is a number");
    return 0;
  }

  FUZZ_CHECK(
      leaders[kOverflowSlot].score == kUntouched.score && leaders[kOverflowSlot].name == kUntouched.name,
      "reading touched the overflow slot");
  const std::vector<std::string_view> fields = Fields(file);
  for (int slot = 1; slot <= kLeadersShown; ++slot) {
    const leader& entry = leaders[slot];
    FUZZ_CHECK(entry.name.find_first_of("\r\n") == std::string::npos, "a name holds a line break");
    bool stands = entry.score == 0;
    for (std::string_view field : fields) {
      int32_t value = 0;
      std::string_view digits = field.starts_with('+') ? field.substr(1) : field;
      std::from_chars(digits.data(), digits.data() + digits.size(), value);
      stands = stands || (IsDecimal32(field) && value == entry.score);
    }
    FUZZ_CHECK(stands, "slot " + std::to_string(slot) + "'s score is nowhere in the file");
  }

  // What SaveLeaders would write: ten CR LF lines that read back the same.
  const std::string saved = LeadersFileText();
  size_t lines = 0;
  for (size_t pos = 0; (pos = saved.find("\r\n", pos)) != std::string::npos; pos += 2) ++lines;
  FUZZ_CHECK(lines == 10 && saved.ends_with("\r\n"), "the saved text is not ten lines");
  leader read[kOverflowSlot + 1];
  for (int slot = 0; slot <= kOverflowSlot; ++slot) read[slot] = leaders[slot];
  FUZZ_CHECK(ParseLeaders(saved) && SameSlots(leaders, read), "the saved text does not read back the same");

  // A score placed in the table.
  score = placed;
  PlaceScore();
  const int32_t place = leaderPlace;
  FUZZ_CHECK(place >= 1 && place <= kOverflowSlot, "place " + std::to_string(place));
  for (int slot = 1; slot < place; ++slot)
    FUZZ_CHECK(read[slot].score >= placed, "placed below a worse score in slot " + std::to_string(slot));
  if (place <= kLeadersShown) {
    FUZZ_CHECK(read[place].score < placed, "placed above a score at least as good");
    FUZZ_CHECK(leaders[place].score == placed, "the placed slot does not hold the score");
    for (int slot = place; slot <= kLeadersShown; ++slot)
      FUZZ_CHECK(leaders[slot + 1].score == read[slot].score && leaders[slot + 1].name == read[slot].name,
                 "slot " + std::to_string(slot) + " did not move down by one");
  } else {
    FUZZ_CHECK(SameSlots(leaders, read), "a score outside the table changed it");
  }
  return 0;
}
