// The kernel32 calls on files in a scratch folder: settings read as profile
// strings, and Windows' refusal to change a read-only file or to write where
// the host refuses it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "Cp1251.h"
#include "HostPath.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

// A host path as a program names it: Windows-1251, with backslashes.
std::string WindowsName(const fs::path& path) {
  std::string name = cp1251::FromUtf8(path.string());
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

// Settings as a player may write them, and files a program may meet in
// their place.
TEST(ProfileStrings, ValuesAsPlayersWriteThemAndAnyFileInTheirPlace) {
  testsupport::ScratchDir dir("profile");
  WriteBytes(
      dir / "Game.INI",
      cp1251::FromUtf8(
          "  [ Options ]  \r\n\tWidth\t=\t800 \r\n;Height=1\rHeight=600\n#Bits=16\nAlone\nQuoted=\"  two "
          "words \"\nSingle='x'\nMixed=\"abc'\nTrailing = 800 ; kept \nWidth=second\nEmpty=\n[Настройки]\n"
          "Ёлка = 1024\n[options]\nFullScreen=1\n"));
  WriteBytes(dir / "utf8.ini", "\xEF\xBB\xBF[Options]\nName=Жук\n");
  ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0600), 0);
  struct Case {
    const char* file;
    const char* section;
    const char* key;
    const char* byDefault;
    std::string value;
  };
  const Case cases[] = {
      {"Game.INI", "OPTIONS", " width ", "640", "800"},  // case and blanks aside; the first of two
      {"Game.INI", "Options", "Height", "480", "600"},   // after a comment, past a CR alone
      {"Game.INI", "Options", "#Bits", "32", "16"},      // only ';' starts a comment
      {"Game.INI", "Options", "Alone", "d", "d"},
      {"Game.INI", "Options", "Widt", "d", "d"},
      {"Game.INI", "Options", "Quoted", "", "  two words "},
      {"Game.INI", "Options", "Single", "", "x"},
      {"Game.INI", "Options", "Mixed", "", "\"abc'"},
      {"Game.INI", "Options", "Trailing", "", "800 ; kept"},
      {"Game.INI", "Options", "Empty", "640", ""},
      {"Game.INI", "Options", "FullScreen", "0", "0"},  // only the first section of a name
      {"Game.INI", "НАСТРОЙКИ", "ёЛКА", "0", "1024"},
      {"Game.INI", "Options", "Missing", " 480  ", " 480"},
      {"game.ini", "Options", "Width", "640", "800"},  // file names ignore case
      {"utf8.ini", "Options", "Name", "", "Жук"},
      {"absent.ini", "Options", "Width", "640", "640"},
      {"pipe.ini", "Options", "Width", "640", "640"},  // no waiting for a writer
  };
  for (const Case& c : cases) {
    char value[64];
    DWORD n = GetPrivateProfileStringA(cp1251::FromUtf8(c.section).c_str(), cp1251::FromUtf8(c.key).c_str(),
                                       c.byDefault, value, sizeof value, WindowsName(dir / c.file).c_str());
    EXPECT_EQ(std::string(value, n), cp1251::FromUtf8(c.value))
        << c.file << " [" << c.section << "] " << c.key;
  }
}

// On the host a read-only file is one without its owner's write
// permission, which the superuser could otherwise still write.
TEST(Files, AReadOnlyFileIsNeitherReplacedNorWrittenNorDeleted) {
  testsupport::ScratchDir dir("files");
  const fs::path table = dir / "table.txt", temp = dir / "table.tmp";
  auto wide = [](const fs::path& path) { return cp1251::ToUtf16<char16_t>(WindowsName(path)); };
  const std::function<BOOL()> changes[] = {
      [&] { return MoveFileExW(wide(temp).c_str(), wide(table).c_str(), MOVEFILE_REPLACE_EXISTING); },
      [&] {
        HANDLE file = CreateFileW(wide(table).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        return file != INVALID_HANDLE_VALUE && CloseHandle(file);
      },
      [&] { return DeleteFileW(wide(table).c_str()); },
  };
  WriteBytes(table, "old");
  WriteBytes(temp, "new");
  fs::permissions(table, fs::perms::owner_write, fs::perm_options::remove);
  for (size_t i = 0; i < std::size(changes); ++i) {
    EXPECT_FALSE(changes[i]()) << "change " << i;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "change " << i;
  }
  EXPECT_EQ(ReadBytes(table) + ReadBytes(temp), "oldnew");
  // Writable again, it is replaced as usual.
  fs::permissions(table, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(changes[0]());
  EXPECT_EQ(ReadBytes(table), "new");
  // What a player who is not the superuser meets in a folder they may not
  // write, or on a read-only disk: the codes of the "Runtime error" box.
  EXPECT_EQ(std::vector({winlayer::ErrorFromErrno(EACCES, "/"), winlayer::ErrorFromErrno(EPERM, "/"),
                         winlayer::ErrorFromErrno(EROFS, "/")}),
            std::vector<unsigned long>({5, 5, 19}));
}

}  // namespace
