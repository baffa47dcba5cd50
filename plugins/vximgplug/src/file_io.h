// FreeImage's I/O callbacks over a C stream, and whole-file reading with a size bound.
#pragma once
#include <FreeImage.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel/regular_file.h"

namespace vximgplug {

FreeImageIO* StdioCallbacks();

// The file's bytes, nothing when it cannot be read or is larger than maxBytes.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, uint64_t maxBytes);

// Whether the path names a regular file holding at least one byte; a FIFO or a device is
// refused before anything opens it (opening a FIFO waits for a writer).
bool IsNonEmptyRegularFile(const std::string& path);

// The first bytes of a file (fewer when the file is shorter).
std::vector<uint8_t> ReadFileStart(const std::string& path, size_t count);

// A regular file opened for reading (a FIFO or a device is refused), closed with the object; -1
// when it could not be opened.
class SourceFile {
 public:
  explicit SourceFile(const std::string& path) : fd_(vx::kernel::OpenRegularFileForReading(path.c_str())) {}
  ~SourceFile() {
    if (fd_ >= 0) close(fd_);
  }
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// A regular file read at offsets, as the structure screens read (`read(offset, out, bytes)`,
// false past the end or when the file could not be opened).
class OffsetReader {
 public:
  explicit OffsetReader(const std::string& path);
  ~OffsetReader();
  OffsetReader(const OffsetReader&) = delete;
  OffsetReader& operator=(const OffsetReader&) = delete;
  bool IsOpen() const { return fd_ >= 0; }
  uint64_t Size() const { return size_; }
  bool operator()(uint64_t offset, void* out, size_t bytes) const;

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
};

}  // namespace vximgplug
