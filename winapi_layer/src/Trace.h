// A record of notable calls for the end-to-end tests. When the environment
// variable WINLAYER_TRACE names a file, every call of TraceLine appends one
// line (UTF-8) to it; otherwise it does nothing.
#pragma once

namespace winlayer {

void TraceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace winlayer
