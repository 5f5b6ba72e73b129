// The engine in a program of its own, copied under names of the test's
// choosing: the log named after the program, the fatal end when the log
// cannot be written, the settings read from the INI file beside the
// program, and a start without a display.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "App.h"
#include "Cp1251.h"
#include "ExpectedLog.h"
#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace enginetest;
using e2e::ExitStatus;

// The probe as `name` in a folder `folder` inside `dir`, copied by the
// harness into a scratch directory of its own.
struct Probe : e2e::App {
  Probe(const enginetest::ScratchDir& dir, const std::string& folder, const std::string& name)
      : e2e::App(Prepare(dir / folder, name), name) {}

  static fs::path Prepare(const fs::path& folder, const std::string& name) {
    fs::create_directories(folder);
    fs::copy_file(fs::path(ENGINE_PROBE_DIST) / "EngineProbe.exe", folder / name,
                  fs::copy_options::overwrite_existing);
    return folder;
  }

  // Starts the program with one argument and waits for its end.
  ExitStatus Run(const std::string& mode, std::vector<std::pair<std::string, std::string>> env = {}) {
    Start({.args = {mode}, .env = std::move(env), .runner = std::nullopt});
    return WaitForExit(20s);
  }
};

TEST(LogFile, IsNamedAfterTheProgramLessItsLastFourCharacters) {
  ScratchDir dir;
  for (auto [program, log] :
       {std::pair{"Game.exe", "Game.log"}, {"Engine", "En.log"}, {"Игра.bin", "Игра.log"}}) {
    Probe probe(dir, program, program);
    EXPECT_EQ(probe.Run("log"), ExitStatus::Code(0)) << program;
    EXPECT_EQ(probe.ReadFile(log), FirstLine() + LastLine()) << program;
    // The program and its log, nothing else.
    EXPECT_EQ(std::distance(fs::directory_iterator(probe.Folder()), fs::directory_iterator()), 2) << program;
  }
}

TEST(LogFile, ALogThatCannotBeCreatedOrWrittenIsAFatalRuntimeError) {
  ScratchDir dir;
  // Without a display the error box is only its text on standard error,
  // and nothing waits for a click.
  const std::vector<std::pair<std::string, std::string>> noDisplay = {{"DISPLAY", ""}};
  // A folder in the log's place: access denied (5) at the creation.
  Probe blocked(dir, "blocked", "Game.exe");
  fs::create_directories(blocked.PathOf("Game.log"));
  EXPECT_EQ(blocked.Run("log", noDisplay), ExitStatus::Code(5));
  EXPECT_NE(blocked.Stderr().find("Runtime error   5 at "), std::string::npos) << blocked.Stderr();

  // A full disk (112) when the buffered lines go out at the close.
  Probe full(dir, "full", "Game.exe");
  fs::create_symlink("/dev/full", full.PathOf("Game.log"));
  EXPECT_EQ(full.Run("log", noDisplay), ExitStatus::Code(112));
  EXPECT_NE(full.Stderr().find("Runtime error 112 at "), std::string::npos) << full.Stderr();
}

TEST(Settings, ComeFromTheIniBesideTheProgramWithDefaultsAndAnyNonZeroNumberForFullScreen) {
  ScratchDir dir;
  // "Width Height BitsPerPixel FullScreen" as loaded with `ini` beside the
  // program as Game.INI (none when empty).
  auto loaded = [&](const std::string& ini) {
    Probe probe(dir, "dist", "Game.exe");
    if (!ini.empty()) probe.WriteFile("Game.INI", ini);
    EXPECT_EQ(probe.Run("settings"), ExitStatus::Code(0)) << probe.Stderr();
    return probe.Stdout();
  };
  EXPECT_EQ(loaded(""), "640 480 32 0\n");
  EXPECT_EQ(loaded("[Other]\r\nWidth=800\r\n[Options]\r\nHeight=600\r\n"), "640 600 32 0\n");
  EXPECT_EQ(loaded("[Options]\r\nFullScreen=1\r\nBitsPerPixel=16\r\n"), "640 480 16 1\n");
  EXPECT_EQ(loaded("[Options]\r\nFullScreen=-1\r\n"), "640 480 32 1\n");
  EXPECT_EQ(loaded("[Options]\r\nFullScreen=yes\r\n"), "640 480 32 0\n");

  // A dot in a folder name does no harm while the program has an extension.
  Probe dotted(dir, "my.games", "Game.exe");
  dotted.WriteFile("Game.INI", "[Options]\r\nWidth=800\r\n");
  EXPECT_EQ(dotted.Run("settings"), ExitStatus::Code(0));
  EXPECT_EQ(dotted.Stdout(), "800 480 32 0\n");
  // Without one, the folder's dot decides: a.b\prog reads a.INI beside the
  // folder, not a.b\prog.INI.
  Probe bare(dir, "a.b", "prog");
  WriteBytes(bare.ScratchDir() / "a.INI", "[Options]\r\nWidth=1024\r\n");
  bare.WriteFile("prog.INI", "[Options]\r\nWidth=1280\r\n");
  EXPECT_EQ(bare.Run("settings"), ExitStatus::Code(0));
  EXPECT_EQ(bare.Stdout(), "1024 480 32 0\n");
}

TEST(StartUp, WithoutADisplayTheWindowFailsAndTheProgramEndsNormally) {
  ScratchDir dir;
  Probe probe(dir, "dist", "Game.exe");
  // A display that no server answers.
  EXPECT_EQ(probe.Run("run", {{"DISPLAY", ":3999"}}), ExitStatus::Code(0)) << probe.Stderr();
  EXPECT_EQ(probe.ReadFile("Game.log"),
            StartUntilWindow() + ErrorLine("  Невозможно создать окно"_cp, "WindowUnit") +
                ErrorLine("  Не возможно создание окна"_cp, "GameEngine") +
                ErrorLine("GameEngine не инициализирован"_cp, "Game") + LastLine());
}

}  // namespace
