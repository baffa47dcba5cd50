#include "file_io.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "platform/kernel/regular_file.h"

namespace vximgplug {
namespace {

unsigned DLL_CALLCONV ReadProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
  return static_cast<unsigned>(std::fread(buffer, size, count, static_cast<FILE*>(handle)));
}
unsigned DLL_CALLCONV WriteProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
  return static_cast<unsigned>(std::fwrite(buffer, size, count, static_cast<FILE*>(handle)));
}
int DLL_CALLCONV SeekProc(fi_handle handle, long offset, int origin) {
  return std::fseek(static_cast<FILE*>(handle), offset, origin);
}
long DLL_CALLCONV TellProc(fi_handle handle) { return std::ftell(static_cast<FILE*>(handle)); }

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

FreeImageIO* StdioCallbacks() {
  static FreeImageIO io{ReadProc, WriteProc, SeekProc, TellProc};
  return &io;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, uint64_t maxBytes) {
  std::unique_ptr<FILE, FileCloser> file(vx::kernel::OpenRegularFileStream(path.c_str()));
  if (!file) return std::nullopt;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return std::nullopt;
  const long size = std::ftell(file.get());
  if (size < 0 || static_cast<uint64_t>(size) > maxBytes) return std::nullopt;
  std::rewind(file.get());
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return std::nullopt;
  return bytes;
}

bool IsNonEmptyRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

std::vector<uint8_t> ReadFileStart(const std::string& path, size_t count) {
  std::vector<uint8_t> bytes(count);
  std::unique_ptr<FILE, FileCloser> file(vx::kernel::OpenRegularFileStream(path.c_str()));
  if (!file) return {};
  bytes.resize(std::fread(bytes.data(), 1, count, file.get()));
  return bytes;
}

OffsetReader::OffsetReader(const std::string& path) : fd_(vx::kernel::OpenRegularFileForReading(path.c_str())) {
  struct stat info {};
  if (fd_ >= 0 && fstat(fd_, &info) == 0) size_ = static_cast<uint64_t>(info.st_size);
}

OffsetReader::~OffsetReader() {
  if (fd_ >= 0) close(fd_);
}

bool OffsetReader::operator()(uint64_t offset, void* out, size_t bytes) const {
  if (fd_ < 0 || offset > size_ || bytes > size_ - offset) return false;
  return pread(fd_, out, bytes, static_cast<off_t>(offset)) == static_cast<ssize_t>(bytes);
}

}  // namespace vximgplug
