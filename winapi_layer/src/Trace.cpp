#include "Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace winlayer {

void TraceLine(const char* format, ...) {
  const char* path = std::getenv("WINLAYER_TRACE");
  if (path == nullptr || *path == '\0') return;
  // Opened and closed for each line, so that a process that ends at once
  // (ExitProcess, a crash) leaves every line it wrote.
  std::FILE* file = std::fopen(path, "a");
  if (file == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(file, format, args);
  va_end(args);
  std::fputc('\n', file);
  std::fclose(file);
}

}  // namespace winlayer
