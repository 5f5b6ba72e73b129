// Display modes as ChangeDisplaySettingsA sees them. The host lists modes
// by SDL pixel format; Windows counts bits per pixel by storage, so 8-bit
// RGB in four-byte pixels (X's depth 24) is a 32-bit mode.
#pragma once

#include <windows.h>

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

struct ModeRequest {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int refreshRate = 0;  // 0: any
};

// The request a DEVMODEA makes: the fields that dmFields does not name
// keep the current mode's values, as on Windows; a refresh rate of 0 or 1
// means the hardware's default.
ModeRequest RequestFrom(const DEVMODEA& mode, const HostMode& current);

// The index of the host mode that has exactly the requested size and depth
// (and refresh rate, when one was asked for); nothing when the display
// offers no such mode.
std::optional<size_t> FindMode(const std::vector<HostMode>& modes, const ModeRequest& request);

}  // namespace winlayer
