// Written layouts: indexed pages as palette or bilevel images, 24-bit RGB, RGBA with
// unassociated alpha, and 16-bit RGB(A) for 48/64-bit pages. Compression LZW by default; CCITT
// group 3 and 4 only for bilevel pages. Property items are merged into each page's directory.
#include "platform/gdiplus/codecs/tiff/tiff_writer.h"

#include <algorithm>
#include <cmath>

#include "platform/gdiplus/codecs/exif/ifd_properties.h"
#include "platform/gdiplus/codecs/frame_tools.h"
#include "platform/gdiplus/codecs/tiff/tiff_memory_io.h"
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

void SetLayoutTags(TIFF* tif, const TiffPage& page, size_t index, size_t count) {
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
  if (count > 1) {
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(index), static_cast<uint16_t>(count));
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
Status WritePage(TIFF* tif, const TiffPage& page, size_t index, size_t count) {
  const Frame& f = page.pixels();
  const PixelFormat format = page.format;
  SetLayoutTags(tif, page, index, count);
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

Status EncodeTiff(const std::vector<TiffPage>& pages, SeekableSink& out) {
  if (pages.empty()) return InvalidParameter;
  // Room for the uncompressed pixels up front where the destination is memory: it never moves
  // while it grows, and pages of memory a compressed file does not reach are never touched.
  uint64_t expected = uint64_t{1} << 16;
  for (const TiffPage& p : pages)
    expected += static_cast<uint64_t>(RowBytes(p.pixels().width, p.format)) * static_cast<uint64_t>(p.pixels().height);
  out.ExpectBytes(expected);
  TiffMemory memory{{}, &out};
  {
    TiffHandle tif = OpenTiffForWriting(memory);
    if (!tif) return GenericError;
    try {
      for (size_t i = 0; i < pages.size(); ++i)
        if (Status s = WritePage(tif.get(), pages[i], i, pages.size()); s != Ok) return s;
    } catch (const std::bad_alloc&) {
      return OutOfMemory;
    }
  }  // every page wrote its directory; closing only lets go of the handle
  std::vector<const std::vector<PropertyRecord>*> items;
  for (const TiffPage& p : pages) items.push_back(&p.pixels().properties);
  try {
    return MergePropertiesIntoTiff(out, items);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

}  // namespace vx::gdiplus::codecs
