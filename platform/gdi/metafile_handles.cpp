// Metafile handles: the bytes of an enhanced or Windows metafile behind a handle. Only the
// header is checked here; playback bounds every record on its own.
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/input_limits.h"
#include "platform/kernel/regular_file.h"

namespace vx {
namespace {

using gdiplus::codecs::Get16LE;
using gdiplus::codecs::Get32LE;

using namespace gdi;

constexpr size_t kMaxMetafileBytes = limits::kMaxMetafileBytes;
constexpr size_t kEmfHeaderBytes = 88;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kWmfHeaderBytes = 18;


bool LooksLikeEmf(const BYTE* data, size_t size) {
  return data && size >= kEmfHeaderBytes && size <= kMaxMetafileBytes && Get32LE(data) == 1 &&
         Get32LE(data + 40) == kEmfSignature;
}

bool LooksLikeWmf(const BYTE* data, size_t size) {
  if (!data || size < kWmfHeaderBytes || size > kMaxMetafileBytes) return false;
  const uint16_t type = Get16LE(data);
  return (type == 1 || type == 2) && Get16LE(data + 2) == 9;
}

HANDLE32 Store(bool enhanced, const BYTE* data, size_t size) {
  auto object = std::make_shared<MetafileObject>();
  object->enhanced = enhanced;
  object->bytes.assign(data, data + size);
  return Metafiles().Insert(std::move(object));
}

UINT CopyOut(HANDLE32 handle, bool enhanced, UINT size, void* data) {
  auto object = Metafiles().Find(handle);
  if (!object || object->enhanced != enhanced) return 0;
  const UINT bytes = static_cast<UINT>(object->bytes.size());
  if (!data) return bytes;
  if (size < bytes) return 0;
  std::memcpy(data, object->bytes.data(), bytes);
  return bytes;
}

BOOL Delete(HANDLE32 handle, bool enhanced) {
  auto object = Metafiles().Find(handle);
  if (!object || object->enhanced != enhanced) return FALSE_;
  return Metafiles().Remove(handle) ? TRUE_ : FALSE_;
}

}  // namespace

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data) {
  RegisterClipboardDeleters();
  return LooksLikeEmf(data, size) ? Store(true, data, size) : 0;
}

UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data) { return CopyOut(metafile, true, size, data); }

HENHMETAFILE GetEnhMetaFile(const char* path) {
  if (!path) return 0;
  std::unique_ptr<FILE, int (*)(FILE*)> file(kernel::OpenRegularFileStream(path), std::fclose);
  if (!file) return 0;
  std::vector<BYTE> bytes;
  BYTE chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    if (bytes.size() + got > kMaxMetafileBytes) return 0;
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
}

BOOL DeleteEnhMetaFile(HENHMETAFILE metafile) { return Delete(metafile, true); }

HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data) {
  RegisterClipboardDeleters();
  return LooksLikeWmf(data, size) ? Store(false, data, size) : 0;
}

UINT GetMetaFileBitsEx(HMETAFILE metafile, UINT size, void* data) { return CopyOut(metafile, false, size, data); }

BOOL DeleteMetaFile(HMETAFILE metafile) { return Delete(metafile, false); }

}  // namespace vx
