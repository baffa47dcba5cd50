#include "platform/gdiplus/image_io_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <random>
#include <string>

#include "platform/gdiplus/scratch_writes.h"
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

bool WriteAllAt(int fd, const uint8_t* data, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Encoders hand over a few bytes at a time; the file gets them in blocks.
constexpr size_t kWriteBlock = size_t{1} << 18;

thread_local int t_scratchScopes = 0;

}  // namespace

ScratchFileWrites::ScratchFileWrites() { ++t_scratchScopes; }
ScratchFileWrites::~ScratchFileWrites() { --t_scratchScopes; }
bool ScratchFileWrites::Active() { return t_scratchScopes > 0; }

bool MemorySink::Write(const uint8_t* data, size_t size) {
  try {
    bytes.insert(bytes.end(), data, data + size);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

size_t MemorySink::ReadAt(uint64_t offset, uint8_t* data, size_t size) {
  if (offset >= bytes.size()) return 0;
  const size_t n = static_cast<size_t>(std::min<uint64_t>(size, bytes.size() - offset));
  std::copy_n(bytes.data() + offset, n, data);
  return n;
}

bool MemorySink::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
  if (offset > SIZE_MAX - size) return false;
  try {
    if (offset + size > bytes.size()) bytes.resize(static_cast<size_t>(offset + size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::copy_n(data, size, bytes.data() + offset);
  return true;
}

void MemorySink::ExpectBytes(uint64_t size) {
  try {
    if (size <= SIZE_MAX) bytes.reserve(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    // only a head start: the bytes still grow as they are written
  }
}

FileReplacement::~FileReplacement() { Discard(); }

Status FileReplacement::Open(const char* path) {
  target_ = path;
  if (target_.empty()) return FileNotFound;
  struct stat existing {};
  exists_ = ::stat(path, &existing) == 0;
  if (exists_ && S_ISDIR(existing.st_mode)) return AccessDenied;
  // Renaming over a file would replace it even where nobody may write it; its write bits decide,
  // whoever runs the process.
  if (exists_ && (existing.st_mode & 0222) == 0) return AccessDenied;
  mode_ = existing.st_mode & 07777;
  for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
    temporary_ = TemporaryNameBeside(target_);
    fd_ = ::open(temporary_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) return StatusOfError(errno);
  }
  if (fd_ < 0) return Win32Error;
  buffer_.reserve(kWriteBlock);
  return Ok;
}

bool FileReplacement::Write(const uint8_t* data, size_t size) {
  if (fd_ < 0 || error_ != 0) return false;
  if (buffer_.size() + size > kWriteBlock && !Flush()) return false;
  if (size >= kWriteBlock) return WriteThrough(written_, data, size);
  buffer_.insert(buffer_.end(), data, data + size);
  return true;
}

bool FileReplacement::WriteThrough(uint64_t offset, const uint8_t* data, size_t size) {
  if (!WriteAllAt(fd_, data, size, offset)) {
    error_ = errno ? errno : EIO;
    return false;
  }
  written_ = std::max(written_, offset + size);
  return true;
}

size_t FileReplacement::ReadAt(uint64_t offset, uint8_t* data, size_t size) {
  if (fd_ < 0 || !Flush()) return 0;
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, data + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool FileReplacement::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
  if (offset == Size()) return Write(data, size);
  if (fd_ < 0 || !Flush()) return false;
  return WriteThrough(offset, data, size);
}

bool FileReplacement::Flush() {
  if (error_ != 0) return false;
  if (!buffer_.empty() && !WriteThrough(written_, buffer_.data(), buffer_.size())) return false;
  buffer_.clear();
  return true;
}

Status FileReplacement::Commit() {
  if (fd_ < 0) return Win32Error;
  bool ok = Flush();
  if (ok && exists_ && ::fchmod(fd_, mode_) != 0) {
    ok = false;
    error_ = errno;
  }
  // The data must have reached the disk before the new file takes the old one's name, unless
  // the file is scratch that nobody reads after a crash.
  if (ok && !ScratchFileWrites::Active() && ::fsync(fd_) != 0) {
    ok = false;
    error_ = errno;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error_ = errno;
  }
  if (ok && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
    ok = false;
    error_ = errno;
  }
  if (!ok) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
    return error_ ? StatusOfError(error_) : Win32Error;
  }
  temporary_.clear();
  return Ok;
}

void FileReplacement::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

Status ReplaceFileAtomically(const char* path, const std::vector<uint8_t>& bytes) {
  FileReplacement file;
  if (Status s = file.Open(path); s != Ok) return s;
  file.Write(bytes);
  return file.Commit();
}

Status ReadWholeFileBounded(const std::string& path, std::vector<uint8_t>& bytes, uint64_t maxBytes) {
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<FILE, Closer> file(kernel::OpenRegularFileStream(path.c_str()));
  if (!file) return FileNotFound;
  struct stat info {};
  if (::fstat(::fileno(file.get()), &info) == 0 && static_cast<uint64_t>(info.st_size) > maxBytes) return OutOfMemory;
  uint8_t chunk[1 << 16];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) {
    if (bytes.size() + n > maxBytes) return OutOfMemory;
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
