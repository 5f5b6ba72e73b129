#include "HostPath.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>

#include "Cp1251.h"

namespace winlayer {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string ParentOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The host path of a Windows name already in UTF-8.
std::string HostPathOfUtf8(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (path.empty() || Exists(path)) return path;
  auto slash = path.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  if (DIR* d = ::opendir(dir.c_str())) {
    std::string found;
    while (dirent* entry = ::readdir(d)) {
      if (::strcasecmp(entry->d_name, leaf.c_str()) == 0) {
        found = entry->d_name;
        break;
      }
    }
    ::closedir(d);
    if (!found.empty()) {
      return slash == std::string::npos ? found : path.substr(0, slash + 1) + found;
    }
  }
  return path;
}

}  // namespace

std::string Utf16ToUtf8(const char16_t* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const char16_t* p = text; *p != 0; ++p) {
    char32_t unit = *p;
    bool high = unit >= 0xD800 && unit <= 0xDBFF;
    bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (high && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      cp1251::AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (p[1] - 0xDC00));
      ++p;
    } else {
      cp1251::AppendUtf8(out, high || low ? char32_t{0xFFFD} : unit);
    }
  }
  return out;
}

std::string HostPath(const char* windowsName) {
  return HostPathOfUtf8(cp1251::ToUtf8(windowsName ? windowsName : ""));
}

std::string HostPath(const char16_t* windowsName) { return HostPathOfUtf8(Utf16ToUtf8(windowsName)); }

unsigned long ErrorFromErrno(int error, const std::string& hostPath) {
  switch (error) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      // Windows tells a missing folder from a missing file.
      return Exists(ParentOf(hostPath)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    default:
      return ERROR_INVALID_FUNCTION;
  }
}

}  // namespace winlayer
