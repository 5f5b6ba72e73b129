#include "XServer.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace xserver {

namespace {

Display* Connection() {
  static Display* display = [] {
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) std::abort();
    return d;
  }();
  return display;
}

std::string Utf8Property(Window window, const char* name) {
  Display* d = Connection();
  Atom property = XInternAtom(d, name, False);
  Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string text;
  if (XGetWindowProperty(d, window, property, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
          Success &&
      data != nullptr) {
    text.assign(reinterpret_cast<char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  return text;
}

bool Viewable(Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(Connection(), window, &attributes) && attributes.map_state == IsViewable;
}

Window Search(Window parent, const std::string& title) {
  Display* d = Connection();
  Window root = 0, up = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(d, parent, &root, &up, &children, &count)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    if (Title(children[i]) == title && Viewable(children[i])) {
      found = children[i];
    } else {
      found = Search(children[i], title);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace

unsigned long WindowOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return info.info.x11.window;
}

void MovePointer(int x, int y) {
  XTestFakeMotionEvent(Connection(), -1, x, y, CurrentTime);
  XFlush(Connection());
}

void Button(int button, bool down) {
  XTestFakeButtonEvent(Connection(), static_cast<unsigned>(button), down ? True : False, CurrentTime);
  XFlush(Connection());
}

void Key(const char* keysym, bool down) {
  KeyCode code = XKeysymToKeycode(Connection(), XStringToKeysym(keysym));
  XTestFakeKeyEvent(Connection(), code, down ? True : False, CurrentTime);
  XFlush(Connection());
}

void Tap(const char* keysym) {
  Key(keysym, true);
  Key(keysym, false);
}

std::string Title(unsigned long window) {
  std::string title = Utf8Property(window, "_NET_WM_NAME");
  if (!title.empty()) return title;
  char* name = nullptr;
  if (XFetchName(Connection(), window, &name) && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

unsigned long FindWindow(const std::string& title, int timeoutMs) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    Window found = Search(DefaultRootWindow(Connection()), title);
    if (found != 0) return found;
    usleep(20000);
  } while (std::chrono::steady_clock::now() < end);
  return 0;
}

void Focus(unsigned long window) {
  XSetInputFocus(Connection(), window, RevertToParent, CurrentTime);
  XSync(Connection(), False);
}

void SetNetWmState(unsigned long window, const std::vector<std::string>& states) {
  Display* d = Connection();
  std::vector<Atom> atoms;
  for (const std::string& s : states) atoms.push_back(XInternAtom(d, s.c_str(), False));
  XChangeProperty(d, window, XInternAtom(d, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
  XSync(d, False);
}

void Resize(unsigned long window, int width, int height) {
  XResizeWindow(Connection(), window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(Connection(), False);
}

void RequestClose(unsigned long window) {
  Display* d = Connection();
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, window, False, NoEventMask, &e);
  XSync(d, False);
}

unsigned long PixelAt(unsigned long window, int x, int y) {
  XImage* image = XGetImage(Connection(), window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0xFFFFFFFFul;
  unsigned long pixel = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return pixel & 0xFFFFFFul;
}

}  // namespace xserver
