#include "header_dimensions.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bilevel_bitmap.h"
#include "file_io.h"
#include "platform/gdiplus/codecs/png/png_data_census.h"
#include "platform/input_limits.h"
#include "tiff_screen.h"

namespace vximgplug {
namespace {

// How far into a JPEG 2000 file its size fields are looked for: the codestream's SIZ segment
// and, in a JP2 file, the image header box come before any pixel data.
constexpr size_t kJpeg2000HeaderSearch = 64 * 1024;
constexpr uint32_t kMaxJpeg2000Tiles = 65535;   // a tile index is 16 bits wide
constexpr uint64_t kDecoderSampleBytes = 4;     // OpenJPEG holds every sample as a 32-bit integer
constexpr uint64_t kMaxDecoderSampleBytes = 4 * vx::limits::kMaxDecodedBytes;

uint32_t LittleEndian32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

uint32_t BigEndian16(const std::vector<uint8_t>& b, size_t at) { return uint32_t{b[at]} << 8 | b[at + 1]; }

uint32_t BigEndian32(const std::vector<uint8_t>& b, size_t at) { return BigEndian16(b, at) << 16 | BigEndian16(b, at + 2); }

size_t Find(const std::vector<uint8_t>& b, std::initializer_list<uint8_t> pattern) {
  return static_cast<size_t>(std::search(b.begin(), b.end(), pattern.begin(), pattern.end()) - b.begin());
}

uint64_t CeilDiv(uint64_t a, uint64_t b) { return (a + b - 1) / b; }

// The codestream's SIZ segment (it follows the start-of-codestream marker): image and tile
// grid, and every component's subsampling, which together fix what the decoder allocates.
bool SizSegmentAcceptable(const std::vector<uint8_t>& b, size_t soc) {
  const size_t siz = soc + 2;
  if (b.size() < siz + 40) return true;  // cut short: the decoder refuses it by itself
  const uint64_t right = BigEndian32(b, siz + 6), bottom = BigEndian32(b, siz + 10);
  const uint64_t left = BigEndian32(b, siz + 14), top = BigEndian32(b, siz + 18);
  const uint64_t tileWidth = BigEndian32(b, siz + 22), tileHeight = BigEndian32(b, siz + 26);
  const uint64_t tileLeft = BigEndian32(b, siz + 30), tileTop = BigEndian32(b, siz + 34);
  const uint32_t components = BigEndian16(b, siz + 38);
  if (left >= right || top >= bottom || !DimensionsAcceptable(right - left, bottom - top)) return false;
  if (tileWidth == 0 || tileHeight == 0 || tileLeft > left || tileTop > top || components == 0) return false;
  if (CeilDiv(right - tileLeft, tileWidth) * CeilDiv(bottom - tileTop, tileHeight) > kMaxJpeg2000Tiles) return false;
  uint64_t sampleBytes = 0;
  for (uint32_t c = 0; c < components; ++c) {
    const size_t at = siz + 40 + size_t{c} * 3;
    if (b.size() < at + 3) break;
    const uint64_t dx = std::max<uint64_t>(b[at + 1], 1), dy = std::max<uint64_t>(b[at + 2], 1);
    sampleBytes += CeilDiv(right - left, dx) * CeilDiv(bottom - top, dy) * kDecoderSampleBytes;
    if (sampleBytes > kMaxDecoderSampleBytes) return false;
  }
  return true;
}

// A JP2 file's image header box: height, width, component count.
bool ImageHeaderBoxAcceptable(const std::vector<uint8_t>& b, size_t ihdr) {
  if (b.size() < ihdr + 14) return true;
  return DimensionsAcceptable(BigEndian32(b, ihdr + 8), BigEndian32(b, ihdr + 4));
}

bool Jpeg2000SizeAcceptable(const std::vector<uint8_t>& header) {
  if (const size_t ihdr = Find(header, {'i', 'h', 'd', 'r'}); ihdr < header.size() && !ImageHeaderBoxAcceptable(header, ihdr))
    return false;
  const size_t soc = Find(header, {0xFF, 0x4F, 0xFF, 0x51});
  return soc >= header.size() || SizSegmentAcceptable(header, soc);
}

// A portable anymap's header: "P" and its kind, then width, height and (but for bitmaps) the
// maximum value as decimal numbers, each after whitespace or comments, then one whitespace byte.
class AnymapHeader {
 public:
  explicit AnymapHeader(const std::vector<uint8_t>& b) : b_(b) {}

  bool Acceptable() {
    if (b_.size() < 2 || b_[0] != 'P' || b_[1] < '1' || b_[1] > '6') return false;
    at_ = 2;
    const bool bitmap = b_[1] == '1' || b_[1] == '4';
    uint64_t width = 0, height = 0, maximum = 1;
    if (!Number(width) || !Number(height) || (!bitmap && !Number(maximum))) return false;
    if (maximum == 0 || maximum > 65535 || at_ >= b_.size() || !IsSpace(b_[at_])) return false;
    return DimensionsAcceptable(width, height);
  }

 private:
  static bool IsSpace(uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
  static bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

  // Whitespace and comments (at least one byte of either), then digits.
  bool Number(uint64_t& value) {
    const size_t start = at_;
    while (at_ < b_.size() && (IsSpace(b_[at_]) || b_[at_] == '#')) {
      if (b_[at_] == '#') {
        while (at_ < b_.size() && b_[at_] != '\n' && b_[at_] != '\r') ++at_;
      } else {
        ++at_;
      }
    }
    if (at_ == start || at_ >= b_.size() || !IsDigit(b_[at_])) return false;
    value = 0;
    for (; at_ < b_.size() && IsDigit(b_[at_]); ++at_) {
      value = value * 10 + (b_[at_] - '0');
      if (value > 0xFFFFFFFFu) return false;
    }
    return true;
  }

  const std::vector<uint8_t>& b_;
  size_t at_ = 0;
};

constexpr size_t kAnymapHeaderSearch = 4096;

// The file's bytes from `start` on, `size` of them, as an offset reader of their own.
struct SubRange {
  const OffsetReader& file;
  uint64_t start, size;
  bool operator()(uint64_t offset, void* out, size_t bytes) const {
    return offset <= size && bytes <= size - offset && file(start + offset, out, bytes);
  }
};

bool StartsAsPng(const SubRange& image) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  uint8_t head[sizeof kSignature];
  return image(0, head, sizeof head) && std::equal(head, head + sizeof head, kSignature);
}

// A bitmap image of an icon: its header, palette and colour rows lie in the file from the entry's
// offset on. FreeImage reads them from there whatever the entry says of their size and takes the
// picture's memory from the header first, so an entry pointing past the file's end, or at bytes
// that are no bitmap header (a PNG with a damaged signature among them), would become a large
// blank picture. The header's height counts the colour rows and the mask's.
bool IconBitmapHoldsItsRows(const SubRange& image) {
  constexpr size_t kInfoHeader = 40;
  uint8_t h[kInfoHeader];
  if (!image(0, h, sizeof h)) return false;
  const std::vector<uint8_t> header(h, h + sizeof h);
  const uint32_t headerSize = LittleEndian32(header, 0);
  const auto width = static_cast<int32_t>(LittleEndian32(header, 4));
  const auto heightWithMask = static_cast<int32_t>(LittleEndian32(header, 8));
  const unsigned bits = header[14] | header[15] << 8;
  const bool knownDepth = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (headerSize < kInfoHeader || width <= 0 || heightWithMask == 0 || !knownDepth) return false;
  const uint64_t rows = static_cast<uint64_t>(std::abs(int64_t{heightWithMask})) / 2;
  const uint64_t rowBytes = CeilDiv(uint64_t(width) * bits, 32) * 4;
  const uint64_t palette = bits <= 8 ? uint64_t{4} << bits : 0;
  return uint64_t{headerSize} + palette + rowBytes * rows <= image.size;
}

// Every image of an icon's directory could hold the rows it claims: PNG images (FreeImage's icon
// loader hands them to its PNG loader, which takes the picture's memory first) by their image data,
// bitmap images by the bytes the file has for them.
bool IconImagesHoldTheirRows(const OffsetReader& file) {
  constexpr size_t kDirectoryHeader = 6, kDirectoryEntry = 16;
  uint8_t header[kDirectoryHeader];
  if (!file(0, header, sizeof header)) return true;
  // FreeImage reads the first entry of a directory that claims none, and every entry the
  // directory claims whether the file holds it or not: what it read then is whatever its memory
  // held.
  const unsigned count = header[4] | header[5] << 8;
  if (count == 0) return false;
  for (unsigned i = 0; i < count; ++i) {
    uint8_t entry[kDirectoryEntry];
    if (!file(kDirectoryHeader + uint64_t{i} * kDirectoryEntry, entry, sizeof entry)) return false;
    const std::vector<uint8_t> fields(entry, entry + sizeof entry);
    const uint64_t offset = LittleEndian32(fields, 12);
    if (offset >= file.Size()) return false;
    const SubRange rest{file, offset, file.Size() - offset};
    const SubRange image{file, offset, LittleEndian32(fields, 8)};
    if (StartsAsPng(rest) ? !vx::gdiplus::codecs::PngDataCanHoldItsRows(image, image.size) : !IconBitmapHoldsItsRows(rest))
      return false;
  }
  return true;
}

// PNG files and the PNG images inside icons whose data cannot hold their rows.
bool PngDataAcceptable(FREE_IMAGE_FORMAT fif, const std::string& path) {
  const OffsetReader file(path);
  if (!file.IsOpen()) return true;
  if (fif == FIF_ICO) return IconImagesHoldTheirRows(file);
  return vx::gdiplus::codecs::PngDataCanHoldItsRows(file, file.Size());
}

}  // namespace

bool IsPortableAnymap(FREE_IMAGE_FORMAT fif) {
  switch (fif) {
    case FIF_PBM: case FIF_PBMRAW: case FIF_PGM: case FIF_PGMRAW: case FIF_PPM: case FIF_PPMRAW: return true;
    default: return false;
  }
}


bool ClaimedSizeAcceptable(FREE_IMAGE_FORMAT fif, const std::string& path) {
  if (fif == FIF_TIFF) {
    const std::vector<ScreenedPage> firstPage = ScreenTiffPages(path, 1);
    return !firstPage.empty() && firstPage.front().acceptable;
  }
  if (fif == FIF_PNG || fif == FIF_ICO) return PngDataAcceptable(fif, path);
  if (IsPortableAnymap(fif)) return AnymapHeader(ReadFileStart(path, kAnymapHeaderSearch)).Acceptable();
  if (fif == FIF_J2K || fif == FIF_JP2) return Jpeg2000SizeAcceptable(ReadFileStart(path, kJpeg2000HeaderSearch));
  const std::vector<uint8_t> header = ReadFileStart(path, 20);
  if (fif == FIF_DDS && header.size() >= 20) {
    // "DDS ", header size, flags, then height and width.
    return DimensionsAcceptable(LittleEndian32(header, 16), LittleEndian32(header, 12));
  }
  if (fif == FIF_SGI && header.size() >= 10) {
    // Magic, storage, bytes per channel, dimension count, then width and height.
    return DimensionsAcceptable(BigEndian16(header, 6), BigEndian16(header, 8));
  }
  return true;
}

}  // namespace vximgplug
