// The Debian package's launchers played under the test X server: the
// package unpacked into a scratch root (which the harness copies), each
// launcher started with a scratch data folder. The player's files stay the
// player's across starts and upgrades; the package's own files are
// refreshed; the window's class is the one its menu entry names.
#include <X11/keysym.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <regex>

#include "App.h"
#include "PackageKit.h"
// Last: Xlib's macros (None, Bool) would clash with names above.
#include <X11/Xutil.h>

namespace {

using namespace std::chrono_literals;
using e2e::App, e2e::WindowQuery, e2e::XSession;

const std::string kTable = "рекорды.txt";

class Launcher : public ::testing::Test {
 protected:
  // The package unpacked once, writable for the harness, which copies it
  // for every test.
  static void SetUpTestSuite() {
    root_ = new packagetest::ScratchDir("gem-games-root");
    const std::string root = packagetest::Quote(root_->Path());
    packagetest::Must("dpkg-deb -x " + packagetest::Quote(packagetest::Deb()) + " " + root);
    packagetest::Must("chmod -R u+w " + root);
    // A build of the programs of its own in place of the package's.
    if (const std::string instead = PROGRAMS_INSTEAD; !instead.empty()) {
      for (const std::string program : {"Game", "Tessel"})
        packagetest::Must("cp " + packagetest::Quote(instead + "/" + program + "/" + program + ".exe") + " " +
                          packagetest::Quote(root_->Path() / "usr/lib/gem-games" / program));
    }
  }
  static void TearDownTestSuite() { delete root_; }

  static std::unique_ptr<App> Package(const std::string& launcher) {
    return std::make_unique<App>(root_->Path(), "usr/games/" + launcher);
  }
  // Starts the launcher itself, never under a runner, with HOME in the copy.
  static void Start(App& app, const std::string& dataHome) {
    e2e::StartOptions options;
    options.runner = std::vector<std::string>{};
    options.env = {{"HOME", app.PathOf("home").string()}, {"XDG_DATA_HOME", dataHome}};
    app.Start(options);
  }
  // The window's class, as a dock reads it to find the menu entry, and the
  // one the launcher's menu entry gives.
  static void ExpectTheEntrysWindowClass(XSession& x, e2e::WindowId w, const App& app,
                                         const std::string& launcher) {
    XClassHint hint{};
    ASSERT_NE(XGetClassHint(x.Raw(), w, &hint), 0);
    const std::string windowClass = hint.res_class;
    XFree(hint.res_name);
    XFree(hint.res_class);
    const std::string entry = app.ReadFile("usr/share/applications/" + launcher + ".desktop");
    EXPECT_EQ(packagetest::EntryValue(entry, "StartupWMClass"), windowClass);
  }
  static inline packagetest::ScratchDir* root_ = nullptr;
};

TEST_F(Launcher, TesselSavesIntoThePlayersTableWhichLaterStartsAndUpgradesLeaveAlone) {
  XSession x;
  auto app = Package("gem-tessel");
  const std::string installed = "usr/lib/gem-games/Tessel/";
  const std::string copy = "data/gem-tessel/";
  // This package ships a table any score beats, lower than anything a game
  // without moves ends with.
  const std::string kLowTable = testsupport::LeadersFrom(-10);
  app->WriteFile(installed + kTable, kLowTable);

  // First start: the folder is copied, and the game keeps its score there.
  Start(*app, app->PathOf("data").string());
  e2e::WindowId w = app->WaitForWindow(x, WindowQuery::Prefix("Gemora"), 20s);
  ExpectTheEntrysWindowClass(x, w, *app, "gem-tessel");
  EXPECT_EQ(app->ReadFile(copy + "Tessel.exe"), app->ReadFile(installed + "Tessel.exe"));
  EXPECT_EQ(app->ReadFile(copy + kTable), kLowTable);
  // Keys count once the board has filled and come to rest.
  x.WaitForStableImage(w, 1200ms, 60s);
  x.Activate(w);
  x.TapKey(XK_Return);
  x.Type("tester");
  x.TapKey(XK_Return);
  std::string saved;
  app->WaitUntil("the player's table to be rewritten", 10s, [&] {
    saved = app->ReadFile(copy + kTable);
    return saved != kLowTable;
  });
  EXPECT_TRUE(std::regex_match(saved, std::regex("(0|[1-9][0-9]*) TESTER\r\n[\\s\\S]*")))
      << e2e::Printable(saved);
  EXPECT_EQ(saved.substr(saved.find('\n') + 1), kLowTable.substr(0, kLowTable.rfind("-100 ")));
  x.TapKey(XK_Escape);
  ASSERT_EQ(app->WaitForExit(10s), e2e::ExitStatus::Code(0));
  EXPECT_EQ(app->ReadFile(installed + kTable), kLowTable) << "the installed table is never written";

  // An upgrade: the package now ships another table, and the player's copy
  // of the program is outdated (here one that cannot even run).
  app->WriteFile(installed + kTable, "1 NEW\r\n");
  app->WriteFile(copy + "Tessel.exe", "an older program");
  Start(*app, app->PathOf("data").string());
  app->WaitForWindow(x, WindowQuery::Prefix("Gemora"), 20s);
  EXPECT_EQ(app->ReadFile(copy + "Tessel.exe"), app->ReadFile(installed + "Tessel.exe"));
  EXPECT_EQ(app->ReadFile(copy + kTable), saved);
  app->Kill();
}

// A player who has played an older version: settings of their own (a
// window narrower than the default), a picture of that version. A relative
// XDG_DATA_HOME is not valid, and means the default, ~/.local/share.
TEST_F(Launcher, GameRunsInThePlayersFolderWhereItsPicturesAreRefreshedAndItsSettingsKept) {
  XSession x;
  auto app = Package("gem-game");
  const std::string installed = "usr/lib/gem-games/Game/", copy = "home/.local/share/gem-game/";
  const std::string settings = "[Options]\r\nWidth=512\r\nHeight=384\r\n";
  app->WriteFile(copy + "Game.INI", settings);
  app->WriteFile(copy + "3.bmp", "an older picture");

  Start(*app, "relative/share");
  const e2e::WindowId w = app->WaitForWindow(x, WindowQuery::Exact("Game gfx engine"), 20s);
  ExpectTheEntrysWindowClass(x, w, *app, "gem-game");
  for (const std::string file : {"Game.exe", "1.bmp", "3.bmp", "arrow.bmp"})
    EXPECT_EQ(app->ReadFile(copy + file), app->ReadFile(installed + file)) << file;
  // The player's settings took effect: the window is as wide as they ask
  // (it has no frame without a window manager).
  EXPECT_EQ(x.Geometry(w).width, 512);
  x.Activate(w);
  x.TapKey(XK_F4, e2e::kAlt);
  EXPECT_EQ(app->WaitForExit(10s), e2e::ExitStatus::Code(0));
  // The log where the game ran; nothing in the installed folder or the
  // relative one.
  EXPECT_TRUE(app->FileExists(copy + "Game.log"));
  EXPECT_FALSE(app->FileExists(installed + "Game.log") || app->FileExists("relative"));
  EXPECT_EQ(app->ReadFile(copy + "Game.INI"), settings);
}

}  // namespace
