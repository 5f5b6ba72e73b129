// harness_probe: a small X program for the harness's own tests. It reads
// probe.cfg from its working directory (key=value lines: title, width,
// height, x, y, net_wm_name, exit_key, exit_code, close_code), opens one
// window with that UTF-8 title painted in four coloured quadrants, and
// appends every button and key press to events.txt:
//   button <number> <x> <y>
//   key <keysym name> <modifiers: none, or shift, ctrl, alt joined by +>
// The key `c` switches the top-left quadrant's colour and adds " (c)" to the
// title. The exit key ends it with exit_code, WM_DELETE_WINDOW with
// close_code.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

namespace {

std::map<std::string, std::string> ReadConfig() {
  std::map<std::string, std::string> config = {
      {"title", "Harness probe"}, {"width", "200"},    {"height", "120"},  {"x", "0"},          {"y", "0"},
      {"net_wm_name", "1"},       {"exit_key", "F10"}, {"exit_code", "0"}, {"close_code", "0"},
  };
  std::ifstream in("probe.cfg");
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto eq = line.find('=');
    if (eq != std::string::npos) config[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return config;
}

void SetTitle(Display* d, Window w, const std::string& title, bool netWmName) {
  if (netWmName) {
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), XInternAtom(d, "UTF8_STRING", False), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
  }
  // WM_NAME the classic way: Latin-1 as STRING, anything else as compound text.
  char* list[] = {const_cast<char*>(title.c_str())};
  XTextProperty text;
  if (Xutf8TextListToTextProperty(d, list, 1, XStdICCTextStyle, &text) >= Success) {
    XSetWMName(d, w, &text);
    XFree(text.value);
  }
}

std::string Modifiers(unsigned state) {
  std::string text;
  auto add = [&](const char* name) { text += text.empty() ? name : std::string("+") + name; };
  if (state & ShiftMask) add("shift");
  if (state & ControlMask) add("ctrl");
  if (state & Mod1Mask) add("alt");
  return text.empty() ? "none" : text;
}

}  // namespace

int main() {
  auto config = ReadConfig();
  auto number = [&](const char* key) { return std::atoi(config[key].c_str()); };
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) {
    std::fprintf(stderr, "probe: no X display\n");
    return 99;
  }
  char cwd[4096];
  std::printf("probe: started in %s\n", getcwd(cwd, sizeof cwd) ? cwd : "?");
  for (const char* name : {"PROBE_GREETING", "PROBE_RUNNER"}) {
    if (const char* value = std::getenv(name)) std::printf("%s=%s\n", name, value);
  }
  std::fflush(stdout);

  const int width = number("width"), height = number("height");
  const bool netWmName = config["net_wm_name"] != "0";
  const std::string title = config["title"];
  Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), number("x"), number("y"),
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 0, 0, 0);
  SetTitle(d, w, title, netWmName);
  long pid = getpid();
  XChangeProperty(d, w, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(d, w, &deleteWindow, 1);
  XSelectInput(d, w, ExposureMask | ButtonPressMask | KeyPressMask | StructureNotifyMask);
  XMapWindow(d, w);
  std::fprintf(stderr, "probe: window 0x%lx\n", w);

  // Top left, top right, bottom left, bottom right, and top left switched.
  const int rgb[5][3] = {{200, 40, 10}, {20, 180, 60}, {30, 60, 220}, {240, 220, 30}, {120, 0, 160}};
  unsigned long pixels[5];
  for (int i = 0; i < 5; ++i) {
    XColor colour{};
    colour.red = static_cast<unsigned short>(rgb[i][0] * 257);
    colour.green = static_cast<unsigned short>(rgb[i][1] * 257);
    colour.blue = static_cast<unsigned short>(rgb[i][2] * 257);
    XAllocColor(d, DefaultColormap(d, DefaultScreen(d)), &colour);
    pixels[i] = colour.pixel;
  }
  bool switched = false;
  GC gc = XCreateGC(d, w, 0, nullptr);
  auto paint = [&] {
    for (int q = 0; q < 4; ++q) {
      const int left = q % 2 ? width / 2 : 0, top = q / 2 ? height / 2 : 0;
      const int right = q % 2 ? width : width / 2, bottom = q / 2 ? height : height / 2;
      XSetForeground(d, gc, pixels[q == 0 && switched ? 4 : q]);
      XFillRectangle(d, w, gc, left, top, static_cast<unsigned>(right - left),
                     static_cast<unsigned>(bottom - top));
    }
    XFlush(d);
  };

  const KeySym exitKey = XStringToKeysym(config["exit_key"].c_str());
  std::FILE* events = std::fopen("events.txt", "a");
  if (events == nullptr) {
    std::fprintf(stderr, "probe: cannot write events.txt\n");
    return 98;
  }
  for (;;) {
    XEvent e;
    XNextEvent(d, &e);
    switch (e.type) {
      case Expose:
        if (e.xexpose.count == 0) paint();
        break;
      case MappingNotify:
        XRefreshKeyboardMapping(&e.xmapping);
        break;
      case ButtonPress:
        std::fprintf(events, "button %u %d %d\n", e.xbutton.button, e.xbutton.x, e.xbutton.y);
        std::fflush(events);
        break;
      case KeyPress: {
        char text[32];
        KeySym sym = NoSymbol;
        XLookupString(&e.xkey, text, sizeof text, &sym, nullptr);
        if (IsModifierKey(sym)) break;
        const char* name = XKeysymToString(sym);
        std::fprintf(events, "key %s %s\n", name ? name : "NoSymbol", Modifiers(e.xkey.state).c_str());
        std::fflush(events);
        if (sym == exitKey) return number("exit_code");
        if (sym == XK_c) {
          switched = !switched;
          SetTitle(d, w, switched ? title + " (c)" : title, netWmName);
          paint();
        }
        break;
      }
      case ClientMessage:
        if (static_cast<Atom>(e.xclient.data.l[0]) == deleteWindow) return number("close_code");
        break;
      default:
        break;
    }
  }
}
