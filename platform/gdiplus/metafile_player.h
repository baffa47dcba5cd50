// Playing a metafile image's records onto a cairo context.
#pragma once
#include <cairo.h>

#include "platform/gdiplus/metafile.h"

namespace vx::gdiplus {

class MetafileCanvas;

// Draws the metafile so that its frame fills `dest` (in the context's current user space),
// clipped to it. Records that do not fit their own size are skipped; the rest still play.
void PlayMetafile(const GpMetafile& metafile, cairo_t* cr, const GpRectF& dest, cairo_filter_t imageFilter);

// The two record decoders behind PlayMetafile.
void PlayEmfRecords(const GpMetafile& metafile, MetafileCanvas& canvas);
void PlayWmfRecords(const GpMetafile& metafile, MetafileCanvas& canvas);

}  // namespace vx::gdiplus
