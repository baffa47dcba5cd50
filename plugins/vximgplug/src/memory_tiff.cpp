#include "memory_tiff.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vximgplug {
namespace {

MemoryTiffBuffer& BufferOf(thandle_t handle) { return *static_cast<MemoryTiffBuffer*>(handle); }

tmsize_t ReadProc(thandle_t handle, void* data, tmsize_t size) {
  MemoryTiffBuffer& b = BufferOf(handle);
  if (size <= 0 || b.position >= b.bytes.size()) return 0;
  const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(size), b.bytes.size() - b.position);
  std::memcpy(data, b.bytes.data() + b.position, n);
  b.position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t handle, void* data, tmsize_t size) {
  MemoryTiffBuffer& b = BufferOf(handle);
  if (size < 0) return -1;
  const uint64_t end = b.position + static_cast<uint64_t>(size);
  try {
    if (end > b.bytes.size()) b.bytes.resize(end);
  } catch (...) {
    return -1;
  }
  std::memcpy(b.bytes.data() + b.position, data, static_cast<size_t>(size));
  b.position = end;
  return size;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  MemoryTiffBuffer& b = BufferOf(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = b.position;
  if (whence == SEEK_END) base = b.bytes.size();
  const uint64_t target = base + offset;
  if (target > (uint64_t{1} << 32)) return static_cast<toff_t>(-1);
  b.position = target;
  return target;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return BufferOf(handle).bytes.size(); }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

thread_local int t_errors = 0;
thread_local int t_warnings = 0;

int CountError(TIFF*, void*, const char*, const char*, va_list) {
  ++t_errors;
  return 1;
}
int CountWarning(TIFF*, void*, const char*, const char*, va_list) {
  ++t_warnings;
  return 1;
}

}  // namespace

TiffPtr OpenMemoryTiff(MemoryTiffBuffer& buffer, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options, CountError, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, CountWarning, nullptr);
  TIFF* tiff = TIFFClientOpenExt("memory", mode, &buffer, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                 MapProc, UnmapProc, options);
  TIFFOpenOptionsFree(options);
  return TiffPtr(tiff);
}

TiffDiagnostics::TiffDiagnostics() { Reset(); }
TiffDiagnostics::~TiffDiagnostics() = default;
int TiffDiagnostics::Errors() const { return t_errors; }
int TiffDiagnostics::Warnings() const { return t_warnings; }
void TiffDiagnostics::Reset() {
  t_errors = 0;
  t_warnings = 0;
}

}  // namespace vximgplug
