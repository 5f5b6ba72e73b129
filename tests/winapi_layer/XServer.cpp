#include "XServer.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace xserver {

e2e::WindowId WindowOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    throw e2e::HarnessError("the window has no X window");
  }
  return info.info.x11.window;
}

void Maximise(e2e::XSession& x, e2e::WindowId window) {
  Display* d = x.Raw();
  Atom states[] = {XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_VERT", False),
                   XInternAtom(d, "_NET_WM_STATE_MAXIMIZED_HORZ", False)};
  XChangeProperty(d, window, XInternAtom(d, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(states), 2);
  XSync(d, False);
}

}  // namespace xserver
