// Game's number and path texts, Tessel's number text, and the Windows-1251
// conversions, on any numbers and bytes. Promises:
// - NumToText gives what Tessel's IntToText gives, and reads back through
//   TextToNum as the magnitude (the sign is no digit);
// - TextToNum of two texts one after the other is the first's value
//   shifted by the second's digits plus the second's, wrapping in 32 bits;
// - ChangeFileExtension cuts at the last '.' only, or gives nothing;
//   the folder part and the name part of a path put together are the path;
// - AbsValue is the magnitude of every number that is not NaN;
// - Windows-1251 bytes through UTF-8 and back are the same bytes (the one
//   unassigned byte comes back as '?'), and UTF-8 read into Windows-1251
//   never grows.
#include <bit>
#include <cmath>
#include <string>

#include "Cp1251.h"
#include "FuzzCheck.h"
#include "Globvars.h"
#include "MyUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  fuzzcheck::Input input(bytes, size);
  const auto n = static_cast<int32_t>(input.Word());
  const float x = std::bit_cast<float>(input.Word());
  const std::string a = input.Text(input.Byte());
  const std::string b = input.Rest();

  const std::string text = NumToText(n);
  FUZZ_CHECK(text == IntToText(n), text + " against Tessel's " + IntToText(n));
  const uint32_t magnitude = n < 0 ? 0u - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
  FUZZ_CHECK(static_cast<uint32_t>(TextToNum(text)) == magnitude, text + " reads back wrong");

  uint32_t shift = 1;
  for (char c : b) shift *= c >= '0' && c <= '9' ? 10u : 1u;
  FUZZ_CHECK(static_cast<uint32_t>(TextToNum(a + b)) ==
                 static_cast<uint32_t>(TextToNum(a)) * shift + static_cast<uint32_t>(TextToNum(b)),
             "digits of joined texts do not add up");

  const std::string changed = ChangeFileExtension(a, b);
  const size_t dot = a.rfind('.');
  if (dot == std::string::npos) {
    FUZZ_CHECK(changed.empty(), "a name without '.' got an extension");
  } else {
    FUZZ_CHECK(changed.size() == dot + b.size() && changed.compare(0, dot, a, 0, dot) == 0 &&
                   changed.compare(dot, std::string::npos, b) == 0,
               "not cut at the last '.'");
  }
  const std::string dir = ExtractDirPart(b), name = ExtractFileNamePart(b);
  FUZZ_CHECK(dir + name == b, "folder and name do not make the path");
  FUZZ_CHECK(name.find('\\') == std::string::npos && (dir.empty() || dir.back() == '\\'), "split elsewhere");

  const float absolute = AbsValue(x);
  FUZZ_CHECK(std::isnan(x) ? std::isnan(absolute) : absolute == std::fabs(x),
             "AbsValue of " + std::to_string(x));

  std::string expected = a;
  for (char& c : expected) c = c == '\x98' ? '?' : c;
  FUZZ_CHECK(cp1251::FromUtf8(cp1251::ToUtf8(a)) == expected, "Windows-1251 through UTF-8 changed");
  FUZZ_CHECK(cp1251::FromUtf8(b).size() <= b.size(), "UTF-8 into Windows-1251 grew");
  return 0;
}
