#include "Browser.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <thread>

#include "XSession.h"

extern char** environ;

namespace e2e {
namespace fs = std::filesystem;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

// A page in a test must not wait on anything outside this machine, nor be
// slowed because no one is looking at it (Xvfb has no window manager to
// tell Chromium that its window is on show).
const char* const kFlags[] = {
    "--no-sandbox",  // as root, as on the test machines
    "--test-type",   // without the bar that warns of --no-sandbox
    "--use-angle=swiftshader",
    "--enable-unsafe-swiftshader",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--disable-quic",
    "--disable-default-apps",
    "--disable-extensions",
    "--disable-translate",
    "--disable-features=Translate,MediaRouter,OptimizationHints",
    "--no-first-run",
    "--no-default-browser-check",
    "--password-store=basic",
    "--noerrdialogs",
    "--disable-background-timer-throttling",
    "--disable-backgrounding-occluded-windows",
    "--disable-renderer-backgrounding",
    "--window-position=0,0",
    "--remote-debugging-pipe",
};

std::string Tail(const fs::path& file, size_t bytes) {
  std::ifstream in(file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.size() > bytes ? text.substr(text.size() - bytes) : text;
}

// E2E_CDP_TRACE: every message to and from the browser on standard error.
bool Traced() {
  static const bool traced = std::getenv("E2E_CDP_TRACE") != nullptr;
  return traced;
}

Duration Left(Clock::time_point deadline) {
  return std::max(Duration(0), std::chrono::duration_cast<Duration>(deadline - Clock::now()));
}

}  // namespace

Browser::Browser(const std::string& url, int width, int height, fs::path profile, Duration timeout,
                 const std::vector<std::string>& flags)
    : profile_(std::move(profile)) {
  RequireTestDisplay();
  // A browser that has gone makes a write to its pipe fail, not end the test.
  std::signal(SIGPIPE, SIG_IGN);
  if (profile_.empty()) {
    std::string pattern = (fs::temp_directory_path() / "e2e-browser-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw HarnessError("cannot make a browser profile folder");
    profile_ = pattern;
    ownProfile_ = true;
  }
  fs::create_directories(profile_);
  int in[2], out[2];  // in: the browser reads (its fd 3); out: it writes (its fd 4)
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
    throw HarnessError("no pipes for the browser");

  std::vector<std::string> args = {"chromium", "--user-data-dir=" + profile_.string()};
  args.insert(args.end(), std::begin(kFlags), std::end(kFlags));
  args.insert(args.end(), flags.begin(), flags.end());
  // An app window: the page alone, no tabs, bar or frame, so that the
  // window's X window is the page's inside.
  args.push_back("--window-size=" + std::to_string(width) + "," + std::to_string(height));
  args.push_back("--app=" + url);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string log = (profile_ / "browser-stderr.txt").string();

  pid_ = ::fork();
  if (pid_ == 0) {
    ::setpgid(0, 0);
    // Out of the way of 3 and 4 first (either may be one of them); dup2
    // clears close-on-exec on the copies the browser keeps.
    const int reads = ::fcntl(in[0], F_DUPFD_CLOEXEC, 10), writes = ::fcntl(out[1], F_DUPFD_CLOEXEC, 10);
    ::dup2(reads, 3);
    ::dup2(writes, 4);
    const int null = ::open("/dev/null", O_RDONLY);
    const int err = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(null, 0);
    ::dup2(err, 1);
    ::dup2(err, 2);
    ::execvp("chromium", argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  toBrowser_ = in[1];
  fromBrowser_ = out[0];
  if (pid_ < 0) throw HarnessError(std::string("cannot start chromium: ") + std::strerror(errno));

  Attach(Scaled(timeout));
}

void Browser::Attach(Duration timeout) {
  // The page's target, once it is there, and a session attached to it that
  // reports the page's console.
  const auto deadline = Clock::now() + timeout;
  std::string target;
  while (target.empty()) {
    const json targets = Call("Target.getTargets", json::object(), false, Left(deadline));
    for (const json& t : targets["targetInfos"]) {
      if (t["type"] == "page") target = t["targetId"];
    }
    if (target.empty()) {
      if (Left(deadline) == Duration(0)) throw HarnessError("chromium shows no page; it said: " + Log());
      std::this_thread::sleep_for(kPollInterval);
    }
  }
  target_ = target;
  session_ = Call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}}, false,
                  Left(deadline))["sessionId"];
  Call("Runtime.enable", json::object(), true, Left(deadline));
  Call("Page.enable", json::object(), true, Left(deadline));
}

Browser::~Browser() {
  if (pid_ > 0) {
    try {
      Call("Browser.close", json::object(), false, 5s);
    } catch (const std::exception&) {
      // Gone already, or stuck: the kill below ends it either way.
    }
    const auto deadline = Clock::now() + 5s;
    int status;
    while (::waitpid(pid_, &status, WNOHANG) == 0 && Clock::now() < deadline) {
      std::this_thread::sleep_for(kPollInterval);
    }
    ::kill(-pid_, SIGKILL);
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ::close(toBrowser_);
  ::close(fromBrowser_);
  if (ownProfile_) {
    std::error_code ignored;
    fs::remove_all(profile_, ignored);
  }
}

std::string Browser::Log() const { return Printable(Tail(profile_ / "browser-stderr.txt", 2000), 2000); }

json Browser::Call(const std::string& method, const json& params, bool session, Duration timeout) {
  // A page whose session has gone (a reload may move it to another
  // process) is attached again.
  if (session && session_.empty()) Attach(timeout);
  const int id = nextId_++;
  json message = {{"id", id}, {"method", method}, {"params", params}};
  if (session) message["sessionId"] = session_;
  std::string bytes = message.dump();
  if (Traced()) std::fprintf(stderr, "cdp> %s\n", bytes.substr(0, 300).c_str());
  bytes.push_back('\0');
  for (std::string_view left = bytes; !left.empty();) {
    const ssize_t n = ::write(toBrowser_, left.data(), left.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw HarnessError("chromium no longer takes commands (" + method + "); it said: " + Log());
    left.remove_prefix(static_cast<size_t>(n));
  }
  json answer;
  if (!Pump(timeout, [&](const json& m) {
        if (!m.contains("id") || m["id"] != id) return false;
        answer = m;
        return true;
      })) {
    throw WaitTimeout("chromium did not answer " + method + " within " + Seconds(timeout) +
                      "; it said: " + Log());
  }
  // The page moved on before its session's end reached us: once more, on a
  // session of the page as it is now.
  if (session && !reattaching_ && answer.contains("error") && answer["error"].value("code", 0) == -32001) {
    session_.clear();
    reattaching_ = true;
    try {
      json result = Call(method, params, session, timeout);
      reattaching_ = false;
      return result;
    } catch (...) {
      reattaching_ = false;
      throw;
    }
  }
  if (answer.contains("error")) {
    // What the page said last tells why a page is gone.
    std::string last;
    for (size_t i = console_.size() > 4 ? console_.size() - 4 : 0; i < console_.size(); ++i)
      last += console_[i] + " | ";
    throw HarnessError("chromium refused " + method + ": " + answer["error"].dump() +
                       "; the page's last lines: " + last);
  }
  return answer["result"];
}

bool Browser::Pump(Duration timeout, const std::function<bool(const json&)>& until) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    for (size_t end; (end = pending_.find('\0')) != std::string::npos;) {
      json message = json::parse(pending_.substr(0, end), nullptr, false);
      pending_.erase(0, end + 1);
      if (message.is_discarded()) continue;
      if (Traced()) std::fprintf(stderr, "cdp< %s\n", message.dump().substr(0, 300).c_str());
      if (until(message)) return true;
      if (message.contains("method")) Keep(message);
    }
    pollfd p = {fromBrowser_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(Left(deadline).count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char buffer[65536];
    const ssize_t n = ::read(fromBrowser_, buffer, sizeof buffer);
    if (n <= 0) throw HarnessError("chromium has closed its end of the pipe; it said: " + Log());
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

void Browser::Keep(const json& event) {
  if (event["method"] == "Runtime.consoleAPICalled") {
    std::string line;
    for (const json& arg : event["params"]["args"]) {
      if (!line.empty()) line += ' ';
      if (arg.contains("value")) {
        line += arg["value"].is_string() ? arg["value"].get<std::string>() : arg["value"].dump();
      } else if (arg.contains("description")) {
        line += arg["description"].get<std::string>();
      }
    }
    console_.push_back(line);
  } else if (event["method"] == "Inspector.targetCrashed") {
    console_.push_back("the page has crashed");
  } else if (event["method"] == "Target.detachedFromTarget") {
    if (event["params"].value("sessionId", "") == session_) session_.clear();
  } else if (event["method"] == "Runtime.exceptionThrown") {
    const json& details = event["params"]["exceptionDetails"];
    const json& exception = details.value("exception", json::object());
    console_.push_back("uncaught: " + exception.value("description", details.value("text", std::string())));
  }
}

json Browser::Evaluate(std::string_view expression, Duration timeout) {
  const json result =
      Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}, {"awaitPromise", true}},
           true, Scaled(timeout));
  if (result.contains("exceptionDetails")) {
    const json& details = result["exceptionDetails"];
    const json& exception = details.value("exception", json::object());
    throw HarnessError("the page threw evaluating \"" + Printable(expression) +
                       "\": " + exception.value("description", details.value("text", std::string())));
  }
  return result["result"].value("value", json());
}

void Browser::Resize(int width, int height) {
  const json window = Call("Browser.getWindowForTarget", {{"targetId", target_}}, false);
  Call("Browser.setWindowBounds",
       {{"windowId", window["windowId"]},
        {"bounds", {{"left", 0}, {"top", 0}, {"width", width}, {"height", height}}}},
       false);
}

void Browser::Reload() {
  Call("Page.reload", json::object());
  // The new document's load, or the session's end when the page moves to
  // another process; then the new document, complete.
  const std::string session = session_;
  Pump(Scaled(30s), [&](const json& m) {
    const std::string method = m.value("method", "");
    if (method == "Target.detachedFromTarget" && m["params"].value("sessionId", "") == session) {
      session_.clear();
      return true;
    }
    return method == "Page.loadEventFired";
  });
  WaitUntil("the page to load again", 30s, [&] { return Evaluate("document.readyState") == "complete"; });
}

void Browser::Touch(const std::string& type, int x, int y) {
  json points = json::array();
  if (type != "touchEnd") points.push_back({{"x", x}, {"y", y}, {"id", 1}});
  Call("Input.dispatchTouchEvent", {{"type", type}, {"touchPoints", points}});
}

void Browser::EmulateTouchScreen() {
  Call("Emulation.setTouchEmulationEnabled", {{"enabled", true}, {"maxTouchPoints", 1}});
}

void Browser::TypeOnScreen(const std::string& text) { Call("Input.insertText", {{"text", text}}); }

void Browser::PressOnScreen(const std::string& key, int windowsKeyCode) {
  for (const char* type : {"rawKeyDown", "keyUp"}) {
    Call("Input.dispatchKeyEvent", {{"type", type}, {"key", key}, {"windowsVirtualKeyCode", windowsKeyCode}});
  }
}

void Browser::AllowDownloads(const fs::path& folder) {
  fs::create_directories(folder);
  Call("Browser.setDownloadBehavior", {{"behavior", "allow"}, {"downloadPath", folder.string()}}, false);
}

Rect Browser::ElementBox(const std::string& selector) {
  const json box = Evaluate(
      "(e => e && (r => [r.left, r.top, r.width, r.height].map(Math.round))"
      "(e.getBoundingClientRect()))(document.querySelector(" +
      json(selector).dump() + "))");
  if (!box.is_array()) throw HarnessError("the page has no " + selector);
  return {box[0].get<int>(), box[1].get<int>(), box[2].get<int>(), box[3].get<int>()};
}

std::vector<std::string> Browser::Console() {
  Pump(Duration(0), [](const json&) { return false; });
  return console_;
}

}  // namespace e2e
