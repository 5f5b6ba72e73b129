#include "XSession.h"

#include "App.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace e2e {

namespace {

// Xlib's default error handler ends the process; a window that closes
// between two requests is normal here. Errors are recorded instead and the
// requests that can meet them check through ErrorTrap.
int lastXError = 0;

int RecordXError(Display*, XErrorEvent* event) {
  lastXError = event->error_code;
  return 0;
}

class ErrorTrap {
 public:
  explicit ErrorTrap(Display* d) : display_(d) {
    XSync(display_, False);
    lastXError = 0;
  }
  bool Failed() {
    XSync(display_, False);
    return lastXError != 0;
  }

 private:
  Display* display_;
};

std::string Hex(unsigned long id) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%lx", id);
  return text;
}

std::string KeyName(KeySym key) {
  const char* name = XKeysymToString(key);
  return name ? name : Hex(key);
}

// Printable ASCII characters are their own key symbols.
KeySym KeySymOf(char c) {
  switch (c) {
    case '\n':
    case '\r':
      return XK_Return;
    case '\t':
      return XK_Tab;
    case '\b':
      return XK_BackSpace;
    default:
      return static_cast<unsigned char>(c);
  }
}

}  // namespace

bool WindowQuery::Matches(const std::string& windowTitle, long windowPid) const {
  if (pid != 0 && windowPid != pid) return false;
  return prefix ? windowTitle.starts_with(title) : windowTitle == title;
}

std::string WindowQuery::DescribeTitle() const {
  return prefix ? "titled \"" + title + "...\"" : "titled exactly \"" + title + "\"";
}

std::string WindowQuery::Describe() const {
  std::string text = "a window " + DescribeTitle();
  if (pid != 0) text += " of pid " + std::to_string(pid);
  return text;
}

void RequireTestDisplay() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    throw HarnessError(
        "DISPLAY is not set: end-to-end tests run inside e2e_harness/with-xvfb, which starts an X server "
        "of their own");
  }
  const char* ours = std::getenv("E2E_XVFB_DISPLAY");
  const char* allowed = std::getenv("E2E_ALLOW_DISPLAY");
  if ((ours != nullptr && std::string_view(ours) == display) ||
      (allowed != nullptr && std::string_view(allowed) == display)) {
    return;
  }
  throw HarnessError(std::string("refusing to drive display ") + display +
                     ": it was not started by e2e_harness/with-xvfb (run the test through it, or set "
                     "E2E_ALLOW_DISPLAY=" +
                     display + " for a server that no one works on)");
}

XSession::XSession() {
  RequireTestDisplay();
  static std::once_flag handlerInstalled;
  std::call_once(handlerInstalled, [] { XSetErrorHandler(RecordXError); });
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr)
    throw HarnessError(std::string("cannot connect to X display ") + std::getenv("DISPLAY"));
  int eventBase, errorBase, major, minor;
  if (!XTestQueryExtension(display_, &eventBase, &errorBase, &major, &minor)) {
    XCloseDisplay(display_);
    throw HarnessError("the X server has no XTest extension");
  }
  // Input faked through XTest must not be held up by another client's grab.
  XTestGrabControl(display_, True);
  root_ = DefaultRootWindow(display_);
}

XSession::~XSession() { XCloseDisplay(display_); }

// --- Windows ---------------------------------------------------------------

std::optional<std::string> XSession::Property(WindowId w, const char* name, const char* type) {
  Atom property = XInternAtom(display_, name, False);
  Atom wanted = type ? XInternAtom(display_, type, False) : AnyPropertyType;
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  ErrorTrap trap(display_);
  int status = XGetWindowProperty(display_, w, property, 0, 65536, False, wanted, &actualType, &format,
                                  &count, &remaining, &data);
  if (trap.Failed() || status != Success || data == nullptr || actualType == None) {
    if (data) XFree(data);
    return std::nullopt;
  }
  std::string bytes;
  if (format == 8) {
    bytes.assign(reinterpret_cast<char*>(data), count);
  } else if (format == 32) {
    // Xlib hands 32-bit items as longs.
    bytes.assign(reinterpret_cast<char*>(data), count * sizeof(long));
  } else {
    bytes.assign(reinterpret_cast<char*>(data), count * 2);
  }
  XFree(data);
  return bytes;
}

std::vector<WindowId> XSession::TitledWindows() {
  std::vector<WindowId> found;
  auto visit = [&](auto& self, WindowId parent, int depth) -> void {
    ::Window rootReturn, parentReturn, *children = nullptr;
    unsigned count = 0;
    ErrorTrap trap(display_);
    if (!XQueryTree(display_, parent, &rootReturn, &parentReturn, &children, &count) || trap.Failed()) return;
    std::vector<WindowId> list(children, children + count);
    if (children) XFree(children);
    // XQueryTree lists bottom to top.
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
      XWindowAttributes attributes;
      ErrorTrap inner(display_);
      if (!XGetWindowAttributes(display_, *it, &attributes) || inner.Failed()) continue;
      if (attributes.map_state != IsViewable) continue;
      if (Property(*it, "_NET_WM_NAME", nullptr) || Property(*it, "WM_NAME", nullptr)) {
        found.push_back(*it);
      } else if (depth == 0) {
        self(self, *it, depth + 1);  // a window manager's frame holds the program's window
      }
    }
  };
  visit(visit, root_, 0);
  return found;
}

namespace {

// A page keeps a caption's runs of spaces as no-break spaces (a browser
// collapses a title's spaces); on the web build they are the caption's
// spaces.
std::string AsCaption(std::string title) {
  if (!OnWeb()) return title;
  for (size_t at; (at = title.find("\xC2\xA0")) != std::string::npos;) title.replace(at, 2, " ");
  return title;
}

}  // namespace

std::string XSession::Title(WindowId w) {
  if (auto name = Property(w, "_NET_WM_NAME", nullptr)) return AsCaption(*name);
  XTextProperty text{};
  ErrorTrap trap(display_);
  Status ok = XGetWMName(display_, w, &text);
  if (trap.Failed()) throw HarnessError("window " + Hex(w) + " no longer exists");
  if (!ok || text.value == nullptr) return "";
  // Latin-1, compound text or UTF-8: Xlib converts.
  std::string title;
  char** list = nullptr;
  int count = 0;
  if (Xutf8TextPropertyToTextList(display_, &text, &list, &count) >= Success && list) {
    for (int i = 0; i < count; ++i) title += list[i];
    XFreeStringList(list);
  } else {
    title.assign(reinterpret_cast<char*>(text.value), text.nitems);
  }
  XFree(text.value);
  return AsCaption(title);
}

long XSession::Pid(WindowId w) {
  auto value = Property(w, "_NET_WM_PID", "CARDINAL");
  if (!value || value->size() < sizeof(long)) return 0;
  long pid = 0;
  std::copy_n(value->data(), sizeof(long), reinterpret_cast<char*>(&pid));
  return pid;
}

std::optional<WindowId> XSession::FindWindow(const WindowQuery& query) {
  for (WindowId w : TitledWindows()) {
    try {
      if (query.Matches(Title(w), query.pid ? Pid(w) : 0)) return w;
    } catch (const HarnessError&) {
      // closed while being looked at
    }
  }
  return std::nullopt;
}

std::string XSession::DescribeWindows() {
  std::string text;
  for (WindowId w : TitledWindows()) {
    try {
      std::string title = Title(w);
      Rect r = Geometry(w);
      if (!text.empty()) text += ", ";
      text += Printable(title) + " (pid " + std::to_string(Pid(w)) + ", " + std::to_string(r.width) + "x" +
              std::to_string(r.height) + ")";
    } catch (const HarnessError&) {
    }
  }
  return text.empty() ? "no titled window" : "windows " + text;
}

WindowId XSession::WaitForWindow(const WindowQuery& query, Duration timeout) {
  std::optional<WindowId> found;
  WaitUntil(
      query.Describe(), timeout, [&] { return (found = FindWindow(query)).has_value(); },
      [&] { return DescribeWindows(); });
  return *found;
}

std::string XSession::WaitForTitle(WindowId w, const WindowQuery& title, Duration timeout) {
  std::string current;
  WaitUntil(
      "window " + Hex(w) + " to be " + title.DescribeTitle(), timeout,
      [&] { return title.Matches(current = Title(w), 0); }, [&] { return "title " + Printable(current); });
  return current;
}

Rect XSession::Geometry(WindowId w) {
  XWindowAttributes attributes;
  int x = 0, y = 0;
  ::Window child;
  ErrorTrap trap(display_);
  Status ok = XGetWindowAttributes(display_, w, &attributes);
  if (ok) XTranslateCoordinates(display_, w, root_, 0, 0, &x, &y, &child);
  if (trap.Failed() || !ok) throw HarnessError("window " + Hex(w) + " no longer exists");
  return {x, y, attributes.width, attributes.height};
}

Rect XSession::ScreenRect() {
  int screen = DefaultScreen(display_);
  return {0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
}

// --- Input -----------------------------------------------------------------

void XSession::Settle() {
  XSync(display_, False);
  std::this_thread::sleep_for(10ms);
}

void XSession::MovePointer(WindowId w, int x, int y) {
  Rect r = Geometry(w);
  XTestFakeMotionEvent(display_, DefaultScreen(display_), r.x + x, r.y + y, CurrentTime);
  Settle();
}

void XSession::Click(WindowId w, int x, int y, Button button) {
  MovePointer(w, x, y);
  XTestFakeButtonEvent(display_, static_cast<unsigned>(button), True, CurrentTime);
  XSync(display_, False);
  XTestFakeButtonEvent(display_, static_cast<unsigned>(button), False, CurrentTime);
  Settle();
}

void XSession::Activate(WindowId w) {
  WaitUntil("window " + Hex(w) + " to be mapped", 5s, [&] {
    XWindowAttributes attributes;
    ErrorTrap trap(display_);
    Status ok = XGetWindowAttributes(display_, w, &attributes);
    if (trap.Failed() || !ok) throw HarnessError("window " + Hex(w) + " no longer exists");
    return attributes.map_state == IsViewable;
  });
  XRaiseWindow(display_, w);
  XSetInputFocus(display_, w, RevertToPointerRoot, CurrentTime);
  WaitUntil("window " + Hex(w) + " to get the keyboard focus", 5s, [&] {
    ::Window focus = None;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    return focus == w;
  });
  Settle();
}

unsigned XSession::KeycodeOf(KeySym key) {
  unsigned keycode = XKeysymToKeycode(display_, key);
  if (keycode == 0) throw HarnessError("no key produces " + KeyName(key));
  return keycode;
}

void XSession::TapKey(KeySym key, Modifiers modifiers) {
  const unsigned keycode = KeycodeOf(key);
  // The symbol on the shifted level of its key comes with Shift.
  if (XkbKeycodeToKeysym(display_, static_cast<KeyCode>(keycode), 0, 0) != key)
    modifiers = modifiers | kShift;
  std::vector<unsigned> held;
  if (modifiers & kControl) held.push_back(KeycodeOf(XK_Control_L));
  if (modifiers & kAlt) held.push_back(KeycodeOf(XK_Alt_L));
  if (modifiers & kShift) held.push_back(KeycodeOf(XK_Shift_L));
  for (unsigned k : held) XTestFakeKeyEvent(display_, k, True, CurrentTime);
  XTestFakeKeyEvent(display_, keycode, True, CurrentTime);
  // A short gap, as between a real finger's press and release.
  XSync(display_, False);
  std::this_thread::sleep_for(5ms);
  XTestFakeKeyEvent(display_, keycode, False, CurrentTime);
  for (auto it = held.rbegin(); it != held.rend(); ++it) XTestFakeKeyEvent(display_, *it, False, CurrentTime);
  Settle();
}

void XSession::Type(std::string_view text) {
  for (char c : text) TapKey(KeySymOf(c));
}

void XSession::RequestClose(WindowId w) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = w;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  ErrorTrap trap(display_);
  XSendEvent(display_, w, False, NoEventMask, &event);
  if (trap.Failed()) throw HarnessError("window " + Hex(w) + " no longer exists");
  Settle();
}

// --- Pixels ----------------------------------------------------------------

Image XSession::CaptureRect(const Rect& area) {
  Image image(area.width, area.height);
  Rect visible = Intersect(area, ScreenRect());
  if (visible.Empty()) return image;
  ErrorTrap trap(display_);
  XImage* shot = XGetImage(display_, root_, visible.x, visible.y, static_cast<unsigned>(visible.width),
                           static_cast<unsigned>(visible.height), AllPlanes, ZPixmap);
  if (trap.Failed() || shot == nullptr) {
    if (shot) XDestroyImage(shot);
    throw HarnessError("could not read the screen's pixels");
  }
  // Each channel from its mask, scaled to 8 bits.
  struct Channel {
    int shift = 0;
    unsigned long max = 0;
    uint8_t Of(unsigned long pixel) const {
      unsigned long value = (pixel >> shift) & max;
      return static_cast<uint8_t>(max == 255 ? value : (max ? value * 255 / max : 0));
    }
  };
  auto channelOf = [](unsigned long mask) {
    if (mask == 0) return Channel{};
    int shift = __builtin_ctzl(mask);
    return Channel{shift, mask >> shift};
  };
  const Channel red = channelOf(shot->red_mask), green = channelOf(shot->green_mask),
                blue = channelOf(shot->blue_mask);
  // 32-bit pixels in this machine's byte order are read straight, anything
  // else through Xlib.
  const bool direct = shot->bits_per_pixel == 32 &&
                      shot->byte_order == (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? LSBFirst : MSBFirst);
  const int dx = visible.x - area.x, dy = visible.y - area.y;
  for (int y = 0; y < visible.height; ++y) {
    const char* row = shot->data + static_cast<ptrdiff_t>(y) * shot->bytes_per_line;
    for (int x = 0; x < visible.width; ++x) {
      unsigned long pixel;
      if (direct) {
        uint32_t word;
        std::memcpy(&word, row + 4 * x, 4);
        pixel = word;
      } else {
        pixel = XGetPixel(shot, x, y);
      }
      image.Set(dx + x, dy + y, {red.Of(pixel), green.Of(pixel), blue.Of(pixel)});
    }
  }
  XDestroyImage(shot);
  return image;
}

Image XSession::Capture(WindowId w) { return CaptureRect(Geometry(w)); }

bool XSession::PointerShown() {
  // The server answers a client's XFixes requests of the version it has
  // agreed to; the pointer's image came with version 2.
  int major = 2, minor = 0;
  if (!XFixesQueryVersion(display_, &major, &minor) || major < 2) {
    throw HarnessError("the X server lacks XFixes 2, which tells the pointer's image");
  }
  XFixesCursorImage* cursor = XFixesGetCursorImage(display_);
  if (cursor == nullptr) throw HarnessError("the X server does not tell the pointer's image (XFixes)");
  bool shown = false;
  // ARGB, one pixel in each unsigned long.
  for (int i = 0; i < cursor->width * cursor->height; ++i) shown |= (cursor->pixels[i] >> 24 & 0xFF) != 0;
  XFree(cursor);
  return shown;
}

Image XSession::CaptureScreen() { return CaptureRect(ScreenRect()); }

Image XSession::WaitForStableImage(WindowId w, Duration quiet, Duration timeout) {
  return WaitUntilSteady<Image>("the pixels of window " + Hex(w), quiet, timeout, [&] { return Capture(w); });
}

void XSession::WaitForPixel(WindowId w, int x, int y, Rgb colour, int tolerance, Duration timeout) {
  std::optional<Rgb> seen;
  WaitUntil(
      "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") of window " + Hex(w) + " to be " +
          ToString(colour) + " within " + std::to_string(tolerance),
      timeout,
      [&] {
        Rect r = Geometry(w);
        Image one = CaptureRect({r.x + x, r.y + y, 1, 1});
        seen = one.At(0, 0);
        return Near(*seen, colour, tolerance);
      },
      [&] { return seen ? ToString(*seen) : std::string("nothing"); });
}

bool IsClientAreaOf(const Rect& client, const Rect& outer) {
  const int border = client.x - outer.x;
  return border >= 0 && client.y - outer.y >= border &&
         outer.x + outer.width - (client.x + client.width) == border &&
         outer.y + outer.height - (client.y + client.height) == border;
}

}  // namespace e2e
