// GetPrivateProfileStringA over INI files on the host.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cerrno>
#include <exception>
#include <string>

#include "Cp1251.h"
#include "HostPath.h"
#include "ProfileText.h"

namespace {

// The whole file, or false when there is no regular file to read. Opening
// does not wait: a pipe or a device of that name counts as no file.
bool ReadProfileFile(const char* windowsName, std::string& text) {
  if (!windowsName || !*windowsName) return false;
  std::string path = winlayer::HostPath(windowsName);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  text.clear();
  text.reserve(static_cast<std::size_t>(st.st_size));
  char chunk[65536];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  // A file saved as UTF-8 with a byte-order mark is read as the text it
  // holds, in Windows-1251 like every other file.
  if (text.starts_with("\xEF\xBB\xBF")) text = cp1251::FromUtf8(std::string_view(text).substr(3));
  return true;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultText, LPSTR returned, DWORD size,
                               LPCSTR fileName) {
  std::string text;
  winlayer::ProfileAnswer answer;
  try {
    if (!ReadProfileFile(fileName, text)) text.clear();
    answer = winlayer::AnswerProfileQuery(winlayer::ParseProfile(text), appName, keyName, defaultText,
                                          returned, size);
  } catch (const std::exception&) {
    // Out of memory on a giant file: answer as if it were not there.
    answer = winlayer::AnswerProfileQuery({}, appName, keyName, defaultText, returned, size);
  }
  SetLastError(answer.fromFile ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
  return answer.count;
}
