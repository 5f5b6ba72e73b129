// Measures both programs, built for Linux and for Windows (under Wine), in
// the X server of DISPLAY, one run after the other:
//
//     bench <Windows build folder>
//
// For each run: the time from the start to the first frame on screen (the
// first time the window's inside is not of one colour), then over the next
// 10 seconds, untouched, Game's frames per second from its caption (the mean
// of its ten once-a-second figures), the processor time the program's
// process takes, and its resident memory at their end. Prints a table with
// the ratio of the Windows build's figure to the Linux build's; a run that
// fails shows as "n/a", with its error under the table, and the exit status
// is then 1.
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

Figures Measure(e2e::XSession& x, const std::string& program, const std::string& title) {
  e2e::App app(e2e::Dist(std::string(E2E_NATIVE_BUILD_DIR) + "/dist/" + program), program + ".exe");
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

Run Try(e2e::XSession& x, const std::string& program, const std::string& title) {
  try {
    return {Measure(x, program, title), ""};
  } catch (const std::exception& e) {
    return {std::nullopt, e.what()};
  }
}

void Row(const char* program, const char* what, const char* format, const Run& onLinux, const Run& underWine,
         double Figures::*figure) {
  auto text = [&](const Run& run) {
    char out[32] = "n/a";
    if (run.figures) std::snprintf(out, sizeof out, format, (*run.figures).*figure);
    return std::string(out);
  };
  std::string ratio = "n/a";
  if (onLinux.figures && underWine.figures && (*onLinux.figures).*figure > 0) {
    char out[32];
    std::snprintf(out, sizeof out, "%.2f", (*underWine.figures).*figure / (*onLinux.figures).*figure);
    ratio = out;
  }
  std::printf("%-7s %-26s %10s %10s %10s\n", program, what, text(onLinux).c_str(), text(underWine).c_str(),
              ratio.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench <Windows build folder>\n");
    return 2;
  }
  e2e::XSession x;
  struct Program {
    const char* name;
    const char* title;
    Run onLinux, underWine;
  } programs[] = {{"Game", "Game gfx engine", {}, {}}, {"Tessel", "Gemora", {}, {}}};
  for (auto& p : programs) {
    unsetenv("E2E_WINDOWS_BUILD");
    p.onLinux = Try(x, p.name, p.title);
    setenv("E2E_WINDOWS_BUILD", argv[1], 1);
    p.underWine = Try(x, p.name, p.title);
  }
  std::printf("%-7s %-26s %10s %10s %10s\n", "", "", "Linux", "Wine", "Wine/Linux");
  std::string errors;
  for (const auto& p : programs) {
    Row(p.name, "start to first frame (s)", "%.2f", p.onLinux, p.underWine, &Figures::firstFrame);
    if (std::string(p.name) == "Game")
      Row(p.name, "frames per second", "%.0f", p.onLinux, p.underWine, &Figures::fps);
    Row(p.name, "processor time in 10 s (s)", "%.2f", p.onLinux, p.underWine, &Figures::cpu);
    Row(p.name, "resident memory (MB)", "%.1f", p.onLinux, p.underWine, &Figures::rss);
    for (const Run* run : {&p.onLinux, &p.underWine})
      if (!run->figures)
        errors +=
            std::string("\n") + p.name + (run == &p.onLinux ? " on Linux: " : " under Wine: ") + run->error;
  }
  if (errors.empty()) return 0;
  std::printf("%s\n", errors.c_str());
  return 1;
}
