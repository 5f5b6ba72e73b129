// The Windows archives as a Windows player uses them: each unpacked into a
// scratch folder and its program, stripped as it ships, started from there
// under Wine and played to its end.
#include <X11/keysym.h>

#include <gtest/gtest.h>

#include <chrono>

#include "App.h"
#include "Cp1251.h"
#include "ExpectedLog.h"
#include "PackageKit.h"

namespace {

using namespace std::chrono_literals;
using e2e::App, e2e::WindowQuery, e2e::XSession;

TEST(WindowsArchivesUnderWine, GameRunsFromItsUnpackedFolderAndLogsAWholeRun) {
  packagetest::ScratchDir dir("game-zip");
  XSession x;
  App app(packagetest::Unzipped("Game", dir.Path()), "Game.exe");
  app.Start();
  const e2e::WindowId w = app.WaitForWindow(x, WindowQuery::Exact("Game gfx engine"), 30s);
  x.WaitForTitle(w, WindowQuery::Prefix("FPS: "), 15s);
  x.Activate(w);
  x.TapKey(XK_F4, e2e::kAlt);
  EXPECT_EQ(app.WaitForExit(10s), e2e::ExitStatus::Code(0));
  EXPECT_EQ(app.ReadFile("Game.log"), enginetest::DefaultStart() + enginetest::CloseByUser());
}

TEST(WindowsArchivesUnderWine, TesselRunsFromItsUnpackedFolderAndFindsItsTable) {
  packagetest::ScratchDir dir("tessel-zip");
  XSession x;
  App app(packagetest::Unzipped("Tessel", dir.Path()), "Tessel.exe");
  const std::string table = app.ReadFile("рекорды.txt");
  app.Start();
  const e2e::WindowId w = app.WaitForWindow(x, WindowQuery::Prefix("Gemora  от Vardelin"), 30s);
  x.Activate(w);
  x.TapKey(XK_F4, e2e::kAlt);
  EXPECT_EQ(app.WaitForExit(10s), e2e::ExitStatus::Code(0));
  EXPECT_FALSE(x.FindWindow(WindowQuery::Exact("Error")));
  EXPECT_EQ(app.ReadFile("рекорды.txt"), table);
}

}  // namespace
