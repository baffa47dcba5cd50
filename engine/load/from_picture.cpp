// Images from picture objects, the clipboard and metafile files.
#include <algorithm>
#include <cstring>

#include "engine/image_access.h"
#include "engine/image_graphics.h"
#include "engine/image_store.h"
#include "engine/handles/images_from_handles.h"
#include "engine/load/from_memory.h"
#include "engine/load/loader.h"
#include "engine/handles/packed_dib.h"
#include "engine/routines/shared_routines.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/metafile.h"
#include "platform/kernel/global_memory.h"
#include "platform/user/user.h"

namespace vx::engine {

using namespace vx::gdiplus;

namespace {

constexpr ARGB kOpaqueWhite = 0xFFFFFFFFu;
constexpr int16_t kTwipsPerInch = 1440;

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

// A metafile image drawn on opaque white into a new bitmap of its size and resolution; the
// metafile image is released whatever happens.
VexiroStatus RasteriseMetafile(int32_t metafileId, int32_t& id) {
  id = 0;
  int32_t width = 0, height = 0;
  float hdpi = 0, vdpi = 0;
  VexiroStatus s = GetImageWidth(metafileId, width);
  if (s == vexiro::OK) s = GetImageHeight(metafileId, height);
  GetImageHorizontalResolution(metafileId, hdpi);
  GetImageVerticalResolution(metafileId, vdpi);
  ScopedImage made;
  if (s == vexiro::OK) s = CreateImageFromScan0(width, height, 0, PixelFormat32bppRGB, 0, *made.put(), false);
  GpGraphics* graphics = nullptr;
  if (s == vexiro::OK) s = GetImageGraphics(made.get(), graphics);
  if (s == vexiro::OK) {
    GdipGraphicsClear(graphics, kOpaqueWhite);
    s = ToStatus(GdipDrawImageRectI(graphics, GetGpImage(metafileId), 0, 0, width, height));
    GdipDeleteGraphics(graphics);
  }
  ReleaseImage(metafileId);
  if (s != vexiro::OK) return s;
  if (hdpi > 0 && vdpi > 0) SetImageResolution(made.get(), hdpi, vdpi, true);
  id = made.Keep();
  return vexiro::OK;
}

int16_t ToInt16(LONG value) { return static_cast<int16_t>(std::clamp<LONG>(value, 0, INT16_MAX)); }

// A Windows metafile carries no size of its own: the picture's extent becomes its frame.
VexiroStatus LoadWmfPicture(int32_t& id, HANDLE32 handle, ole::IPicture* picture) {
  LONG width = 0, height = 0;
  picture->get_Width(&width);
  picture->get_Height(&height);
  WmfPlaceableFileHeader placeable{};
  placeable.Key = kWmfPlaceableKey;
  placeable.BoundingBox = {0, 0, ToInt16(width), ToInt16(height)};
  placeable.Inch = kTwipsPerInch;
  int32_t metafile = 0;
  const VexiroStatus s = CreateImageFromWmfHandle(handle, false, &placeable, metafile);
  if (s != vexiro::OK) return s;
  return RasteriseMetafile(metafile, id);
}

VexiroStatus LoadEmfPicture(int32_t& id, HANDLE32 handle) {
  int32_t metafile = 0;
  const VexiroStatus s = CreateImageFromEmfHandle(handle, false, metafile);
  if (s != vexiro::OK) return s;
  return RasteriseMetafile(metafile, id);
}

// A DIB on the clipboard is read where it lies; the clipboard keeps its block.
VexiroStatus LoadClipboardDib(int32_t& id) {
  const HGLOBAL block = GetClipboardData(CF_DIB);
  const void* bytes = GlobalLock(block);
  if (!bytes) return vexiro::GenericError;
  const VexiroStatus s = CreateImageFromPackedDIBBlock(bytes, GlobalSize(block), id);
  GlobalUnlock(block);
  return s;
}

// The clipboard's handle as a picture that does not own it.
VexiroStatus LoadClipboardPicture(int32_t& id, const ole::PICTDESC& desc) {
  ole::ComPtr<ole::IPicture> picture;
  if (ole::OleCreatePictureIndirect(&desc, ole::IID_IPicture, 0, picture.put()) != 0) return vexiro::GenericError;
  return LoadImageFromPicture(id, picture.get());
}

VexiroStatus LoadClipboardMetafilePicture(int32_t& id) {
  const HGLOBAL block = GetClipboardData(CF_METAFILEPICT);
  const void* bytes = GlobalLock(block);
  if (!bytes) return vexiro::GenericError;
  METAFILEPICT pict{};
  const bool whole = GlobalSize(block) >= sizeof pict;
  if (whole) std::memcpy(&pict, bytes, sizeof pict);
  GlobalUnlock(block);
  if (!whole) return vexiro::GenericError;
  ole::PICTDESC desc;
  desc.picType = ole::PICTYPE_METAFILE;
  desc.handle = pict.hMF;
  desc.xExt = pict.xExt;
  desc.yExt = pict.yExt;
  return LoadClipboardPicture(id, desc);
}

VexiroStatus LoadClipboardFormat(int32_t& id, UINT format) {
  OpenedClipboard clipboard;
  if (!clipboard.IsOpen()) return vexiro::GenericError;
  if (format == CF_DIB) return LoadClipboardDib(id);
  if (format == CF_METAFILEPICT) return LoadClipboardMetafilePicture(id);
  // A bitmap, or a palette that colours the bitmap beside it.
  ole::PICTDESC desc;
  desc.cbSizeofstruct = 16;
  desc.picType = ole::PICTYPE_BITMAP;
  desc.handle = GetClipboardData(CF_BITMAP);
  desc.hpal = GetClipboardData(CF_PALETTE);
  return LoadClipboardPicture(id, desc);
}

}  // namespace

VexiroStatus LoadImageFromPicture(int32_t& id, ole::IPicture* picture) {
  id = 0;
  if (!picture) return vexiro::InvalidParameter;
  int16_t type = ole::PICTYPE_NONE;
  HANDLE32 handle = 0, palette = 0;
  picture->get_Type(&type);
  picture->get_Handle(&handle);
  switch (type) {
    case ole::PICTYPE_BITMAP:
      picture->get_hPal(&palette);
      return CreateImageFromBitmapHandle(handle, palette, id);
    case ole::PICTYPE_ICON:
      return CreateImageFromIconHandle(handle, id);
    case ole::PICTYPE_METAFILE:
      return LoadWmfPicture(id, handle, picture);
    case ole::PICTYPE_ENHMETAFILE:
      return LoadEmfPicture(id, handle);
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

VexiroStatus LoadImageFromMetafile(int32_t& id, const std::string& path, float scaleBy) {
  id = 0;
  const std::string cleaned = NormalizePath(path);
  if (cleaned.empty() || GetExistingFilePath(cleaned).empty()) return vexiro::FileNotFound;
  return CreateImageFromMetafileFile(cleaned, scaleBy, id);
}

}  // namespace vx::engine
