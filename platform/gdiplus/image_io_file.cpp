#include "platform/gdiplus/image_io_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <memory>
#include <string>

#include "platform/input_limits.h"
#include "platform/kernel/regular_file.h"

namespace vx::gdiplus {

namespace {

Status StatusOfError(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return AccessDenied;
    case ENOENT:
    case ENOTDIR:
      return FileNotFound;
    default:
      return Win32Error;
  }
}

std::string TemporaryNameBeside(const std::string& target) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
  return folder + "." + name + suffix;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

Status ReplaceFileAtomically(const char* path, const std::vector<uint8_t>& bytes) {
  const std::string target = path;
  if (target.empty()) return FileNotFound;
  struct stat existing {};
  const bool exists = ::stat(path, &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return AccessDenied;
  // Renaming over a file would replace it even where nobody may write it; its write bits decide,
  // whoever runs the process.
  if (exists && (existing.st_mode & 0222) == 0) return AccessDenied;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = TemporaryNameBeside(target);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return StatusOfError(errno);
  }
  if (fd < 0) return Win32Error;
  bool ok = WriteAll(fd, bytes);
  if (ok && exists) ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
  // The data must have reached the disk before the new file takes the old one's name.
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  int error = ok ? 0 : errno;
  if (ok && ::rename(temporary.c_str(), path) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return error ? StatusOfError(error) : Win32Error;
  }
  return Ok;
}

Status ReadWholeFileBounded(const std::string& path, std::vector<uint8_t>& bytes) {
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<FILE, Closer> file(kernel::OpenRegularFileStream(path.c_str()));
  if (!file) return FileNotFound;
  uint8_t chunk[1 << 16];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
    if (bytes.size() + n > limits::kMaxEncodedBytes) return OutOfMemory;
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  return std::ferror(file.get()) ? Win32Error : Ok;
}

Status WriteToStream(ole::IStream* stream, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ULONG chunk = static_cast<ULONG>(std::min<size_t>(bytes.size() - done, 1u << 30));
    ULONG written = 0;
    if (FAILED(stream->Write(bytes.data() + done, chunk, &written)) || written == 0) return Win32Error;
    done += written;
  }
  return Ok;
}

}  // namespace vx::gdiplus
