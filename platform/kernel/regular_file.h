// Opening a path for reading only when it names a regular file. A FIFO opened for reading waits
// for a writer, and a device may never end, so the open itself must not block: it is made with
// O_NONBLOCK, the type is checked on the descriptor (no race with a rename), and only then is
// the descriptor made blocking again. Header-only, so the format plug-in opens files the same way.
#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vx::kernel {

// A descriptor (O_CLOEXEC) for reading the regular file at `path`, or -1 with errno set: EISDIR
// for a folder, EINVAL for any other file that is not regular.
inline int OpenRegularFileForReading(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat info {};
  const bool statted = ::fstat(fd, &info) == 0;
  const int flags = statted && S_ISREG(info.st_mode) ? ::fcntl(fd, F_GETFL) : -1;
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = !statted ? errno : S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

// The same as a C stream, or nullptr.
inline FILE* OpenRegularFileStream(const char* path) {
  const int fd = OpenRegularFileForReading(path);
  if (fd < 0) return nullptr;
  FILE* file = ::fdopen(fd, "rb");
  if (!file) ::close(fd);
  return file;
}

}  // namespace vx::kernel
