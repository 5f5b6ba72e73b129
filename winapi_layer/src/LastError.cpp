// GetLastError and SetLastError: one code per process, as the games use a
// single thread.
#include <windows.h>

namespace {
DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }
