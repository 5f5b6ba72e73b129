#include "App.h"

#include "Browser.h"
#include "StaticServer.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

namespace {

ExitStatus FromWaitStatus(int status) {
  if (WIFSIGNALED(status)) return ExitStatus::Signal(WTERMSIG(status));
  return ExitStatus::Code(WEXITSTATUS(status));
}

bool EnvFlag(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

}  // namespace

std::string ExitStatus::Describe() const {
  if (!signalled) return "exit code " + std::to_string(code);
  const char* name = strsignal(code);
  return "signal " + std::to_string(code) + (name ? std::string(" (") + name + ")" : "");
}

std::ostream& operator<<(std::ostream& out, const ExitStatus& status) { return out << status.Describe(); }

namespace {

// Apps whose programs have run under Wine, in this process: they share the
// prefix's wineserver.
int appsUnderWine = 0;

// "build/dist/Tessel/" names the folder "Tessel" too.
fs::path WithoutTrailingSlash(const fs::path& folder) {
  return folder.has_filename() ? folder : folder.parent_path();
}

fs::path WinePrefix(const fs::path& build) { return build / "wine-prefix"; }

// Ends the prefix's wineserver and with it every process of the prefix.
void EndWineServer(const fs::path& build) {
  // Prepared before the fork, as in Start.
  std::string prefix = "WINEPREFIX=" + WinePrefix(build).string();
  char* env[] = {prefix.data(), nullptr};
  char* argv[] = {const_cast<char*>("wineserver"), const_cast<char*>("-k"), nullptr};
  pid_t child = ::fork();
  if (child == 0) {
    int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execvpe(argv[0], argv, env);
    ::_exit(127);
  }
  if (child > 0) {
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
}

// The whole file's bytes; empty when it is missing or cannot be read.
std::string ReadIfPresent(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

std::optional<fs::path> WindowsBuild() {
  const char* build = std::getenv("E2E_WINDOWS_BUILD");
  if (build == nullptr || *build == '\0') return std::nullopt;
  return WithoutTrailingSlash(build);
}

std::optional<fs::path> WebBuild() {
  const char* build = std::getenv("E2E_WEB_BUILD");
  if (build == nullptr || *build == '\0') return std::nullopt;
  return WithoutTrailingSlash(build);
}

std::optional<std::string> WhyWineCannotRun() {
  static const std::optional<std::string> why = []() -> std::optional<std::string> {
    FILE* pipe = ::popen("wine --version 2>&1", "r");
    if (pipe == nullptr) return std::string("wine could not be started: ") + std::strerror(errno);
    std::string said;
    char chunk[256];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) said.append(chunk, got);
    const int status = ::pclose(pipe);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::nullopt;
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r')) said.pop_back();
    return said.empty() ? "wine --version failed" : said;
  }();
  return why;
}

long ResidentKiB(long pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

namespace {

class SkipWhereWineCannotRun : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!UnderWine()) return;
    if (const auto why = WhyWineCannotRun()) {
      std::cout << "Skipped: Wine cannot run on this machine, so the Windows build is not tested here: "
                << *why << std::endl;
      std::exit(kSkippedExitCode);
    }
  }
};
[[maybe_unused]] ::testing::Environment* const skipWhereWineCannotRun =
    ::testing::AddGlobalTestEnvironment(new SkipWhereWineCannotRun);

}  // namespace

fs::path Dist(const fs::path& builtIn) {
  const auto other = WindowsBuild() ? WindowsBuild() : WebBuild();
  if (!other) return builtIn;
  const fs::path inside = WithoutTrailingSlash(builtIn).lexically_relative(E2E_NATIVE_BUILD_DIR);
  if (inside.empty() || *inside.begin() == "..") {
    throw HarnessError(builtIn.string() + " is not inside the Linux build " + E2E_NATIVE_BUILD_DIR);
  }
  if (!WindowsBuild() && !fs::is_directory(*other / inside)) return builtIn;
  return *other / inside;
}

App::App(const fs::path& dist, std::string executable)
    : executable_(std::move(executable)), exceptionsAtStart_(std::uncaught_exceptions()) {
  const fs::path distFolder = WithoutTrailingSlash(dist);
  if (!fs::is_directory(distFolder)) {
    throw HarnessError("no program folder " + distFolder.string() + " (has the program been built?)");
  }
  page_ = OnWeb() && fs::exists(distFolder / "index.html") && !fs::exists(distFolder / executable_);
  if (!page_ && !fs::exists(distFolder / executable_)) {
    throw HarnessError("no " + executable_ + " in " + distFolder.string() + " (has the program been built?)");
  }
  fs::path base = fs::temp_directory_path() / ("e2e-" + distFolder.filename().string() + "-XXXXXX");
  std::string pattern = base.string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw HarnessError("cannot make a scratch directory " + pattern + ": " + std::strerror(errno));
  }
  scratch_ = pattern;
  folder_ = scratch_ / distFolder.filename();
  std::error_code error;
  fs::copy(distFolder, folder_, fs::copy_options::recursive | fs::copy_options::copy_symlinks, error);
  if (error) {
    fs::remove_all(scratch_, error);
    throw HarnessError("cannot copy " + distFolder.string() + ": " + error.message());
  }
}

App::~App() {
  const bool failed = ::testing::Test::HasFailure() || std::uncaught_exceptions() > exceptionsAtStart_;
  if (failed && pid_ > 0) {
    // What the screen showed when the test failed, before the program goes.
    try {
      XSession x;
      SavePng(x.CaptureScreen(), scratch_ / "failure-screen.png");
    } catch (const std::exception& e) {
      std::cerr << "e2e: no failure screenshot: " << e.what() << "\n";
    }
  }
  if (pid_ > 0) {
    Kill(SIGKILL);
    // The last program under Wine takes the wineserver with it.
    if (underWine_ && --appsUnderWine == 0) EndWineServer(*WindowsBuild());
  }
  if (failed || EnvFlag("E2E_KEEP")) {
    std::cerr << "e2e: scratch directory of " << executable_ << " kept: " << scratch_.string() << "\n";
    return;
  }
  std::error_code error;
  fs::remove_all(scratch_, error);
  if (error) std::cerr << "e2e: cannot remove " << scratch_.string() << ": " << error.message() << "\n";
}

// A page's change to its folder is in the browser's storage (where the
// page keeps the folder) before the harness goes on: the promise of the
// file system's sync, which a folder in memory alone settles at once.
const char* const kStored = "new Promise(done => Module.FS.syncfs(false, done))";

fs::path App::PathOf(std::string_view name) const { return folder_ / fs::path(std::string(name)); }

void App::WriteFile(std::string_view name, std::string_view bytes) {
  if (IsPage() && browser_) {
    // Into the running page's folder, where the program reads its files.
    json data = json::array();
    for (const char c : bytes) data.push_back(static_cast<unsigned char>(c));
    browser_->Evaluate("Module.FS.writeFile(" + json(PagePath(name)).dump() + ", new Uint8Array(" +
                       data.dump() + ")); " + kStored);
    return;
  }
  fs::path path = PathOf(name);
  std::error_code ignored;
  fs::create_directories(path.parent_path(), ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw HarnessError("cannot write " + path.string());
}

std::string App::ReadFile(std::string_view name) const {
  const auto bytes = Contents(name);
  if (!bytes) throw HarnessError("no file " + PathOf(name).string());
  return *bytes;
}

bool App::FileExists(std::string_view name) const { return Contents(name).has_value(); }

void App::RemoveFile(std::string_view name) {
  if (IsPage() && browser_) {
    browser_->Evaluate("(p => Module.FS.analyzePath(p).exists && Module.FS.unlink(p))(" +
                       json(PagePath(name)).dump() + "); " + kStored);
    return;
  }
  std::error_code error;
  fs::remove(PathOf(name), error);
  if (error) throw HarnessError("cannot remove " + PathOf(name).string() + ": " + error.message());
}

void App::Start(const StartOptions& options) {
  RequireTestDisplay();
  // A page may be loaded again while its program runs, as a player's
  // reload does; a program starts once at a time.
  if (IsPage()) return StartPage(options);
  if (Running()) throw HarnessError(Name() + " is already running");

  const auto windows = WindowsBuild();
  // A restart under Wine gets a wineserver of its own, unless other programs
  // still use the one there is: one left from a run without a display would
  // keep a desktop that shows no windows.
  if (underWine_ && appsUnderWine == 1) EndWineServer(*windows);
  std::vector<std::string> argv;
  if (options.runner) {
    argv = *options.runner;
  } else if (windows) {
    argv = {"wine"};
  }
  argv.push_back((folder_ / executable_).string());
  argv.insert(argv.end(), options.args.begin(), options.args.end());

  // Under Wine: the build's own prefix; of Wine's own messages only the
  // texts of message boxes; no offer to install the .NET or HTML runtimes;
  // and the Russian locale, which gives the programs their ANSI code page,
  // Windows-1251. The test's own variables come last and win.
  std::vector<std::pair<std::string, std::string>> added;
  if (windows) {
    added = {{"WINEPREFIX", WinePrefix(*windows).string()},
             {"WINEDEBUG", "-all,+msgbox"},
             {"WINEDLLOVERRIDES", "mscoree,mshtml="},
             {"LC_ALL", "ru_RU.UTF-8"}};
  }
  added.insert(added.end(), options.env.begin(), options.env.end());
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string_view entry(*e);
    std::string_view key = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (auto& [name, value] : added) replaced = replaced || name == key;
    if (!replaced) env.emplace_back(entry);
  }
  for (size_t i = 0; i < added.size(); ++i) {
    bool overridden = false;
    for (size_t j = i + 1; j < added.size(); ++j) overridden = overridden || added[j].first == added[i].first;
    if (!overridden) env.push_back(added[i].first + "=" + added[i].second);
  }

  // Everything the child needs is prepared here: after fork it only calls
  // what is safe there.
  std::vector<char*> argvPointers, envPointers;
  for (auto& a : argv) argvPointers.push_back(a.data());
  argvPointers.push_back(nullptr);
  for (auto& e : env) envPointers.push_back(e.data());
  envPointers.push_back(nullptr);
  std::string outPath = (scratch_ / "stdout.txt").string();
  std::string errPath = (scratch_ / "stderr.txt").string();
  std::string workDir = folder_.string();

  // The child reports a failed exec through a pipe that closes on success.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) throw HarnessError(std::string("pipe: ") + std::strerror(errno));
  pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    throw HarnessError(std::string("fork: ") + std::strerror(errno));
  }
  if (child == 0) {
    ::setpgid(0, 0);
    int in = ::open("/dev/null", O_RDONLY);
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    int failure = 0;
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
        ::chdir(workDir.c_str()) != 0) {
      failure = errno;
    } else {
      ::execvpe(argvPointers[0], argvPointers.data(), envPointers.data());
      failure = errno;
    }
    ssize_t ignored = ::write(report[1], &failure, sizeof failure);
    (void)ignored;
    ::_exit(127);
  }
  ::setpgid(child, child);  // also here, so that a kill right away reaches the group
  ::close(report[1]);
  int failure = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &failure, sizeof failure);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got == sizeof failure) {
    ::waitpid(child, nullptr, 0);
    throw HarnessError("cannot start " + argv[0] + " for " + executable_ + ": " + std::strerror(failure));
  }
  pid_ = child;
  status_.reset();
  if (windows && !underWine_) {
    underWine_ = true;
    ++appsUnderWine;
  }
}

std::optional<ExitStatus> App::Ended() {
  if (pid_ <= 0 || status_) return status_;
  if (IsPage()) {
    if (!browser_) return status_;
    // The page marks the program's end with #ended and its exit code.
    const json code = browser_->Evaluate(
        "(e => e ? Number(e.getAttribute('data-exit-code')) : null)(document.getElementById('ended'))");
    if (code.is_number_integer()) status_ = ExitStatus::Code(code.get<int>());
    return status_;
  }
  int status = 0;
  pid_t result;
  do {
    result = ::waitpid(pid_, &status, WNOHANG);
  } while (result < 0 && errno == EINTR);
  if (result == pid_) status_ = FromWaitStatus(status);
  return status_;
}

ExitStatus App::WaitForExit(Duration timeout) {
  if (pid_ <= 0) throw HarnessError(executable_ + " has not been started");
  e2e::WaitUntil(
      Name() + " to exit", timeout, [&] { return Ended().has_value(); },
      [] { return std::string("still running"); });
  return *status_;
}

void App::Kill(int signal) {
  if (pid_ <= 0) return;
  if (IsPage()) {
    // A page ends with its browser, as a player closes it.
    try {
      if (!Ended()) status_ = ExitStatus::Signal(signal);
    } catch (const HarnessError&) {
      status_ = ExitStatus::Signal(signal);  // the browser is gone already
    }
    browser_.reset();
    server_.reset();
    return;
  }
  // The group too: a runner or a helper the program started goes with it.
  ::kill(-pid_, signal);
  if (!Ended()) ::kill(pid_, signal);
  if (signal != SIGKILL) return;
  try {
    e2e::WaitUntil(Name() + " to end after SIGKILL", 10s, [&] { return Ended().has_value(); });
  } catch (const WaitTimeout& e) {
    std::cerr << "e2e: " << e.what() << "\n";
  }
}

std::string App::Stdout() const {
  if (IsPage()) {
    std::string text;
    if (browser_) {
      for (const std::string& line : browser_->Console()) text += line + "\n";
    }
    return text;
  }
  return ReadIfPresent(scratch_ / "stdout.txt");
}

// A page writes both outputs to its console: the same lines.
std::string App::Stderr() const { return IsPage() ? Stdout() : ReadIfPresent(scratch_ / "stderr.txt"); }

std::vector<std::string> App::MessageBoxTexts(std::string_view caption) const {
  std::vector<std::string> texts;
  std::istringstream lines(Stderr());
  // A page's console says "message box: <caption>: <text>".
  const std::string layerPrefix = (IsPage() ? "message box: " : "") + std::string(caption) + ": ";
  const std::string wineTrace = ":trace:msgbox:MSGBOX_OnInit L\"";
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(layerPrefix)) {
      texts.push_back(line.substr(layerPrefix.size()));
      continue;
    }
    const auto start = line.find(wineTrace);
    if (start == std::string::npos || !line.ends_with('"')) continue;
    // Wine quotes the text with C escapes.
    std::string text;
    const std::string_view quoted =
        std::string_view(line).substr(start + wineTrace.size(), line.size() - start - wineTrace.size() - 1);
    for (size_t i = 0; i < quoted.size(); ++i) {
      if (quoted[i] == '\\' && i + 1 < quoted.size()) {
        const char escaped = quoted[++i];
        text += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped == 't' ? '\t' : escaped;
      } else {
        text += quoted[i];
      }
    }
    texts.push_back(text);
  }
  return texts;
}

std::string App::Name() const {
  if (IsPage()) return "the page of " + executable_;
  return pid_ > 0 ? executable_ + " (pid " + std::to_string(pid_) + ")" : executable_;
}

void App::WaitUntil(std::string_view what, Duration timeout, const std::function<bool()>& done,
                    const std::function<std::string()>& lastSeen) {
  e2e::WaitUntil(
      what, timeout,
      [&] {
        // Look at the program first: what it left behind when it ended
        // still counts.
        bool ended = pid_ > 0 && Ended().has_value();
        if (done()) return true;
        if (ended) {
          std::string err = Stderr();
          if (err.size() > 600) err = "..." + err.substr(err.size() - 600);
          throw ProgramExited(Name() + " ended with " + status_->Describe() + " while waiting for " +
                              std::string(what) + (lastSeen ? "; last seen: " + lastSeen() : "") +
                              "; its standard error: " + Printable(err, 600));
        }
        return false;
      },
      lastSeen);
}

WindowId App::WaitForWindow(XSession& x, const WindowQuery& query, Duration timeout) {
  std::optional<WindowId> found;
  WaitUntil(
      query.Describe(), timeout, [&] { return (found = x.FindWindow(query)).has_value(); },
      [&] { return x.DescribeWindows(); });
  if (IsPage()) {
    // The program has made its window: the canvas has the size of the
    // window's inside, and the browser's window is made to fit it.
    const Rect canvas = browser_->ElementBox("#canvas");
    const int width = canvas.width, height = canvas.height;
    browser_->Resize(width, height);
    WaitUntil(
        "the browser's window to fit the canvas of " + std::to_string(width) + "x" + std::to_string(height),
        timeout,
        [&] {
          return x.Geometry(*found) == Rect{0, 0, width, height};
        },
        [&] {
          std::ostringstream seen;
          seen << x.Geometry(*found);
          return seen.str();
        });
  }
  return *found;
}

void App::WaitForFileContaining(std::string_view name, std::string_view text, Duration timeout) {
  WaitUntil(
      "file " + PathOf(name).string() + " to contain " + Printable(text), timeout,
      [&] { return Contents(name).value_or("").find(text) != std::string::npos; },
      [&] {
        const auto bytes = Contents(name);
        return bytes ? Printable(*bytes) : std::string("no file");
      });
}

// The program's folder in the page is /<folder name>.
std::string App::PagePath(std::string_view name) const {
  return "/" + folder_.filename().string() + "/" + std::string(name);
}

std::optional<std::string> App::Contents(std::string_view name) const {
  if (!IsPage() || !browser_) {
    const fs::path path = PathOf(name);
    if (!fs::is_regular_file(path)) return std::nullopt;
    return ReadIfPresent(path);
  }
  const std::string path = PagePath(name);
  const json bytes = browser_->Evaluate(
      "(p => Module.FS.analyzePath(p).exists ? Array.from(Module.FS.readFile(p)) : null)(" +
      json(path).dump() + ")");
  if (bytes.is_null()) return std::nullopt;
  std::string text;
  for (const json& b : bytes) text += static_cast<char>(b.get<int>());
  return text;
}

void App::StartPage(const StartOptions& options) {
  if (!options.args.empty() || !options.env.empty() || options.runner) {
    throw HarnessError("a page takes no arguments, environment or runner");
  }
  if (browser_) {
    // Again, as the player's reload or the page's offer to start again does.
    browser_->Reload();
  } else {
    server_ = std::make_unique<StaticServer>(folder_);
    // The profile in the scratch directory: a restart is a later visit.
    browser_ = std::make_unique<Browser>(server_->Url("index.html"), 1024, 768, scratch_ / "browser-profile");
  }
  pid_ = browser_->Pid();
  status_.reset();
}

}  // namespace e2e
