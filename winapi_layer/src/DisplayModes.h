// Display modes as ChangeDisplaySettingsA sees them. The host lists modes
// by SDL pixel format; Windows counts bits per pixel by storage, so 8-bit
// RGB in four-byte pixels (X's depth 24) is a 32-bit mode.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace winlayer {

struct HostMode {
  int width = 0;
  int height = 0;
  uint32_t format = 0;  // SDL_PixelFormatEnum
  int refreshRate = 0;  // 0: unknown
};

int WindowsBitsPerPixel(uint32_t sdlFormat);

// The index of the host mode that has exactly the size and the bits per
// pixel asked for (the 3D game names all three); nothing when the display
// offers no such mode.
std::optional<size_t> FindMode(const std::vector<HostMode>& modes, int width, int height, int bitsPerPixel);

}  // namespace winlayer
