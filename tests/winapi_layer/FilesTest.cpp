// The kernel32 file calls on the host: wide-character names, and Windows'
// refusal to change a read-only file, in a scratch folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "Cp1251.h"

namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/files-test.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    home_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(home_);
    fs::remove_all(folder_);
  }

  // The bytes of a host file given by its UTF-8 name, or "(none)".
  static std::string Host(const fs::path& name) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return "(none)";
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  static void PutHost(const fs::path& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static void MakeReadOnly(const fs::path& name) {
    fs::permissions(name, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }

  fs::path folder_, home_;
};

// Writes bytes through CreateFileW; the last error of the call, or -1 when
// the file could not be made.
long WriteWide(const char16_t* name, const std::string& bytes, DWORD disposition = CREATE_ALWAYS) {
  HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  long error = static_cast<long>(GetLastError());
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  EXPECT_TRUE(CloseHandle(file));
  return error;
}

TEST_F(Files, WideNamesAreTheHostsUtf8NamesAndMeetTheNarrowOnes) {
  // Created by its UTF-16 name, the file is the host's UTF-8 one, and the
  // Windows-1251 name of the narrow calls finds it too.
  EXPECT_EQ(WriteWide(u"рекорды.txt", "5000 MASTER\r\n"), ERROR_SUCCESS);
  EXPECT_EQ(Host("рекорды.txt"), "5000 MASTER\r\n");
  HANDLE narrow = CreateFileA("рекорды.txt"_cp, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(narrow, INVALID_HANDLE_VALUE);
  char got[32] = {};
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(narrow, got, sizeof got, &read, nullptr));
  EXPECT_EQ(std::string(got, read), "5000 MASTER\r\n");
  CloseHandle(narrow);
  EXPECT_EQ(WriteWide(u"рекорды.txt", "1\r\n", OPEN_ALWAYS), ERROR_ALREADY_EXISTS);

  // The converted name from the Windows-1251 bytes is the same name.
  EXPECT_EQ(cp1251::ToUtf16<char16_t>("рекорды.txt"_cp), u"рекорды.txt");

  // Backslashes, the letter case of the last component, and characters
  // beyond the Basic Multilingual Plane (surrogate pairs).
  fs::create_directory("Папка");
  EXPECT_EQ(WriteWide(u"Папка\\Gem.TXT", "g"), ERROR_SUCCESS);
  EXPECT_EQ(Host("Папка/Gem.TXT"), "g");
  EXPECT_NE(CreateFileW(u"Папка\\gem.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(WriteWide(u"\U0001F48E.txt", "diamond"), ERROR_SUCCESS);
  EXPECT_EQ(Host("\xF0\x9F\x92\x8E.txt"), "diamond");
  // A lone surrogate names U+FFFD on the host.
  const char16_t lone[] = {u'a', char16_t{0xD800}, u'.', u't', 0};
  EXPECT_EQ(WriteWide(lone, "lone"), ERROR_SUCCESS);
  EXPECT_EQ(Host("a\xEF\xBF\xBD.t"), "lone");

  // Replacing and deleting by wide names.
  PutHost("рекорды.tmp", "new\r\n");
  EXPECT_TRUE(
      MoveFileExW(u"рекорды.tmp", u"рекорды.txt", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(Host("рекорды.txt"), "new\r\n");
  EXPECT_FALSE(fs::exists("рекорды.tmp"));
  EXPECT_TRUE(DeleteFileW(u"рекорды.txt"));
  EXPECT_FALSE(fs::exists("рекорды.txt"));

  // Failures carry Windows' codes.
  EXPECT_EQ(CreateFileW(u"рекорды.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(WriteWide(u"нет\\рекорды.txt", "x"), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(DeleteFileW(u"рекорды.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(MoveFileExW(u"рекорды.tmp", u"рекорды.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// Windows changes no file that has the read-only attribute, whoever asks;
// on the host that is a file without its owner's write permission, which
// the superuser could otherwise still write.
TEST_F(Files, AReadOnlyFileIsNeitherReplacedNorWrittenNorDeleted) {
  PutHost("table.txt", "old\r\n");
  MakeReadOnly("table.txt");
  PutHost("table.tmp", "new\r\n");

  EXPECT_FALSE(MoveFileExA("table.tmp", "table.txt", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(MoveFileExW(u"table.tmp", u"table.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  // Without leave to replace, an existing file is reported as such first.
  EXPECT_FALSE(MoveFileExA("table.tmp", "table.txt", 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

  for (DWORD disposition : {CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS, TRUNCATE_EXISTING}) {
    EXPECT_EQ(WriteWide(u"table.txt", "x", disposition), -1) << disposition;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << disposition;
  }
  EXPECT_FALSE(DeleteFileA("table.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Host("table.txt"), "old\r\n");
  EXPECT_EQ(Host("table.tmp"), "new\r\n");

  // Reading it is allowed, and so is moving a read-only file itself.
  HANDLE file = CreateFileW(u"table.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(MoveFileExA("table.txt", "kept.txt", 0));
  EXPECT_EQ(Host("kept.txt"), "old\r\n");

  // A folder is not replaced either.
  fs::create_directory("folder");
  EXPECT_FALSE(MoveFileExW(u"table.tmp", u"folder", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  // Writable again, the file is replaced as usual.
  PutHost("table.txt", "old\r\n");
  EXPECT_TRUE(MoveFileExA("table.tmp", "table.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Host("table.txt"), "new\r\n");
}

}  // namespace
