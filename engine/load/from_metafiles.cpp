// Images from metafile handles and metafile files.
#include <cmath>

#include "engine/image_access.h"
#include "engine/image_graphics.h"
#include "engine/image_store.h"
#include "engine/handles/images_from_handles.h"
#include "engine/load/from_memory.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/metafile.h"
#include "platform/input_limits.h"

namespace vx::engine {

using namespace vx::gdiplus;

VexiroStatus CreateImageFromWmfHandle(HMETAFILE metafile, bool deleteHandle, const WmfPlaceableFileHeader* placeable,
                                      int32_t& id) {
  GpMetafile* image = nullptr;
  const Status s = GdipCreateMetafileFromWmf(metafile, deleteHandle ? 1 : 0, placeable, &image);
  return RegisterCreatedImage(s, image, KindGeneric, id);
}

VexiroStatus CreateImageFromEmfHandle(HENHMETAFILE metafile, bool deleteHandle, int32_t& id) {
  GpMetafile* image = nullptr;
  const Status s = GdipCreateMetafileFromEmf(metafile, deleteHandle ? 1 : 0, &image);
  return RegisterCreatedImage(s, image, KindGeneric, id);
}

namespace {

// Disposes of a metafile image whatever happens to the bitmap drawn from it.
struct MetafileHolder {
  GpMetafile* image = nullptr;
  ~MetafileHolder() {
    if (image) GdipDisposeImage(image);
  }
};

// The size scaled and rounded half to even; 0 when it does not fit.
int32_t ScaledSize(UINT size, float scale) {
  const double scaled = std::nearbyint(static_cast<double>(size) * scale);
  if (!std::isfinite(scaled) || scaled < 1 || scaled > 1 << 20) return 0;
  return static_cast<int32_t>(scaled);
}

}  // namespace

VexiroStatus CreateImageFromMetafileFile(const std::string& path, float scale, int32_t& id) {
  id = 0;
  MetafileHolder metafile;
  Status s = GdipCreateMetafileFromFile(path.c_str(), &metafile.image);
  if (s != Ok) return ToStatus(s);
  UINT w = 0, h = 0;
  s = GdipGetImageWidth(metafile.image, &w);
  if (s == Ok) s = GdipGetImageHeight(metafile.image, &h);
  if (s != Ok) return ToStatus(s);
  const int32_t width = ScaledSize(w, scale), height = ScaledSize(h, scale);
  if (width == 0 || height == 0) return vexiro::InvalidParameter;
  if (!vx::limits::ImageSizeAcceptable(width, height)) return vexiro::OutOfMemory;

  ScopedImage made;
  VexiroStatus vs = CreateImageFromScan0(width, height, 0, PixelFormat32bppARGB, 0, *made.put(), false);
  if (vs != vexiro::OK) return vs;
  GpGraphics* graphics = nullptr;
  vs = GetImageGraphics(made.get(), graphics, PixelFormat32bppARGB);
  if (vs == vexiro::OK) {
    vs = ToStatus(GdipDrawImageRectI(graphics, metafile.image, 0, 0, width, height));
    GdipDeleteGraphics(graphics);
  }
  if (vs != vexiro::OK) return vs;
  id = made.Keep();
  return vexiro::OK;
}

}  // namespace vx::engine
