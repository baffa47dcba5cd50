// Images made from GDI handles, and GDI handles made from images.
#pragma once
#include <cstdint>

#include "engine/vexiro_status.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {

// The pixels are copied; the handles stay the caller's.
VexiroStatus CreateImageFromIconHandle(HICON icon, int32_t& id);
VexiroStatus CreateImageFromBitmapHandle(HBITMAP bitmap, HPALETTE palette, int32_t& id);

// The caller owns the handle made.
VexiroStatus CreateHBITMAPFromImage(int32_t id, HBITMAP& bitmap, gdiplus::ARGB background);
VexiroStatus CreateHICONFromImage(int32_t id, HICON& icon);

}  // namespace vx::engine
