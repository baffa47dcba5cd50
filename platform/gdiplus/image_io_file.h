// Writing a finished encoding to its destination without ever leaving a half-written file.
#pragma once
#include <string>
#include <vector>

#include "platform/gdiplus/byte_sink.h"
#include "platform/gdiplus/gdiplus_types.h"
#include "platform/input_limits.h"
#include "platform/ole/istream.h"

namespace vx::gdiplus {

// A new file beside `path` that an encoder streams into, renamed over `path` by Commit once it is
// complete and every write reached it. Without a successful Commit (or on any failure) the
// temporary file is removed and an existing file at `path` is left as it was. Appends are
// gathered into blocks; a positioned read or write first hands the gathered block to the file.
class FileReplacement final : public SeekableSink {
 public:
  FileReplacement() = default;
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  ~FileReplacement();

  Status Open(const char* path);
  using ByteSink::Write;
  bool Write(const uint8_t* data, size_t size) override;
  uint64_t Size() const override { return written_ + buffer_.size(); }
  size_t ReadAt(uint64_t offset, uint8_t* data, size_t size) override;
  bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override;
  Status Commit();
  // A write that did not reach the file: what the encoder then reports is the file's failure.
  bool WriteFailed() const { return error_ != 0; }

 private:
  bool Flush();
  bool WriteThrough(uint64_t offset, const uint8_t* data, size_t size);
  void Discard();

  std::string target_, temporary_;
  int fd_ = -1;
  uint64_t written_ = 0;  // bytes in the file; the gathered block follows them
  bool exists_ = false;
  unsigned mode_ = 0;
  int error_ = 0;  // the first failed write's errno
  std::vector<uint8_t> buffer_;
};

// Writes the bytes to a new file beside `path` and renames it over `path` when complete. On any
// failure the temporary file is removed and an existing file at `path` is left as it was. A file
// without any write permission is not replaced (AccessDenied).
Status ReplaceFileAtomically(const char* path, const std::vector<uint8_t>& bytes);

// Reads the regular file at `path` whole, within `maxBytes` (by default the bound on files read
// whole): FileNotFound when it cannot be opened, OutOfMemory when it is larger (told by its size
// before anything is read, and by what reading finds for files that report no size), Win32Error
// for a read error.
Status ReadWholeFileBounded(const std::string& path, std::vector<uint8_t>& bytes,
                            uint64_t maxBytes = limits::kMaxEncodedBytes);

// Writes all bytes at the stream's current position.
Status WriteToStream(ole::IStream* stream, const std::vector<uint8_t>& bytes);

}  // namespace vx::gdiplus
