// A program under test, started in a scratch copy of its ready-to-run folder.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "Wait.h"
#include "XSession.h"

namespace e2e {

// How a process ended: an exit code, or the signal that killed it.
struct ExitStatus {
  bool signalled = false;
  int code = 0;  // the exit code, or the signal number when signalled

  static ExitStatus Code(int exitCode) { return {false, exitCode}; }
  static ExitStatus Signal(int signal) { return {true, signal}; }
  // "exit code 0", "signal 9 (Killed)".
  std::string Describe() const;
  friend bool operator==(const ExitStatus&, const ExitStatus&) = default;
};
std::ostream& operator<<(std::ostream& out, const ExitStatus& status);

struct StartOptions {
  // Command-line arguments after the program's path.
  std::vector<std::string> args;
  // Environment variables set for the program on top of the test's own.
  std::vector<std::pair<std::string, std::string>> env;
  // Words put before the program's path. When absent: {"wine"} when the
  // Windows build is tested, else none; an empty list forces a direct start.
  std::optional<std::vector<std::string>> runner;
};

// The Windows build's folder (build-win32) when the environment variable
// E2E_WINDOWS_BUILD names it: the tests then drive the programs built
// there, under Wine, in the private Wine prefix "wine-prefix" inside it.
std::optional<std::filesystem::path> WindowsBuild();
inline bool UnderWine() { return WindowsBuild().has_value(); }
// The web build's folder (build-web) when the environment variable
// E2E_WEB_BUILD names it: a program folder the web build has is then a page,
// served from the scratch copy of the folder by a StaticServer and shown by
// a Browser, its app window sized to the page's canvas, so that the window
// the tests see is the program's inside as in the other builds.
std::optional<std::filesystem::path> WebBuild();
inline bool OnWeb() { return WebBuild().has_value(); }
// Why Wine cannot run on this machine (what `wine --version` said: a kernel
// without 32-bit support refuses Wine's loader), or nothing when it can.
// Asked once per process. Under Wine a test program that links the harness
// then runs none of its tests: it says why and ends with kSkippedExitCode,
// which ctest counts as skipped.
std::optional<std::string> WhyWineCannotRun();
// The resident memory (VmRSS) of a process in KiB, 0 when it cannot be read.
long ResidentKiB(long pid);
inline constexpr int kSkippedExitCode = 77;

// The folder to test: `builtIn`, a path inside the Linux build that the
// build gives the test (such as build/dist/Tessel), or, when the Windows
// build is tested, the same path inside that build. Throws HarnessError
// for a path outside the Linux build then. On the web build, the same path
// inside it where it has one, else `builtIn`: the tests' own probe programs
// have no page and run as Linux programs.
std::filesystem::path Dist(const std::filesystem::path& builtIn);

class StaticServer;
class Browser;

class App {
 public:
  // Copies `distFolder` into a fresh temporary directory (the scratch
  // directory: $TMPDIR/e2e-<folder>-XXXXXX/<folder>/). `executable` is the
  // program's file name inside the folder. Throws HarnessError when either
  // is missing.
  App(const std::filesystem::path& distFolder, std::string executable);
  // Kills the program's process group (and, with the last program under
  // Wine, the prefix's wineserver, so that nothing outlives the test).
  // Removes the scratch directory, unless E2E_KEEP is set (and not "0") or
  // the test has failed or is leaving by an exception; then its path is
  // printed, and after a failure the screen is saved there as
  // failure-screen.png.
  ~App();  // out of line: the page's server and browser are incomplete here
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  const std::filesystem::path& ScratchDir() const { return scratch_; }
  // The copy of the folder: the program's working directory.
  const std::filesystem::path& Folder() const { return folder_; }
  // A file in the copy by its UTF-8 name relative to the folder ("a/b.txt").
  std::filesystem::path PathOf(std::string_view name) const;

  // Files in the copy. WriteFile creates or replaces (with missing folders);
  // ReadFile throws HarnessError for a missing file; RemoveFile does nothing
  // for one.
  void WriteFile(std::string_view name, std::string_view bytes);
  std::string ReadFile(std::string_view name) const;
  bool FileExists(std::string_view name) const;
  void RemoveFile(std::string_view name);

  // Starts the program in the copy, in a process group of its own, with its
  // standard output and error appended to stdout.txt and stderr.txt in the
  // scratch directory and standard input from /dev/null. May be called
  // again once the program has ended (a restart on the same files), and a
  // page also while it runs (a reload). Throws
  // HarnessError when the test display is not ours or the start fails.
  void Start(const StartOptions& options = {});

  pid_t Pid() const { return pid_; }
  // The program's exit status once it has ended; collects it.
  std::optional<ExitStatus> Ended();
  bool Running() { return pid_ > 0 && !Ended(); }
  ExitStatus WaitForExit(Duration timeout);
  // Sends `signal` to the program's whole process group; with SIGKILL also
  // waits until the program is gone.
  void Kill(int signal = SIGKILL);

  std::string Stdout() const;
  std::string Stderr() const;
  // The texts of the message boxes the program has shown, in order: the
  // Linux build writes each box as "<caption>: <text>" to standard error,
  // and under Wine the "msgbox" debug channel traces each box's text (but
  // not its caption, so `caption` selects only on Linux).
  std::vector<std::string> MessageBoxTexts(std::string_view caption) const;
  // "Tessel.exe (pid 123)", for messages.
  std::string Name() const;

  // WaitUntil that gives up at once with ProgramExited when the program ends
  // and the condition still does not hold; the message has the exit status
  // and the end of its standard error.
  void WaitUntil(std::string_view what, Duration timeout, const std::function<bool()>& done,
                 const std::function<std::string()>& lastSeen = {});
  // A window of this program by title (`query.pid` is left as given: under
  // a runner the window's pid may differ from Pid()).
  WindowId WaitForWindow(XSession& x, const WindowQuery& query, Duration timeout);
  void WaitForFileContaining(std::string_view name, std::string_view text, Duration timeout);
  // The browser that shows the page, once a page of the web build has been
  // started; nothing for a program. For what only a page has: its links,
  // its offers, touches and downloads.
  Browser* Page() const { return IsPage() ? browser_.get() : nullptr; }

 private:
  bool IsPage() const { return page_; }
  void StartPage(const StartOptions& options);
  // A file of the program's folder as the program sees it: in the page's
  // file system while the page is there, else on disk. Nothing when missing.
  std::optional<std::string> Contents(std::string_view name) const;
  std::string PagePath(std::string_view name) const;

  std::filesystem::path scratch_, folder_;
  bool page_ = false;  // the folder is a page of the web build
  std::unique_ptr<StaticServer> server_;
  std::unique_ptr<Browser> browser_;
  std::string executable_;
  pid_t pid_ = -1;
  std::optional<ExitStatus> status_;
  bool underWine_ = false;  // has started its program under Wine
  int exceptionsAtStart_ = 0;
};

}  // namespace e2e
