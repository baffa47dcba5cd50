// Images made from GDI handles, and GDI handles made from images.
#pragma once
#include <cstdint>
#include <string>

#include "engine/vexiro_status.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdiplus/gdiplus_types.h"
#include "platform/ole/picture.h"

namespace vx::gdiplus {
struct WmfPlaceableFileHeader;
}

namespace vx::engine {

// The pixels are copied; the handles stay the caller's.
VexiroStatus CreateImageFromIconHandle(HICON icon, int32_t& id);
VexiroStatus CreateImageFromBitmapHandle(HBITMAP bitmap, HPALETTE palette, int32_t& id);

// Metafile handles become metafile images. With deleteHandle the image takes the handle over
// and deletes it when released; on failure the caller keeps it.
VexiroStatus CreateImageFromWmfHandle(HMETAFILE metafile, bool deleteHandle,
                                      const gdiplus::WmfPlaceableFileHeader* placeable, int32_t& id);
VexiroStatus CreateImageFromEmfHandle(HENHMETAFILE metafile, bool deleteHandle, int32_t& id);
// A metafile file rasterised into a 32bppARGB bitmap of its size times `scale` (rounded half to
// even); whatever was made is released again on failure.
VexiroStatus CreateImageFromMetafileFile(const std::string& path, float scale, int32_t& id);

// The caller owns the handle made.
VexiroStatus CreateHBITMAPFromImage(int32_t id, HBITMAP& bitmap, gdiplus::ARGB background);
VexiroStatus CreateHICONFromImage(int32_t id, HICON& icon);

// A picture object (answering for IDispatch) that owns a bitmap copy of the image.
// InvalidParameter for an unknown identifier; otherwise the status of making the bitmap.
VexiroStatus GetImagePicture(int32_t id, ole::ComPtr<ole::IPicture>& picture);

// Puts a copy of the image on the process-wide clipboard as a bitmap (format 2), replacing its
// contents. InvalidParameter for an unknown identifier; GenericError when the clipboard is held
// by another thread.
VexiroStatus CopyImageToClipboard(int32_t id);

}  // namespace vx::engine
