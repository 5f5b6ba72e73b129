// GDI objects as the rest of the layer sees them.
#pragma once

#include <windows.h>

#include "Handles.h"

namespace winlayer {

// The font a device context draws with: the one selected into it, or the
// stock system font when none is.
const GdiObjectRecord* CurrentFont(HDC dc);

}  // namespace winlayer
