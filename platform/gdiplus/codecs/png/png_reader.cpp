// PNG files through libpng. Palette images stay indexed (their tRNS alpha goes into the palette),
// grey images without transparency become indexed with a grey palette, everything else becomes
// 24/32-bit or, at 16 bits per sample, 48/64-bit pixels. An embedded ICC profile (iCCP)
// becomes the profile item and, when colour management is asked for, converts the pixels (or
// the palette) to sRGB.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/color_management.h"
#include "platform/gdiplus/codecs/frame_tools.h"
#include "platform/gdiplus/codecs/memory_read.h"
#include "platform/gdiplus/codecs/png/png_data_census.h"
#include "platform/gdiplus/codecs/png/png_errors.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr png_uint_32 kMaxChunkBytes = 64u << 20;

struct MemoryReader {
  Bytes data;
  size_t position = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (length > reader->data.size() - reader->position) png_error(png, "truncated");
  std::memcpy(out, reader->data.data() + reader->position, length);
  reader->position += length;
}


// libpng checks a chunk's length against the chunk limit, but for ancillary chunks a length over
// it is only a warning, after which the chunk's handler still allocates the claimed length
// before reading it. The variable-length ancillary chunks this reader never uses are therefore
// skipped unread (without an allocation), and the chunks libpng keeps are bounded in number.
void LimitChunks(png_structp png) {
  static constexpr png_byte kUnusedChunks[] = "tEXt\0zTXt\0iTXt\0sPLT\0pCAL\0sCAL\0eXIf\0hIST";
  constexpr int kUnusedChunkCount = 8;
  constexpr png_uint_32 kMaxKeptChunks = 256;
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_set_chunk_cache_max(png, kMaxKeptChunks);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kUnusedChunks, kUnusedChunkCount);
}

// Everything the decode builds lives here, outside the function that holds the jump buffer, so a
// libpng error unwinds only plain locals.
struct PngDecode {
  DecodeBudget budget;
  Frame frame;
  std::vector<png_bytep> rows;
  std::vector<ARGB> greyPalette;
  std::vector<uint8_t> profile;
  Status status = GenericError;
};

PixelFormat ChooseFormat(png_structp png, png_infop info, Frame& frame) {
  const int colour = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  const bool wide = depth == 16;  // 16-bit samples are kept whole: the platform's wide channels use the full range
  if (colour == PNG_COLOR_TYPE_PALETTE) {
    if (depth == 2) png_set_packing(png);
    return depth == 1 ? PixelFormat1bppIndexed : depth == 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed;
  }
  if (colour == PNG_COLOR_TYPE_GRAY && depth <= 8 && !hasTrns) {
    if (depth == 2) png_set_packing(png);
    frame.palette = GreyPalette(size_t{1} << depth);
    return depth == 1 ? PixelFormat1bppIndexed : depth == 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed;
  }
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) {
    if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  const bool alpha = (colour & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;
  if (hasTrns) png_set_tRNS_to_alpha(png);
  png_set_bgr(png);
  if (wide) png_set_swap(png);
  if (wide) return alpha ? PixelFormat64bppARGB : PixelFormat48bppRGB;
  return alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
}

void ReadPalette(png_structp png, png_infop info, Frame& frame) {
  png_colorp entries = nullptr;
  int count = 0;
  png_get_PLTE(png, info, &entries, &count);
  png_bytep alpha = nullptr;
  int alphaCount = 0;
  png_color_16p unused = nullptr;
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_get_tRNS(png, info, &alpha, &alphaCount, &unused);
  const size_t capacity = size_t{1} << GetPixelFormatSize(frame.format);
  std::vector<ARGB> palette(capacity, 0xff000000u);
  for (int i = 0; i < count && static_cast<size_t>(i) < capacity; ++i) {
    const uint8_t a = i < alphaCount ? alpha[i] : 0xff;
    palette[i] = uint32_t{a} << 24 | uint32_t{entries[i].red} << 16 | uint32_t{entries[i].green} << 8 | entries[i].blue;
  }
  SetPalette(frame, std::move(palette));
}

void ReadResolutionAndFlags(png_structp png, png_infop info, Frame& frame) {
  const int colour = png_get_color_type(png, info);
  frame.imageFlags = (colour & PNG_COLOR_MASK_COLOR) ? ImageFlagsColorSpaceRGB : ImageFlagsColorSpaceGRAY;
  frame.imageFlags |= ImageFlagsHasRealPixelSize;
  if ((colour & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS))
    frame.imageFlags |= ImageFlagsHasAlpha | ImageFlagsHasTranslucent;
  png_uint_32 xppu = 0, yppu = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &xppu, &yppu, &unit) && unit == PNG_RESOLUTION_METER && xppu > 0 && yppu > 0) {
    frame.dpiX = static_cast<REAL>(xppu * 0.0254);
    frame.dpiY = static_cast<REAL>(yppu * 0.0254);
    frame.imageFlags |= ImageFlagsHasRealDPI;
  }
}

// libpng has already checked the profile against the image (its length and colour space).
std::vector<uint8_t> ReadIccProfile(png_structp png, png_infop info) {
  png_charp name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 length = 0;
  if (!png_get_iCCP(png, info, &name, &compression, &profile, &length) || !profile) return {};
  return std::vector<uint8_t>(profile, profile + length);
}

void RunDecode(png_structp png, png_infop info, PngDecode& d) {
  if (setjmp(png_jmpbuf(png))) return;
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  Frame& frame = d.frame;
  const PixelFormat format = ChooseFormat(png, info, frame);
  d.greyPalette = std::move(frame.palette);
  if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if ((d.status = NewFrame(d.budget, width, height, format, frame)) != Ok) return;
  d.status = GenericError;
  if (png_get_rowbytes(png, info) > static_cast<size_t>(frame.stride)) return;
  if (IsIndexedPixelFormat(format)) {
    if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE)
      ReadPalette(png, info, frame);
    else
      SetPalette(frame, std::move(d.greyPalette));
  }
  d.rows.resize(frame.height);
  for (INT y = 0; y < frame.height; ++y) d.rows[y] = RowOf(frame, y);
  png_read_image(png, d.rows.data());
  png_read_end(png, nullptr);
  ReadResolutionAndFlags(png, info, frame);
  d.profile = ReadIccProfile(png, info);
  d.status = Ok;
}

}  // namespace

Status DecodePng(Bytes data, DecodedImage& out, const DecodeOptions& options) {
  if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) return UnknownImageFormat;
  // Image data too short for the rows claimed is refused before the picture's memory is taken.
  if (!PngDataCanHoldItsRows(MemoryRead(data), data.size())) return GenericError;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngJumpOnError, PngIgnoreWarning);
  if (!png) return OutOfMemory;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return OutOfMemory;
  }
  MemoryReader reader{data, 0};
  png_set_read_fn(png, &reader, ReadFromMemory);
  LimitChunks(png);
  auto decode = std::make_unique<PngDecode>();
  RunDecode(png, info, *decode);
  png_destroy_read_struct(&png, &info, nullptr);
  if (decode->status != Ok) return decode->status;
  if (options.applyEmbeddedProfile) ConvertFrameToSrgb(decode->frame, decode->profile);
  AddProfileItem(decode->frame, decode->profile, decode->budget);
  out.frames.clear();
  out.frames.push_back(std::move(decode->frame));
  out.rawFormat = ImageFormatPNG;
  out.dimension = FrameDimensionPage;
  return Ok;
}

}  // namespace vx::gdiplus::codecs
