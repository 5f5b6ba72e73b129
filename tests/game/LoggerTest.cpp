#include "Logger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Cp1251.h"
#include "ExpectedLog.h"
#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;
using namespace enginetest;

// This test program's own log: its file name has no extension, and its
// last four characters are cut all the same.
fs::path OwnLogPath() {
  std::string program = fs::read_symlink("/proc/self/exe").string();
  return program.substr(0, program.size() - 4) + ".log";
}

class LoggerTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::remove(OwnLogPath()); }
  void TearDown() override { fs::remove(OwnLogPath()); }
};

TEST_F(LoggerTest, LinesReplaceAnEarlierLogByteForByteInWindows1251WithCrLf) {
  ASSERT_EQ(OwnLogPath().filename().string(), "game_engine_t.log");
  WriteBytes(OwnLogPath(), std::string(1000, 'x') + "\r\nold run\r\n");
  {
    TLogger log;
    log.WriteStatus("  Вывод окна"_cp, "GameEngine");
    log.WriteError("  Невозможно создать окно"_cp, "WindowUnit");
    log.WriteStatus("", "");
  }
  EXPECT_EQ(ReadBytes(OwnLogPath()),
            "\xD1\xD2\xC0\xD2\xD3\xD1 \xC2\xDB\xCF\xCE\xCB\xCD\xC5\xCD\xC8\xDF :    "
            "\xC2\xFB\xE2\xEE\xE4 \xEE\xEA\xED\xE0  : GameEngine\r\n" +
                ErrorLine("  Невозможно создать окно"_cp, "WindowUnit") + StatusLine("", ""));
}

TEST_F(LoggerTest, TheLogIsEmptiedAtOnceAndGetsWholeBuffersAndTheRestOnClose) {
  WriteBytes(OwnLogPath(), "old run\r\n");
  auto log = std::make_unique<TLogger>();
  EXPECT_EQ(fs::file_size(OwnLogPath()), 0u);
  const std::string message(250, 'm'), line = StatusLine(message, "src");
  log->WriteStatus(message, "src");
  ASSERT_GT(line.size(), 2 * TLogger::kBufferSize);
  ASSERT_LT(line.size(), 3 * TLogger::kBufferSize);
  // Two full buffers are out; the rest waits, and so does a short line.
  EXPECT_EQ(ReadBytes(OwnLogPath()), line.substr(0, 2 * TLogger::kBufferSize));
  log->WriteStatus("x", "");
  EXPECT_EQ(fs::file_size(OwnLogPath()), 2 * TLogger::kBufferSize);

  log.reset();
  EXPECT_EQ(ReadBytes(OwnLogPath()), line + StatusLine("x", ""));
}

}  // namespace
