// Which font file stands for a GDI font request: on Linux the face that
// fontconfig matches to the name and weight (FontChoice.cpp), in a page one
// of the files shipped beside it (browser/FontChoice.cpp).
#pragma once

#include <string>

#include "FontRaster.h"

namespace winlayer {

struct FaceChoice {
  std::string file;
  int index = 0;
  std::string family;  // empty: the face's own family name
};

// False when no face can be chosen.
bool ChooseFace(const FontRequest& request, FaceChoice& choice);

}  // namespace winlayer
