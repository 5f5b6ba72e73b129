#include "Logger.h"

#include "Cp1251.h"
#include "MyUtils.h"
#include "RuntimeError.h"

TLogger* AppLog = nullptr;

namespace {

const char* const kStatusPrefix = "СТАТУС ВЫПОЛНЕНИЯ :  "_cp;
const char* const kErrorPrefix = "*** ОШИБКА *** :  "_cp;
const char* const kSourceSeparator = "  : ";
const char* const kLineEnd = "\r\n";

}  // namespace

TLogger::TLogger() {
  std::string path = ProgramPath();
  programFileName = ExtractFileNamePart(path);
  programDirectory = ExtractDirPart(path);
  // The last four characters go, whatever they are: Game.exe gives
  // Game.log, and a name of four characters or fewer gives just ".log".
  std::string baseName =
      programFileName.size() > 4 ? programFileName.substr(0, programFileName.size() - 4) : "";
  std::string logPath = programDirectory + baseName + ".log";
  logFile = CreateFileA(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  if (logFile == INVALID_HANDLE_VALUE) FatalRuntimeError(GetLastError());
}

TLogger::~TLogger() {
  FlushBuffer();
  CloseHandle(logFile);
}

void TLogger::WriteStatus(const std::string& message, const std::string& source) {
  WriteLine(kStatusPrefix, message, source);
}

void TLogger::WriteError(const std::string& message, const std::string& source) {
  WriteLine(kErrorPrefix, message, source);
}

void TLogger::WriteLine(const char* prefix, const std::string& message, const std::string& source) {
  Put(prefix);
  Put(message);
  Put(kSourceSeparator);
  Put(source);
  Put(kLineEnd);
}

void TLogger::Put(const std::string& text) {
  for (char ch : text) {
    buffer[buffered++] = ch;
    if (buffered == kBufferSize) FlushBuffer();
  }
}

void TLogger::FlushBuffer() {
  if (buffered == 0) return;
  DWORD written = 0;
  if (!WriteFile(logFile, buffer, static_cast<DWORD>(buffered), &written, nullptr)) {
    FatalRuntimeError(GetLastError());
  }
  buffered = 0;
}

void StartLogger() {
  AppLog = new TLogger();
  AppLog->WriteStatus("Запуск приложения"_cp, "Initialization");
}

void FinishLogger() {
  if (AppLog == nullptr) return;
  AppLog->WriteStatus("Завершение приложения"_cp, "Finalization");
  delete AppLog;
  AppLog = nullptr;
}
