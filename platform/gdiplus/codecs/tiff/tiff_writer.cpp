// Written layouts: indexed pages as palette or bilevel images, 24-bit RGB, RGBA with
// unassociated alpha, and 16-bit RGB(A) for 48/64-bit pages. Compression LZW by default; CCITT
// group 3 and 4 only for bilevel pages. Property items are merged into each page's directory.
#include "platform/gdiplus/codecs/tiff/tiff_writer.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/exif/ifd_properties.h"
#include "platform/gdiplus/codecs/frame_tools.h"
#include "platform/gdiplus/codecs/tiff/tiff_strip_rows.h"
#include "platform/gdiplus/pixel_format_info.h"

namespace vx::gdiplus::codecs {

namespace {

bool CompressionFor(ULONG value, uint16_t& scheme) {
  switch (value) {
    case EncoderValueCompressionLZW: scheme = COMPRESSION_LZW; return true;
    case EncoderValueCompressionCCITT3: scheme = COMPRESSION_CCITTFAX3; return true;
    case EncoderValueCompressionCCITT4: scheme = COMPRESSION_CCITTFAX4; return true;
    case EncoderValueCompressionRle: scheme = COMPRESSION_PACKBITS; return true;
    case EncoderValueCompressionNone: scheme = COMPRESSION_NONE; return true;
    default: return false;
  }
}

bool LayoutForDepth(ULONG depth, PixelFormat& format) {
  switch (depth) {
    case 1: format = PixelFormat1bppIndexed; return true;
    case 4: format = PixelFormat4bppIndexed; return true;
    case 8: format = PixelFormat8bppIndexed; return true;
    case 24: format = PixelFormat24bppRGB; return true;
    case 32: format = PixelFormat32bppARGB; return true;
    case 48: format = PixelFormat48bppRGB; return true;
    case 64: format = PixelFormat64bppARGB; return true;
    default: return false;
  }
}

// The palette of an indexed page: the source's own when it already has that depth, else the
// platform's default one (black and white for bilevel pages).
std::vector<ARGB> PaletteFor(const Frame& source, PixelFormat format) {
  if (source.format == format) return source.palette;
  return DefaultPalette(format);
}

unsigned Luminance(ARGB c) { return ((c >> 16) & 0xff) * 299 + ((c >> 8) & 0xff) * 587 + (c & 0xff) * 114; }

bool IsBlackAndWhite(const std::vector<ARGB>& p) {
  if (p.size() < 2) return false;
  const ARGB a = p[0] | 0xff000000u, b = p[1] | 0xff000000u;
  return (a == 0xff000000u && b == 0xffffffffu) || (a == 0xffffffffu && b == 0xff000000u);
}

uint16_t PhotometricFor(const TiffPage& page) {
  if (!IsIndexedPixelFormat(page.format)) return PHOTOMETRIC_RGB;
  const bool fax = page.compression == COMPRESSION_CCITTFAX3 || page.compression == COMPRESSION_CCITTFAX4;
  const std::vector<ARGB>& p = page.palette;
  if (page.format == PixelFormat1bppIndexed && (fax || IsBlackAndWhite(p)))
    return Luminance(p[0]) <= Luminance(p[1]) ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE;
  return PHOTOMETRIC_PALETTE;
}

// `number` is the page's place in a file of several pages, whose count is filled in at its end.
void SetLayoutTags(TIFF* tif, const TiffPage& page, std::optional<uint16_t> number) {
  const Frame& f = page.pixels();
  const bool indexed = IsIndexedPixelFormat(page.format);
  const bool wide = page.format == PixelFormat48bppRGB || page.format == PixelFormat64bppARGB;
  const uint16_t samples = indexed ? 1 : IsAlphaPixelFormat(page.format) ? 4 : 3;
  const uint16_t photometric = PhotometricFor(page);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(f.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(f.height));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(indexed ? GetPixelFormatSize(page.format) : wide ? 16 : 8));
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, page.compression);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
               tiff::RowsPerStrip(tiff::StoredRowBytes(f.width, GetPixelFormatSize(page.format)), f.height));
  if (samples == 4) {
    const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (f.dpiX > 0 && f.dpiY > 0) {
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(f.dpiX));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(f.dpiY));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  }
  if (number) {
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, *number, uint16_t{0});
  }
}

void SetColourMap(TIFF* tif, const TiffPage& page, std::vector<uint16_t>& map) {
  const size_t count = size_t{1} << GetPixelFormatSize(page.format);
  const std::vector<ARGB>& palette = page.palette;
  map.assign(3 * count, 0);
  for (size_t i = 0; i < count && i < palette.size(); ++i) {
    map[i] = static_cast<uint16_t>(((palette[i] >> 16) & 0xff) * 257);
    map[count + i] = static_cast<uint16_t>(((palette[i] >> 8) & 0xff) * 257);
    map[2 * count + i] = static_cast<uint16_t>((palette[i] & 0xff) * 257);
  }
  TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + count, map.data() + 2 * count);
}

// Rows go one at a time through a single row buffer (the file's sample order differs from the
// frame's) into the strips SetLayoutTags chose, and reach the file in pieces of the write buffer.
Status WritePage(TIFF* tif, const TiffPage& page, std::optional<uint16_t> number) {
  const Frame& f = page.pixels();
  const PixelFormat format = page.format;
  SetLayoutTags(tif, page, number);
  std::vector<uint16_t> map;
  if (PhotometricFor(page) == PHOTOMETRIC_PALETTE) SetColourMap(tif, page, map);
  if (!TIFFWriteBufferSetup(tif, nullptr, static_cast<tmsize_t>(tiff::kWriteBufferBytes))) return OutOfMemory;
  RowSource rows(f, format, page.palette);
  const size_t rowBytes = (static_cast<size_t>(f.width) * GetPixelFormatSize(format) + 7) / 8;
  std::vector<uint8_t> row(rowBytes + 8);
  const int channels = IsAlphaPixelFormat(format) ? 4 : 3;
  for (INT y = 0; y < f.height; ++y) {
    std::copy_n(rows.Row(y), rowBytes, row.data());
    if (format == PixelFormat24bppRGB || format == PixelFormat32bppARGB) SwapRedBlue(row.data(), f.width, channels);
    if (format == PixelFormat48bppRGB || format == PixelFormat64bppARGB) {
      auto* samples = reinterpret_cast<uint16_t*>(row.data());
      SwapRedBlue(samples, f.width, channels);
    }
    if (TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) < 0) return GenericError;
  }
  return TIFFWriteDirectory(tif) ? Ok : GenericError;
}

}  // namespace

Status PrepareTiffPage(const Frame& source, const EncodeOptions& options, TiffPage& page, TiffPixels pixels) {
  uint16_t scheme = COMPRESSION_LZW;
  if (options.compression && !CompressionFor(*options.compression, scheme)) return InvalidParameter;
  PixelFormat format = StoredLayout(source.format);
  if (options.colorDepth && !LayoutForDepth(*options.colorDepth, format)) return InvalidParameter;
  const bool fax = scheme == COMPRESSION_CCITTFAX3 || scheme == COMPRESSION_CCITTFAX4;
  if (fax && format != PixelFormat1bppIndexed) return InvalidParameter;
  page.compression = scheme;
  page.format = format;
  page.palette = PaletteFor(source, format);
  if (pixels == TiffPixels::Borrowed) {
    page.source = &source;
    return Ok;
  }
  return ConvertFrame(source, format, page.palette, page.frame);
}

Status TiffFileWriter::Failed(Status status) {
  if (failure_ == Ok) failure_ = status;
  return failure_;
}

Status TiffFileWriter::Add(TiffPage page) {
  if (failure_ != Ok) return failure_;
  ++added_;
  if (added_ == 1) {
    first_ = std::move(page);
    return Ok;
  }
  if (first_) {
    const Status s = Write(*first_, true);
    first_.reset();
    if (s != Ok) return s;
  }
  return Write(page, true);
}

Status TiffFileWriter::Write(const TiffPage& page, bool numbered) {
  if (!tif_) {
    // Room for the first page's uncompressed pixels up front where the destination is memory: it
    // never moves while that page grows, and memory a compressed page does not reach is never
    // touched. Later pages grow it as a vector grows.
    const Frame& f = page.pixels();
    out_.ExpectBytes((uint64_t{1} << 16) + static_cast<uint64_t>(RowBytes(f.width, page.format)) * f.height);
    tif_ = OpenTiffForWriting(memory_);
    if (!tif_) return Failed(GenericError);
  }
  try {
    const std::optional<uint16_t> number = numbered ? std::optional(static_cast<uint16_t>(written_)) : std::nullopt;
    if (Status s = WritePage(tif_.get(), page, number); s != Ok) return Failed(s);
    ++written_;
    // The page before this one is now followed in the file by this page's directory.
    if (Status s = MergeWrittenPageItems(); s != Ok) return Failed(s);
    writtenItems_ = page.pixels().properties;
    itemsPending_ = true;
  } catch (const std::bad_alloc&) {
    return Failed(OutOfMemory);
  }
  return Ok;
}

namespace {

// The file as the property merge sees it for one page: a header that points at that page's
// directory, and whose link, when the merge moves the directory, is the one that really leads to
// it (the header or the directory before).
class OneDirectoryView final : public SeekableSink {
 public:
  OneDirectoryView(SeekableSink& file, uint64_t link, uint32_t directory)
      : file_(file), link_(link), directory_(directory) {}
  using ByteSink::Write;
  bool Write(const uint8_t* data, size_t size) override { return file_.Write(data, size); }
  uint64_t Size() const override { return file_.Size(); }
  size_t ReadAt(uint64_t offset, uint8_t* data, size_t size) override {
    const size_t n = file_.ReadAt(offset, data, size);
    if (offset == 0 && n >= 8) Set32LE(data + 4, directory_);
    return n;
  }
  bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
    if (offset != kHeaderLink || size != 4) return file_.WriteAt(offset, data, size);
    directory_ = Get32LE(data);
    return file_.WriteAt(link_, data, size);
  }
  // Where the page's directory stands after the merge.
  uint32_t Directory() const { return directory_; }

 private:
  static constexpr uint64_t kHeaderLink = 4;
  SeekableSink& file_;
  uint64_t link_;
  uint32_t directory_;
};

bool ReadLink(SeekableSink& file, uint64_t at, uint32_t& value) {
  uint8_t bytes[4];
  if (file.ReadAt(at, bytes, 4) != 4) return false;
  value = Get32LE(bytes);
  return true;
}

// Where the link after the directory at `offset` lies.
bool NextLinkOf(SeekableSink& file, uint32_t offset, uint64_t& link) {
  uint8_t count[2];
  if (file.ReadAt(offset, count, 2) != 2) return false;
  link = uint64_t{offset} + 2 + 12 * uint64_t{Get16LE(count)};
  return true;
}

constexpr uint16_t kTagPageNumber = 297;
constexpr uint16_t kTypeShort = 3;

// Every numbered directory of the chain learns how many pages the file has.
Status FillInPageCounts(SeekableSink& file, size_t pages) {
  uint32_t offset = 0;
  if (!ReadLink(file, 4, offset)) return GenericError;
  uint8_t total[2];
  Set16LE(total, static_cast<uint16_t>(pages));
  for (size_t page = 0; page < pages && offset != 0; ++page) {
    uint8_t countBytes[2];
    if (file.ReadAt(offset, countBytes, 2) != 2) return GenericError;
    std::vector<uint8_t> entries(size_t{Get16LE(countBytes)} * 12);
    if (file.ReadAt(uint64_t{offset} + 2, entries.data(), entries.size()) != entries.size()) return GenericError;
    for (size_t at = 0; at < entries.size(); at += 12) {
      const uint8_t* e = entries.data() + at;
      if (Get16LE(e) != kTagPageNumber || Get16LE(e + 2) != kTypeShort || Get32LE(e + 4) != 2) continue;
      if (!file.WriteAt(uint64_t{offset} + 2 + at + 10, total, 2)) return Win32Error;
    }
    if (!ReadLink(file, uint64_t{offset} + 2 + entries.size(), offset)) return GenericError;
  }
  return Ok;
}

}  // namespace

Status TiffFileWriter::MergeWrittenPageItems() {
  if (!itemsPending_) return Ok;
  itemsPending_ = false;
  uint32_t directory = 0;
  if (!ReadLink(out_, link_, directory) || directory == 0) return GenericError;
  OneDirectoryView view(out_, link_, directory);
  if (Status s = MergePropertiesIntoTiff(view, {&writtenItems_}); s != Ok) return s;
  writtenItems_.clear();
  return NextLinkOf(out_, view.Directory(), link_) ? Ok : GenericError;
}

Status TiffFileWriter::Finish() {
  if (failure_ != Ok) return failure_;
  if (added_ == 0) return Failed(InvalidParameter);
  if (first_) {
    const Status s = Write(*first_, false);
    first_.reset();
    if (s != Ok) return s;
  }
  tif_.reset();  // every page wrote its directory; closing only lets go of the handle
  try {
    if (Status s = MergeWrittenPageItems(); s != Ok) return Failed(s);
  } catch (const std::bad_alloc&) {
    return Failed(OutOfMemory);
  }
  if (written_ < 2) return Ok;
  const Status counted = FillInPageCounts(out_, written_);
  return counted == Ok ? Ok : Failed(counted);
}

Status EncodeTiff(std::vector<TiffPage> pages, SeekableSink& out) {
  if (pages.empty()) return InvalidParameter;
  TiffFileWriter writer(out);
  for (TiffPage& page : pages)
    if (Status s = writer.Add(std::move(page)); s != Ok) return s;
  return writer.Finish();
}

}  // namespace vx::gdiplus::codecs
