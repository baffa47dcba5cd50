#include "pdf/pdf_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace vx::pdf {
namespace {
constexpr size_t kBufferSize = 1 << 16;
}

PdfFile::~PdfFile() { Close(); }

bool PdfFile::Create(const std::string& path) {
  if (IsOpen() || path.empty()) return false;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  position_ = 0;
  failed_ = false;
  buffer_.clear();
  return fd_ >= 0;
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
  size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
  return !failed_;
}

bool PdfFile::Close() {
  if (!IsOpen()) return false;
  Flush();
  if (::close(fd_) != 0) failed_ = true;
  fd_ = -1;
  return !failed_;
}

}  // namespace vx::pdf
