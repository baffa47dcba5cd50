// The output file of one document: created exclusively, written through a buffer, with the
// byte offset of the next byte known at every moment (the cross-reference table needs it) and
// every failed write remembered, so closing reports whether the whole file reached the disk.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/kernel/files.h"

namespace vx::pdf {

class PdfFile {
 public:
  PdfFile() = default;
  ~PdfFile();
  PdfFile(const PdfFile&) = delete;
  PdfFile& operator=(const PdfFile&) = delete;

  // Created new: an existing file is never touched.
  bool Create(const std::string& path);
  bool IsOpen() const { return file_.IsOpen(); }
  // The open file's native handle; 0 means no file.
  int32_t Handle() const { return file_.NativeHandle(); }
  uint64_t Position() const { return position_; }
  void Write(std::string_view bytes);
  // Hands the buffered bytes to the file; true when every write so far reached it.
  bool Flush();
  // Flushes and closes; true when no write failed.
  bool Close();
  // A write that did not reach the file (a full disk): the file is cut short.
  bool Failed() const { return failed_; }

 private:
  NewFileForWriting file_;
  uint64_t position_ = 0;
  bool failed_ = false;
  std::string buffer_;
};

}  // namespace vx::pdf
