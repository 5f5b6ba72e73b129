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
    home_ = fs::current_path();
    fs::current_path(pattern);
  }
  void TearDown() override {
    fs::path folder = fs::current_path();
    fs::current_path(home_);
    fs::remove_all(folder);
  }
  fs::path home_;
};

// The bytes of a host file given by its UTF-8 name, or "(none)".
std::string Host(const fs::path& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return in ? bytes.str() : "(none)";
}

// Writes through CreateFileW; the call's last error, or -1 when it failed.
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
  // The name the program makes from its Windows-1251 bytes.
  const std::u16string table = cp1251::ToUtf16<char16_t>("рекорды.txt"_cp);
  EXPECT_EQ(WriteWide(table.c_str(), "5000 MASTER\r\n"), ERROR_SUCCESS);
  EXPECT_EQ(Host("рекорды.txt"), "5000 MASTER\r\n");
  HANDLE narrow = CreateFileA("рекорды.txt"_cp, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(narrow, INVALID_HANDLE_VALUE);
  CloseHandle(narrow);

  // Backslashes, a surrogate pair, and a lone surrogate (U+FFFD on the host).
  fs::create_directory("Папка");
  EXPECT_EQ(WriteWide(u"Папка\\\U0001F48E.txt", "gem"), ERROR_SUCCESS);
  EXPECT_EQ(Host("Папка/\xF0\x9F\x92\x8E.txt"), "gem");
  const char16_t lone[] = {u'a', char16_t{0xD800}, u'.', u't', 0};
  EXPECT_EQ(WriteWide(lone, "lone"), ERROR_SUCCESS);
  EXPECT_EQ(Host("a\xEF\xBF\xBD.t"), "lone");

  EXPECT_EQ(WriteWide(u"рекорды.tmp", "new\r\n"), ERROR_SUCCESS);
  EXPECT_TRUE(MoveFileExW(u"рекорды.tmp", table.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(Host("рекорды.txt") + Host("рекорды.tmp"), "new\r\n(none)");
  EXPECT_TRUE(DeleteFileW(table.c_str()));
  EXPECT_FALSE(DeleteFileW(table.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// Windows changes no file that has the read-only attribute, whoever asks;
// here that is a file without its owner's write permission, which the
// superuser could otherwise still write.
TEST_F(Files, AReadOnlyFileIsNeitherReplacedNorWrittenNorDeleted) {
  std::ofstream("table.txt") << "old";
  fs::permissions("table.txt", fs::perms::owner_write, fs::perm_options::remove);
  std::ofstream("table.tmp") << "new";

  EXPECT_FALSE(MoveFileExA("table.tmp", "table.txt", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(MoveFileExW(u"table.tmp", u"table.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  for (DWORD disposition : {CREATE_ALWAYS, OPEN_EXISTING, TRUNCATE_EXISTING}) {
    EXPECT_EQ(WriteWide(u"table.txt", "x", disposition), -1) << disposition;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << disposition;
  }
  EXPECT_FALSE(DeleteFileA("table.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Host("table.txt") + Host("table.tmp"), "oldnew");

  // Writable again, it is replaced as usual.
  fs::permissions("table.txt", fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(MoveFileExA("table.tmp", "table.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Host("table.txt"), "new");
}

}  // namespace
