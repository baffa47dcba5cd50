// TIFF files through libtiff: every directory is one page. Common layouts are read row by row
// into the matching platform format (bilevel, grey and palette pages stay indexed; RGB, RGBA and
// 16-bit RGB pages keep their depth; CMYK pages become 24bppRGB with the CMYK flag); any other
// layout (tiles, separate planes, YCbCr, odd depths) goes through libtiff's RGBA reader. The
// tags of each page become its property items. CMYK samples become sRGB through the page's
// own profile where it has one, and a CMYK profile never stays with the RGB page; when colour
// management is asked for, an RGB or grey page with an embedded profile is converted to sRGB
// through it. The colour-space flags say what the page stores, whatever it became.
#include <algorithm>
#include <optional>
#include <vector>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/color_management.h"
#include "platform/gdiplus/codecs/exif/ifd_properties.h"
#include "platform/gdiplus/codecs/frame_tools.h"
#include "platform/gdiplus/codecs/memory_read.h"
#include "platform/gdiplus/codecs/stored_colour_space.h"
#include "platform/gdiplus/codecs/tiff/tiff_directory_census.h"
#include "platform/gdiplus/codecs/tiff/tiff_memory_io.h"
#include "platform/gdiplus/pixel_channels.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr tdir_t kMaxPages = limits::kMaxDocumentPages;

struct PageLayout {
  uint32_t width = 0, height = 0;
  uint16_t samples = 1, bits = 1, photometric = PHOTOMETRIC_MINISBLACK, planar = PLANARCONFIG_CONTIG;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT, inkSet = INKSET_CMYK, extraCount = 0;
  uint16_t alphaKind = EXTRASAMPLE_UNSPECIFIED;
  bool tiled = false;
  StoredColourSpace stored = StoredColourSpace::Unknown;  // before libtiff is asked to convert
};

PageLayout ReadLayout(TIFF* tif) {
  PageLayout l;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.sampleFormat);
  TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &l.inkSet);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric))
    l.photometric = l.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
  uint16_t* kinds = nullptr;
  if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &l.extraCount, &kinds) && l.extraCount > 0 && kinds) l.alphaKind = kinds[0];
  l.tiled = TIFFIsTiled(tif) != 0;
  l.stored = TiffStoredColourSpace(l.photometric, l.inkSet);
  uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (compression == COMPRESSION_JPEG && l.photometric == PHOTOMETRIC_YCBCR) {
    TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    l.photometric = PHOTOMETRIC_RGB;
  }
  return l;
}

// How a page's rows are turned into platform rows.
enum class RowKind { Copy, SwapRgb8, SwapRgb16, Grey16, Cmyk, None };

struct Plan {
  PixelFormat format = PixelFormatUndefined;
  RowKind rows = RowKind::None;
};

Plan PlanFor(const PageLayout& l) {
  Plan p;
  const bool simple = !l.tiled && (l.planar == PLANARCONFIG_CONTIG || l.samples == 1) && l.sampleFormat == SAMPLEFORMAT_UINT;
  if (!simple) return p;
  const bool grey = l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE;
  if ((grey || l.photometric == PHOTOMETRIC_PALETTE) && l.samples == 1 && (l.bits == 1 || l.bits == 4 || l.bits == 8)) {
    p.format = l.bits == 1 ? PixelFormat1bppIndexed : l.bits == 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed;
    p.rows = RowKind::Copy;
  } else if (grey && l.samples == 1 && l.bits == 16) {
    p.format = PixelFormat48bppRGB;
    p.rows = RowKind::Grey16;
  } else if (l.photometric == PHOTOMETRIC_RGB && (l.samples == 3 || l.samples == 4) && (l.bits == 8 || l.bits == 16)) {
    const bool alpha = l.samples == 4;
    const bool premultiplied = l.alphaKind == EXTRASAMPLE_ASSOCALPHA;
    if (l.bits == 8)
      p.format = !alpha ? PixelFormat24bppRGB : premultiplied ? PixelFormat32bppPARGB : PixelFormat32bppARGB;
    else
      p.format = !alpha ? PixelFormat48bppRGB : premultiplied ? PixelFormat64bppPARGB : PixelFormat64bppARGB;
    p.rows = l.bits == 8 ? RowKind::SwapRgb8 : RowKind::SwapRgb16;
  } else if (l.photometric == PHOTOMETRIC_SEPARATED && l.inkSet == INKSET_CMYK && l.samples == 4 && l.bits == 8) {
    p.format = PixelFormat24bppRGB;
    p.rows = RowKind::Cmyk;
  }
  return p;
}

std::vector<ARGB> PalettePage(TIFF* tif, const PageLayout& l) {
  const size_t count = size_t{1} << l.bits;
  if (l.photometric == PHOTOMETRIC_PALETTE) {
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) return GreyPalette(count);
    std::vector<ARGB> palette(count);
    for (size_t i = 0; i < count; ++i)
      palette[i] = OpaqueRgb(channels::Narrow(r[i]), channels::Narrow(g[i]), channels::Narrow(b[i]));
    return palette;
  }
  std::vector<ARGB> palette = GreyPalette(count);
  if (l.photometric == PHOTOMETRIC_MINISWHITE) std::reverse(palette.begin(), palette.end());
  return palette;
}

Bytes IccProfileOf(TIFF* tif) {
  uint32_t length = 0;
  void* profile = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_ICCPROFILE, &length, &profile) || !profile) return {};
  return Bytes(static_cast<const uint8_t*>(profile), length);
}

Status ReadRows(TIFF* tif, const PageLayout& l, const Plan& plan, const CmykToSrgb* cmykProfile, Frame& frame) {
  const tmsize_t lineSize = TIFFScanlineSize(tif);
  if (lineSize <= 0) return GenericError;
  std::vector<uint8_t> line(static_cast<size_t>(lineSize));
  const size_t rowBytes = (static_cast<size_t>(frame.width) * GetPixelFormatSize(frame.format) + 7) / 8;
  for (INT y = 0; y < frame.height; ++y) {
    if (TIFFReadScanline(tif, line.data(), static_cast<uint32_t>(y), 0) < 0) return GenericError;
    uint8_t* row = RowOf(frame, y);
    switch (plan.rows) {
      case RowKind::Copy:
      case RowKind::SwapRgb8:
      case RowKind::SwapRgb16:
        if (line.size() < rowBytes) return GenericError;
        std::copy_n(line.data(), rowBytes, row);
        if (plan.rows == RowKind::SwapRgb8) SwapRedBlue(row, frame.width, l.samples);
        if (plan.rows == RowKind::SwapRgb16) {
          SwapRedBlue(reinterpret_cast<uint16_t*>(row), frame.width, l.samples);
        }
        break;
      case RowKind::Grey16:
        if (line.size() < static_cast<size_t>(frame.width) * 2) return GenericError;
        GreyToRgb48(reinterpret_cast<const uint16_t*>(line.data()), l.photometric == PHOTOMETRIC_MINISWHITE,
                    reinterpret_cast<uint16_t*>(row), frame.width);
        break;
      case RowKind::Cmyk:
        if (line.size() < static_cast<size_t>(frame.width) * 4) return GenericError;
        if (cmykProfile)
          cmykProfile->ConvertRow(line.data(), row, frame.width);
        else
          CmykRowToRgb24(line.data(), false, row, frame.width);
        break;
      case RowKind::None:
        return GenericError;
    }
  }
  return Ok;
}

Status ReadThroughRgba(TIFF* tif, const PageLayout& l, DecodeBudget& budget, Frame& frame) {
  char message[1024] = {};
  if (!TIFFRGBAImageOK(tif, message)) return GenericError;
  if (Status s = NewFrame(budget, l.width, l.height, PixelFormat32bppARGB, frame); s != Ok) return s;
  static_assert(sizeof(uint32_t) == 4);
  std::vector<uint32_t> raster(static_cast<size_t>(l.width) * l.height);
  if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, raster.data(), ORIENTATION_TOPLEFT, 0)) return GenericError;
  for (INT y = 0; y < frame.height; ++y) {
    auto* row = reinterpret_cast<ARGB*>(RowOf(frame, y));
    const uint32_t* src = raster.data() + static_cast<size_t>(y) * l.width;
    for (INT x = 0; x < frame.width; ++x)
      row[x] = TIFFGetA(src[x]) << 24 | TIFFGetR(src[x]) << 16 | TIFFGetG(src[x]) << 8 | TIFFGetB(src[x]);
  }
  frame.imageFlags = ImageFlagsHasAlpha;
  return Ok;
}

void ReadResolution(TIFF* tif, Frame& frame) {
  float x = 0, y = 0;
  uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) || !TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y)) return;
  if (!(x > 0 && y > 0 && x < 1e6f && y < 1e6f) || unit == RESUNIT_NONE) return;
  const float scale = unit == RESUNIT_CENTIMETER ? 2.54f : 1.0f;
  frame.dpiX = x * scale;
  frame.dpiY = y * scale;
  frame.imageFlags |= ImageFlagsHasRealDPI;
}

Status ReadPage(TIFF* tif, const TiffLayout& file, const DecodeOptions& options, DecodeBudget& budget, Frame& frame) {
  const PageLayout l = ReadLayout(tif);
  if (Status s = CheckFrameSize(l.width, l.height); s != Ok) return s;
  const Plan plan = PlanFor(l);
  const Bytes profile = IccProfileOf(tif);
  bool profileApplied = false;
  if (plan.rows == RowKind::None) {
    if (Status s = ReadThroughRgba(tif, l, budget, frame); s != Ok) return s;
  } else {
    if (Status s = NewFrame(budget, l.width, l.height, plan.format, frame); s != Ok) return s;
    if (IsIndexedPixelFormat(plan.format)) SetPalette(frame, PalettePage(tif, l));
    // CMYK samples always go through their own profile where they have one: the complement
    // rule is only the fallback of files that say nothing about their inks.
    std::optional<CmykToSrgb> cmykProfile;
    if (plan.rows == RowKind::Cmyk && !profile.empty()) cmykProfile.emplace(profile, false);
    profileApplied = cmykProfile && *cmykProfile;
    if (Status s = ReadRows(tif, l, plan, profileApplied ? &*cmykProfile : nullptr, frame); s != Ok) return s;
    frame.imageFlags = IsAlphaPixelFormat(plan.format) ? ImageFlagsHasAlpha : 0;
  }
  frame.imageFlags |= ImageFlagsOf(l.stored) | ImageFlagsHasRealPixelSize;
  if (options.applyEmbeddedProfile && !profileApplied) ConvertFrameToSrgb(frame, profile);
  ReadResolution(tif, frame);
  if (const uint64_t offset = TIFFCurrentDirOffset(tif); offset <= 0xFFFFFFFFull && file.data.size())
    ReadIfdProperties(file, static_cast<uint32_t>(offset), budget, frame.properties);
  AddProfileItem(frame, profile, budget);  // BigTIFF pages, whose directories are not read as items
  ForgetCmykProfileItem(frame);
  return Ok;
}

// The pages libtiff may be given: those before the first directory over the entry cap.
int64_t ReadablePages(Bytes data) { return CountSoundTiffDirectories(MemoryRead(data), kMaxPages); }

}  // namespace

Status DecodeTiff(Bytes data, DecodedImage& out, const DecodeOptions& options) {
  TiffLayout file;
  if (!ParseTiffHeader(data, file)) {
    const bool bigTiff = data.size() >= 4 && ((data[0] == 'I' && data[1] == 'I' && data[2] == 43) || (data[0] == 'M' && data[1] == 'M' && data[3] == 43));
    if (!bigTiff) return UnknownImageFormat;
    file = TiffLayout{};  // BigTIFF: pixels only, no items
  }
  const int64_t pages = ReadablePages(data);
  if (pages == 0) return OutOfMemory;
  TiffMemory memory{data};
  TiffHandle tif = OpenTiffForReading(memory);
  if (!tif) return GenericError;
  try {
    DecodeBudget budget;
    std::vector<Frame> frames;
    for (int64_t page = 0; page < pages; ++page) {
      Frame frame;
      const Status s = ReadPage(tif.get(), file, options, budget, frame);
      if (s != Ok) {
        if (frames.empty() || s == OutOfMemory) return s;
        break;  // a damaged later page ends the document
      }
      frames.push_back(std::move(frame));
      if (page + 1 == pages || !TIFFReadDirectory(tif.get())) break;
    }
    out.frames = std::move(frames);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  out.rawFormat = ImageFormatTIFF;
  out.dimension = FrameDimensionPage;
  return Ok;
}

}  // namespace vx::gdiplus::codecs
