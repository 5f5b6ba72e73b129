#include "DisplayModes.h"

#include <SDL2/SDL_pixels.h>

namespace winlayer {

int WindowsBitsPerPixel(uint32_t sdlFormat) {
  if (SDL_ISPIXELFORMAT_INDEXED(sdlFormat)) return SDL_BITSPERPIXEL(sdlFormat);
  int bytes = SDL_BYTESPERPIXEL(sdlFormat);
  return bytes > 0 ? bytes * 8 : SDL_BITSPERPIXEL(sdlFormat);
}

ModeRequest RequestFrom(const DEVMODEA& mode, const HostMode& current) {
  ModeRequest request;
  request.width = (mode.dmFields & DM_PELSWIDTH) ? static_cast<int>(mode.dmPelsWidth) : current.width;
  request.height = (mode.dmFields & DM_PELSHEIGHT) ? static_cast<int>(mode.dmPelsHeight) : current.height;
  request.bitsPerPixel = (mode.dmFields & DM_BITSPERPEL) ? static_cast<int>(mode.dmBitsPerPel)
                                                         : WindowsBitsPerPixel(current.format);
  if ((mode.dmFields & DM_DISPLAYFREQUENCY) && mode.dmDisplayFrequency > 1) {
    request.refreshRate = static_cast<int>(mode.dmDisplayFrequency);
  }
  return request;
}

std::optional<size_t> FindMode(const std::vector<HostMode>& modes, const ModeRequest& request) {
  for (size_t i = 0; i < modes.size(); ++i) {
    const HostMode& m = modes[i];
    if (m.width != request.width || m.height != request.height) continue;
    if (WindowsBitsPerPixel(m.format) != request.bitsPerPixel) continue;
    if (request.refreshRate != 0 && m.refreshRate != 0 && m.refreshRate != request.refreshRate) continue;
    return i;
  }
  return std::nullopt;
}

}  // namespace winlayer
