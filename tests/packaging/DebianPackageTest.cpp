// The Debian package, and the same layout that `cmake --install` lays out
// under a per-user prefix: the files, their owners and modes, the computed
// dependencies, the verdicts of lintian, desktop-file-validate and
// appstreamcli, the icons, the stripped programs, and the launchers without
// a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "PackageKit.h"

namespace {

using namespace packagetest;

// Everything installed, relative to the prefix.
std::vector<std::string> ExpectedFiles(const std::string& prefix) {
  std::vector<std::string> files = {"games/gem-game",
                                    "games/gem-tessel",
                                    "lib/gem-games/Game/Game.exe",
                                    "lib/gem-games/Tessel/Tessel.exe",
                                    "lib/gem-games/Tessel/рекорды.txt",
                                    "share/doc/gem-games/changelog.gz",
                                    "share/doc/gem-games/copyright"};
  for (const std::string picture : {"1", "2", "3", "4", "5", "6", "arrow"})
    files.push_back("lib/gem-games/Game/" + picture + ".bmp");
  for (const std::string name : {"game", "tessel"})
    files.push_back("share/metainfo/org.example.gemgames." + name + ".metainfo.xml");
  for (const std::string name : {"gem-game", "gem-tessel"}) {
    files.push_back("share/applications/" + name + ".desktop");
    files.push_back("share/man/man6/" + name + ".6.gz");
    for (const std::string size : {"48", "64", "128"})
      files.push_back("share/icons/hicolor/" + size + "x" + size + "/apps/" + name + ".png");
  }
  for (auto& file : files) file = prefix + file;
  std::sort(files.begin(), files.end());
  return files;
}

class DebianPackage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new ScratchDir("gem-games-deb");
    Must("dpkg-deb -x " + Quote(Deb()) + " " + Quote(root_->Path()));
  }
  static void TearDownTestSuite() { delete root_; }
  static fs::path Root() { return root_->Path(); }
  static inline ScratchDir* root_ = nullptr;
};

TEST_F(DebianPackage, InstallsItsFilesOwnedByRootWithDependenciesThatDpkgShlibdepsComputed) {
  EXPECT_EQ(FilesUnder(Root()), ExpectedFiles("usr/"));
  std::istringstream listing(Must("dpkg-deb -c " + Quote(Deb())));
  for (std::string mode, owner, size, date, time, path;
       listing >> mode >> owner >> size >> date >> time >> path;) {
    const bool program = path.rfind("./usr/games/", 0) == 0 || path.find(".exe") != std::string::npos;
    EXPECT_EQ(mode, mode[0] == 'd' ? "drwxr-xr-x" : program ? "-rwxr-xr-x" : "-rw-r--r--") << path;
    EXPECT_EQ(owner, "root/root") << path;
  }
  // Versioned, as only dpkg-shlibdeps knows them from the programs' symbols.
  const std::string depends = Must("dpkg-deb -f " + Quote(Deb()) + " Depends");
  for (const std::string library : {"libc6 (>= ", "libsdl2-2.0-0 (>= ", "libfreetype6 (>= "})
    EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
}

TEST_F(DebianPackage, LintianFindsNoErrorsAndNoWarnings) {
  // None is accepted. Lintian's lower levels note what we chose: Game's
  // pictures and Tessel's table lie in /usr/lib/ beside the program that
  // reads them there.
  const Output lintian = Shell("lintian --tag-display-limit 0 " + Quote(Deb()));
  EXPECT_FALSE(std::regex_search(lintian.text, std::regex("(^|\n)[EW]: "))) << lintian.text;
  EXPECT_EQ(lintian.status, 0) << lintian.text;
}

TEST_F(DebianPackage, MenuEntriesAndSoftwareCentreDataAreValidWithIconsOfEachSizeAndTheProgramsAreStripped) {
  // The software centres' data: not even a hint above the pedantic ones,
  // and each leads to its installed menu entry.
  const Output appstream = Shell("appstreamcli validate-tree --no-net --strict " + Quote(Root()));
  EXPECT_EQ(appstream.status, 0) << appstream.text;
  for (const std::string name : {"gem-game", "gem-tessel"}) {
    const fs::path entry = Root() / "usr/share/applications" / (name + ".desktop");
    EXPECT_EQ(Shell("desktop-file-validate " + Quote(entry)).text, "");
    EXPECT_EQ(EntryValue(ReadBytes(entry), "Exec"), "/usr/games/" + name);
    EXPECT_EQ(EntryValue(ReadBytes(entry), "Icon"), name);
    for (const std::string size : {"48", "64", "128"}) {
      const fs::path icon =
          Root() / "usr/share/icons/hicolor" / (size + "x" + size) / "apps" / (name + ".png");
      EXPECT_NE(Must("file -b " + Quote(icon))
                    .find("PNG image data, " + size + " x " + size + ", 8-bit/color RGBA"),
                std::string::npos)
          << icon;
    }
  }
  for (const std::string program : {"Game", "Tessel"}) {
    const std::string sections =
        Sections("objdump", Root() / "usr/lib/gem-games" / program / (program + ".exe"));
    EXPECT_NE(sections.find(" .gnu_debuglink "), std::string::npos) << sections;
    EXPECT_TRUE(sections.find(" .debug") == std::string::npos &&
                sections.find(" .symtab ") == std::string::npos)
        << sections;
    const fs::path symbols = fs::path(NATIVE_BUILD_DIR) / "symbols" / (program + ".exe.debug");
    EXPECT_NE(Sections("objdump", symbols).find(" .debug_info "), std::string::npos);
  }
}

TEST_F(DebianPackage, LaunchersWithoutADisplaySaySoAndCopyNothing) {
  ScratchDir data("gem-games-data");
  for (const std::string name : {"gem-game", "gem-tessel"}) {
    const Output run = Shell("env -u DISPLAY -u WAYLAND_DISPLAY XDG_DATA_HOME=" + Quote(data.Path()) + " " +
                             Quote(Root() / "usr/games" / name));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.text, name + ": no display to show the game on (DISPLAY is not set)\n");
  }
  EXPECT_TRUE(fs::is_empty(data.Path()));
}

// Under a prefix with a space in it, as a home folder may have: the
// package's files, and entries that still parse and name their launcher.
TEST(PerUserInstall, LaysOutThePackagesFilesUnderAnyPrefixWithEntriesForItsLaunchers) {
  ScratchDir home("gem-games-home");
  const fs::path prefix = home.Path() / "Anna Petrova/.local";
  Must("cmake --install " + Quote(NATIVE_BUILD_DIR) + " --prefix " + Quote(prefix));
  EXPECT_EQ(FilesUnder(prefix), ExpectedFiles(""));
  for (const std::string name : {"gem-game", "gem-tessel"}) {
    const fs::path entry = prefix / "share/applications" / (name + ".desktop");
    EXPECT_EQ(Shell("desktop-file-validate " + Quote(entry)).text, "");
    EXPECT_EQ(EntryValue(ReadBytes(entry), "Exec"), "\"" + (prefix / "games" / name).string() + "\"");
  }
}

}  // namespace
