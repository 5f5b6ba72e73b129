#include "DisplayModes.h"

#include <SDL2/SDL_pixels.h>

namespace winlayer {

int WindowsBitsPerPixel(uint32_t sdlFormat) {
  if (SDL_ISPIXELFORMAT_INDEXED(sdlFormat)) return SDL_BITSPERPIXEL(sdlFormat);
  int bytes = SDL_BYTESPERPIXEL(sdlFormat);
  return bytes > 0 ? bytes * 8 : SDL_BITSPERPIXEL(sdlFormat);
}

std::optional<size_t> FindMode(const std::vector<HostMode>& modes, int width, int height, int bitsPerPixel) {
  for (size_t i = 0; i < modes.size(); ++i) {
    const HostMode& m = modes[i];
    if (m.width == width && m.height == height && WindowsBitsPerPixel(m.format) == bitsPerPixel) return i;
  }
  return std::nullopt;
}

}  // namespace winlayer
