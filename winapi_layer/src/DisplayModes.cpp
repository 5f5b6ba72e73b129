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

std::optional<HostMode> OfferedPageMode(int width, int height, int bitsPerPixel) {
  if (width <= 0 || height <= 0) return std::nullopt;
  uint32_t format = 0;
  switch (bitsPerPixel) {
    case 8:
      format = SDL_PIXELFORMAT_INDEX8;
      break;
    case 16:
      format = SDL_PIXELFORMAT_RGB565;
      break;
    case 24:
      format = SDL_PIXELFORMAT_RGB24;
      break;
    case 32:
      format = SDL_PIXELFORMAT_RGB888;
      break;
    default:
      return std::nullopt;
  }
  return HostMode{width, height, format, 0};
}

}  // namespace winlayer
