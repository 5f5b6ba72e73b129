// Measures both programs, built for Linux, for Windows (under Wine) and for
// Linux over the layer's OpenGL subset on OpenGL ES 2, in the X server of
// DISPLAY, one run after the other:
//
//     bench <Windows build folder> <es2 build folder>
//
// For each run: the time from the start to the first frame on screen (the
// first time the window's inside is not of one colour), then over the next
// 10 seconds, untouched, Game's frames per second from its caption (the mean
// of its ten once-a-second figures), the processor time the program's
// process takes, and its resident memory at their end. Prints a table with
// the ratios of the Windows build's and the es2 build's figures to the Linux
// build's; a run that fails shows as "n/a", with its error under the table,
// and the exit status is then 1.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "App.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Figures {
  double firstFrame = 0;  // seconds
  double fps = 0;         // Game only
  double cpu = 0;         // seconds of user and system time in the 10 s
  double rss = 0;         // MB
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

// The program of the build in `build` (the Linux build's path stands for the
// Windows build's while E2E_WINDOWS_BUILD names it).
Figures Measure(e2e::XSession& x, const std::string& build, const std::string& program,
                const std::string& title) {
  e2e::App app(e2e::Dist(build + "/dist/" + program), program + ".exe");
  const auto start = Clock::now();
  app.Start();
  const e2e::WindowId w = app.WaitForWindow(x, e2e::WindowQuery::Prefix(title), 60s);
  app.WaitUntil("the first frame", 60s, [&] { return !OfOneColour(x.Capture(w)); });
  Figures f;
  f.firstFrame = std::chrono::duration<double>(Clock::now() - start).count();

  // The window's process is the program itself, under Wine too.
  const long pid = x.Pid(w);
  const double cpuBefore = CpuSeconds(pid);
  int counted = 0;
  for (int second = 1; second <= 10; ++second) {
    std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(f.firstFrame + second)));
    const std::string caption = x.Title(w);
    if (caption.rfind("FPS: ", 0) == 0) {
      f.fps += std::stod(caption.substr(5));
      ++counted;
    }
  }
  f.fps = counted ? f.fps / counted : 0;
  f.cpu = CpuSeconds(pid) - cpuBefore;
  f.rss = e2e::ResidentKiB(pid) / 1024.0;
  app.Kill();
  return f;
}

struct Run {
  std::optional<Figures> figures;
  std::string error;
};

Run Try(e2e::XSession& x, const std::string& build, const std::string& program, const std::string& title) {
  try {
    return {Measure(x, build, program, title), ""};
  } catch (const std::exception& e) {
    return {std::nullopt, e.what()};
  }
}

void Row(const char* program, const char* what, const char* format, const Run* const (&runs)[3],
         double Figures::*figure) {
  auto text = [&](const Run& run) {
    char out[32] = "n/a";
    if (run.figures) std::snprintf(out, sizeof out, format, (*run.figures).*figure);
    return std::string(out);
  };
  // A build's figure over the Linux build's.
  auto ratio = [&](const Run& run) {
    const Run& onLinux = *runs[0];
    if (!onLinux.figures || !run.figures || (*onLinux.figures).*figure <= 0) return std::string("n/a");
    char out[32];
    std::snprintf(out, sizeof out, "%.2f", (*run.figures).*figure / (*onLinux.figures).*figure);
    return std::string(out);
  };
  std::printf("%-7s %-26s %10s %10s %10s %10s %10s\n", program, what, text(*runs[0]).c_str(),
              text(*runs[1]).c_str(), ratio(*runs[1]).c_str(), text(*runs[2]).c_str(),
              ratio(*runs[2]).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench <Windows build folder> <es2 build folder>\n");
    return 2;
  }
  e2e::XSession x;
  struct Program {
    const char* name;
    const char* title;
    Run onLinux, underWine, overEs2;
  } programs[] = {{"Game", "Game gfx engine", {}, {}, {}}, {"Tessel", "Gemora", {}, {}, {}}};
  const std::string native = E2E_NATIVE_BUILD_DIR;
  for (auto& p : programs) {
    unsetenv("E2E_WINDOWS_BUILD");
    p.onLinux = Try(x, native, p.name, p.title);
    p.overEs2 = Try(x, argv[2], p.name, p.title);
    setenv("E2E_WINDOWS_BUILD", argv[1], 1);
    p.underWine = Try(x, native, p.name, p.title);
  }
  std::printf("%-7s %-26s %10s %10s %10s %10s %10s\n", "", "", "Linux", "Wine", "Wine/Linux", "ES2",
              "ES2/Linux");
  std::string errors;
  for (const auto& p : programs) {
    const Run* const runs[3] = {&p.onLinux, &p.underWine, &p.overEs2};
    Row(p.name, "start to first frame (s)", "%.2f", runs, &Figures::firstFrame);
    if (std::string(p.name) == "Game") Row(p.name, "frames per second", "%.0f", runs, &Figures::fps);
    Row(p.name, "processor time in 10 s (s)", "%.2f", runs, &Figures::cpu);
    Row(p.name, "resident memory (MB)", "%.1f", runs, &Figures::rss);
    const char* const where[3] = {" on Linux: ", " under Wine: ", " over ES 2: "};
    for (int i = 0; i < 3; ++i)
      if (!runs[i]->figures) errors += std::string("\n") + p.name + where[i] + runs[i]->error;
  }
  if (errors.empty()) return 0;
  std::printf("%s\n", errors.c_str());
  return 1;
}
