// Measures both programs, built for Linux, for Windows (under Wine), for
// Linux over the layer's OpenGL subset on OpenGL ES 2, and for the browser
// (the web build's pages in Chromium), in the X server of DISPLAY, one run
// after the other:
//
//     bench <Windows build folder> <es2 build folder> <web build folder>
//
// For each run: the time from the start to the first frame on screen (the
// first time the window's inside is not of one colour), then over the next
// 10 seconds, untouched, Game's frames per second from its caption (the mean
// of its ten once-a-second figures), the processor time the program's
// process takes, and its resident memory at their end. A page's start is the
// browser's navigation to it, from a blank page in a browser already open;
// its processor time is that of all the browser's processes, and its memory
// is not measured (a browser's processes share much of theirs). Prints a
// table with the ratios of the Windows build's and the es2 build's figures
// to the Linux build's, the web build's figures against their targets, and
// the sizes of the web build's zips; a run that fails shows as "n/a", with
// its error under the table, and the exit status is then 1.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "App.h"
#include "Browser.h"
#include "Processes.h"
#include "StaticServer.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Figures {
  double firstFrame = 0;  // seconds
  double fps = 0;         // Game only
  double cpu = 0;         // seconds of user and system time in the 10 s
  double rss = -1;        // MB; below 0 when not measured
};

// User plus system time of the process so far, in seconds.
double CpuSeconds(long pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));  // after the command's name
  std::string skip;
  for (int field = 3; field < 14; ++field) fields >> skip;
  double user = 0, system = 0;
  fields >> user >> system;
  return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool OfOneColour(const e2e::Image& image) {
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      if (!(image.At(x, y) == image.At(0, 0))) return false;
  return true;
}

bool Black(const e2e::Image& image) { return OfOneColour(image) && image.At(0, 0) == e2e::Rgb{0, 0, 0}; }

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The 10 seconds after the first frame, shown at `firstFrame`: Game's
// frames per second from the caption of `w`, and the processor time that
// `cpuSeconds` counts.
void TenSeconds(e2e::XSession& x, e2e::WindowId w, Clock::time_point firstFrame,
                const std::function<double()>& cpuSeconds, Figures& f) {
  const double cpuBefore = cpuSeconds();
  int counted = 0;
  for (int second = 1; second <= 10; ++second) {
    std::this_thread::sleep_until(firstFrame + std::chrono::seconds(second));
    const std::string caption = x.Title(w);
    if (caption.rfind("FPS: ", 0) == 0) {
      f.fps += std::stod(caption.substr(5));
      ++counted;
    }
  }
  f.fps = counted ? f.fps / counted : 0;
  f.cpu = cpuSeconds() - cpuBefore;
}

// The program of the build in `build` (the Linux build's path stands for the
// Windows build's while E2E_WINDOWS_BUILD names it).
Figures Measure(e2e::XSession& x, const std::string& build, const std::string& program,
                const std::string& title) {
  e2e::App app(e2e::Dist(build + "/dist/" + program), program + ".exe");
  const auto start = Clock::now();
  app.Start();
  const e2e::WindowId w = app.WaitForWindow(x, e2e::WindowQuery::Prefix(title), 60s);
  app.WaitUntil("the first frame", 60s, [&] { return !OfOneColour(x.Capture(w)); });
  const auto firstFrame = Clock::now();
  Figures f;
  f.firstFrame = Seconds(firstFrame - start);

  // The window's process is the program itself, under Wine too.
  const long pid = x.Pid(w);
  const auto cpu = [&] { return CpuSeconds(pid); };
  TenSeconds(x, w, firstFrame, cpu, f);
  f.rss = e2e::ResidentKiB(pid) / 1024.0;
  app.Kill();
  return f;
}

// The page's canvas in the window's pixels; empty while there is none (or
// no document to ask, in the middle of a navigation).
e2e::Rect CanvasBox(e2e::Browser& browser) {
  try {
    return browser.ElementBox("#canvas");
  } catch (const e2e::HarnessError&) {
    return {};
  }
}

// Seconds from the navigation to the page in `folder` (a copy of a
// program's folder in the web build) to its first frame, as a player who
// opens it in a browser already running waits: a fresh browser shows a
// black page, then goes to the page, served from 127.0.0.1. The first frame is the first
// picture of the canvas that is not of one colour: until the program draws,
// the canvas shows the page's black background, or the white of the
// browser's window while the new page is on its way. Only the canvas
// counts: the page may show other things beside it (links) before that.
double PageFirstFrame(e2e::XSession& x, const std::filesystem::path& folder) {
  e2e::StaticServer server(folder);
  e2e::Browser browser("data:text/html,<html style=background:black></html>", 1024, 768);
  std::optional<e2e::WindowId> w;
  e2e::WaitUntil(
      "the browser's window", 30s,
      [&] { return (w = x.FindWindow(e2e::WindowQuery::Prefix("").OfPid(browser.Pid()))).has_value(); },
      [&] { return x.DescribeWindows(); });
  e2e::WaitUntil("the browser's window to show a black page", 30s, [&] { return Black(x.Capture(*w)); });
  const auto start = Clock::now();
  browser.Call("Page.navigate", {{"url", server.Url("index.html")}});
  Clock::time_point shown;
  e2e::WaitUntil("the page's first frame", 60s, [&] {
    const e2e::Image picture = x.Capture(*w);
    shown = Clock::now();
    if (OfOneColour(picture)) return false;
    const e2e::Rect canvas = e2e::Intersect(CanvasBox(browser), picture.Bounds());
    const e2e::Rgb corner = canvas.Empty() ? e2e::Rgb{} : picture.At(canvas.x, canvas.y);
    return !canvas.Empty() && e2e::CountPixels(picture, canvas, corner) < canvas.width * canvas.height;
  });
  // A page that could not start shows a sentence, not a frame.
  if (browser.Evaluate("document.getElementById('canvas') !== null && !document.getElementById('ended')") !=
      true)
    throw e2e::HarnessError("the page did not start: " + browser.Evaluate("document.body.innerText").dump());
  return Seconds(shown - start);
}

// The page of the program in the web build `web`: the time from the
// navigation to it to its first frame in one browser, then in another,
// through the harness as the tests see a page (its window fitted to its
// canvas), Game's frames per second and the processor time of the
// browser's processes over the 10 seconds after the first frame.
Figures MeasurePage(e2e::XSession& x, const std::string& web, const std::string& program,
                    const std::string& title) {
  setenv("E2E_WEB_BUILD", web.c_str(), 1);
  struct Unset {
    ~Unset() { unsetenv("E2E_WEB_BUILD"); }
  } unset;
  const std::filesystem::path dist = e2e::Dist(std::string(E2E_NATIVE_BUILD_DIR) + "/dist/" + program);
  Figures f;
  {
    // A scratch copy of the page's folder, as the harness makes for a run.
    const e2e::App copy(dist, program + ".exe");
    f.firstFrame = PageFirstFrame(x, copy.Folder());
  }
  e2e::App app(dist, program + ".exe");
  app.Start();
  const e2e::WindowId w = app.WaitForWindow(x, e2e::WindowQuery::Prefix(title), 60s);
  app.WaitUntil("the first frame", 60s, [&] { return !OfOneColour(x.Capture(w)); });
  // The page's program runs in the browser's renderer, and draws through its
  // GPU process: all the browser's processes count.
  const pid_t browser = app.Pid();
  const auto cpu = [&] { return e2e::TreeCpuSeconds(browser); };
  TenSeconds(x, w, Clock::now(), cpu, f);
  app.Kill();
  return f;
}

struct Run {
  std::optional<Figures> figures;
  std::string error;
};

Run Try(const std::function<Figures()>& measure) {
  try {
    return {measure(), ""};
  } catch (const std::exception& e) {
    return {std::nullopt, e.what()};
  }
}

// What a web figure should be: at least or at most `limit`.
struct Target {
  enum { kNone, kAtLeast, kAtMost } kind = kNone;
  double limit = 0;
  const char* note = "";  // after the limit
};

std::string Verdict(bool met) { return met ? "met" : "MISSED"; }

enum Column { kLinux, kWine, kEs2, kWeb };

void Row(const char* program, const char* what, const char* format, const Run* const (&runs)[4],
         double Figures::*figure, Target target = {}) {
  auto text = [&](const Run& run) {
    char out[32] = "n/a";
    if (run.figures && (*run.figures).*figure < 0) return std::string("-");
    if (run.figures) std::snprintf(out, sizeof out, format, (*run.figures).*figure);
    return std::string(out);
  };
  // A build's figure over the Linux build's.
  auto ratio = [&](const Run& run) {
    const Run& onLinux = *runs[kLinux];
    if (!onLinux.figures || !run.figures || (*onLinux.figures).*figure <= 0) return std::string("n/a");
    char out[32];
    std::snprintf(out, sizeof out, "%.2f", (*run.figures).*figure / (*onLinux.figures).*figure);
    return std::string(out);
  };
  std::string goal;
  if (target.kind != Target::kNone) {
    char limit[32];
    std::snprintf(limit, sizeof limit, format, target.limit);
    goal = (target.kind == Target::kAtLeast ? ">= " : "<= ") + std::string(limit) + target.note;
    if (const auto& f = runs[kWeb]->figures) {
      const double value = (*f).*figure;
      goal += " " + Verdict(target.kind == Target::kAtLeast ? value >= target.limit : value <= target.limit);
    }
  }
  std::printf("%-7s %-26s %10s %10s %10s %10s %10s %10s  %s\n", program, what, text(*runs[kLinux]).c_str(),
              text(*runs[kWine]).c_str(), ratio(*runs[kWine]).c_str(), text(*runs[kEs2]).c_str(),
              ratio(*runs[kEs2]).c_str(), text(*runs[kWeb]).c_str(), goal.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench <Windows build folder> <es2 build folder> <web build folder>\n");
    return 2;
  }
  e2e::XSession x;
  struct Program {
    const char* name;
    const char* title;
    Run onLinux, underWine, overEs2, onWeb;
  } programs[] = {{"Game", "Game gfx engine", {}, {}, {}, {}}, {"Tessel", "Gemora", {}, {}, {}, {}}};
  const std::string native = E2E_NATIVE_BUILD_DIR;
  for (auto& p : programs) {
    unsetenv("E2E_WINDOWS_BUILD");
    p.onLinux = Try([&] { return Measure(x, native, p.name, p.title); });
    p.overEs2 = Try([&] { return Measure(x, argv[2], p.name, p.title); });
    p.onWeb = Try([&] { return MeasurePage(x, argv[3], p.name, p.title); });
    setenv("E2E_WINDOWS_BUILD", argv[1], 1);
    p.underWine = Try([&] { return Measure(x, native, p.name, p.title); });
  }
  std::printf("%-7s %-26s %10s %10s %10s %10s %10s %10s  %s\n", "", "", "Linux", "Wine", "Wine/Linux", "ES2",
              "ES2/Linux", "Web", "Web target");
  std::string errors;
  for (const auto& p : programs) {
    const Run* const runs[4] = {&p.onLinux, &p.underWine, &p.overEs2, &p.onWeb};
    const bool game = std::string(p.name) == "Game";
    Row(p.name, "start to first frame (s)", "%.2f", runs, &Figures::firstFrame, {Target::kAtMost, 3});
    if (game) Row(p.name, "frames per second", "%.0f", runs, &Figures::fps, {Target::kAtLeast, 55});
    // Tessel's page, untouched, is idle: 2 s in 10 s is a fifth of a core.
    Row(p.name, "processor time in 10 s (s)", "%.2f", runs, &Figures::cpu,
        game ? Target{} : Target{Target::kAtMost, 2, " (20% of a core)"});
    Row(p.name, "resident memory (MB)", "%.1f", runs, &Figures::rss);
    const char* const where[4] = {" on Linux: ", " under Wine: ", " over ES 2: ", " on the web: "};
    for (int i = 0; i < 4; ++i)
      if (!runs[i]->figures) errors += std::string("\n") + p.name + where[i] + runs[i]->error;
  }
  // The zips a web host is given, beside the other packages.
  for (const char* program : {"Game", "Tessel"}) {
    const std::string zip = std::string(program) + "-" + GEMS_VERSION + "-web.zip";
    std::error_code error;
    const auto bytes = std::filesystem::file_size(std::string(WEB_PACKAGES_DIR) + "/" + zip, error);
    if (error) {
      errors += "\n" + zip + ": not in " + WEB_PACKAGES_DIR + " (the web build makes it)";
      continue;
    }
    const double mb = static_cast<double>(bytes) / (1024 * 1024);
    std::printf("%-34s %10.2f MB   target <= 2 MB %s\n", zip.c_str(), mb, Verdict(mb <= 2).c_str());
  }
  if (errors.empty()) return 0;
  std::printf("%s\n", errors.c_str());
  return 1;
}
