#include "platform/gdiplus/codecs/tiff/tiff_memory_io.h"

#include <algorithm>
#include <cstring>

namespace vx::gdiplus::codecs {

namespace {

constexpr tmsize_t kMaxSingleAllocation = tmsize_t{256} << 20;

TiffMemory& MemoryOf(thandle_t h) { return *static_cast<TiffMemory*>(h); }

uint64_t SizeOf(const TiffMemory& m) { return m.output ? m.output->Size() : m.input.size(); }

tmsize_t Read(thandle_t h, void* buffer, tmsize_t size) {
  TiffMemory& m = MemoryOf(h);
  if (size <= 0) return 0;
  // A writer reads back what it wrote (it links each new directory to the previous one).
  if (m.output) {
    const size_t n = m.output->ReadAt(m.position, static_cast<uint8_t*>(buffer), static_cast<size_t>(size));
    m.position += n;
    return static_cast<tmsize_t>(n);
  }
  const uint64_t total = SizeOf(m);
  const uint64_t available = m.position < total ? total - m.position : 0;
  const uint64_t n = std::min<uint64_t>(available, static_cast<uint64_t>(size));
  if (n) std::memcpy(buffer, m.input.data() + m.position, n);
  m.position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t Write(thandle_t h, void* buffer, tmsize_t size) {
  TiffMemory& m = MemoryOf(h);
  if (!m.output || size < 0) return -1;
  const uint64_t end = m.position + static_cast<uint64_t>(size);
  if (end > 0xFFFFFFFFull) return -1;  // classic TIFF offsets are 32 bits
  if (!m.output->WriteAt(m.position, static_cast<const uint8_t*>(buffer), static_cast<size_t>(size))) return -1;
  m.position = end;
  return size;
}

toff_t Seek(thandle_t h, toff_t offset, int whence) {
  TiffMemory& m = MemoryOf(h);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = m.position;
  if (whence == SEEK_END) base = SizeOf(m);
  const uint64_t target = base + offset;
  if (target > (uint64_t{1} << 40)) return static_cast<toff_t>(-1);
  m.position = target;
  return target;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t h) { return SizeOf(MemoryOf(h)); }
int Map(thandle_t, void**, toff_t*) { return 0; }
void Unmap(thandle_t, void*, toff_t) {}
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TiffHandle Open(TiffMemory& memory, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAllocation);
  TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
  TIFF* tif = TIFFClientOpenExt("memory", mode, &memory, Read, Write, Seek, Close, Size, Map, Unmap, options);
  TIFFOpenOptionsFree(options);
  return TiffHandle(tif);
}

}  // namespace

TiffHandle OpenTiffForReading(TiffMemory& memory) { return Open(memory, "rm"); }
TiffHandle OpenTiffForWriting(TiffMemory& memory) { return Open(memory, "wl"); }

}  // namespace vx::gdiplus::codecs
