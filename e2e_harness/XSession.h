// A connection to the test X server: finding the programs' windows, real
// input through XTest, and reading what the windows show.
#pragma once

#include <X11/keysym.h>

#include <optional>
#include <string>
#include <vector>

#include "Image.h"
#include "Wait.h"

struct _XDisplay;

namespace e2e {

using WindowId = unsigned long;  // an X window
using KeySym = unsigned long;    // a key symbol: XK_Return, XK_a, XK_F4, ...

enum class Button { Left = 1, Middle = 2, Right = 3 };

// Modifier keys held around a key tap; combine them with |.
enum Modifiers : unsigned { kNoModifiers = 0, kShift = 1, kControl = 2, kAlt = 4 };
constexpr Modifiers operator|(Modifiers a, Modifiers b) {
  return static_cast<Modifiers>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// Which top-level window: by its UTF-8 title, whole or a beginning, and
// optionally by the process that made it (_NET_WM_PID).
struct WindowQuery {
  std::string title;
  bool prefix = false;
  long pid = 0;  // 0: any process

  static WindowQuery Exact(std::string title) { return {std::move(title), false, 0}; }
  static WindowQuery Prefix(std::string title) { return {std::move(title), true, 0}; }
  WindowQuery OfPid(long processId) const {
    WindowQuery q = *this;
    q.pid = processId;
    return q;
  }
  bool Matches(const std::string& windowTitle, long windowPid) const;
  // "a window titled exactly \"...\" of pid 12", for messages.
  std::string Describe() const;
  // "titled exactly \"...\"" or "titled \"...\"...".
  std::string DescribeTitle() const;
};

// Throws HarnessError unless DISPLAY names the server that with-xvfb
// started (it exports E2E_XVFB_DISPLAY), or one explicitly allowed through
// E2E_ALLOW_DISPLAY. Keeps the tests' pointer and keys off a real desktop.
void RequireTestDisplay();

class XSession {
 public:
  // Connects to DISPLAY after RequireTestDisplay; throws HarnessError when it
  // refuses or cannot connect, or when the server lacks XTest.
  XSession();
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  // --- Windows -----------------------------------------------------------

  // The screen's root window: input and pixels in screen coordinates.
  WindowId Root() const { return root_; }
  // Titled top-level windows on show, top of the stack first (frames of a
  // window manager are looked through).
  std::vector<WindowId> TitledWindows();
  std::optional<WindowId> FindWindow(const WindowQuery& query);
  WindowId WaitForWindow(const WindowQuery& query, Duration timeout);

  // The title as UTF-8: _NET_WM_NAME, else WM_NAME converted from its
  // encoding; empty when the window has none. Throws if the window is gone.
  std::string Title(WindowId w);
  // Waits until the title matches (the query's pid is ignored); returns it.
  std::string WaitForTitle(WindowId w, const WindowQuery& title, Duration timeout);
  // _NET_WM_PID, or 0 when the window does not tell.
  long Pid(WindowId w);
  // Position of the window's inside on the root window, and its size.
  // Throws HarnessError if the window is gone.
  Rect Geometry(WindowId w);
  Rect ScreenRect();
  // A list of the titled windows for messages.
  std::string DescribeWindows();

  // --- Input (window coordinates are relative to the window's inside) ----

  void MovePointer(WindowId w, int x, int y);
  void Click(WindowId w, int x, int y, Button button = Button::Left);

  // Keys go to the window that has the keyboard focus. Without a window
  // manager nobody gives it, so tests call Activate first: it raises the
  // window and focuses it, as a window manager would on a click.
  void Activate(WindowId w);

  // Press and release, with modifiers held around it (Alt+F4: TapKey(XK_F4,
  // kAlt)). Shift is added by itself for symbols on the shifted level, like
  // XK_A or XK_exclam.
  void TapKey(KeySym key, Modifiers modifiers = kNoModifiers);
  // Types text key by key; "\n" is Return, "\t" Tab, "\b" BackSpace. Throws
  // HarnessError for a character no key of the keyboard map gives.
  void Type(std::string_view text);

  // Asks the window to close the way a window manager's close button does
  // (WM_DELETE_WINDOW).
  void RequestClose(WindowId w);

  // --- Pixels ------------------------------------------------------------

  // The window's inside as the screen shows it (read from the root, so
  // windows above it show too); parts outside the screen stay black.
  Image Capture(WindowId w);
  Image CaptureScreen();
  // Captures until the window's pixels stay the same for `quiet`; returns them.
  Image WaitForStableImage(WindowId w, Duration quiet, Duration timeout);
  // Waits until the pixel at window coordinates (x, y) is within `tolerance`
  // of `colour`.
  void WaitForPixel(WindowId w, int x, int y, Rgb colour, int tolerance, Duration timeout);

  // Whether the pointer shows where it is: the image the server draws for
  // it has a pixel that is not wholly transparent. A program that hides the
  // pointer over its window gives it an empty image there.
  bool PointerShown();

  // The Xlib connection, for whatever the harness does not cover.
  _XDisplay* Raw() { return display_; }

 private:
  // Every input call ends with XSync and this pause, so that the program has
  // read the events before the next step.
  void Settle();
  unsigned KeycodeOf(KeySym key);
  Image CaptureRect(const Rect& area);
  std::optional<std::string> Property(WindowId w, const char* name, const char* type);

  _XDisplay* display_ = nullptr;
  WindowId root_ = 0;
};

// Whether `client`, the X window of a program's top-level window, is the
// client area of a framed window whose outer rectangle is `outer`: inside
// it, with borders of one width left, right and below, and the rest of the
// frame above, for the caption. With no window manager on the test display
// the Linux build's windows have no frame at all (borders of 0); under Wine
// the frame is Windows' own, drawn around the X window.
bool IsClientAreaOf(const Rect& client, const Rect& outer);

}  // namespace e2e
