// kernel32 process and clock calls over POSIX.
#include <time.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Cp1251.h"
#include "Process.h"

// A build with AddressSanitizer checks for leaks when the process ends.
#if defined(__SANITIZE_ADDRESS__)
#define LAYER_CHECKS_LEAKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LAYER_CHECKS_LEAKS 1
#endif
#endif
#ifdef LAYER_CHECKS_LEAKS
#include <sanitizer/lsan_interface.h>
#endif

namespace {

std::vector<void (*)()>& ExitActions() {
  static std::vector<void (*)()> actions;
  return actions;
}

// The running executable's path, Windows-style: Windows-1251, backslashes.
std::string ModulePath() {
  std::vector<char> buffer(4096);
  ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  std::string path = n > 0 ? std::string(buffer.data(), static_cast<size_t>(n)) : std::string();
  std::string text = cp1251::FromUtf8(path);
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  return text;
}

uint64_t MonotonicNanoseconds() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

}  // namespace

// The program's one module.
struct ModuleRecord {
} theModule;

namespace winlayer {
void AtProcessExit(void (*action)()) { ExitActions().push_back(action); }
}  // namespace winlayer

DWORD GetModuleFileNameA(HMODULE /*module*/, LPSTR fileName, DWORD size) {
  std::string path = ModulePath();
  if (size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() < size) {
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
  }
  // Too long: as Windows does, copy size - 1 characters, end them with a
  // zero, return the buffer size and report the shortage.
  std::memcpy(fileName, path.data(), size - 1);
  fileName[size - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (moduleName == nullptr) return &theModule;
  SetLastError(126);  // ERROR_MOD_NOT_FOUND: the layer knows no other module
  return nullptr;
}

LPSTR GetCommandLineA() {
  static std::string line = [] {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string out;
    size_t start = 0;
    while (start < raw.size()) {
      size_t end = raw.find('\0', start);
      if (end == std::string::npos) end = raw.size();
      std::string arg = cp1251::FromUtf8(raw.substr(start, end - start));
      if (!out.empty()) out += ' ';
      bool quote = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
      out += quote ? "\"" + arg + "\"" : arg;
      start = end + 1;
    }
    return out;
  }();
  return line.data();
}

void GetStartupInfoA(LPSTARTUPINFOA info) {
  std::memset(info, 0, sizeof *info);
  info->cb = sizeof *info;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  count->QuadPart = static_cast<LONGLONG>(MonotonicNanoseconds());
  return TRUE;
}

DWORD GetTickCount() { return static_cast<DWORD>(MonotonicNanoseconds() / 1000000u); }

void ExitProcess(UINT exitCode) {
  auto& actions = ExitActions();
  for (auto it = actions.rbegin(); it != actions.rend(); ++it) (*it)();
  std::fflush(nullptr);
#ifdef LAYER_CHECKS_LEAKS
  // _exit skips the check the sanitizer makes at a normal end; a leak ends
  // the process here with the sanitizer's report and exit status instead.
  __lsan_do_leak_check();
#endif
  ::_exit(static_cast<int>(exitCode & 0xFF));
}
