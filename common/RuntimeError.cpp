#include "RuntimeError.h"

#include <windows.h>

#include <cstdio>

#if defined(_MSC_VER)
#include <intrin.h>
#pragma intrinsic(_ReturnAddress)
#define CALLER_ADDRESS() _ReturnAddress()
#define NO_INLINE __declspec(noinline)
#else
#define CALLER_ADDRESS() __builtin_return_address(0)
#define NO_INLINE __attribute__((noinline))
#endif

std::string RuntimeErrorText(uint32_t code, uintptr_t address) {
  char text[64];
  std::snprintf(text, sizeof text, "Runtime error %3u at %08X", static_cast<unsigned>(code),
                static_cast<unsigned>(address & 0xFFFFFFFFu));
  return text;
}

NO_INLINE void FatalRuntimeError(uint32_t code) {
  auto address = reinterpret_cast<uintptr_t>(CALLER_ADDRESS());
  std::string text = RuntimeErrorText(code, address);
  MessageBoxA(nullptr, text.c_str(), "Error", MB_OK | MB_ICONERROR);
  // The text names the whole code; the exit status is its low byte, the
  // same on every system (Windows would pass all 32 bits on).
  ExitProcess(code & 0xFFu);
}
