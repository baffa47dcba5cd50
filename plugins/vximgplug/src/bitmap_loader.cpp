#include "bitmap_loader.h"

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "bilevel_bitmap.h"
#include "exr_reader.h"
#include "fax_g3_reader.h"
#include "header_dimensions.h"
#include "isolated_load.h"
#include "file_io.h"
#include "format_numbers.h"
#include "helper_requests.h"
#include "jbig_codec.h"
#include "jpeg_file_markers.h"
#include "jpeg_row_decoder.h"
#include "tiff_file_tags.h"
#include "tiff_row_decoder.h"
#include "../vximgplug.h"
#include "platform/input_limits.h"
#include "platform/kernel/regular_file.h"

namespace vximgplug {
namespace {

constexpr uint64_t kMaxCodedBytes = vx::limits::kMaxRawCodedBytes;

// A format whose loader would read a file that plainly holds another format: refused, since
// the loaders of formats without signatures trust whatever bytes they get.
bool ContentContradicts(FREE_IMAGE_FORMAT wanted, const std::string& path) {
  const FREE_IMAGE_FORMAT found = FreeImage_GetFileType(path.c_str(), 0);
  if (found == FIF_UNKNOWN || found == wanted) return false;
  if (IsPortableAnymap(found) && IsPortableAnymap(wanted)) return false;
  return wanted != FIF_RAW;  // camera raw files often look like TIFF
}

// In the helper, like every call into FreeImage's loaders: the header alone is read
// first where the format allows it, so that an absurd size is refused before allocation.
bool HeaderSizeAcceptable(FREE_IMAGE_FORMAT fif, const std::string& path, int flags) {
  if (!ClaimedSizeAcceptable(fif, path)) return false;
  if (!FreeImage_FIFSupportsNoPixels(fif)) return true;
  FIBITMAP* header = FreeImage_Load(fif, path.c_str(), flags | FIF_LOAD_NOPIXELS);
  if (!header) return false;
  const bool ok = DimensionsAcceptable(FreeImage_GetWidth(header), FreeImage_GetHeight(header));
  FreeImage_Unload(header);
  return ok;
}

// In the helper, for the file it decodes now (reset for each): whether a read found nothing left,
// and how many reads came short.
thread_local bool t_readFoundNothing = false;
thread_local int t_readsAtEnd = 0;

// In the helper: a decoder that keeps reading past the end of the file is looping on a truncated
// file, and the helper gives up at once (and is replaced) instead of waiting for the time limit.
unsigned DLL_CALLCONV ReadOrGiveUp(void* buffer, unsigned size, unsigned count, fi_handle handle) {
  int& readsAtEnd = t_readsAtEnd;
  constexpr int kReadsAtEndAllowed = 64;
  const unsigned n = StdioCallbacks()->read_proc(buffer, size, count, handle);
  if (n == 0 && count > 0 && size > 0) t_readFoundNothing = true;
  if (n < count && ++readsAtEnd > kReadsAtEndAllowed) _exit(1);
  return n;
}

// Formats whose FreeImage loaders read their palette and pixels as stored, without noticing
// when the file ends first: they hand back a picture of zeros, which is no picture at all.
bool TrustsLengthBlindly(FREE_IMAGE_FORMAT fif) {
  switch (fif) {
    case FIF_ICO: case FIF_TARGA: case FIF_PCX: case FIF_RAS: case FIF_WBMP: case FIF_CUT: case FIF_DDS: return true;
    default: return false;
  }
}

// The colour space the file stores its samples in, which FreeImage's bitmap no longer tells (a
// YCbCr JPEG and an RGB one both give RGB pixels), as the custom tag the host reads.
void TakeStoredColourSpace(FIBITMAP* dib, vx::gdiplus::codecs::StoredColourSpace space) {
  const std::string_view name = vx::gdiplus::codecs::StoredColourSpaceName(space);
  if (name.empty()) return;
  const std::string value(name);
  FreeImage_SetMetadataKeyValue(FIMD_CUSTOM, dib, VXIMGPLUG_STORED_COLOR_SPACE_KEY, value.c_str());
}

// Tags FreeImage leaves out or garbles, read again from the file.
void TakeTagsPastFreeImage(FREE_IMAGE_FORMAT fif, FIBITMAP* dib, const std::string& path) {
  if (!dib) return;
  if (fif == FIF_TIFF) {
    TakeTagsFromTiffDirectory(dib, path, 0);
    TakeStoredColourSpace(dib, TiffFileColourSpace(path));
  }
  if (fif == FIF_JPEG) {
    TakeMarkersFromJpegFile(dib, path);
    TakeStoredColourSpace(dib, JpegFileColourSpace(path));
  }
}

FIBITMAP* DecodeInHelper(FREE_IMAGE_FORMAT fif, const std::string& path, int32_t flags) {
  t_readFoundNothing = false;
  t_readsAtEnd = 0;
  if (fif == FIF_EXR) return DecodeExr(path);
  if (!HeaderSizeAcceptable(fif, path, flags)) return nullptr;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  FreeImageIO io = *StdioCallbacks();
  io.read_proc = ReadOrGiveUp;
  FIBITMAP* dib = FreeImage_LoadFromHandle(fif, &io, file, flags);
  std::fclose(file);
  if (dib && t_readFoundNothing && TrustsLengthBlindly(fif)) {
    FreeImage_Unload(dib);
    return nullptr;
  }
  TakeTagsPastFreeImage(fif, dib, path);
  return dib;
}

using RowDecoder = DirectRows (*)(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                                  RowStream& rows);

// In the helper: a file loaded with the default flags is described by FreeImage (size,
// depth, resolution, profile and tags, as its full load reads them) and its rows are decoded
// straight into the stream to the host by `rows`.
DirectDecode DecodedDirectly(FREE_IMAGE_FORMAT fif, const std::string& path, int32_t flags, RowDecoder rows) {
  if (!ClaimedSizeAcceptable(fif, path)) return {};
  FIBITMAP* header = FreeImage_Load(fif, path.c_str(), flags | FIF_LOAD_NOPIXELS);
  if (!header) return {};
  if (!DimensionsAcceptable(FreeImage_GetWidth(header), FreeImage_GetHeight(header))) {
    FreeImage_Unload(header);
    return {};
  }
  TakeTagsPastFreeImage(fif, header, path);
  const uint32_t width = FreeImage_GetWidth(header), height = FreeImage_GetHeight(header);
  const uint32_t bpp = FreeImage_GetBPP(header);
  return {header, [path, width, height, bpp, rows](RowStream& stream) { return rows(path, width, height, bpp, stream); }};
}

// The default flags, or only those that keep CMYK samples as the file holds them.
RowDecoder DirectRowDecoder(FREE_IMAGE_FORMAT fif, int32_t flags) {
  if (fif == FIF_JPEG && (flags & ~JPEG_CMYK) == 0) return DecodeJpegRows;
  if (fif == FIF_TIFF && (flags & ~TIFF_CMYK) == 0) return DecodeTiffRows;
  return nullptr;
}

FIBITMAP* LoadThroughFreeImage(int32_t format, const std::string& path, int32_t flags) {
  const FREE_IMAGE_FORMAT fif = ToFreeImageFormat(format);
  if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(fif)) return nullptr;
  if (ContentContradicts(fif, path)) return nullptr;
  const SourceFile source(path);
  HelperRequest request;
  request.kind = RequestKind::kFile;
  request.format = format;
  request.flags = flags;
  return LoadInHelper(EncodeRequest(request), source.get(), LoadsTopRowFirst(format));
}

FIBITMAP* LoadWhole(const std::string& path, FIBITMAP* (*decode)(std::vector<uint8_t>)) {
  auto bytes = ReadWholeFile(path, kMaxCodedBytes);
  return bytes ? decode(std::move(*bytes)) : nullptr;
}

FIBITMAP* DecodeG3Bytes(std::vector<uint8_t> bytes) { return DecodeRawG3(bytes); }

}  // namespace

bool ServeFileLoad(const HelperRequest& request, const std::string& path, int reply) {
  const FREE_IMAGE_FORMAT fif = ToFreeImageFormat(request.format);
  if (fif == FIF_UNKNOWN) return false;
  std::function<DirectDecode()> direct;
  if (const RowDecoder rows = DirectRowDecoder(fif, request.flags)) direct = [&, rows] { return DecodedDirectly(fif, path, request.flags, rows); };
  return SendDecoded(reply, [&] { return DecodeInHelper(fif, path, request.flags); }, direct);
}

bool BitmapSizeAcceptable(FIBITMAP* dib) {
  return dib && FreeImage_HasPixels(dib) && DimensionsAcceptable(FreeImage_GetWidth(dib), FreeImage_GetHeight(dib));
}

LoadedBitmap LoadBitmapFile(int32_t format, const std::string& path, int32_t flags) {
  if (!IsNonEmptyRegularFile(path)) return {};
  FIBITMAP* dib = nullptr;
  if (format == kFormatJbig) {
    dib = LoadWhole(path, DecodeJbig);
  } else if (format == kFormatFaxG3) {
    dib = LoadWhole(path, DecodeG3Bytes);
  } else {
    dib = LoadThroughFreeImage(format, path, flags);
  }
  if (!BitmapSizeAcceptable(dib)) {
    UnloadBitmap(dib);
    return {};
  }
  // The rows of top-row-first formats already arrived in that order.
  return {dib, LoadsTopRowFirst(format)};
}

}  // namespace vximgplug
