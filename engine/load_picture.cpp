// Images from picture objects, the clipboard and metafile files.
#include <cstring>

#include "engine/image_store.h"
#include "engine/images_from_handles.h"
#include "engine/load_file.h"
#include "engine/packed_dib.h"
#include "engine/shared_routines.h"
#include "platform/kernel/global_memory.h"
#include "platform/user/user.h"

namespace vx::engine {

namespace {

constexpr int16_t kPictureBitmap = 1;
constexpr int16_t kPictureMetafile = 2;
constexpr int16_t kPictureIcon = 3;
constexpr int16_t kPictureEnhancedMetafile = 4;

// Holds the clipboard open for one read and closes it on every path.
class OpenedClipboard {
 public:
  OpenedClipboard() : open_(OpenClipboard(0) != 0) {}
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

// A DIB on the clipboard is read where it lies; the clipboard keeps its block.
VexiroStatus LoadClipboardDib(int32_t& id) {
  const HGLOBAL block = GetClipboardData(CF_DIB);
  const void* bytes = GlobalLock(block);
  if (!bytes) return vexiro::GenericError;
  const VexiroStatus s = CreateImageFromPackedDIBBlock(bytes, GlobalSize(block), id);
  GlobalUnlock(block);
  return s;
}

VexiroStatus LoadClipboardMetafilePicture(int32_t& id) {
  const HGLOBAL block = GetClipboardData(CF_METAFILEPICT);
  const void* bytes = GlobalLock(block);
  if (!bytes || GlobalSize(block) < sizeof(METAFILEPICT)) {
    if (bytes) GlobalUnlock(block);
    return vexiro::GenericError;
  }
  METAFILEPICT pict;
  std::memcpy(&pict, bytes, sizeof pict);
  GlobalUnlock(block);
  PictureObject picture;
  picture.Type = kPictureMetafile;
  picture.Handle = pict.hMF;
  picture.Width = pict.xExt;
  picture.Height = pict.yExt;
  return LoadImageFromPicture(id, &picture);
}

VexiroStatus LoadClipboardFormat(int32_t& id, UINT format) {
  OpenedClipboard clipboard;
  if (!clipboard.IsOpen()) return vexiro::GenericError;
  if (format == CF_DIB) return LoadClipboardDib(id);
  if (format == CF_METAFILEPICT) return LoadClipboardMetafilePicture(id);
  PictureObject picture;
  picture.Type = kPictureBitmap;
  picture.Handle = GetClipboardData(CF_BITMAP);
  picture.Palette = GetClipboardData(CF_PALETTE);
  return LoadImageFromPicture(id, &picture);
}

}  // namespace

VexiroStatus LoadImageFromPicture(int32_t& id, const PictureObject* picture) {
  id = 0;
  if (!picture) return vexiro::InvalidParameter;
  switch (picture->Type) {
    case kPictureBitmap:
      return CreateImageFromBitmapHandle(picture->Handle, picture->Palette, id);
    case kPictureIcon:
      return CreateImageFromIconHandle(picture->Handle, id);
    case kPictureMetafile:
    case kPictureEnhancedMetafile:
      // Metafile pictures are rasterised through the platform's metafile images, which this
      // build does not have yet.
      return vexiro::NotImplemented;
    default:
      return vexiro::InvalidParameter;
  }
}

VexiroStatus LoadImageFromClipboard(int32_t& id) {
  id = 0;
  for (const UINT format : {CF_DIB, CF_BITMAP, CF_PALETTE, CF_METAFILEPICT})
    if (IsClipboardFormatAvailable(format)) return LoadClipboardFormat(id, format);
  return vexiro::GenericError;
}

VexiroStatus LoadImageFromMetafile(int32_t& id, const std::string& path, float) {
  id = 0;
  const std::string cleaned = NormalizePath(path);
  if (cleaned.empty() || GetExistingFilePath(cleaned).empty()) return vexiro::FileNotFound;
  return vexiro::NotImplemented;
}

}  // namespace vx::engine
