#include "App.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "TestProbe.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2e::WindowQuery;
using probe::ErrorText;
using probe::Probe;

// Sets, or with nullptr unsets, an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }

 private:
  void Set(const char* value) { value ? ::setenv(name_, value, 1) : ::unsetenv(name_); }
  const char* name_;
  std::optional<std::string> old_;
};

bool ProcessGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

TEST(App, PreparesAScratchCopyWithoutTouchingTheFolder) {
  const std::string distConfig = e2e::ReadIfPresent(fs::path(PROBE_DIST) / "probe.cfg");
  e2e::App app(PROBE_DIST, "harness_probe");
  EXPECT_EQ(app.Folder(), app.ScratchDir() / "probe-dist");
  EXPECT_TRUE(app.ScratchDir().filename().string().starts_with("e2e-probe-dist-"));
  EXPECT_EQ(app.ReadFile("probe.cfg"), distConfig);
  EXPECT_TRUE(fs::status(app.PathOf("harness_probe")).permissions() ==
              fs::status(fs::path(PROBE_DIST) / "harness_probe").permissions())
      << "the program stays executable";

  const std::string binary("leaders\0\r\n\xF0\xE5", 12);
  app.WriteFile("рекорды.txt", binary);
  app.WriteFile("deep/er/file.bin", "x");
  app.WriteFile("probe.cfg", "title=Replaced\n");
  EXPECT_EQ(app.ReadFile("рекорды.txt"), binary);
  EXPECT_TRUE(fs::is_regular_file(app.Folder() / "рекорды.txt")) << "UTF-8 names are the host's names";
  EXPECT_EQ(app.ReadFile("deep/er/file.bin"), "x");
  EXPECT_EQ(app.ReadFile("probe.cfg"), "title=Replaced\n");
  app.RemoveFile("probe.cfg");
  app.RemoveFile("probe.cfg");  // already gone: nothing to do
  EXPECT_FALSE(app.FileExists("probe.cfg"));
  EXPECT_THROW(app.ReadFile("probe.cfg"), e2e::HarnessError);

  EXPECT_EQ(e2e::ReadIfPresent(fs::path(PROBE_DIST) / "probe.cfg"), distConfig);
  EXPECT_FALSE(fs::exists(fs::path(PROBE_DIST) / "рекорды.txt"));

  EXPECT_THROW(e2e::App(fs::path(PROBE_DIST) / "missing", "harness_probe"), e2e::HarnessError);
  EXPECT_THROW(e2e::App(PROBE_DIST, "Missing.exe"), e2e::HarnessError);
  e2e::App slash(PROBE_DIST "/", "harness_probe");
  EXPECT_EQ(slash.Folder().filename(), "probe-dist");
}

TEST(App, DistFolderCanComeFromTheWindowsBuild) {
  const std::string native = E2E_NATIVE_BUILD_DIR;
  {
    ScopedEnv windows("E2E_WINDOWS_BUILD", nullptr);
    EXPECT_FALSE(e2e::UnderWine());
    EXPECT_EQ(e2e::Dist("/b/dist/Tessel"), "/b/dist/Tessel");
  }
  ScopedEnv windows("E2E_WINDOWS_BUILD", "/w/build-win32/");
  EXPECT_TRUE(e2e::UnderWine());
  EXPECT_EQ(e2e::Dist(native + "/dist/Tessel"), "/w/build-win32/dist/Tessel");
  EXPECT_EQ(e2e::Dist(native + "/tests/game/probe-dist/"), "/w/build-win32/tests/game/probe-dist");
  EXPECT_EQ(e2e::WinePrefix(*e2e::WindowsBuild()), "/w/build-win32/wine-prefix");
  EXPECT_THROW(e2e::Dist("/b/dist/Tessel"), e2e::HarnessError) << "not inside the Linux build";
}

TEST(App, StartsInTheCopyWithItsFilesEnvironmentAndRunner) {
  e2e::XSession x;
  e2e::StartOptions options;
  options.env = {{"PROBE_GREETING", "привет"}, {"HOME", "/nowhere"}};
  options.runner = std::vector<std::string>{"env", "PROBE_RUNNER=given"};
  Probe p(x, "Где я?", "", options);
  EXPECT_EQ(p.app.Stdout(),
            "probe: started in " + p.app.Folder().string() + "\nPROBE_GREETING=привет\nPROBE_RUNNER=given\n");
  EXPECT_NE(p.app.Stderr().find("probe: window 0x"), std::string::npos) << p.app.Stderr();
  std::string environ = "\n" + e2e::ReadIfPresent("/proc/" + std::to_string(p.app.Pid()) + "/environ");
  std::replace(environ.begin(), environ.end(), '\0', '\n');
  EXPECT_NE(environ.find("\nHOME=/nowhere\n"), std::string::npos);
  EXPECT_EQ(environ.find("\nHOME=", environ.find("\nHOME=") + 1), std::string::npos) << "replaced, not added";

  // A restart in the same copy: the runner now from E2E_RUNNER, output appended.
  p.app.Kill();
  {
    ScopedEnv runner("E2E_RUNNER", "  env   PROBE_RUNNER=from-environment ");
    p.app.Start();
  }
  p.app.WaitForWindow(x, WindowQuery::Exact("Где я?").OfPid(p.app.Pid()), 20s);
  EXPECT_NE(p.app.Stdout().find("PROBE_RUNNER=given\nprobe: started in "), std::string::npos);
  EXPECT_TRUE(p.app.Stdout().ends_with("PROBE_RUNNER=from-environment\n")) << p.app.Stdout();
  EXPECT_THROW(p.app.Start(), e2e::HarnessError) << "it is still running";

  // An empty runner overrides E2E_RUNNER.
  p.app.Kill();
  ScopedEnv runner("E2E_RUNNER", "env PROBE_RUNNER=ignored");
  options.runner = std::vector<std::string>{};
  p.app.Start(options);
  p.app.WaitForWindow(x, WindowQuery::Exact("Где я?").OfPid(p.app.Pid()), 20s);
  EXPECT_EQ(p.app.Stdout().find("ignored"), std::string::npos);
}

TEST(App, MessageBoxTextsComeFromTheLayersLinesOrWinesTrace) {
  e2e::XSession x;
  e2e::App app(PROBE_DIST, "harness_probe");
  e2e::StartOptions options;
  // A stand-in for the program: a shell prints what either build would.
  options.runner = std::vector<std::string>{
      "sh", "-c",
      "printf '%s\\n' 'Error: Runtime error   2 at 0040A1B2' 'Tessel: cannot create the window' "
      "'0024:trace:msgbox:MSGBOX_OnInit L\"Say \\\"no\\\"\\\\\\nthen\"' 'Other: box' >&2"};
  app.Start(options);
  EXPECT_EQ(app.WaitForExit(5s), e2e::ExitStatus::Code(0));
  EXPECT_EQ(app.MessageBoxTexts("Error"),
            (std::vector<std::string>{"Runtime error   2 at 0040A1B2", "Say \"no\"\\\nthen"}))
      << app.Stderr();
}

TEST(App, AProgramThatCannotStartOrEndsEarlyFailsTheWaitAtOnce) {
  e2e::XSession x;
  e2e::App app(PROBE_DIST, "harness_probe");
  e2e::StartOptions options;
  options.runner = std::vector<std::string>{"/no/such/runner"};
  EXPECT_EQ(ErrorText([&] { app.Start(options); }),
            "cannot start /no/such/runner for harness_probe: No such file or directory");
  EXPECT_THROW(app.WaitForExit(1s), e2e::HarnessError) << "nothing was started";

  // Without a display the probe ends at once with 99.
  options = {};
  options.env = {{"DISPLAY", ":4321"}};
  app.Start(options);
  auto start = std::chrono::steady_clock::now();
  const std::string message = ErrorText<e2e::ProgramExited>(
      [&] { app.WaitForWindow(x, WindowQuery::Exact("Probe from its folder"), 60s); });
  EXPECT_NE(message.find("ended with exit code 99 while waiting for a window titled exactly"),
            std::string::npos)
      << message;
  EXPECT_NE(message.find("its standard error: \"probe: no X display\\n\""), std::string::npos) << message;
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s) << "waited out the timeout instead";
  EXPECT_EQ(app.WaitForExit(0ms), e2e::ExitStatus::Code(99));
  EXPECT_THROW(app.WaitForFile("events.txt", 60s), e2e::ProgramExited);
  // What the program left behind before it ended still counts.
  EXPECT_NO_THROW(app.WaitForFileContaining("probe.cfg", "title=", 60s));
}

TEST(App, ScratchDirectoryGoesUnlessKeptOrTheTestFails) {
  e2e::XSession x;
  fs::path scratch;
  pid_t pid = 0;
  {
    Probe p(x, "Short-lived", "");
    scratch = p.app.ScratchDir();
    pid = p.app.Pid();
    EXPECT_TRUE(fs::is_directory(scratch));
  }
  EXPECT_FALSE(fs::exists(scratch));
  EXPECT_TRUE(ProcessGone(pid)) << "the program outlived its test object";
  x.WaitForWindowGone(WindowQuery::Exact("Short-lived"), 10s);

  auto scratchOf = [](const char* keep, bool keepScratch) {
    ScopedEnv env("E2E_KEEP", keep);
    e2e::App app(PROBE_DIST, "harness_probe");
    if (keepScratch) app.KeepScratch();
    return app.ScratchDir();
  };
  scratch = scratchOf("1", false);
  EXPECT_TRUE(fs::is_directory(scratch / "probe-dist")) << "E2E_KEEP keeps it";
  fs::remove_all(scratch);
  EXPECT_FALSE(fs::exists(scratchOf("0", false))) << "E2E_KEEP=0 does not";
  scratch = scratchOf(nullptr, true);
  EXPECT_TRUE(fs::exists(scratch)) << "KeepScratch keeps it";
  fs::remove_all(scratch);

  // A test leaving by an exception keeps the directory, with the screen as it was.
  try {
    Probe p(x, "Failing", "");
    scratch = p.app.ScratchDir();
    pid = p.app.Pid();
    throw std::runtime_error("the test gave up");
  } catch (const std::runtime_error&) {
  }
  EXPECT_TRUE(ProcessGone(pid));
  EXPECT_TRUE(fs::is_regular_file(scratch / "probe-dist" / "harness_probe"));
  std::string png = e2e::ReadIfPresent(scratch / "failure-screen.png");
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x04\0\0\0\x03\0", 8)) << "1024x768";
  fs::remove_all(scratch);
}

TEST(App, RefusesADisplayThatWithXvfbDidNotStart) {
  const std::string ours = std::getenv("E2E_XVFB_DISPLAY") ? std::getenv("E2E_XVFB_DISPLAY") : "";
  ASSERT_FALSE(ours.empty()) << "run inside e2e_harness/with-xvfb";
  e2e::App app(PROBE_DIST, "harness_probe");
  {
    ScopedEnv display("DISPLAY", nullptr);
    EXPECT_TRUE(ErrorText([] { e2e::XSession x; }).starts_with("DISPLAY is not set"));
    EXPECT_TRUE(ErrorText([&] { app.Start(); }).starts_with("DISPLAY is not set"));
  }
  {
    ScopedEnv marker("E2E_XVFB_DISPLAY", ":7");  // someone else's server
    EXPECT_TRUE(ErrorText([] { e2e::XSession x; }).starts_with("refusing to drive display " + ours));
    EXPECT_TRUE(ErrorText([&] { app.Start(); }).starts_with("refusing to drive display " + ours));
    ScopedEnv allowed("E2E_ALLOW_DISPLAY", ours.c_str());
    EXPECT_EQ(ErrorText([] { e2e::XSession x; }), "no error");
  }
  EXPECT_FALSE(app.Running());
}

}  // namespace
