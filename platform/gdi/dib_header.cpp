#include "platform/gdi/dib_header.h"

#include <algorithm>
#include <bit>

#include "platform/gdiplus/codecs/byte_order.h"

namespace vx::gdi {
namespace {

using gdiplus::codecs::Get16LE;
using gdiplus::codecs::Get32LE;

constexpr size_t kCoreBytes = 12;
constexpr size_t kInfoBytes = 40;
constexpr size_t kOs2MinBytes = 16;
constexpr size_t kOs2MaxBytes = 64;
constexpr uint32_t kAlphaBitfields = 6;
constexpr uint32_t kOs2Huffman = 3;
constexpr uint32_t kOs2Rle24 = 4;
// A deep format's optional table only serves displays with few colours; this keeps its size,
// and so the offset of the rows behind it, bounded even when the caller cannot say how many
// bytes it handed over.
constexpr uint32_t kMaxOptionalEntries = 65536;

bool IsInfoSize(uint32_t size) { return size == 40 || size == 52 || size == 56 || size == 108 || size == 124; }

bool ClassifySize(uint32_t size, DibHeaderKind& kind) {
  if (size == kCoreBytes) {
    kind = DibHeaderKind::Core;
  } else if (IsInfoSize(size)) {
    kind = DibHeaderKind::Info;
  } else if (size >= kOs2MinBytes && size <= kOs2MaxBytes) {
    kind = DibHeaderKind::Os2;
  } else {
    return false;
  }
  return true;
}

// The fields every family carries, as raw values; OS/2 2.x headers may stop after any of them.
struct RawFields {
  int64_t width = 0, height = 0;
  uint32_t compression = BI_RGB, colorsUsed = 0;
};

RawFields ReadFields(const uint8_t* p, DibHeader& h) {
  RawFields raw;
  if (h.kind == DibHeaderKind::Core) {
    raw.width = Get16LE(p + 4);
    raw.height = Get16LE(p + 6);
    h.planes = Get16LE(p + 8);
    h.bitCount = Get16LE(p + 10);
    return raw;
  }
  raw.width = static_cast<int32_t>(Get32LE(p + 4));
  raw.height = static_cast<int32_t>(Get32LE(p + 8));
  h.planes = Get16LE(p + 12);
  h.bitCount = Get16LE(p + 14);
  if (h.size >= 20) raw.compression = Get32LE(p + 16);
  if (h.size >= 32) {
    h.xPelsPerMeter = static_cast<int32_t>(Get32LE(p + 24));
    h.yPelsPerMeter = static_cast<int32_t>(Get32LE(p + 28));
  }
  if (h.size >= 36) raw.colorsUsed = Get32LE(p + 32);
  return raw;
}

DibParse SetSize(const RawFields& raw, DibHeader& h) {
  if (raw.width < 1 || raw.height == 0 || raw.height == std::numeric_limits<int32_t>::min())
    return DibParse::Malformed;
  h.width = static_cast<int32_t>(raw.width);
  h.topDown = raw.height < 0;
  h.height = static_cast<int32_t>(h.topDown ? -raw.height : raw.height);
  return DibParse::Ok;
}

// The OS/2 family reuses code 3 for Huffman coding and 4 for 24-bit run lengths.
DibParse SetCompression(uint32_t raw, DibHeader& h) {
  if (h.kind == DibHeaderKind::Os2 && (raw == kOs2Huffman || raw == kOs2Rle24)) return DibParse::Unsupported;
  h.compression = raw == kAlphaBitfields ? BI_BITFIELDS : raw;
  switch (h.compression) {
    case BI_RGB:
      return h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 || h.bitCount == 16 || h.bitCount == 24 ||
                     h.bitCount == 32
                 ? DibParse::Ok
                 : DibParse::Unsupported;
    case BI_RLE8:
    case BI_RLE4:
      if (h.bitCount != (h.compression == BI_RLE8 ? 8 : 4)) return DibParse::Unsupported;
      // Run-length data has no top-down form: its rows are addressed from the bottom.
      return h.topDown ? DibParse::Malformed : DibParse::Ok;
    case BI_BITFIELDS:
      return h.bitCount == 16 || h.bitCount == 32 ? DibParse::Ok : DibParse::Unsupported;
    default:
      return DibParse::Unsupported;
  }
}

bool ValidMasks(const DibHeader& h) {
  const uint32_t* m = h.masks;
  if (!m[0] || !m[1] || !m[2]) return false;
  if (h.bitCount == 16 && ((m[0] | m[1] | m[2] | m[3]) >> 16) != 0) return false;
  for (int i = 0; i < 4; ++i)
    if (!IsContiguousMask(m[i])) return false;
  return true;
}

// Headers of 52 bytes and more carry the colour masks (56 and more the alpha mask too); shorter
// ones are followed by three masks, or four for alpha bit fields. `offset` moves past those.
DibParse ReadMasks(const uint8_t* p, size_t available, uint32_t rawCompression, DibHeader& h, size_t& offset) {
  if (h.compression != BI_BITFIELDS) {
    if (h.bitCount == 16) h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
    if (h.bitCount == 32) h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
    return DibParse::Ok;
  }
  const size_t inHeader = h.size >= 56 ? 4 : h.size >= 52 ? 3 : 0;
  const size_t count = inHeader ? inHeader : rawCompression == kAlphaBitfields ? 4 : 3;
  const size_t at = inHeader ? kInfoBytes : offset;
  if (!gdiplus::codecs::InBounds(available, at, 4 * count)) return DibParse::Malformed;
  for (size_t i = 0; i < count; ++i) h.masks[i] = Get32LE(p + at + 4 * i);
  if (!inHeader) offset += 4 * count;
  return ValidMasks(h) ? DibParse::Ok : DibParse::Malformed;
}

DibParse PlaceTable(size_t available, uint32_t colorsUsed, DibHeader& h, size_t offset) {
  const uint64_t capacity = h.Indexed() ? uint64_t{1} << h.bitCount : 0;
  uint64_t entries = h.kind == DibHeaderKind::Core ? capacity : colorsUsed ? colorsUsed : capacity;
  if (h.Indexed() ? entries > capacity : entries > kMaxOptionalEntries) return DibParse::Malformed;
  h.tableEntryBytes = h.kind == DibHeaderKind::Core ? 3 : 4;
  if ((available - offset) / h.tableEntryBytes < entries) return DibParse::Malformed;
  h.tableOffset = offset;
  h.tableEntries = static_cast<uint32_t>(entries);
  h.bitsOffset = offset + static_cast<size_t>(entries) * h.tableEntryBytes;
  return DibParse::Ok;
}

DibParse SetStride(const DibLimits& limits, DibHeader& h) {
  if (h.width > limits.maxDimension || h.height > limits.maxDimension) return DibParse::TooLarge;
  h.stride = (static_cast<uint64_t>(h.width) * h.bitCount + 31) / 32 * 4;
  // Compared by division so that no limit close to 2^64 lets the product wrap.
  if (h.stride > limits.maxPixelBytes / static_cast<uint64_t>(h.height)) return DibParse::TooLarge;
  return DibParse::Ok;
}

// One contiguous channel of a masked pixel, widened to 8 bits.
class MaskChannel {
 public:
  explicit MaskChannel(uint32_t mask) : mask_(mask) {
    if (mask == 0) return;
    shift_ = std::countr_zero(mask);
    max_ = mask >> shift_;
  }
  uint32_t Read(uint32_t pixel, uint32_t absent) const {
    if (max_ == 0) return absent;
    return static_cast<uint32_t>((static_cast<uint64_t>((pixel & mask_) >> shift_) * 255 + max_ / 2) / max_);
  }

 private:
  uint32_t mask_ = 0;
  int shift_ = 0;
  uint32_t max_ = 0;
};

}  // namespace

void UnpackDibMaskedRow(const DibHeader& h, const uint8_t* row, int32_t count, uint8_t* bgra) {
  const MaskChannel r(h.masks[0]), g(h.masks[1]), b(h.masks[2]), a(h.masks[3]);
  const size_t bytes = h.bitCount / 8;
  for (int32_t x = 0; x < count; ++x, row += bytes, bgra += 4) {
    const uint32_t pixel = bytes == 2 ? Get16LE(row) : Get32LE(row);
    bgra[0] = static_cast<uint8_t>(b.Read(pixel, 0));
    bgra[1] = static_cast<uint8_t>(g.Read(pixel, 0));
    bgra[2] = static_cast<uint8_t>(r.Read(pixel, 0));
    bgra[3] = static_cast<uint8_t>(a.Read(pixel, 255));
  }
}

bool IsContiguousMask(uint32_t mask) {
  if (mask == 0) return true;
  const uint32_t run = mask >> std::countr_zero(mask);
  return (run & (run + 1)) == 0;
}

DibParse ParseDibHeader(const void* data, size_t available, const DibLimits& limits, DibHeader& out) {
  out = DibHeader{};
  const auto* p = static_cast<const uint8_t*>(data);
  if (!p || available < 4) return DibParse::Malformed;
  DibHeader h;
  h.size = Get32LE(p);
  if (!ClassifySize(h.size, h.kind) || h.size > available) return DibParse::Malformed;
  const RawFields raw = ReadFields(p, h);
  size_t offset = h.size;
  DibParse result = SetSize(raw, h);
  if (result == DibParse::Ok) result = SetCompression(raw.compression, h);
  if (result == DibParse::Ok) result = ReadMasks(p, available, raw.compression, h, offset);
  if (result == DibParse::Ok) result = PlaceTable(available, raw.colorsUsed, h, offset);
  if (result == DibParse::Ok) result = SetStride(limits, h);
  if (result == DibParse::Ok) out = h;
  return result;
}

std::vector<uint32_t> ReadDibColourTable(const void* data, const DibHeader& h) {
  if (!h.Indexed()) return {};
  const size_t count = std::min<size_t>(h.tableEntries, size_t{1} << h.bitCount);
  std::vector<uint32_t> colours(count);
  const auto* entry = static_cast<const uint8_t*>(data) + h.tableOffset;
  for (size_t i = 0; i < count; ++i, entry += h.tableEntryBytes)
    colours[i] = 0xFF000000u | uint32_t{entry[2]} << 16 | uint32_t{entry[1]} << 8 | entry[0];
  return colours;
}

}  // namespace vx::gdi
