// The beep of MessageBeep: the X server's bell. Kept apart from the rest of
// the layer because Xlib's names clash with Windows'.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

namespace winlayer {

void RingBell(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  if (window == nullptr) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    XBell(info.info.x11.display, 0);
    XFlush(info.info.x11.display);
  }
#else
  (void)window;
#endif
}

}  // namespace winlayer
