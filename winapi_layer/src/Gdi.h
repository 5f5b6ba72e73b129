// GDI objects as the rest of the layer sees them.
#pragma once

#include <windows.h>

#include "Handles.h"

namespace winlayer {

// The font a device context draws with: the one selected into it, or the
// stock system font when none is.
const GdiObjectRecord* CurrentFont(HDC dc);

// Whoever frees a DeviceContextRecord calls this first, so that deleting a
// font or brush later never touches the freed record.
void ForgetDeviceContext(HDC dc);

}  // namespace winlayer
