// Building metafile images: the record chain is walked once, bounded, before anything trusts it,
// and the header gives size, resolution and the object-table size.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/gdi/gdi.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_io.h"
#include "platform/gdiplus/metafile.h"
#include "platform/gdiplus/metafile_records.h"
#include "platform/input_limits.h"
#include "platform/kernel/regular_file.h"

namespace vx::gdiplus {
namespace {

constexpr size_t kMaxMetafileBytes = limits::kMaxMetafileBytes;
constexpr uint32_t kEmfSignature = 0x464D4520;
constexpr double kHimetricPerInch = 2540.0;

REAL SaneDpi(double dpi) { return std::isfinite(dpi) && dpi >= 1 && dpi <= 100000 ? static_cast<REAL>(dpi) : 96.0f; }

UINT PixelSpan(double span) {
  span = std::fabs(span);
  return span >= 1 && span < (1u << 30) ? static_cast<UINT>(std::lround(span)) : 0;
}

// A metafile is played back onto a bitmap of its own size, so that size obeys the limits of any
// decoded picture.
bool SizeWithinLimits(const GpMetafile& m) { return limits::ImageSizeAcceptable(m.width, m.height); }

// EMF: every record at least 8 bytes, 4-aligned, inside the data; the chain ends at EMR_EOF.
bool ReadEmf(const uint8_t* data, size_t size, GpMetafile& out) {
  if (size < 88 || size > kMaxMetafileBytes) return false;
  ByteReader header(data, size);
  if (header.U32(0) != kEmrHeader || header.U32(40) != kEmfSignature) return false;
  size_t end = 0;
  for (size_t at = 0; at < size;) {
    if (size - at < 8) return false;
    const uint32_t type = header.U32(at), length = header.U32(at + 4);
    if (length < 8 || length % 4 != 0 || length > size - at) return false;
    if (at == 0 && length < 88) return false;
    at += length;
    end = at;
    if (type == kEmrEof) break;
  }
  const int32_t frame[4] = {header.I32(24), header.I32(28), header.I32(32), header.I32(36)};
  const int32_t bounds[4] = {header.I32(8), header.I32(12), header.I32(16), header.I32(20)};
  const int32_t device[2] = {header.I32(72), header.I32(76)};
  const int32_t millimetres[2] = {header.I32(80), header.I32(84)};
  out.dpiX = SaneDpi(millimetres[0] > 0 ? device[0] * 25.4 / millimetres[0] : 96);
  out.dpiY = SaneDpi(millimetres[1] > 0 ? device[1] * 25.4 / millimetres[1] : 96);
  out.frame = {frame[0] * out.dpiX / kHimetricPerInch, frame[1] * out.dpiY / kHimetricPerInch,
               frame[2] * out.dpiX / kHimetricPerInch, frame[3] * out.dpiY / kHimetricPerInch};
  out.width = PixelSpan(out.frame.right - out.frame.left);
  out.height = PixelSpan(out.frame.bottom - out.frame.top);
  if (out.width == 0 || out.height == 0) {
    // No usable frame: the bounds (inclusive device pixels) stand in for it.
    out.frame = {double(bounds[0]), double(bounds[1]), bounds[2] + 1.0, bounds[3] + 1.0};
    out.width = PixelSpan(out.frame.right - out.frame.left);
    out.height = PixelSpan(out.frame.bottom - out.frame.top);
  }
  if (!SizeWithinLimits(out)) return false;
  out.enhanced = true;
  out.objectSlots = header.U16(56);
  out.rawFormat = ImageFormatEMF;
  out.records.assign(data, data + end);
  return true;
}

struct WmfWindow {
  bool haveOrg = false, haveExt = false;
  int16_t orgX = 0, orgY = 0, extX = 0, extY = 0;
};

// WMF: a 9-word header, then records of at least 3 words inside the data, up to META_EOF.
bool ReadWmfRecords(const uint8_t* data, size_t size, GpMetafile& out, WmfWindow& window) {
  if (size < 18 || size > kMaxMetafileBytes) return false;
  ByteReader reader(data, size);
  const uint16_t type = reader.U16(0);
  if ((type != 1 && type != 2) || reader.U16(2) != 9) return false;
  size_t end = 18;
  for (size_t at = 18; at < size;) {
    if (size - at < 6) return false;
    const uint64_t length = uint64_t{reader.U32(at)} * 2;
    const uint16_t function = reader.U16(at + 4);
    if (length < 6 || length > size - at) return false;
    if (function == kMetaSetWindowOrg && length >= 10 && !window.haveOrg) {
      window = {true, window.haveExt, reader.I16(at + 8), reader.I16(at + 6), window.extX, window.extY};
    } else if (function == kMetaSetWindowExt && length >= 10 && !window.haveExt) {
      window.haveExt = true;
      window.extY = reader.I16(at + 6);
      window.extX = reader.I16(at + 8);
    }
    at += static_cast<size_t>(length);
    end = at;
    if (function == kMetaEof) break;
  }
  out.enhanced = false;
  out.objectSlots = reader.U16(10);
  out.rawFormat = ImageFormatWMF;
  out.records.assign(data, data + end);
  return true;
}

bool ApplyPlaceable(const WmfPlaceableFileHeader& h, GpMetafile& out) {
  if (h.Inch <= 0) return false;
  const PWMFRect16& b = h.BoundingBox;
  out.frame = {double(std::min(b.Left, b.Right)), double(std::min(b.Top, b.Bottom)),
               double(std::max(b.Left, b.Right)), double(std::max(b.Top, b.Bottom))};
  out.width = PixelSpan(out.frame.right - out.frame.left);
  out.height = PixelSpan(out.frame.bottom - out.frame.top);
  out.dpiX = out.dpiY = static_cast<REAL>(h.Inch);
  return SizeWithinLimits(out);
}

// Without a placeable header the window the records set is the picture, at screen resolution.
bool ApplyWindow(const WmfWindow& window, GpMetafile& out) {
  if (!window.haveExt) return false;
  out.frame = {double(window.orgX), double(window.orgY), double(window.orgX) + window.extX,
               double(window.orgY) + window.extY};
  if (out.frame.left > out.frame.right) std::swap(out.frame.left, out.frame.right);
  if (out.frame.top > out.frame.bottom) std::swap(out.frame.top, out.frame.bottom);
  out.width = PixelSpan(window.extX);
  out.height = PixelSpan(window.extY);
  out.dpiX = out.dpiY = 96;
  return SizeWithinLimits(out);
}

bool ReadWmf(const uint8_t* data, size_t size, const WmfPlaceableFileHeader* placeable, GpMetafile& out) {
  WmfPlaceableFileHeader fileHeader;
  if (!placeable && size >= sizeof fileHeader) {
    std::memcpy(&fileHeader, data, sizeof fileHeader);
    if (fileHeader.Key == kWmfPlaceableKey) {
      placeable = &fileHeader;
      data += sizeof fileHeader;
      size -= sizeof fileHeader;
    }
  }
  WmfWindow window;
  if (!ReadWmfRecords(data, size, out, window)) return false;
  return placeable ? ApplyPlaceable(*placeable, out) : ApplyWindow(window, out);
}

Status Hand(std::unique_ptr<GpMetafile> made, GpMetafile** out) {
  *out = made.release();
  return Ok;
}

std::unique_ptr<GpMetafile> NewMetafile() {
  try {
    return std::make_unique<GpMetafile>();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

Status FromMemory(const uint8_t* data, size_t size, GpMetafile** metafile) {
  auto made = NewMetafile();
  if (!made) return OutOfMemory;
  try {
    if (!ReadEmf(data, size, *made) && !ReadWmf(data, size, nullptr, *made)) return UnknownImageFormat;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  return Hand(std::move(made), metafile);
}

// Registered with the codecs' loader when the library is loaded, so that a metafile given to the
// generic load calls becomes a metafile image.
const bool g_decoderRegistered = [] {
  RegisterMetafileDecoder(&LoadMetafileFromMemory);
  return true;
}();

}  // namespace

GpMetafile::~GpMetafile() {
  if (ownedHandle == 0) return;
  if (enhanced) {
    DeleteEnhMetaFile(ownedHandle);
  } else {
    DeleteMetaFile(ownedHandle);
  }
}

Status GpMetafile::Describe(ImageDescription& out) const {
  out.width = width;
  out.height = height;
  out.dpiX = dpiX;
  out.dpiY = dpiY;
  out.format = PixelFormat32bppRGB;
  out.flags = ImageFlagsScalable | ImageFlagsColorSpaceRGB;
  return Ok;
}

Status GpMetafile::Duplicate(std::unique_ptr<GpImage>& out) const {
  try {
    auto copy = std::make_unique<GpMetafile>();
    copy->rawFormat = rawFormat;
    copy->enhanced = enhanced;
    copy->records = records;
    copy->frame = frame;
    copy->width = width;
    copy->height = height;
    copy->dpiX = dpiX;
    copy->dpiY = dpiY;
    copy->objectSlots = objectSlots;
    out = std::move(copy);
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

Status LoadMetafileFromMemory(const uint8_t* data, size_t size, GpImage** image) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!image) return InvalidParameter;
  *image = nullptr;
  if (!data) return InvalidParameter;
  GpMetafile* metafile = nullptr;
  const Status s = FromMemory(data, size, &metafile);
  *image = metafile;
  return s;
}

Status GdipCreateMetafileFromFile(const char* path, GpMetafile** metafile) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!metafile || !path) return InvalidParameter;
  *metafile = nullptr;
  std::unique_ptr<FILE, int (*)(FILE*)> file(kernel::OpenRegularFileStream(path), std::fclose);
  if (!file) return FileNotFound;
  std::vector<uint8_t> bytes;
  try {
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
      if (bytes.size() + got > kMaxMetafileBytes) return UnknownImageFormat;
      bytes.insert(bytes.end(), chunk, chunk + got);
    }
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  return FromMemory(bytes.data(), bytes.size(), metafile);
}

Status GdipCreateMetafileFromWmf(HMETAFILE hmf, BOOL deleteWmf, const WmfPlaceableFileHeader* placeable,
                                 GpMetafile** metafile) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!metafile) return InvalidParameter;
  *metafile = nullptr;
  const UINT size = GetMetaFileBitsEx(hmf, 0, nullptr);
  if (size == 0) return InvalidParameter;
  auto made = NewMetafile();
  if (!made) return OutOfMemory;
  try {
    std::vector<uint8_t> bytes(size);
    if (GetMetaFileBitsEx(hmf, size, bytes.data()) != size) return InvalidParameter;
    WmfPlaceableFileHeader header;
    if (placeable) std::memcpy(&header, placeable, sizeof header);
    // A handle holds plain records: its first bytes are never taken for a placeable header.
    WmfWindow window;
    if (!ReadWmfRecords(bytes.data(), bytes.size(), *made, window)) return InvalidParameter;
    if (!(placeable ? ApplyPlaceable(header, *made) : ApplyWindow(window, *made))) return InvalidParameter;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  if (deleteWmf) made->ownedHandle = hmf;
  return Hand(std::move(made), metafile);
}

Status GdipCreateMetafileFromEmf(HENHMETAFILE hemf, BOOL deleteEmf, GpMetafile** metafile) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!metafile) return InvalidParameter;
  *metafile = nullptr;
  const UINT size = GetEnhMetaFileBits(hemf, 0, nullptr);
  if (size == 0) return InvalidParameter;
  auto made = NewMetafile();
  if (!made) return OutOfMemory;
  try {
    std::vector<uint8_t> bytes(size);
    if (GetEnhMetaFileBits(hemf, size, bytes.data()) != size) return InvalidParameter;
    if (!ReadEmf(bytes.data(), bytes.size(), *made)) return InvalidParameter;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  if (deleteEmf) made->ownedHandle = hemf;
  return Hand(std::move(made), metafile);
}

bool MetafileDimensions(const GpImage* image, UINT* width, UINT* height, REAL* dpiX, REAL* dpiY) {
  const auto* metafile = dynamic_cast<const GpMetafile*>(image);
  if (!metafile) return false;
  if (width) *width = metafile->width;
  if (height) *height = metafile->height;
  if (dpiX) *dpiX = metafile->dpiX;
  if (dpiY) *dpiY = metafile->dpiY;
  return true;
}

}  // namespace vx::gdiplus
