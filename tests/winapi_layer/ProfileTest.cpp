// GetPrivateProfileStringA against INI files written to a scratch folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "Cp1251.h"

namespace {

using namespace std::string_literals;

class ProfileStrings : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/profile-test.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Writes the file; gives its name the Windows way, with backslashes.
  std::string Write(const std::string& leaf, const std::string& content) {
    std::ofstream(folder_ + "/" + leaf, std::ios::binary) << content;
    return Name(leaf);
  }
  std::string Name(const std::string& leaf) const {
    std::string name = folder_ + "/" + leaf;
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
  }

  // The text the count says was copied. Checks the zero after it and that
  // nothing past the buffer was touched; keeps the whole buffer in `raw`.
  std::string Get(const char* section, const char* key, const char* def, const std::string& file,
                  DWORD size = 2048) {
    std::vector<char> buffer(size + 16, '#');
    count = GetPrivateProfileStringA(section, key, def, buffer.data(), size, file.c_str());
    error = GetLastError();
    EXPECT_TRUE(size == 0 ? count == 0 : count < size && buffer[count] == '\0');
    EXPECT_EQ(std::string(buffer.begin() + size, buffer.end()), std::string(16, '#'))
        << "written past the end";
    raw.assign(buffer.begin(), buffer.begin() + size);
    return std::string(buffer.data(), count);
  }

  std::string folder_;
  DWORD count = 0;
  DWORD error = 0;
  std::string raw;
};

TEST_F(ProfileStrings, NamesIgnoreCaseAndBlanksAndLinesEndAnyWay) {
  std::string ini = Write("names.ini",
                          "  [ Options ]  \r\n\tWidth\t=\t800 \r\n;Width=1\rHeight=600\n#Bits=16\n"
                          "Alone\n[Настройки]\nЁлка = 1024"_cp);
  EXPECT_EQ(Get("OPTIONS", " width ", "640", ini), "800");
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(Get("options", "HEIGHT", "480", ini), "600");
  EXPECT_EQ(Get("Options", "#bits", "32", ini), "16");  // only ';' starts a comment
  EXPECT_EQ(Get("Options", "Alone", "dflt", ini), "dflt");
  EXPECT_EQ(Get("Options", "Widt", "dflt", ini), "dflt");  // whole names, not prefixes
  EXPECT_EQ(Get("НАСТРОЙКИ"_cp, "ёЛКА"_cp, "0", ini), "1024");
}

TEST_F(ProfileStrings, ValuesLoseBlanksAndOnePairOfQuotesAndTheFirstDuplicateWins) {
  std::string ini = Write("values.ini",
                          "[V]\ndouble=\"  two words \"\nsingle='x'\nmixed=\"abc'\nlone=\"\n"
                          "trailing = 800 ; kept \ndouble=second\n[B]\nk=b\n[v]\nk=third\n");
  EXPECT_EQ(Get("V", "double", "", ini), "  two words ");
  EXPECT_EQ(Get("V", "single", "", ini), "x");
  EXPECT_EQ(Get("V", "mixed", "", ini), "\"abc'");
  EXPECT_EQ(Get("V", "lone", "", ini), "\"");
  EXPECT_EQ(Get("V", "trailing", "", ini), "800 ; kept");
  EXPECT_EQ(Get("V", "k", "dflt", ini), "dflt");  // only the first [V] counts
}

TEST_F(ProfileStrings, MissingFileSectionOrKeyGivesTheDefault) {
  std::string ini = Write("some.ini", "before=section\n[Options]\nEmpty=\nQuoted=\"\"\n");
  EXPECT_EQ(Get("Options", "Width", "640", Name("absent.ini")), "640");
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Get("Options", "Width", "640", ""), "640");
  EXPECT_EQ(Get("Other", "Empty", "640", ini), "640");
  EXPECT_EQ(Get("", "before", "640", ini), "640");
  EXPECT_EQ(Get("Options", "Height", nullptr, ini), "");
  EXPECT_EQ(Get("Options", "Height", " 480   ", ini), " 480");  // trailing blanks go
  // Present but empty is empty, not the default.
  EXPECT_EQ(Get("Options", "Empty", "640", ini), "");
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(Get("Options", "Quoted", "640", ini), "");
}

TEST_F(ProfileStrings, ResultIsCutToTheBufferAndCounted) {
  std::string longValue(3000, 'x');
  longValue[2046] = '7';
  std::string ini = Write("cut.ini", "[S]\nk=abcdefgh\nq=\"abcdefgh\"\nlong=" + longValue + "\n");
  EXPECT_EQ(Get("S", "k", "", ini, 5), "abcd");
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(Get("S", "q", "", ini, 5), "abcd");
  EXPECT_EQ(Get("S", "k", "", ini, 1), "");
  EXPECT_EQ(Get("S", "k", "", ini, 0), "");
  EXPECT_EQ(Get("S", "missing", "defaulted", ini, 4), "def");
  EXPECT_EQ(Get("S", "long", "", ini), std::string(2046, 'x') + "7");  // the games' 2048 bytes
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", nullptr, 100, ini.c_str()), 0u);
}

TEST_F(ProfileStrings, NullKeyListsKeysAndNullSectionListsSections) {
  std::string ini =
      Write("lists.ini", "[First]\n one = 1\n; hidden=x\nbare\ntwo=2\n[ Second ]\n[]\nx=y\n[Empty]\n");
  Get("First", nullptr, "", ini, 64);
  EXPECT_EQ(count, 8u);
  EXPECT_EQ(raw.substr(0, 9), "one\0two\0\0"s);
  Get(nullptr, "ignored", "", ini, 64);
  EXPECT_EQ(count, 19u);
  EXPECT_EQ(raw.substr(0, 20), "First\0Second\0Empty\0\0"s);
  Get(nullptr, nullptr, "", ini, 10);  // cut: size - 2 and two zeros
  EXPECT_EQ(count, 8u);
  EXPECT_EQ(raw, "First\0Se\0\0"s);
  EXPECT_EQ(Get("Empty", nullptr, "none", ini), "none");
  EXPECT_EQ(Get("Absent", nullptr, "none", ini), "none");
}

TEST_F(ProfileStrings, FilesAreFoundWhateverTheCaseAndReadFromUtf8) {
  Write("Game.ini", "[Options]\nWidth=1280\n");
  EXPECT_EQ(Get("Options", "Width", "640", Name("GAME.INI")), "1280");
  Write("жук.ini", "\xEF\xBB\xBF[Options]\nName=Жук\n");
  EXPECT_EQ(Get("Options", "Name", "", cp1251::FromUtf8(Name("жук.ini"))), "Жук"_cp);
}

TEST_F(ProfileStrings, MalformedFilesNeverBreakTheCall) {
  std::string ini = Write("broken.ini", "[Good]\nk=1\n[Unclosed\nafter=2\n[Weird]]\nnul=ab\0cd\n[Last]"s);
  EXPECT_EQ(Get("Good", "after", "", ini), "2");  // no bracket, no header
  EXPECT_EQ(Get("Unclosed", "after", "d", ini), "d");
  EXPECT_EQ(Get("Weird", "nul", "", ini), "ab");  // a C caller sees up to the zero
  // A pipe of that name must not make the call wait for a writer.
  ASSERT_EQ(::mkfifo((folder_ + "/pipe.ini").c_str(), 0600), 0);
  EXPECT_EQ(Get("Good", "k", "d", Name("pipe.ini")), "d");
  // Random bytes with the INI characters mixed in; Get checks the bounds.
  std::mt19937 random(12345);
  const char alphabet[] = "[]=;\"' \t\r\nab\0\xC0";
  for (int round = 0; round < 200; ++round) {
    std::string junk(random() % 400, ' ');
    for (char& c : junk)
      c = random() % 2 ? alphabet[random() % (sizeof alphabet - 1)] : static_cast<char>(random());
    std::string file = Write("junk.ini", junk);
    for (DWORD size : {0u, 1u, 2u, 3u, 64u}) {
      Get("a", "b", "dflt", file, size);
      Get("a", nullptr, "dflt", file, size);
      Get(nullptr, nullptr, nullptr, file, size);
    }
  }
}

}  // namespace
