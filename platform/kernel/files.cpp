#include "platform/kernel/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/kernel/last_error.h"

namespace vx {
namespace {

DWORD LastErrorOf(int error) {
  switch (error) {
    case EEXIST: return ERROR_FILE_EXISTS;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENOTDIR: return ERROR_FILE_NOT_FOUND;
    default: return ERROR_INVALID_PARAMETER;
  }
}

BOOL Fail(int error) {
  SetLastError(LastErrorOf(error));
  return FALSE_;
}

}  // namespace

BOOL CreateNewFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) return Fail(errno);
  ::close(fd);
  return TRUE_;
}

BOOL DeleteFile(const std::string& path) {
  if (path.empty()) return Fail(ENOENT);
  return ::unlink(path.c_str()) == 0 ? TRUE_ : Fail(errno);
}

DWORD GetFileAttributes(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) {
    Fail(path.empty() ? ENOENT : errno);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  if (!S_ISREG(st.st_mode)) return FILE_ATTRIBUTE_DEVICE;
  if (::access(path.c_str(), R_OK) != 0) {
    Fail(errno);
    return INVALID_FILE_ATTRIBUTES;
  }
  return FILE_ATTRIBUTE_NORMAL;
}

}  // namespace vx
