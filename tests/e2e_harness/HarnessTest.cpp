// The harness's own checks, kept for faults of its own that would let the
// end-to-end tests pass when they should fail: the build they drive, which
// window a title names, colour tolerance and the waits; and what a browser's
// processes take together, which the web soak and the benchmark read.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "App.h"
#include "Processes.h"
#include "StaticServer.h"

namespace {

using namespace std::chrono_literals;
using e2e::Rgb, e2e::WindowQuery;

// Under E2E_WINDOWS_BUILD the tests drive the Windows build: a folder of
// the Linux build names the same folder there, and no other is accepted.
TEST(Dist, NamesTheFolderOfTheBuildUnderTest) {
  const std::string native = E2E_NATIVE_BUILD_DIR;
  struct Case {
    const char* windowsBuild;       // nullptr: unset
    std::string builtIn, expected;  // "": refused
  };
  const Case cases[] = {
      {nullptr, "/b/dist/Tessel", "/b/dist/Tessel"},
      {"", "/b/dist/Tessel", "/b/dist/Tessel"},
      {"/w/build-win32/", native + "/dist/Tessel", "/w/build-win32/dist/Tessel"},
      {"/w/build-win32", native + "/tests/game/probe-dist/", "/w/build-win32/tests/game/probe-dist"},
      {"/w/build-win32", "/b/dist/Tessel", ""},
  };
  const char* const old = std::getenv("E2E_WINDOWS_BUILD");
  const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
  for (const Case& c : cases) {
    c.windowsBuild ? ::setenv("E2E_WINDOWS_BUILD", c.windowsBuild, 1) : ::unsetenv("E2E_WINDOWS_BUILD");
    const bool wine = c.windowsBuild && *c.windowsBuild;
    EXPECT_EQ(e2e::UnderWine(), wine) << c.windowsBuild;
    if (c.expected.empty()) {
      EXPECT_THROW(e2e::Dist(c.builtIn), e2e::HarnessError) << c.builtIn;
    } else {
      EXPECT_EQ(e2e::Dist(c.builtIn), c.expected) << c.builtIn;
    }
  }
  saved ? ::setenv("E2E_WINDOWS_BUILD", saved->c_str(), 1) : ::unsetenv("E2E_WINDOWS_BUILD");
}

TEST(WindowQuery, MatchesTheWholeTitleOrItsBeginningAndThePid) {
  struct Case {
    WindowQuery query;
    std::string title;
    long pid;
    bool matches;
  };
  const Case cases[] = {
      {WindowQuery::Exact("Gemora   0   0"), "Gemora   0   0", 0, true},
      {WindowQuery::Exact("Gemora   0   0"), "Gemora   0   0 ", 0, false},
      {WindowQuery::Exact("Gemora   0   0"), "Gemora   0   ", 0, false},
      {WindowQuery::Prefix("FPS: "), "FPS: 400", 0, true},
      {WindowQuery::Prefix("FPS: "), "FPS:", 0, false},
      {WindowQuery::Exact("Error").OfPid(12), "Error", 12, true},
      {WindowQuery::Exact("Error").OfPid(12), "Error", 13, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.query.Matches(c.title, c.pid), c.matches)
        << c.query.Describe() << " and \"" << c.title << "\"";
}

// Tolerance is per channel, and counts keep to their area.
TEST(Colours, PixelIsAndCountPixelsTakeNoMoreThanTheirTolerance) {
  e2e::Image image(4, 3);
  const Rgb colour{100, 150, 200};
  image.Set(1, 1, colour);
  image.Set(3, 2, colour);
  struct Case {
    Rgb expected;
    int tolerance;
    bool near;
  };
  const Case cases[] = {
      {{100, 150, 200}, 0, true},  {{104, 146, 204}, 4, true},  {{101, 150, 200}, 0, false},
      {{105, 150, 200}, 4, false}, {{100, 145, 200}, 4, false}, {{100, 150, 205}, 4, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<bool>(e2e::PixelIs(image, 1, 1, c.expected, c.tolerance)), c.near) << c.expected;
    EXPECT_EQ(e2e::CountPixels(image, image.Bounds(), c.expected, c.tolerance), c.near ? 2 : 0) << c.expected;
  }
  EXPECT_FALSE(e2e::PixelIs(image, 4, 1, Rgb{0, 0, 0}, 255)) << "outside the image";
  EXPECT_EQ(e2e::CountPixels(image, {1, 1, 3, 2}, colour), 2) << "the area's last row and column";
  EXPECT_EQ(e2e::CountPixels(image, {2, 0, 1, 3}, colour), 0);
  EXPECT_EQ(e2e::CountPixels(image, {-2, -2, 4, 4}, colour), 1) << "clipped";
}

// A wait returns once its condition holds, not before, and times out when
// it never does.
TEST(WaitUntil, ReturnsWhenTheConditionHoldsAndTimesOutWhenItNeverDoes) {
  struct Case {
    int holdsAtLook;  // 0: never
    e2e::Duration timeout;
  };
  const Case cases[] = {{1, 10s}, {3, 10s}, {2, 0ms}, {0, 200ms}};
  for (const Case& c : cases) {
    int looks = 0;
    const auto start = std::chrono::steady_clock::now();
    auto wait = [&] { e2e::WaitUntil("a look", c.timeout, [&] { return ++looks == c.holdsAtLook; }); };
    if (c.holdsAtLook > 0) {
      EXPECT_NO_THROW(wait()) << c.holdsAtLook;
      EXPECT_EQ(looks, c.holdsAtLook);
    } else {
      EXPECT_THROW(wait(), e2e::WaitTimeout);
      EXPECT_GE(std::chrono::steady_clock::now() - start, c.timeout);
      EXPECT_GT(looks, 2) << "it looked again meanwhile";
    }
  }
}

// A steady wait returns only what has stayed the same for the quiet time:
// a picture taken before the program has drawn it, or while it still
// moves, would pass a check that nothing is drawn.
TEST(WaitUntilSteady, ReturnsWhatHasStayedTheSameForTheQuietTime) {
  struct Case {
    e2e::Duration changing, quiet;
  };
  for (const Case& c : {Case{0ms, 200ms}, Case{300ms, 100ms}}) {
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::steady_clock::now() - start; };
    // Counts up while changing, then stays.
    const long seen = e2e::WaitUntilSteady<long>("a value", c.quiet, 10s, [&] {
      return elapsed() < c.changing ? static_cast<long>(elapsed().count()) : -1L;
    });
    EXPECT_EQ(seen, -1);
    EXPECT_GE(elapsed(), c.changing + c.quiet);
  }
}

// The web server serves the folder as a static host would, and nothing
// beside it: a page's files by their encoded names, none outside.
TEST(StaticResponse, ServesTheFolderByDecodedPathAndNothingOutsideIt) {
  const auto folder = std::filesystem::temp_directory_path() / ("e2e-static-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "sub");
  std::ofstream(folder / "index.html") << "<p>home";
  std::ofstream(folder / "sub" / "рекорды.txt") << "table";
  std::ofstream(folder / "p.wasm") << "wasm";
  std::ofstream(folder.parent_path() / "beside.txt") << "secret";
  struct Case {
    std::string head, status, type, body;
  };
  const Case cases[] = {
      {"GET / HTTP/1.1", "200 OK", "text/html; charset=utf-8", "<p>home"},
      {"GET /sub/%D1%80%D0%B5%D0%BA%D0%BE%D1%80%D0%B4%D1%8B.txt?v=2 HTTP/1.1", "200 OK", "text/plain",
       "table"},
      {"HEAD /p.wasm HTTP/1.1", "200 OK", "application/wasm", ""},
      {"GET /p.wasm HTTP/1.1", "200 OK", "application/wasm", "wasm"},
      {"GET /../beside.txt HTTP/1.1", "404 Not Found", "text/plain", "Not Found\n"},
      {"GET /sub/%2E%2E/%2E%2E/beside.txt HTTP/1.1", "404 Not Found", "text/plain", "Not Found\n"},
      {"GET /missing.js HTTP/1.1", "404 Not Found", "text/plain", "Not Found\n"},
      {"GET /%D1%8 HTTP/1.1", "400 Bad Request", "text/plain", "Bad Request\n"},
      {"POST / HTTP/1.1", "405 Method Not Allowed", "text/plain", "Method Not Allowed\n"},
  };
  for (const Case& c : cases) {
    const std::string answer = e2e::StaticResponse(folder, c.head + "\r\nHost: x");
    const size_t end = answer.find("\r\n\r\n");
    ASSERT_NE(end, std::string::npos) << c.head;
    const std::string head = answer.substr(0, end), body = answer.substr(end + 4);
    EXPECT_EQ(head.substr(0, head.find("\r\n")), "HTTP/1.1 " + c.status) << c.head;
    EXPECT_NE(head.find("\r\nContent-Type: " + c.type + "\r\n"), std::string::npos) << head;
    EXPECT_EQ(body, c.body) << c.head;
  }
  std::filesystem::remove_all(folder);
  std::filesystem::remove(folder.parent_path() / "beside.txt");
}

// A browser's helpers are its children and its children's children, some
// in a session of their own, and a helper whose parent has gone is left
// only in the browser's process group: the tree has them all, and the
// processor time of a helper that has come and gone still counts.
TEST(ProcessTree, HasEveryDescendantAndTheGroupAndCountsWhatEndedHelpersTook) {
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const pid_t root = ::fork();
  ASSERT_GE(root, 0);
  if (root == 0) {
    ::setpgid(0, 0);
    pid_t helpers[2];
    // A child's child, in a session of its own.
    if ((helpers[0] = ::fork()) == 0) {
      ::setsid();
      if (::fork() == 0) ::pause();
      ::pause();
    }
    // A child's child whose parent ends: it goes to init, in this group.
    int orphan[2];
    if (::pipe(orphan) != 0) ::_exit(1);
    const pid_t parent = ::fork();
    if (parent == 0) {
      const pid_t child = ::fork();
      if (child == 0) ::pause();
      (void)!::write(orphan[1], &child, sizeof child);
      ::_exit(0);
    }
    if (::read(orphan[0], &helpers[1], sizeof helpers[1]) != sizeof helpers[1]) ::_exit(1);
    ::waitpid(parent, nullptr, 0);
    // A child that takes 0.3 s of processor time and ends.
    if (::fork() == 0) {
      timespec used{};
      do ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
      while (used.tv_sec == 0 && used.tv_nsec < 300'000'000);
      ::_exit(0);
    }
    ::wait(nullptr);
    (void)!::write(report[1], helpers, sizeof helpers);
    ::pause();
    ::_exit(0);
  }
  pid_t helpers[2] = {0, 0};
  const bool reported = ::read(report[0], helpers, sizeof helpers) == sizeof helpers;
  const std::vector<pid_t> tree = e2e::ProcessTree(root);
  const double seconds = e2e::TreeCpuSeconds(root);
  ::kill(-root, SIGKILL);
  if (reported) ::kill(-helpers[0], SIGKILL);  // the other session's group
  ::waitpid(root, nullptr, 0);
  ::close(report[0]);
  ::close(report[1]);
  ASSERT_TRUE(reported);
  auto has = [&](pid_t pid) { return std::count(tree.begin(), tree.end(), pid) == 1; };
  EXPECT_TRUE(has(root) && has(helpers[0]) && has(helpers[1]));
  EXPECT_EQ(tree.size(), 4u);  // and the grandchild in the other session
  EXPECT_FALSE(has(::getpid()));
  EXPECT_GE(seconds, 0.28);
  EXPECT_LT(seconds, 3.0);
}

}  // namespace
