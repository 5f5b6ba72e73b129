// GetPrivateProfileStringA against INI files written to a scratch folder.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "Cp1251.h"
#include "ProfileText.h"

namespace {

constexpr char kGuard = '#';

class ProfileStrings : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/profile-test.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Writes the file and gives its name the Windows way, with backslashes.
  std::string Write(const std::string& leaf, const std::string& content) {
    std::ofstream(folder_ + "/" + leaf, std::ios::binary) << content;
    return WindowsName(leaf);
  }
  std::string WindowsName(const std::string& leaf) const {
    std::string name = folder_ + "/" + leaf;
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
    return name;
  }

  // The call with a buffer of the given size; the text is what the count
  // says was copied. Checks the zero after it and that nothing past the
  // buffer was touched.
  std::string Get(const char* section, const char* key, const char* def, const std::string& file,
                  DWORD size = 2048) {
    std::vector<char> buffer(size + 16, kGuard);
    lastCount_ = GetPrivateProfileStringA(section, key, def, buffer.data(), size, file.c_str());
    lastError_ = GetLastError();
    EXPECT_LE(lastCount_ + (size ? 1 : 0), size);
    if (size > 0) {
      EXPECT_EQ(buffer[lastCount_], '\0');
    }
    for (std::size_t i = size; i < buffer.size(); ++i)
      EXPECT_EQ(buffer[i], kGuard) << "written past the buffer";
    lastBuffer_.assign(buffer.begin(), buffer.begin() + size);
    return std::string(buffer.data(), lastCount_);
  }

  std::string folder_;
  DWORD lastCount_ = 0;
  DWORD lastError_ = 0;
  std::string lastBuffer_;
};

TEST_F(ProfileStrings, NamesIgnoreLetterCaseAndSurroundingBlanks) {
  std::string ini = Write("names.ini",
                          "  [ Options ]  \r\n"
                          "\tWidth\t=\t800 \r\n"
                          "FULLSCREEN=1\r\n"
                          "[Настройки]\r\n"_cp
                          "Ширина = 1024\r\n"_cp);
  EXPECT_EQ(Get("options", "WIDTH", "640", ini), "800");
  EXPECT_EQ(lastError_, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(Get("OPTIONS", "FullScreen", "0", ini), "1");
  EXPECT_EQ(Get(" Options ", " width ", "640", ini), "800");
  // Cyrillic letters fold as well as Latin ones.
  EXPECT_EQ(Get("НАСТРОЙКИ"_cp, "шИРИНА"_cp, "0", ini), "1024");
  // A name is compared whole, not as a prefix.
  EXPECT_EQ(Get("Options", "Widt", "none", ini), "none");
  EXPECT_EQ(Get("Option", "Width", "none", ini), "none");
}

TEST_F(ProfileStrings, ValuesKeepInnerTextAndLoseOnePairOfQuotes) {
  std::string ini = Write("values.ini",
                          "[V]\n"
                          "double=\"two words\"\n"
                          "single='x'\n"
                          "padded=\"  inside  \"\n"
                          "mixed=\"abc'\n"
                          "nested=\"\"twice\"\"\n"
                          "lone=\"\n"
                          "inner=a \"b\" c\n"
                          "trailing=800 ; not a comment\n"
                          "spaced = a  b \n"
                          "equals=x=y\n");
  EXPECT_EQ(Get("V", "double", "", ini), "two words");
  EXPECT_EQ(Get("V", "single", "", ini), "x");
  EXPECT_EQ(Get("V", "padded", "", ini), "  inside  ");
  EXPECT_EQ(Get("V", "mixed", "", ini), "\"abc'");
  EXPECT_EQ(Get("V", "nested", "", ini), "\"twice\"");
  EXPECT_EQ(Get("V", "lone", "", ini), "\"");
  EXPECT_EQ(Get("V", "inner", "", ini), "a \"b\" c");
  EXPECT_EQ(Get("V", "trailing", "", ini), "800 ; not a comment");
  EXPECT_EQ(Get("V", "spaced", "", ini), "a  b");
  EXPECT_EQ(Get("V", "equals", "", ini), "x=y");
}

TEST_F(ProfileStrings, CommentsAndLinesWithoutEqualsAreSkipped) {
  std::string ini = Write("comments.ini",
                          "; Width=1 before any section\n"
                          "Height=5 before any section\n"
                          "[Options]\n"
                          ";Width=2\n"
                          "   ; Width=3\n"
                          "Height\n"
                          "#Depth=16\n"
                          "Width=4\n");
  EXPECT_EQ(Get("Options", "Width", "d", ini), "4");
  EXPECT_EQ(Get("Options", "Height", "d", ini), "d");
  EXPECT_EQ(Get("Options", "#Depth", "d", ini), "16");  // only ';' starts a comment
  EXPECT_EQ(Get("Options", "Depth", "d", ini), "d");
}

TEST_F(ProfileStrings, FirstOfDuplicateKeysAndSectionsWins) {
  std::string ini = Write("dupes.ini",
                          "[A]\n"
                          "k=first\n"
                          "K=second\n"
                          "[B]\n"
                          "k=b\n"
                          "[a]\n"
                          "k=third\n"
                          "only=later\n");
  EXPECT_EQ(Get("A", "k", "", ini), "first");
  EXPECT_EQ(Get("B", "k", "", ini), "b");
  EXPECT_EQ(Get("A", "only", "dflt", ini), "dflt");
}

TEST_F(ProfileStrings, MissingFileSectionOrKeyGivesTheDefault) {
  std::string ini = Write("some.ini", "[Options]\nWidth=800\nEmpty=\nQuoted=\"\"\n");
  EXPECT_EQ(Get("Options", "Width", "640", WindowsName("absent.ini")), "640");
  EXPECT_EQ(lastError_, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Get("Options", "Width", "640", ""), "640");
  EXPECT_EQ(Get("Options", "Width", "640", WindowsName("")), "640");  // a folder is no file
  EXPECT_EQ(Get("Other", "Width", "640", ini), "640");
  EXPECT_EQ(Get("Options", "Height", "480", ini), "480");
  EXPECT_EQ(Get("Options", "Height", nullptr, ini), "");
  // Trailing blanks of the default go, leading ones stay.
  EXPECT_EQ(Get("Options", "Height", " 480   ", ini), " 480");
  EXPECT_EQ(Get("Options", "Height", "   ", ini), "");
  // A key that is there with nothing after '=' is empty, not the default.
  EXPECT_EQ(Get("Options", "Empty", "640", ini), "");
  EXPECT_EQ(lastError_, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(Get("Options", "Quoted", "640", ini), "");
}

TEST_F(ProfileStrings, ResultIsCutToTheBufferAndCounted) {
  std::string longValue(3000, 'x');
  longValue[2046] = '7';
  std::string ini = Write("cut.ini", "[S]\nk=abcdefgh\nq=\"abcdefgh\"\nlong=" + longValue + "\n");
  EXPECT_EQ(Get("S", "k", "", ini, 5), "abcd");
  EXPECT_EQ(lastCount_, 4u);
  EXPECT_EQ(Get("S", "q", "", ini, 5), "abcd");
  EXPECT_EQ(Get("S", "k", "", ini, 9), "abcdefgh");
  EXPECT_EQ(Get("S", "k", "", ini, 1), "");
  EXPECT_EQ(Get("S", "missing", "defaulted", ini, 4), "def");
  // The games' 2048-byte buffer keeps 2047 characters.
  std::string got = Get("S", "long", "", ini, 2048);
  EXPECT_EQ(got.size(), 2047u);
  EXPECT_EQ(got.back(), '7');
  // A zero size writes nothing at all.
  EXPECT_EQ(Get("S", "k", "", ini, 0), "");
  char untouched = kGuard;
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", &untouched, 0, ini.c_str()), 0u);
  EXPECT_EQ(untouched, kGuard);
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", nullptr, 100, ini.c_str()), 0u);
}

TEST_F(ProfileStrings, LineEndsOfEveryKindAndNoneAtTheEnd) {
  std::string crlf = Write("crlf.ini", "[S]\r\na=1\r\nb=2");
  std::string lf = Write("lf.ini", "[S]\na=1\nb=2\n");
  std::string cr = Write("cr.ini", "[S]\ra=1\rb=2\r");
  for (const std::string& ini : {crlf, lf, cr}) {
    EXPECT_EQ(Get("S", "a", "", ini), "1") << ini;
    EXPECT_EQ(Get("S", "b", "", ini), "2") << ini;
  }
}

TEST_F(ProfileStrings, NullKeyListsKeyNamesAndNullSectionListsSections) {
  std::string ini = Write("lists.ini",
                          "[First]\n"
                          " one = 1\n"
                          "; hidden=x\n"
                          "bare\n"
                          "two=2\n"
                          "[ Second ]\n"
                          "[]\n"
                          "x=y\n"
                          "[Empty]\n");
  using namespace std::string_literals;
  Get("First", nullptr, "", ini, 64);
  EXPECT_EQ(lastCount_, 8u);
  EXPECT_EQ(lastBuffer_.substr(0, 9), "one\0two\0\0"s);
  Get(nullptr, "ignored", "", ini, 64);
  EXPECT_EQ(lastCount_, 19u);
  EXPECT_EQ(lastBuffer_.substr(0, 20), "First\0Second\0Empty\0\0"s);
  // Cut lists end in two zeros and count size - 2.
  Get(nullptr, nullptr, "", ini, 10);
  EXPECT_EQ(lastCount_, 8u);
  EXPECT_EQ(lastBuffer_, "First\0Se\0\0"s);
  Get("First", nullptr, "", ini, 2);
  EXPECT_EQ(lastCount_, 0u);
  EXPECT_EQ(lastBuffer_, "\0\0"s);
  // A section without keys, or none at all, gives the default.
  EXPECT_EQ(Get("Empty", nullptr, "none", ini), "none");
  EXPECT_EQ(Get("Absent", nullptr, "none", ini), "none");
  // No file: an empty list.
  Get(nullptr, nullptr, "", WindowsName("absent.ini"), 8);
  EXPECT_EQ(lastCount_, 0u);
  EXPECT_EQ(lastBuffer_.substr(0, 2), "\0\0"s);
}

TEST_F(ProfileStrings, FileNamesAreFoundWhateverTheirLetterCase) {
  Write("Game.ini", "[Options]\nWidth=1280\n");
  EXPECT_EQ(Get("Options", "Width", "640", WindowsName("GAME.INI")), "1280");
  Write("настройки.ini", "[Options]\nWidth=320\n");
  EXPECT_EQ(Get("Options", "Width", "640", cp1251::FromUtf8(WindowsName("настройки.ini"))), "320");
}

TEST_F(ProfileStrings, ByteOrderMarkOfUtf8IsSkippedAndTheTextConverted) {
  std::string ini = Write("bom.ini", "\xEF\xBB\xBF[Options]\nName=Жук\n");
  EXPECT_EQ(Get("Options", "Name", "", ini), "Жук"_cp);
}

TEST_F(ProfileStrings, MalformedFilesNeverBreakTheCall) {
  using namespace std::string_literals;
  std::string ini = Write("broken.ini",
                          "[Good]\n"
                          "k=1\n"
                          "[Unclosed\n"
                          "after=2\n"
                          "[Weird]]\n"
                          "z=\"\n"
                          "nul=ab\0cd\n"s
                          "[Last]");
  EXPECT_EQ(Get("Good", "k", "", ini), "1");
  // A header without its bracket is no header: what follows stays in [Good].
  EXPECT_EQ(Get("Good", "after", "", ini), "2");
  EXPECT_EQ(Get("Unclosed", "after", "d", ini), "d");
  EXPECT_EQ(Get("Weird", "z", "", ini), "\"");
  EXPECT_EQ(Get("Weird", "nul", "", ini), "ab");  // a C caller sees up to the zero
  EXPECT_EQ(Get("Last", "k", "d", ini), "d");

  // A pipe of that name must not make the call wait for a writer.
  std::string fifo = folder_ + "/pipe.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(Get("Good", "k", "d", WindowsName("pipe.ini")), "d");

  // Random bytes with the INI characters mixed in.
  std::mt19937 random(12345);
  const char alphabet[] = "[]=;\"' \t\r\nab\0\xFF\xC0";
  for (int round = 0; round < 200; ++round) {
    std::string junk;
    int length = static_cast<int>(random() % 400);
    for (int i = 0; i < length; ++i) {
      junk.push_back(random() % 2 ? alphabet[random() % (sizeof alphabet - 1)] : static_cast<char>(random()));
    }
    std::string file = Write("junk.ini", junk);
    for (DWORD size : {0u, 1u, 2u, 3u, 7u, 64u}) {
      Get("a", "b", "dflt", file, size);
      Get("a", nullptr, "dflt", file, size);
      Get(nullptr, nullptr, nullptr, file, size);
    }
  }
}

TEST(ProfileNames, FoldingCoversCyrillicOutsideTheMainAlphabet) {
  EXPECT_TRUE(winlayer::SameProfileName("ЁЖИК ЇЄЎҐ"_cp, "ёжик їєўґ"_cp));
  EXPECT_TRUE(winlayer::SameProfileName("Width", "wIDTH"));
  EXPECT_FALSE(winlayer::SameProfileName("Width", "Widt"));
  EXPECT_FALSE(winlayer::SameProfileName("е"_cp, "ё"_cp));
  EXPECT_FALSE(winlayer::SameProfileName("[", "{"));  // folding is for letters only
}

}  // namespace
