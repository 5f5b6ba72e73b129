// kernel32 file calls over POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <string>

#include "HostPath.h"

namespace {

struct FileRecord {
  int fd;
  std::string hostPath;
};

std::set<FileRecord*>& OpenFiles() {
  static std::set<FileRecord*> files;
  return files;
}

FileRecord* Lookup(HANDLE handle) {
  auto* record = static_cast<FileRecord*>(handle);
  if (OpenFiles().count(record) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return record;
}

BOOL Fail(int error, const std::string& hostPath) {
  SetLastError(static_cast<DWORD>(winlayer::ErrorFromErrno(error, hostPath)));
  return FALSE;
}

BOOL Refuse(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Windows' read-only attribute is, on the host, a file without its owner's
// write permission. The mode is read rather than the system's answer to a
// write, since a process of the superuser may write such a file.
bool ReadOnly(const struct stat& st) { return !S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR) == 0; }

HANDLE OpenHostFile(const std::string& path, DWORD desiredAccess, DWORD creationDisposition) {
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  int flags = O_CLOEXEC;
  bool reads = (desiredAccess & GENERIC_READ) != 0;
  bool writes = (desiredAccess & GENERIC_WRITE) != 0;
  flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  struct stat st;
  bool existed = ::stat(path.c_str(), &st) == 0;
  // The programs open files that exist, or make them anew.
  if (creationDisposition == CREATE_ALWAYS) {
    flags |= O_CREAT | O_TRUNC;
  } else if (creationDisposition != OPEN_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  // A folder cannot be opened as a file, and a read-only file neither be
  // written nor replaced.
  bool changes = writes || (flags & O_TRUNC) != 0;
  if (existed && (S_ISDIR(st.st_mode) || (changes && ReadOnly(st)))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) {
    Fail(errno, path);
    return INVALID_HANDLE_VALUE;
  }
  auto* record = new FileRecord{fd, path};
  OpenFiles().insert(record);
  SetLastError(ERROR_SUCCESS);
  return record;
}

BOOL MoveHostFile(const std::string& from, const std::string& to, DWORD flags) {
  struct stat source;
  if (::lstat(from.c_str(), &source) != 0) return Fail(errno, from);
  struct stat target;
  if (::stat(to.c_str(), &target) == 0) {
    if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) return Refuse(ERROR_ALREADY_EXISTS);
    // Windows replaces neither a folder nor a read-only file.
    if (S_ISDIR(target.st_mode) || ReadOnly(target)) return Refuse(ERROR_ACCESS_DENIED);
  }
  if (::rename(from.c_str(), to.c_str()) != 0) return Fail(errno, from);
  if (flags & MOVEFILE_WRITE_THROUGH) {
    // Make the new directory entry durable as well.
    auto slash = to.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : to.substr(0, slash));
    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
      ::fsync(dirFd);
      ::close(dirFd);
    }
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL DeleteHostFile(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && ReadOnly(st)) return Refuse(ERROR_ACCESS_DENIED);
  if (::unlink(path.c_str()) != 0) return Fail(errno, path);
  return TRUE;
}

}  // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD /*shareMode*/,
                   LPSECURITY_ATTRIBUTES /*security*/, DWORD creationDisposition,
                   DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
  return OpenHostFile(winlayer::HostPath(fileName), desiredAccess, creationDisposition);
}

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD /*shareMode*/,
                   LPSECURITY_ATTRIBUTES /*security*/, DWORD creationDisposition,
                   DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
  return OpenHostFile(winlayer::HostPath(fileName), desiredAccess, creationDisposition);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED /*overlapped*/) {
  if (read) *read = 0;
  FileRecord* record = Lookup(file);
  if (!record) return FALSE;
  DWORD total = 0;
  auto* out = static_cast<char*>(buffer);
  while (total < toRead) {
    ssize_t n = ::read(record->fd, out + total, toRead - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (read) *read = total;
      return Fail(errno, record->hostPath);
    }
    if (n == 0) break;  // end of file: success with a short count
    total += static_cast<DWORD>(n);
  }
  if (read) *read = total;
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED /*overlapped*/) {
  if (written) *written = 0;
  FileRecord* record = Lookup(file);
  if (!record) return FALSE;
  DWORD total = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (total < toWrite) {
    ssize_t n = ::write(record->fd, in + total, toWrite - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (written) *written = total;
      return Fail(errno, record->hostPath);
    }
    total += static_cast<DWORD>(n);
  }
  if (written) *written = total;
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  FileRecord* record = Lookup(file);
  if (!record) return FALSE;
  if (::fsync(record->fd) != 0 && errno != EINVAL) return Fail(errno, record->hostPath);
  return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
  FileRecord* record = Lookup(file);
  if (!record) return FALSE;
  if (size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  struct stat st;
  if (::fstat(record->fd, &st) != 0) return Fail(errno, record->hostPath);
  size->QuadPart = static_cast<LONGLONG>(st.st_size);
  return TRUE;
}

BOOL CloseHandle(HANDLE object) {
  FileRecord* record = Lookup(object);
  if (!record) return FALSE;
  OpenFiles().erase(record);
  int result = ::close(record->fd);
  int error = errno;
  std::string path = record->hostPath;
  delete record;
  if (result != 0) return Fail(error, path);
  return TRUE;
}

BOOL MoveFileExW(LPCWSTR existingName, LPCWSTR newName, DWORD flags) {
  return MoveHostFile(winlayer::HostPath(existingName), winlayer::HostPath(newName), flags);
}

BOOL DeleteFileW(LPCWSTR fileName) { return DeleteHostFile(winlayer::HostPath(fileName)); }
