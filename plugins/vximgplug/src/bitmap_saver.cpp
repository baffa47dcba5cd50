#include "bitmap_saver.h"

#include <optional>

#include "bilevel_bitmap.h"
#include "file_io.h"
#include "format_numbers.h"
#include "icon_writer.h"
#include "jbig_codec.h"
#include "jpeg_metadata_writer.h"
#include "jpeg2000_writer.h"
#include "tiff_jpeg_writer.h"

namespace vximgplug {
namespace {

constexpr int kFormatIco = 1;

bool WriteBytes(ReplacingFile& file, const std::vector<uint8_t>& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()) == bytes.size();
}

bool SaveJbig(Bitmap& bitmap, ReplacingFile& file) {
  auto bytes = EncodeJbig(bitmap.dib, bitmap.topRowFirst);
  return bytes && WriteBytes(file, *bytes);
}

bool SaveIcon(Bitmap& bitmap, ReplacingFile& file) {
  auto bytes = EncodeIcon(bitmap.dib, bitmap.topRowFirst);
  return bytes && WriteBytes(file, *bytes);
}

bool IsBilevel(FIBITMAP* dib) { return FreeImage_GetImageType(dib) == FIT_BITMAP && FreeImage_GetBPP(dib) == 1; }

// PBM (1 = black) and WBMP (1 = white) store the bits as they are and ignore the palette, so a
// bilevel bitmap of either palette order is first brought to the order the format means.
std::optional<bool> BitsMustMeanBlack(FREE_IMAGE_FORMAT fif) {
  if (fif == FIF_PBM || fif == FIF_PBMRAW) return true;
  if (fif == FIF_WBMP) return false;
  return std::nullopt;
}

bool SaveThroughFreeImage(int32_t format, Bitmap& bitmap, ReplacingFile& file, int flags) {
  const FREE_IMAGE_FORMAT fif = ToFreeImageFormat(format);
  if (fif == FIF_UNKNOWN || !FreeImage_FIFSupportsWriting(fif)) return false;
  const std::optional<bool> oneIsBlack = BitsMustMeanBlack(fif);
  if (oneIsBlack && IsBilevel(bitmap.dib)) {
    Bitmap normalised(BilevelForWriter(bitmap.dib, bitmap.topRowFirst, *oneIsBlack), false);
    return normalised.dib &&
           FreeImage_SaveToHandle(fif, normalised.dib, StdioCallbacks(), file.Stream(), flags) != FALSE;
  }
  BottomRowFirst upright(bitmap);
  if (fif == FIF_JPEG) return WriteJpegWithHostTags(bitmap.dib, file.Stream(), flags);
  const auto saveHere = [&] {
    return FreeImage_SaveToHandle(fif, bitmap.dib, StdioCallbacks(), file.Stream(), flags) != FALSE;
  };
  if (fif != FIF_TIFF) return saveHere();
  TiffPagesForHelper page(false);
  page.Add(bitmap.dib);
  return SaveTiffPages(page, flags, file, saveHere);
}

bool IsTiffJpeg(int32_t format, int flags) {
  return format == kFormatTiff && (flags & 0xFF00) == TIFF_JPEG;
}

bool Write(int32_t format, Bitmap& bitmap, ReplacingFile& file, int32_t flags) {
  const int translated = TranslateSaveFlags(format, flags);
  if (format == kFormatJbig) return SaveJbig(bitmap, file);
  if (format == kFormatIco) return SaveIcon(bitmap, file);
  if (format == kFormatJ2k || format == kFormatJp2) {
    return WriteJpeg2000(bitmap.dib, bitmap.topRowFirst, format == kFormatJp2, flags, file.Stream());
  }
  if (IsTiffJpeg(format, translated)) {
    file.CloseStream();
    return WriteTiffJpeg(bitmap.dib, bitmap.topRowFirst, TiffJpegQuality().load(), file.TemporaryPath());
  }
  return SaveThroughFreeImage(format, bitmap, file, translated);
}

}  // namespace

bool SaveTiffPages(TiffPagesForHelper& pages, int flags, ReplacingFile& file, const std::function<bool()>& saveHere) {
  switch (pages.WriteTo(flags, file.Stream())) {
    case HelperSave::kSaved: return true;
    case HelperSave::kFailed: return false;
    case HelperSave::kSaveHere: break;
  }
  return file.Restart() && saveHere();
}

bool SaveBitmapFile(int32_t format, Bitmap& bitmap, const std::string& path, int32_t flags) {
  if (!bitmap.dib || !FreeImage_HasPixels(bitmap.dib)) return false;
  ReplacingFile file(path);
  if (!file.IsOpen()) return false;
  return Write(format, bitmap, file, flags) && file.Commit();
}

}  // namespace vximgplug
