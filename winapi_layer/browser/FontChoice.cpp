// The faces of a page: font files shipped in the page's folder, which the
// page puts into kFontFolder before the program starts. One family stands
// in for every face name (Liberation Sans for the Arial the games ask for,
// with the same metrics); the bold file serves weights from semibold up, the
// regular one the rest, and either serves when the other is not there.
#include <sys/stat.h>

#include "FontChoice.h"

namespace winlayer {

namespace {

constexpr const char* kFontFolder = "/fonts/";
constexpr const char* kRegular = "LiberationSans-Regular.ttf";
constexpr const char* kBold = "LiberationSans-Bold.ttf";
constexpr int kSemiBold = 600;

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

bool ChooseFace(const FontRequest& request, FaceChoice& choice) {
  const bool bold = request.weight >= kSemiBold;
  for (const char* name : {bold ? kBold : kRegular, bold ? kRegular : kBold}) {
    std::string path = std::string(kFontFolder) + name;
    if (Exists(path)) {
      choice.file = path;
      choice.index = 0;
      choice.family.clear();
      return true;
    }
  }
  return false;
}

}  // namespace winlayer
