// Windows file names on the host: Windows-1251 text with backslashes in,
// a UTF-8 host path with slashes out.
#pragma once

#include <string>

namespace winlayer {

// The host path of a Windows file name. Backslashes become slashes. When the
// named file does not exist but one whose last component differs only in
// letter case does, that one is taken, as Windows file names ignore case.
std::string HostPath(const char* windowsName);

// The Windows error code for a POSIX errno value, as the file calls report it.
unsigned long ErrorFromErrno(int error, const std::string& hostPath);

}  // namespace winlayer
