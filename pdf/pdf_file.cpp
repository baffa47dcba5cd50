#include "pdf/pdf_file.h"

namespace vx::pdf {
namespace {
constexpr size_t kBufferSize = 1 << 16;
}

PdfFile::~PdfFile() { Close(); }

bool PdfFile::Create(const std::string& path) {
  if (IsOpen() || path.empty()) return false;
  position_ = 0;
  failed_ = false;
  buffer_.clear();
  return file_.Create(path) == TRUE_;
}

void PdfFile::Write(std::string_view bytes) {
  if (!IsOpen()) return;
  position_ += bytes.size();
  if (buffer_.size() + bytes.size() > kBufferSize && !Flush()) return;
  if (bytes.size() >= kBufferSize) {
    buffer_.assign(bytes);
    Flush();
  } else {
    buffer_.append(bytes);
  }
}

bool PdfFile::Flush() {
  if (!failed_ && !buffer_.empty() && file_.WriteFile(buffer_.data(), buffer_.size()) != TRUE_) failed_ = true;
  buffer_.clear();
  return !failed_;
}

bool PdfFile::Close() {
  if (!IsOpen()) return false;
  Flush();
  if (file_.CloseHandle() != TRUE_) failed_ = true;
  return !failed_;
}

}  // namespace vx::pdf
