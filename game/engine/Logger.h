// The program's log: a Windows-1251 text file beside the program, named
// after it with ".log", rewritten at every start.
//
// Every engine step writes one line through AppLog, either a status line
// or an error line: the prefix, the message, "  : " and the source (the
// module or stage that speaks), then CR LF. Lines are collected in a small
// buffer and go to disk when it fills and when the log is closed. A log
// that cannot be created or written ends the program with the fatal
// "Runtime error" and the system's error code.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

class TLogger {
 public:
  // Names the log after the running program and creates it, replacing any
  // earlier log of that name.
  TLogger();
  // Closes the log, writing out what is still buffered.
  virtual ~TLogger();

  TLogger(const TLogger&) = delete;
  TLogger& operator=(const TLogger&) = delete;

  void WriteStatus(const std::string& message, const std::string& source);
  void WriteError(const std::string& message, const std::string& source);

  // Size of the write buffer: the file receives whole buffers of this many
  // bytes, and the rest when it is closed.
  static constexpr std::size_t kBufferSize = 128;

 private:
  void WriteLine(const char* prefix, const std::string& message, const std::string& source);
  void Put(const std::string& text);
  void FlushBuffer();

  std::string programFileName;
  std::string programDirectory;
  HANDLE logFile = INVALID_HANDLE_VALUE;
  char buffer[kBufferSize] = {};
  std::size_t buffered = 0;
};

// The program's one log; exists from StartLogger to FinishLogger.
extern TLogger* AppLog;

// The module's start-up action: creates AppLog and writes the first line.
void StartLogger();

// The module's end action: writes the last line, closes the log and sets
// AppLog to none. Does nothing when there is no log.
void FinishLogger();
