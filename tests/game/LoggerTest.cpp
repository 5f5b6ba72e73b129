#include "Logger.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Cp1251.h"
#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;
using enginetest::ReadBytes;
using enginetest::WriteBytes;

const std::string kStatus = "СТАТУС ВЫПОЛНЕНИЯ :  "_cp;
const std::string kError = "*** ОШИБКА *** :  "_cp;

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

TEST_F(LoggerTest, LinesAreWrittenByteForByteInWindows1251WithCrLf) {
  ASSERT_EQ(OwnLogPath().filename().string(), "game_engine_t.log");
  {
    TLogger log;
    log.WriteStatus("  Вывод окна"_cp, "GameEngine");
    log.WriteError("  Невозможно создать окно"_cp, "WindowUnit");
    log.WriteStatus(std::string(50, ' '), "");
    log.WriteStatus("", "");
  }
  std::string expected;
  expected += kStatus + "  \xC2\xFB\xE2\xEE\xE4 \xEE\xEA\xED\xE0  : GameEngine\r\n";
  expected += kError + "  Невозможно создать окно"_cp + "  : WindowUnit\r\n";
  expected += kStatus + std::string(52, ' ') + ": \r\n";
  expected += kStatus + "  : \r\n";
  EXPECT_EQ(ReadBytes(OwnLogPath()), expected);
  // The status prefix itself, spelled out in bytes.
  EXPECT_EQ(kStatus, "\xD1\xD2\xC0\xD2\xD3\xD1 \xC2\xDB\xCF\xCE\xCB\xCD\xC5\xCD\xC8\xDF :  ");
}

TEST_F(LoggerTest, AnEarlierLogIsReplacedNotAppendedTo) {
  WriteBytes(OwnLogPath(), std::string(1000, 'x') + "\r\nold run\r\n");
  {
    TLogger log;
    log.WriteStatus("new", "run");
  }
  EXPECT_EQ(ReadBytes(OwnLogPath()), kStatus + "new  : run\r\n");

  // A log with nothing written is empty, not left as it was.
  WriteBytes(OwnLogPath(), "old run\r\n");
  { TLogger log; }
  EXPECT_EQ(ReadBytes(OwnLogPath()), "");
}

TEST_F(LoggerTest, TheFileReceivesWholeBuffersAndTheRestOnClose) {
  auto log = std::make_unique<TLogger>();
  std::string message(250, 'm');
  log->WriteStatus(message, "src");
  std::string line = kStatus + message + "  : src\r\n";
  ASSERT_GT(line.size(), 2 * TLogger::kBufferSize);
  ASSERT_LT(line.size(), 3 * TLogger::kBufferSize);
  // Two full buffers are out; the rest waits.
  EXPECT_EQ(fs::file_size(OwnLogPath()), 2 * TLogger::kBufferSize);
  EXPECT_EQ(ReadBytes(OwnLogPath()), line.substr(0, 2 * TLogger::kBufferSize));

  // A short line stays in the buffer until it fills.
  log->WriteStatus("x", "");
  EXPECT_EQ(fs::file_size(OwnLogPath()), 2 * TLogger::kBufferSize);

  log.reset();
  EXPECT_EQ(ReadBytes(OwnLogPath()), line + kStatus + "x  : \r\n");
}

}  // namespace
