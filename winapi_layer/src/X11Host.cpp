// What the layer asks of the X server itself, past SDL. Kept apart from the
// rest of the layer because Xlib's names clash with Windows'.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include "DisplayModes.h"

namespace winlayer {

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
Display* X11DisplayOf(SDL_Window* window) {
  if (window == nullptr) return nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  return info.info.x11.display;
}
#endif

}  // namespace

// The desktop's modes are X's to change, through XRandR as SDL does it.
bool HostChangesModes() { return true; }
void ShowFullScreenInPage(bool) {}

void RingBell(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  if (Display* display = X11DisplayOf(window)) {
    XBell(display, 0);
    XFlush(display);
  }
#else
  (void)window;
#endif
}

void SetHostTitle(SDL_Window* window, const char* utf8) {
  SDL_SetWindowTitle(window, utf8);
#if defined(SDL_VIDEO_DRIVER_X11)
  // SDL sets the X title only when the C library's locale can encode every
  // character, which the "C" locale of a program cannot; the UTF-8 title
  // that window managers show needs no locale.
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    Display* display = info.info.x11.display;
    XChangeProperty(display, info.info.x11.window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8), static_cast<int>(SDL_strlen(utf8)));
    XSync(display, False);
  }
#endif
}

}  // namespace winlayer
