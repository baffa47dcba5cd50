// Bridges between imaging-platform bitmaps and GDI handles: bitmaps from HBITMAP, HICON and
// packed DIB memory, and HBITMAP / HICON made from bitmaps. Pixels are always copied, so the
// GDI object and the bitmap never share memory.
#pragma once
#include "platform/gdi/gdi_types.h"
#include "platform/gdiplus/image_object.h"

namespace vx::gdiplus {

// DIB sections keep their layout: 1/4/8 bits indexed with their colour table, 16 bits 5-5-5 or
// 5-6-5 by their masks, 24 bits RGB, 32 bits 32bppRGB; other masks become 32bppRGB. The palette
// applies to indexed bitmaps that are not DIB sections.
Status GdipCreateBitmapFromHBITMAP(HBITMAP hbm, HPALETTE hpal, GpBitmap** bitmap);

// A new 32-bit DIB section of the active frame, composited over the background colour (a
// transparent background keeps the alpha, premultiplied as GDI's alpha blending expects).
Status GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbm, ARGB background);

// 32bppARGB: alpha from a 32-bit colour bitmap when it carries any, else from the mask.
Status GdipCreateBitmapFromHICON(HICON icon, GpBitmap** bitmap);
// An icon with a 32-bit colour bitmap (straight alpha) and a mask set where alpha is below half.
Status GdipCreateHICONFromBitmap(GpBitmap* bitmap, HICON* icon);

// A bitmap from a BITMAPINFO and its pixel bits: biSize, biClrUsed, bit-field masks and row
// order are honoured; compressed layouts and inconsistent headers answer InvalidParameter.
Status GdipCreateBitmapFromGdiDib(const BITMAPINFO* info, void* bits, GpBitmap** bitmap);

}  // namespace vx::gdiplus
