// soak game|tessel SECONDS: plays one program for that long with random but
// legal input under the test X server (run it inside with-xvfb; scripts/soak
// does), then closes it as a player would. It fails on a crash, a hang, a
// leaders file that is not ten valid lines afterwards, or resident memory
// that grows. With the harness's E2E_WINDOWS_BUILD it drives the Windows
// build under Wine the same way. SOAK_SEED repeats a run.
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "App.h"
#include "Globvars.h"
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
// Growth of resident memory from the second minute to the end that fails.
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
    window_ = FindWindow();
    x_.Activate(window_);
    const e2e::Rect start = x_.Geometry(window_);
    startWidth_ = start.width;
    startHeight_ = start.height;
    // Under a runner such as Wine the program is not the process started.
    const long windowPid = x_.Pid(window_);
    pid_ = windowPid > 0 ? windowPid : app_.Pid();
    WatchCaption();

    const auto begin = Clock::now();
    const auto baselineAt = begin + std::min<Clock::duration>(60s, length_ / 3);
    const auto end = begin + length_;
    auto nextMinute = begin + 60s;
    while (Clock::now() < end) {
      Act();
      Check();
      if (baselineKiB_ == 0 && Clock::now() >= baselineAt) baselineKiB_ = MemoryAtStartSize();
      if (Clock::now() >= nextMinute) {
        std::printf("minute %d: %.1f MiB resident\n", ++minutes_, MiB(e2e::ResidentKiB(pid_)));
        std::fflush(stdout);
        nextMinute += 60s;
      }
    }
    if (baselineKiB_ == 0) baselineKiB_ = MemoryAtStartSize();
    const long finalKiB = MemoryAtStartSize();
    Close();

    const double growth = MiB(finalKiB - baselineKiB_);
    std::printf("resident memory: %.1f MiB at %s, %.1f MiB at the end: %+.1f MiB (%+.1f%%)\n",
                MiB(baselineKiB_), length_ >= 180s ? "the start of minute 2" : "a third of the run",
                MiB(finalKiB), growth, 100.0 * growth / MiB(baselineKiB_));
    std::printf("input: %d moves, %d clicks, %d right clicks, %d keys, %d Enters, %d resizes, %d minimises\n",
                moves_, clicks_, rightClicks_, keys_, enters_, resizes_, minimises_);
    if (growth > std::max(kGrowthLimitMiB, kGrowthLimitShare * MiB(baselineKiB_)))
      throw Failure("resident memory grew by " + std::to_string(growth) + " MiB");
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
    return found;
  }

  // Caption changes arrive on a connection of our own as property events.
  void WatchCaption() {
    watcher_ = XOpenDisplay(nullptr);
    if (!watcher_) throw Failure("cannot open a second connection to the X server");
    XSelectInput(watcher_, window_, PropertyChangeMask);
    wmName_ = XInternAtom(watcher_, "WM_NAME", False);
    netWmName_ = XInternAtom(watcher_, "_NET_WM_NAME", False);
    XSync(watcher_, False);
    lastCaption_ = Clock::now();
  }

  // Ends the run on a crash or a hang.
  void Check() {
    if (auto status = app_.Ended())
      throw Failure(
          app_.Name() + " ended by itself with " + status->Describe() + "; its standard error ends:\n" +
          e2e::Printable(app_.Stderr().substr(app_.Stderr().size() > 2000 ? app_.Stderr().size() - 2000 : 0),
                         2000));
    while (XPending(watcher_) > 0) {
      XEvent event;
      XNextEvent(watcher_, &event);
      if (event.type == PropertyNotify &&
          (event.xproperty.atom == wmName_ || event.xproperty.atom == netWmName_))
        lastCaption_ = Clock::now();
    }
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

  // The window pixel of board cell (column, row), both 0..7 from the top
  // left, for the window's present size.
  e2e::Point Cell(int column, int row) {
    const e2e::Rect r = x_.Geometry(window_);
    if (program_.tessel) {
      windowWidth = r.width;
      windowHeight = r.height;
      ComputeGeometry();
      return {20 + column * cellPixels + cellPixels / 2, 20 + row * cellPixels + cellPixels / 2};
    }
    return ScenePixel(column * 0.2 - 0.7, (7 - row) * 0.2 - 0.7, r.width, r.height);
  }

  // Somewhere in the window or a little beyond it.
  e2e::Point Anywhere() {
    const e2e::Rect r = x_.Geometry(window_);
    return {Uniform(-20, r.width + 20), Uniform(-20, r.height + 20)};
  }

  void Key() {
    static const std::vector<e2e::KeySym> keys = {
        XK_a,     XK_b,    XK_m,  XK_q,   XK_z,  XK_0,  XK_5,       XK_9,         XK_BackSpace,
        XK_space, XK_Left, XK_Up, XK_Tab, XK_F1, XK_F4, XK_Shift_L, XK_Control_L, XK_Delete};
    // Escape would end Tessel; Game takes Enter like any key.
    x_.TapKey(keys[Uniform(0, static_cast<int>(keys.size()) - 1)]);
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

  // Resident memory read at the window's first size, which it is given back
  // for a moment: the drawing buffers follow the window's size.
  long MemoryAtStartSize() {
    Resize(startWidth_, startHeight_);
    Pause(1500ms);
    return e2e::ResidentKiB(pid_);
  }

  void Close() {
    x_.Activate(window_);
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
  WindowId window_ = 0;
  long pid_ = 0;
  int startWidth_ = 0, startHeight_ = 0;
  Display* watcher_ = nullptr;
  Atom wmName_ = 0, netWmName_ = 0;
  Clock::time_point lastCaption_;
  long baselineKiB_ = 0;
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
              e2e::UnderWine() ? ", under Wine" : "");
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
