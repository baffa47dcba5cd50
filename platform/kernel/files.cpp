#include "platform/kernel/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ERROR_DISK_FULL;
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

std::string CreateUniqueFolder(const std::string& prefix) {
  std::string pattern = prefix + "XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    Fail(errno);
    return "";
  }
  return pattern;
}

BOOL RemoveDirectory(const std::string& path) {
  if (path.empty()) return Fail(ENOENT);
  return ::rmdir(path.c_str()) == 0 ? TRUE_ : Fail(errno);
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

BOOL NewFileForWriting::Create(const std::string& path) {
  if (IsOpen()) return Fail(EEXIST);
  if (path.empty()) return Fail(ENOENT);
  descriptor_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  return IsOpen() ? TRUE_ : Fail(errno);
}

BOOL NewFileForWriting::WriteFile(const void* data, size_t size) {
  if (!IsOpen()) return Fail(EBADF);
  const auto* bytes = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(descriptor_, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(n < 0 ? errno : ENOSPC);
    done += static_cast<size_t>(n);
  }
  return TRUE_;
}

BOOL NewFileForWriting::CloseHandle() {
  if (!IsOpen()) return FALSE_;
  const int closed = ::close(descriptor_);
  descriptor_ = -1;
  return closed == 0 ? TRUE_ : Fail(errno);
}

}  // namespace vx
