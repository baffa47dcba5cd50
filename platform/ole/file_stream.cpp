// A stream over a file. Reads and writes go to the stream's own position (pread/pwrite), so the
// descriptor's offset never matters.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/ole/com_object.h"
#include "platform/ole/ole.h"
#include "platform/kernel/regular_file.h"
#include "platform/ole/stream_position.h"

namespace vx::ole {

namespace {

HRESULT FromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return STG_E_FILENOTFOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return STG_E_ACCESSDENIED;
    default: return E_FAIL;
  }
}

class FileStream final : public RefCounted<IStream> {
 public:
  FileStream(int fd, bool writable) : fd_(fd), writable_(writable) {}

  HRESULT Read(void* buffer, ULONG bytes, ULONG* bytesRead) override {
    if (bytesRead) *bytesRead = 0;
    if (buffer == nullptr && bytes > 0) return STG_E_INVALIDPOINTER;
    if (!FitsFileOffset(bytes)) return S_OK;  // far past any end: nothing to read
    ULONG done = 0;
    while (done < bytes) {
      ssize_t n = pread(fd_, static_cast<char*>(buffer) + done, bytes - done, static_cast<off_t>(position_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return STG_E_READFAULT;
      if (n == 0) break;
      done += static_cast<ULONG>(n);
    }
    position_ += done;
    if (bytesRead) *bytesRead = done;
    return S_OK;
  }

  HRESULT Write(const void* buffer, ULONG bytes, ULONG* bytesWritten) override {
    if (bytesWritten) *bytesWritten = 0;
    if (!writable_) return STG_E_ACCESSDENIED;
    if (buffer == nullptr && bytes > 0) return STG_E_INVALIDPOINTER;
    if (!FitsFileOffset(bytes)) return STG_E_MEDIUMFULL;
    ULONG done = 0;
    while (done < bytes) {
      ssize_t n = pwrite(fd_, static_cast<const char*>(buffer) + done, bytes - done,
                         static_cast<off_t>(position_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        position_ += done;
        if (bytesWritten) *bytesWritten = done;
        return errno == ENOSPC ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
      }
      done += static_cast<ULONG>(n);
    }
    position_ += done;
    if (bytesWritten) *bytesWritten = done;
    return S_OK;
  }

  HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override {
    uint64_t size = 0;
    if (origin == STREAM_SEEK_END && !FileSize(size)) return E_FAIL;
    uint64_t target = 0;
    HRESULT hr = SeekTarget(position_, size, move, origin, target);
    if (FAILED(hr)) return hr;
    position_ = target;
    if (newPosition) *newPosition = position_;
    return S_OK;
  }

  HRESULT SetSize(uint64_t newSize) override {
    if (!writable_) return STG_E_ACCESSDENIED;
    if (newSize > static_cast<uint64_t>(INT64_MAX)) return STG_E_INVALIDFUNCTION;
    return ftruncate(fd_, static_cast<off_t>(newSize)) == 0 ? S_OK : STG_E_MEDIUMFULL;
  }

  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (stat == nullptr) return STG_E_INVALIDPOINTER;
    uint64_t size = 0;
    if (!FileSize(size)) return E_FAIL;
    stat->cbSize = size;
    return S_OK;
  }

  HRESULT Commit(DWORD) override { return writable_ && fsync(fd_) != 0 ? STG_E_WRITEFAULT : S_OK; }

 private:
  ~FileStream() override { close(fd_); }

  bool FitsFileOffset(ULONG bytes) const {
    return position_ <= static_cast<uint64_t>(INT64_MAX) - bytes;
  }

  bool FileSize(uint64_t& size) const {
    struct stat info {};
    if (fstat(fd_, &info) != 0) return false;
    size = static_cast<uint64_t>(info.st_size);
    return true;
  }

  const int fd_;
  const bool writable_;
  uint64_t position_ = 0;
};

}  // namespace

HRESULT CreateStreamOnFile(const std::string& path, bool forWriting, IStream** stream) {
  if (stream == nullptr) return E_INVALIDARG;
  *stream = nullptr;
  int fd = forWriting ? open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                      : kernel::OpenRegularFileForReading(path.c_str());
  if (fd < 0) return FromErrno(errno);
  struct stat info {};
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return STG_E_ACCESSDENIED;
  }
  *stream = new FileStream(fd, forWriting);
  return S_OK;
}

}  // namespace vx::ole
