// The face fontconfig matches to a GDI font request: the family asked for or
// its stand-in (Arial's metric-compatible faces among them), at the weight
// asked for, upright and scalable.
#include "FontChoice.h"

#include <fontconfig/fontconfig.h>
#include <windows.h>

#include <algorithm>

#include "Cp1251.h"

namespace winlayer {

bool ChooseFace(const FontRequest& request, FaceChoice& choice) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  std::string family = cp1251::ToUtf8(request.faceName);
  int weight = request.weight <= 0 ? FW_NORMAL : std::min(request.weight, 1000);
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* file = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (found) {
    choice.file = reinterpret_cast<const char*>(file);
    FcChar8* name = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) {
      choice.family = reinterpret_cast<const char*>(name);
    }
    FcPatternGetInteger(match, FC_INDEX, 0, &choice.index);
  }
  FcPatternDestroy(match);
  return found;
}

}  // namespace winlayer
