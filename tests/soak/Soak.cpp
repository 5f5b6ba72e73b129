// soak game|tessel SECONDS: plays one program for that long with random but
// legal input under the test X server (run it inside with-xvfb; scripts/soak
// does), then closes it as a player would. It fails on a crash, a hang, a
// leaders file that is not ten valid lines afterwards, or resident memory
// that grows. With the harness's E2E_WINDOWS_BUILD it drives the Windows
// build under Wine the same way, and with E2E_WEB_BUILD the web build's page
// in Chromium: there the memory watched is that of all the browser's
// processes (the page's program has no process of its own), the page itself
// counts the settings of its caption, the input keeps to what a page leaves
// its program (the canvas, and no function keys), and Game's page is closed
// as a player closes a page, which tells nothing of an exit status.
// SOAK_SEED repeats a run.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "App.h"
#include "Browser.h"
#include "Globvars.h"
#include "Processes.h"
#include "SceneLook.h"
#include "XSession.h"
#include "_Pole.h"

// After the harness: Xlib's macros would spoil gtest's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using e2e::App, e2e::WindowId, e2e::XSession;

// A program caption that is not set again for this long means a hang: both
// set theirs at least once a second (Tessel in the timer tick that redraws
// its board, Game with the frame rate).
constexpr auto kHangLimit = 10s;
// How often a page is asked how many times its caption has been set.
constexpr auto kPageCaptionPoll = 500ms;
// Growth of a memory watched, from the second minute to the end, that fails.
constexpr double kGrowthLimitMiB = 16, kGrowthLimitShare = 0.10;

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Program {
  bool tessel;
  const char* dist;
  const char* executable;
  std::vector<std::string> titles;  // beginnings its captions have
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double MiB(long kib) { return kib / 1024.0; }

// Ten CR LF lines of a decimal 32-bit score and an optional name after one
// space, best first. Empty when the text is such a table, else what is wrong.
std::string LeadersProblem(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start != text.size() || lines.size() != 10)
    return std::to_string(lines.size()) + " CR LF lines and " + std::to_string(text.size() - start) +
           " bytes after the last";
  int64_t previous = INT64_MAX;
  for (const std::string& line : lines) {
    const size_t space = line.find(' ');
    const std::string digits = line.substr(0, space);
    int32_t score = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), score);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        line.find_first_of("\r\n") != std::string::npos)
      return "not a score and a name: \"" + line + "\"";
    if (score > previous) return "not best first at \"" + line + "\"";
    previous = score;
  }
  return "";
}

class Soak {
 public:
  Soak(const Program& program, std::chrono::seconds length, unsigned seed)
      : program_(program),
        length_(length),
        random_(seed),
        app_(e2e::Dist(program.dist), program.executable) {}

  // The whole run; throws Failure with the reason.
  void Run() {
    app_.Start();
    page_ = app_.Page() != nullptr;
    window_ = FindWindow();
    x_.Activate(window_);
    const e2e::Rect start = x_.Geometry(window_);
    startWidth_ = start.width;
    startHeight_ = start.height;
    // Under a runner such as Wine the program is not the process started; a
    // page's window is the browser's.
    const long windowPid = x_.Pid(window_);
    pid_ = windowPid > 0 ? windowPid : app_.Pid();
    WatchCaption();
    WatchMemory();

    const auto begin = Clock::now();
    const auto baselineAt = begin + std::min<Clock::duration>(60s, length_ / 3);
    const auto end = begin + length_;
    auto nextMinute = begin + 60s;
    while (Clock::now() < end) {
      Act();
      Check();
      if (baseline_.empty() && Clock::now() >= baselineAt) baseline_ = MemoryAtStartSize();
      if (Clock::now() >= nextMinute) {
        std::printf("minute %d:", ++minutes_);
        for (size_t i = 0; i < memories_.size(); ++i)
          std::printf("%s %.1f MiB %s", i ? "," : "", MiB(memories_[i].read()), memories_[i].name);
        std::printf("\n");
        std::fflush(stdout);
        nextMinute += 60s;
      }
    }
    if (baseline_.empty()) baseline_ = MemoryAtStartSize();
    const std::vector<long> atEnd = MemoryAtStartSize();
    Close();

    std::string grown;
    for (size_t i = 0; i < memories_.size(); ++i) {
      const double before = MiB(baseline_[i]), growth = MiB(atEnd[i] - baseline_[i]);
      std::printf("%s: %.1f MiB at %s, %.1f MiB at the end: %+.1f MiB (%+.1f%%)\n", memories_[i].name, before,
                  length_ >= 180s ? "the start of minute 2" : "a third of the run", MiB(atEnd[i]), growth,
                  100.0 * growth / before);
      if (growth > std::max(kGrowthLimitMiB, kGrowthLimitShare * before))
        grown += std::string(grown.empty() ? "" : "; ") + memories_[i].name + " grew by " +
                 std::to_string(growth) + " MiB";
    }
    std::printf("input: %d moves, %d clicks, %d right clicks, %d keys, %d Enters, %d resizes, %d minimises\n",
                moves_, clicks_, rightClicks_, keys_, enters_, resizes_, minimises_);
    if (!grown.empty()) throw Failure(grown);
    if (program_.tessel) {
      const std::string problem = LeadersProblem(app_.ReadFile("рекорды.txt"));
      if (!problem.empty()) throw Failure("the leaders file afterwards: " + problem);
    }
  }

  ~Soak() {
    if (watcher_) XCloseDisplay(watcher_);
  }
  Soak(const Soak&) = delete;
  Soak& operator=(const Soak&) = delete;

 private:
  bool HasProgramTitle(const std::string& title) const {
    for (const std::string& t : program_.titles)
      if (title.rfind(t, 0) == 0) return true;
    return false;
  }

  WindowId FindWindow() {
    WindowId found = 0;
    app_.WaitUntil("a window of " + app_.Name(), 60s, [&] {
      for (WindowId w : x_.TitledWindows()) {
        if (HasProgramTitle(x_.Title(w))) found = w;
      }
      return found != 0;
    });
    // A page's window is fitted to its canvas, as the harness shows a page.
    if (page_) found = app_.WaitForWindow(x_, e2e::WindowQuery::Prefix("").OfPid(x_.Pid(found)), 60s);
    return found;
  }

  // Caption changes arrive on a connection of our own as property events.
  // A browser sets its window's title only when the page's title changes,
  // so a page counts the settings of its title itself: each replaces the
  // text of its <title>, which an observer sees even when the text stays
  // the same.
  void WatchCaption() {
    lastCaption_ = Clock::now();
    if (page_) {
      app_.Page()->Evaluate(
          "window.soakCaptionSets = 0, new MutationObserver(() => ++window.soakCaptionSets)"
          ".observe(document.querySelector('title'), {childList: true, characterData: true, subtree: true})");
      return;
    }
    watcher_ = XOpenDisplay(nullptr);
    if (!watcher_) throw Failure("cannot open a second connection to the X server");
    XSelectInput(watcher_, window_, PropertyChangeMask);
    wmName_ = XInternAtom(watcher_, "WM_NAME", False);
    netWmName_ = XInternAtom(watcher_, "_NET_WM_NAME", False);
    XSync(watcher_, False);
  }

  // The settings of the caption that have come since the last look.
  bool CaptionSet() {
    if (page_) {
      if (Clock::now() < nextPageLook_) return false;
      nextPageLook_ = Clock::now() + kPageCaptionPoll;
      const long sets = app_.Page()->Evaluate("window.soakCaptionSets").get<long>();
      const bool set = sets != captionSets_;
      captionSets_ = sets;
      return set;
    }
    bool set = false;
    while (XPending(watcher_) > 0) {
      XEvent event;
      XNextEvent(watcher_, &event);
      if (event.type == PropertyNotify &&
          (event.xproperty.atom == wmName_ || event.xproperty.atom == netWmName_))
        set = true;
    }
    return set;
  }

  // Ends the run on a crash or a hang.
  void Check() {
    if (auto status = app_.Ended())
      throw Failure(
          app_.Name() + " ended by itself with " + status->Describe() + "; its standard error ends:\n" +
          e2e::Printable(app_.Stderr().substr(app_.Stderr().size() > 2000 ? app_.Stderr().size() - 2000 : 0),
                         2000));
    if (CaptionSet()) lastCaption_ = Clock::now();
    const auto quiet = Clock::now() - lastCaption_;
    if (quiet > kHangLimit)
      throw Failure(app_.Name() + " hangs: its caption has not been set for " +
                    std::to_string(Seconds(quiet)) + " s");
  }

  // Waits, watching for a crash or a hang meanwhile.
  void Pause(e2e::Duration d) {
    const auto until = Clock::now() + d;
    while (Clock::now() < until) {
      Check();
      std::this_thread::sleep_for(std::min<Clock::duration>(50ms, until - Clock::now()));
    }
  }

  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(random_); }

  // Where the program's window shows in the X window. A page's canvas keeps
  // the size the program gave its window when the browser's window changes
  // its, and is shown smaller in a smaller one.
  e2e::Rect Shown() {
    if (!page_) {
      const e2e::Rect r = x_.Geometry(window_);
      return {0, 0, r.width, r.height};
    }
    return app_.Page()->ElementBox("#canvas");
  }

  // The window pixel of board cell (column, row), both 0..7 from the top
  // left, for the window's present size.
  e2e::Point Cell(int column, int row) {
    const e2e::Rect shown = Shown();
    // The program's own pixels: a page's are those of its canvas.
    const int width = page_ ? startWidth_ : shown.width, height = page_ ? startHeight_ : shown.height;
    e2e::Point p;
    if (program_.tessel) {
      windowWidth = width;
      windowHeight = height;
      ComputeGeometry();
      p = {20 + column * cellPixels + cellPixels / 2, 20 + row * cellPixels + cellPixels / 2};
    } else {
      p = ScenePixel(column * 0.2 - 0.7, (7 - row) * 0.2 - 0.7, width, height);
    }
    return {shown.x + p.x * shown.width / width, shown.y + p.y * shown.height / height};
  }

  // Somewhere in the window or a little beyond it; in a page, somewhere on
  // the canvas: what lies beside it is the page's (a right click there
  // opens the browser's menu, a left one may follow a link).
  e2e::Point Anywhere() {
    const e2e::Rect r = Shown();
    if (page_) return {r.x + Uniform(0, r.width - 1), r.y + Uniform(0, r.height - 1)};
    return {Uniform(-20, r.width + 20), Uniform(-20, r.height + 20)};
  }

  void Key() {
    static const std::vector<e2e::KeySym> keys = {
        XK_a,     XK_b,    XK_m,  XK_q,   XK_z,  XK_0,  XK_5,       XK_9,         XK_BackSpace,
        XK_space, XK_Left, XK_Up, XK_Tab, XK_F1, XK_F4, XK_Shift_L, XK_Control_L, XK_Delete};
    // Escape would end Tessel; Game takes Enter like any key. A page leaves
    // the function keys to the browser (F1 opens its help).
    e2e::KeySym key;
    do key = keys[Uniform(0, static_cast<int>(keys.size()) - 1)];
    while (page_ && (key == XK_F1 || key == XK_F4));
    x_.TapKey(key);
    ++keys_;
  }

  void Resize(int width, int height) {
    XResizeWindow(x_.Raw(), window_, width, height);
    XSync(x_.Raw(), False);
  }

  // What a window manager does to minimise a window and to restore it.
  void SetWindowState(bool minimised) {
    Display* d = x_.Raw();
    Atom netState = XInternAtom(d, "_NET_WM_STATE", False),
         hidden = XInternAtom(d, "_NET_WM_STATE_HIDDEN", False), wmState = XInternAtom(d, "WM_STATE", False);
    long state[2] = {minimised ? IconicState : NormalState, 0};
    XChangeProperty(d, window_, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(state), 2);
    XChangeProperty(d, window_, netState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&hidden), minimised ? 1 : 0);
    if (minimised) {
      XUnmapWindow(d, window_);
    } else {
      XMapRaised(d, window_);
    }
    XSync(d, False);
  }

  void Minimise() {
    SetWindowState(true);
    ++minimises_;
    Pause(std::chrono::milliseconds(Uniform(300, 3000)));
    SetWindowState(false);
    Pause(300ms);
    x_.Activate(window_);
  }

  // One random action of a player, then a short rest.
  void Act() {
    const int roll = Uniform(0, 99);
    if (roll < 30) {
      const e2e::Point p = Chance(0.7) ? Cell(Uniform(0, 7), Uniform(0, 7)) : Anywhere();
      x_.MovePointer(window_, p.x, p.y);
      ++moves_;
    } else if (roll < 58) {
      // A gem, and often one of its neighbours next: a swap.
      int column = Uniform(0, 7), row = Uniform(0, 7);
      e2e::Point p = Cell(column, row);
      x_.Click(window_, p.x, p.y);
      ++clicks_;
      if (Chance(0.6)) {
        const bool across = Chance(0.5);
        column = std::clamp(column + (across ? (Chance(0.5) ? 1 : -1) : 0), 0, 7);
        row = std::clamp(row + (across ? 0 : (Chance(0.5) ? 1 : -1)), 0, 7);
        Pause(std::chrono::milliseconds(Uniform(0, 400)));
        p = Cell(column, row);
        x_.Click(window_, p.x, p.y);
        ++clicks_;
      }
    } else if (roll < 66) {
      const e2e::Point p = Anywhere();
      x_.Click(window_, p.x, p.y);
      ++clicks_;
    } else if (roll < 73) {
      const e2e::Point p = Chance(0.5) ? Anywhere() : Cell(Uniform(0, 7), Uniform(0, 7));
      x_.Click(window_, p.x, p.y, e2e::Button::Right);
      ++rightClicks_;
    } else if (roll < 87) {
      Key();
    } else if (roll < 92) {
      x_.TapKey(XK_Return);
      ++enters_;
    } else if (roll < 97) {
      Resize(Uniform(160, 1000), Uniform(160, 740));
      ++resizes_;
    } else if (roll < 98) {
      Resize(startWidth_, startHeight_);
      ++resizes_;
    } else {
      Minimise();
    }
    Pause(std::chrono::milliseconds(Uniform(0, 250)));
  }

  // What is watched of the program's memory: its process's resident memory.
  void WatchMemory() {
    if (!page_) {
      memories_.push_back({"resident memory", [this] { return e2e::ResidentKiB(pid_); }});
      return;
    }
    // A page's program has no process of its own: it runs in the browser's
    // renderer and draws through its GPU process, so all the browser's
    // processes count. Their sum counts what they share once for each, and
    // is steady: that share does not follow which helpers come and go, as
    // their proportional sizes do. The program's own heap, its WebAssembly
    // memory, shows a leak of its own exactly; it never shrinks.
    memories_.push_back({"the browser's resident memory", [this] { return e2e::TreeResidentKiB(pid_); }});
    memories_.push_back({"the page's WebAssembly memory",
                         [this] { return app_.Page()->Evaluate("Module.HEAP8.length").get<long>() / 1024; }});
  }

  // The memories read at the window's first size, which it is given back
  // for a moment: the drawing buffers follow the window's size.
  std::vector<long> MemoryAtStartSize() {
    Resize(startWidth_, startHeight_);
    Pause(1500ms);
    std::vector<long> kib;
    for (const Memory& memory : memories_) kib.push_back(memory.read());
    return kib;
  }

  void Close() {
    x_.Activate(window_);
    if (page_ && !program_.tessel) {
      // Alt+F4 would close the browser's window, not end the program: a
      // player closes Game's page, and the page has nothing to say of it.
      app_.Kill();
      return;
    }
    if (!program_.tessel) {
      x_.TapKey(XK_F4, e2e::kAlt);
    } else {
      // Escape counts only once the gems have stopped falling.
      app_.WaitUntil("Tessel to quit on Escape", 30s, [&] {
        x_.TapKey(XK_Escape);
        return app_.Ended().has_value();
      });
    }
    const e2e::ExitStatus status = app_.WaitForExit(30s);
    if (status != e2e::ExitStatus::Code(0)) throw Failure(app_.Name() + " closed with " + status.Describe());
  }

  const Program& program_;
  std::chrono::seconds length_;
  std::mt19937 random_;
  XSession x_;
  App app_;
  bool page_ = false;  // the program is the web build's page
  WindowId window_ = 0;
  long pid_ = 0;
  int startWidth_ = 0, startHeight_ = 0;
  Display* watcher_ = nullptr;
  Atom wmName_ = 0, netWmName_ = 0;
  Clock::time_point lastCaption_;
  long captionSets_ = 0;  // a page's, at the last look
  Clock::time_point nextPageLook_;
  // What is watched of the program's memory, each read in KiB.
  struct Memory {
    const char* name;
    std::function<long()> read;
  };
  std::vector<Memory> memories_;
  std::vector<long> baseline_;  // each memory's, once read
  int minutes_ = 0;
  int moves_ = 0, clicks_ = 0, rightClicks_ = 0, keys_ = 0, enters_ = 0, resizes_ = 0, minimises_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const Program game{false, GAME_DIST, "Game.exe", {"Game gfx engine", "FPS: "}};
  // Only the Latin start of Tessel's caption: under Wine the rest shows in
  // whatever code page the prefix has.
  const Program tessel{true, TESSEL_DIST, "Tessel.exe", {"Gemora  "}};
  const std::string which = argc > 1 ? argv[1] : "";
  const long seconds = argc > 2 ? std::atol(argv[2]) : 0;
  if ((which != "game" && which != "tessel") || seconds <= 0) {
    std::fprintf(stderr, "usage: %s game|tessel SECONDS (inside with-xvfb; SOAK_SEED=n repeats a run)\n",
                 argv[0]);
    return 2;
  }
  const char* seedText = std::getenv("SOAK_SEED");
  const unsigned seed =
      seedText && *seedText ? static_cast<unsigned>(std::atol(seedText)) : std::random_device{}();
  const Program& program = which == "game" ? game : tessel;
  if (e2e::UnderWine()) {
    if (const auto why = e2e::WhyWineCannotRun()) {
      std::printf("soak skipped: Wine cannot run on this machine: %s\n", why->c_str());
      return e2e::kSkippedExitCode;
    }
  }
  std::printf("soak: %s for %ld s, seed %u%s\n", program.executable, seconds, seed,
              e2e::UnderWine() ? ", under Wine"
              : e2e::OnWeb()   ? ", its page in the browser"
                               : "");
  std::fflush(stdout);
  // A run that fails keeps the program's scratch folder, as a failed test does.
  try {
    Soak(program, std::chrono::seconds(seconds), seed).Run();
  } catch (const std::exception& e) {
    std::printf("soak FAILED: %s\n", e.what());
    return 1;
  }
  std::printf("soak passed\n");
  return 0;
}
