// The engine in a program of its own, copied under names of the test's
// choosing: the log named after the program, the fatal end when the log
// cannot be written, the settings read from the INI file beside the
// program, and a start without a display.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "App.h"
#include "Cp1251.h"
#include "ExpectedLog.h"
#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace enginetest;
using e2e::ExitStatus;

// A folder `folder` inside `dir` holding the probe as `name`, ready to be
// copied and started by the harness.
fs::path ProbeFolder(const ScratchDir& dir, const std::string& folder, const std::string& name) {
  fs::path path = dir / folder;
  fs::create_directories(path);
  fs::copy_file(fs::path(ENGINE_PROBE_DIST) / "EngineProbe.exe", path / name,
                fs::copy_options::overwrite_existing);
  return path;
}

// Starts the program with one argument and waits for its end.
ExitStatus RunToEnd(e2e::App& app, const std::string& mode,
                    std::vector<std::pair<std::string, std::string>> env = {}) {
  e2e::StartOptions options;
  options.args = {mode};
  options.env = std::move(env);
  app.Start(options);
  return app.WaitForExit(20s);
}

TEST(LogFile, IsNamedAfterTheProgramLessItsLastFourCharacters) {
  ScratchDir dir;
  const std::string firstAndLast = FirstLine() + LastLine();
  const struct {
    const char* program;
    const char* log;
  } names[] = {{"Game.exe", "Game.log"}, {"Engine", "En.log"}, {"Игра.bin", "Игра.log"}};
  for (const auto& name : names) {
    e2e::App app(ProbeFolder(dir, "dist", name.program), name.program);
    EXPECT_EQ(RunToEnd(app, "log"), ExitStatus::Code(0)) << name.program;
    EXPECT_EQ(app.ReadFile(name.log), firstAndLast) << name.program;
    // The program and its log, nothing else.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(app.Folder())) ++files;
    EXPECT_EQ(files, 2) << name.program;
    fs::remove(dir / "dist" / name.program);
  }
}

TEST(LogFile, ALogThatCannotBeCreatedOrWrittenIsAFatalRuntimeError) {
  ScratchDir dir;
  // Without a display the error box is only its text on standard error,
  // and nothing waits for a click.
  const std::vector<std::pair<std::string, std::string>> noDisplay = {{"DISPLAY", ""}};
  // A folder in the log's place: access denied (5) at the creation.
  e2e::App blocked(ProbeFolder(dir, "blocked", "Game.exe"), "Game.exe");
  fs::create_directories(blocked.PathOf("Game.log"));
  EXPECT_EQ(RunToEnd(blocked, "log", noDisplay), ExitStatus::Code(5));
  EXPECT_NE(blocked.Stderr().find("Runtime error   5 at "), std::string::npos) << blocked.Stderr();

  // A full disk (112) when the buffered lines go out at the close.
  e2e::App full(ProbeFolder(dir, "full", "Game.exe"), "Game.exe");
  fs::create_symlink("/dev/full", full.PathOf("Game.log"));
  EXPECT_EQ(RunToEnd(full, "log", noDisplay), ExitStatus::Code(112));
  EXPECT_NE(full.Stderr().find("Runtime error 112 at "), std::string::npos) << full.Stderr();
}

// The settings that the program loads with `ini` beside it as Game.INI
// (none when empty): "Width Height BitsPerPixel FullScreen".
std::string LoadedSettings(const std::string& ini) {
  ScratchDir dir;
  e2e::App app(ProbeFolder(dir, "dist", "Game.exe"), "Game.exe");
  if (!ini.empty()) app.WriteFile("Game.INI", ini);
  EXPECT_EQ(RunToEnd(app, "settings"), ExitStatus::Code(0)) << app.Stderr();
  return app.Stdout();
}

TEST(Settings, AMissingFileOrKeyGivesTheDefault) {
  EXPECT_EQ(LoadedSettings(""), "640 480 32 0\n");
  EXPECT_EQ(LoadedSettings("[Other]\r\nWidth=800\r\n[Options]\r\nHeight=600\r\n"), "640 600 32 0\n");
}

TEST(Settings, FullScreenIsAnyNonZeroNumber) {
  EXPECT_EQ(LoadedSettings("[Options]\r\nFullScreen=1\r\n"), "640 480 32 1\n");
  EXPECT_EQ(LoadedSettings("[Options]\r\nFullScreen=-1\r\n"), "640 480 32 1\n");
  EXPECT_EQ(LoadedSettings("[Options]\r\nFullScreen=yes\r\n"), "640 480 32 0\n");
  EXPECT_EQ(LoadedSettings("[Options]\r\nFullScreen=true\r\n"), "640 480 32 0\n");
}

TEST(Settings, TheLastFullStopOfTheWholePathNamesTheFile) {
  ScratchDir dir;
  // A dot in a folder name does no harm while the program has an extension.
  e2e::App dotted(ProbeFolder(dir, "my.games", "Game.exe"), "Game.exe");
  dotted.WriteFile("Game.INI", "[Options]\r\nWidth=800\r\n");
  EXPECT_EQ(RunToEnd(dotted, "settings"), ExitStatus::Code(0));
  EXPECT_EQ(dotted.Stdout(), "800 480 32 0\n");

  // Without one, the folder's dot decides: a.b\prog reads a.INI beside the
  // folder, not a.b\prog.INI.
  e2e::App bare(ProbeFolder(dir, "a.b", "prog"), "prog");
  WriteBytes(bare.ScratchDir() / "a.INI", "[Options]\r\nWidth=1024\r\n");
  bare.WriteFile("prog.INI", "[Options]\r\nWidth=1280\r\n");
  EXPECT_EQ(RunToEnd(bare, "settings"), ExitStatus::Code(0));
  EXPECT_EQ(bare.Stdout(), "1024 480 32 0\n");
}

TEST(StartUp, WithoutADisplayTheWindowFailsAndTheProgramEndsNormally) {
  ScratchDir dir;
  e2e::App app(ProbeFolder(dir, "dist", "Game.exe"), "Game.exe");
  // A display that no server answers.
  EXPECT_EQ(RunToEnd(app, "run", {{"DISPLAY", ":3999"}}), ExitStatus::Code(0)) << app.Stderr();
  EXPECT_EQ(app.ReadFile("Game.log"), StartUntilWindow() +
                                          ErrorLine("  Невозможно создать окно"_cp, "WindowUnit") +
                                          ErrorLine("  Не возможно создание окна"_cp, "GameEngine") +
                                          ErrorLine("GameEngine не инициализирован"_cp, "Game") + LastLine());
}

}  // namespace
