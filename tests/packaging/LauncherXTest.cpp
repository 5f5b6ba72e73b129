// The Debian package's launchers played under the test X server: the
// package unpacked into a scratch root (which the harness copies), each
// launcher started with a scratch data folder. The player's files stay the
// player's across starts and upgrades; the package's own files are
// refreshed.
#include <X11/keysym.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>

#include "App.h"
#include "Cp1251.h"
#include "PackageFiles.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2e::App, e2e::WindowQuery, e2e::XSession;

const std::string kVersion = GEM_VERSION;
const std::string kTable = "рекорды.txt";

// The package unpacked once for all tests; each test's App copies it.
class Launcher : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new packagetest::ScratchDir("gem-games-root");
    std::string arch = packagetest::Shell("dpkg --print-architecture").output;
    arch.erase(arch.find_last_not_of("\n") + 1);
    packagetest::UnpackDeb(packagetest::Package("gem-games_" + kVersion + "_" + arch + ".deb"),
                           root_->Path());
    // The harness writes into its copy: the unpacked folders are read-only.
    packagetest::Shell("chmod -R u+w " + packagetest::Quote(root_->Path().string()));
  }
  static void TearDownTestSuite() {
    delete root_;
    root_ = nullptr;
  }

  // A launcher of the package in a fresh copy of the root; the player's
  // home and data folders are inside the copy too.
  static std::unique_ptr<App> Package(const std::string& launcher) {
    return std::make_unique<App>(root_->Path(), "usr/games/" + launcher);
  }
  // Starts the launcher directly (never under a runner: it is a Linux
  // script) with the given XDG_DATA_HOME, and HOME in the copy.
  static void Start(App& app, const std::string& dataHome) {
    e2e::StartOptions options;
    options.runner = std::vector<std::string>{};
    options.env = {{"HOME", app.PathOf("home").string()}, {"XDG_DATA_HOME", dataHome}};
    app.Start(options);
  }

  static packagetest::ScratchDir* root_;
};
packagetest::ScratchDir* Launcher::root_ = nullptr;

// The player's table: scores below anything a game without moves ends with.
const std::string kLowTable = std::string("-10 ANNA\r\n-20 BORIS\r\n-30 ") + "ЖЕНЯ"_cp +
                              "\r\n-40 DINA\r\n-50 EGOR\r\n-60 FAINA\r\n-70 GLEB\r\n-80 IRA\r\n"
                              "-90 KIRA\r\n-100 LEV\r\n";

TEST_F(Launcher, TesselSavesIntoThePlayersTableWhichLaterStartsAndUpgradesLeaveAlone) {
  XSession x;
  auto app = Package("gem-tessel");
  const std::string installed = "usr/lib/gem-games/Tessel/";
  const std::string copy = "data/gem-tessel/";
  // This package ships a table any score beats.
  app->WriteFile(installed + kTable, kLowTable);

  // First start: the folder is copied, and the game keeps its score there.
  Start(*app, app->PathOf("data").string());
  e2e::WindowId w = app->WaitForWindow(x, WindowQuery::Prefix("Gemora"), 20s);
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
  EXPECT_EQ(saved.substr(saved.find('\n') + 1), kLowTable.substr(0, kLowTable.rfind("-100")));
  x.TapKey(XK_Escape);
  ASSERT_EQ(app->WaitForExit(10s), e2e::ExitStatus::Code(0));
  EXPECT_EQ(app->ReadFile(installed + kTable), kLowTable) << "the installed table is never written";

  // An upgrade: the package now ships another table, and the player's copy
  // of the program is outdated (here one that cannot even run).
  app->WriteFile(installed + kTable, "1 NEW\r\n");
  app->WriteFile(copy + "Tessel.exe", "an older program");
  Start(*app, app->PathOf("data").string());
  w = app->WaitForWindow(x, WindowQuery::Prefix("Gemora"), 20s);
  EXPECT_EQ(app->ReadFile(copy + "Tessel.exe"), app->ReadFile(installed + "Tessel.exe"));
  EXPECT_EQ(app->ReadFile(copy + kTable), saved);
  x.WaitForStableImage(w, 1200ms, 60s);
  x.Activate(w);
  x.TapKey(XK_Escape);
  EXPECT_EQ(app->WaitForExit(10s), e2e::ExitStatus::Code(0));
  EXPECT_EQ(app->ReadFile(copy + kTable), saved);
}

TEST_F(Launcher, GameRunsInTheDefaultDataFolderWithThePlayersSettingsAndRefreshedPictures) {
  XSession x;
  auto app = Package("gem-game");
  const std::string installed = "usr/lib/gem-games/Game/";
  // No XDG_DATA_HOME: ~/.local/share.
  const std::string copy = "home/.local/share/gem-game/";

  Start(*app, "");
  e2e::WindowId w = app->WaitForWindow(x, WindowQuery::Exact("Game gfx engine"), 20s);
  app->WaitForFile(copy + "Game.log", 10s);
  const e2e::Rect defaultSize = x.Geometry(w);
  for (const std::string file : {"Game.exe", "1.bmp", "6.bmp", "arrow.bmp"})
    EXPECT_EQ(app->ReadFile(copy + file), app->ReadFile(installed + file)) << file;
  x.Activate(w);
  x.TapKey(XK_F4, e2e::kAlt);
  ASSERT_EQ(app->WaitForExit(10s), e2e::ExitStatus::Code(0));
  EXPECT_FALSE(app->FileExists(installed + "Game.log"));

  // The player's settings, and a picture of an older version. A relative
  // XDG_DATA_HOME is not valid and means the default too.
  const std::string settings = "[Options]\r\nWidth=512\r\nHeight=384\r\n";
  app->WriteFile(copy + "Game.INI", settings);
  app->WriteFile(copy + "3.bmp", "an older picture");
  app->RemoveFile(copy + "Game.log");
  Start(*app, "relative/share");
  w = app->WaitForWindow(x, WindowQuery::Exact("Game gfx engine"), 20s);
  app->WaitForFile(copy + "Game.log", 10s);
  EXPECT_EQ(app->ReadFile(copy + "3.bmp"), app->ReadFile(installed + "3.bmp"));
  // The settings were read from the player's folder: the window is 128 by
  // 96 pixels smaller than the default 640 by 480.
  const e2e::Rect smaller = x.Geometry(w);
  EXPECT_EQ(defaultSize.width - smaller.width, 128);
  EXPECT_EQ(defaultSize.height - smaller.height, 96);
  x.Activate(w);
  x.TapKey(XK_F4, e2e::kAlt);
  EXPECT_EQ(app->WaitForExit(10s), e2e::ExitStatus::Code(0));
  EXPECT_EQ(app->ReadFile(copy + "Game.INI"), settings);
  EXPECT_FALSE(app->FileExists("relative"));
}

}  // namespace
