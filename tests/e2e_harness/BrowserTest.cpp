// The harness's browser: a page served from a folder by the harness's web
// server, shown by Chromium on the test display, reached with real X input
// and read through the DevTools protocol and the screen's pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "Browser.h"
#include "StaticServer.h"
#include "XSession.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2e::Rgb;

// A page that paints its top-left corner red and notes what reaches it.
const char* const kPage = R"(<!doctype html>
<html><head><meta charset="utf-8"><title>ready</title>
<style>html, body { margin: 0; background: #0000ff; }</style></head>
<body><canvas id="c" width="200" height="100"></canvas>
<script>
const c = document.getElementById("c");
const g = c.getContext("2d");
g.fillStyle = "#ff0000";
g.fillRect(0, 0, 200, 100);
window.seen = [];
c.addEventListener("mousedown", e => seen.push("down " + e.button + " " + e.offsetX + " " + e.offsetY));
addEventListener("keydown", e => seen.push("key " + e.key));
addEventListener("contextmenu", e => e.preventDefault());
sessionStorage.loads = Number(sessionStorage.loads || 0) + 1;
console.log("loaded", Number(sessionStorage.loads));
</script></body></html>
)";

class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "e2e-page-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    std::ofstream(folder / "index.html") << kPage;
    std::ofstream(folder / "рекорды.txt") << "table\n";
  }
  void TearDown() override { fs::remove_all(folder); }
  fs::path folder;
};

TEST_F(BrowserTest, ShowsTheServedPageAtTheScreensCornerTakesRealInputAndReadsThePage) {
  e2e::StaticServer server(folder);
  e2e::XSession x;
  e2e::Browser browser(server.Url(), 800, 600);
  // The browser shows about:blank first, ready too.
  e2e::WaitUntil("the page loaded", 30s, [&] {
    return browser.Evaluate("location.href + ' ' + document.readyState") == server.Url() + " complete";
  });
  EXPECT_EQ(browser.Evaluate("document.title"), e2e::json("ready"));

  // The page's top-left corner at the screen's, nothing above it; the
  // window's X window is the page's inside, titled as the page.
  const e2e::WindowId root = x.Root();
  x.WaitForPixel(root, 5, 5, Rgb{255, 0, 0}, 0, 30s);
  x.WaitForPixel(root, 199, 99, Rgb{255, 0, 0}, 0, 5s);
  x.WaitForPixel(root, 200, 99, Rgb{0, 0, 255}, 0, 5s);
  const e2e::WindowId window = x.WaitForWindow(e2e::WindowQuery::Exact("ready"), 10s);
  EXPECT_EQ(x.Geometry(window), (e2e::Rect{0, 0, 800, 600}));
  browser.Resize(300, 200);
  e2e::WaitUntil("the window resized", 10s, [&] { return x.Geometry(window) == e2e::Rect{0, 0, 300, 200}; });
  EXPECT_EQ(browser.Evaluate("innerWidth + 'x' + innerHeight"), e2e::json("300x200"));

  x.Click(root, 30, 40);
  x.Click(root, 31, 41, e2e::Button::Right);
  x.TapKey(XK_b);
  e2e::WaitUntil(
      "three inputs", 10s, [&] { return browser.Evaluate("seen.length") == 3; },
      [&] { return browser.Evaluate("seen.join(',')").dump(); });
  EXPECT_EQ(browser.Evaluate("seen.join(',')"), e2e::json("down 0 30 40,down 2 31 41,key b"));

  // A file with a Cyrillic name, fetched by the page.
  EXPECT_EQ(browser.Evaluate("fetch('рекорды.txt').then(r => r.text())"), e2e::json("table\n"));
  EXPECT_EQ(browser.Evaluate("fetch('нет.txt').then(r => r.status)"), 404);
  EXPECT_THROW(browser.Evaluate("no_such_name"), e2e::HarnessError);

  browser.Reload();
  EXPECT_EQ(browser.Evaluate("Number(sessionStorage.loads)"), 2);
  const auto console = browser.Console();
  EXPECT_NE(std::find(console.begin(), console.end(), "loaded 2"), console.end())
      << ::testing::PrintToString(console);
}

}  // namespace
