// Windows file names on the host: Windows-1251 or UTF-16 text with
// backslashes in, a UTF-8 host path with slashes out.
#pragma once

#include <string>

namespace winlayer {

// The host path of a Windows file name. Backslashes become slashes. When the
// named file does not exist but one whose last component differs only in
// letter case does, that one is taken, as Windows file names ignore case.
std::string HostPath(const char* windowsName);
// The same for a name of the wide-character calls. A lone surrogate, which
// no host name can hold, becomes U+FFFD.
std::string HostPath(const char16_t* windowsName);

// The UTF-8 form of a UTF-16 text, lone surrogates as U+FFFD.
std::string Utf16ToUtf8(const char16_t* text);

// The Windows error code for a POSIX errno value, as the file calls report it.
unsigned long ErrorFromErrno(int error, const std::string& hostPath);

}  // namespace winlayer
