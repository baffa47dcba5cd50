#include "platform/gdiplus/metafile_player.h"

#include "platform/gdiplus/metafile_canvas.h"

namespace vx::gdiplus {

void PlayMetafile(const GpMetafile& metafile, cairo_t* cr, const GpRectF& dest, cairo_filter_t imageFilter) {
  const MetafileFrame& f = metafile.frame;
  if (f.right <= f.left || f.bottom <= f.top || dest.Width == 0 || dest.Height == 0) return;
  MetafileCanvas canvas(cr, f.left, f.top, f.right, f.bottom, dest.X, dest.Y, dest.Width, dest.Height, metafile.dpiX,
                        metafile.dpiY, !metafile.enhanced, imageFilter);
  if (metafile.enhanced) {
    PlayEmfRecords(metafile, canvas);
  } else {
    PlayWmfRecords(metafile, canvas);
  }
}

}  // namespace vx::gdiplus
