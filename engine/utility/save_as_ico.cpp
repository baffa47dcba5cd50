// The current image as a 32 x 32 icon file: written by the format plug-in's icon writer when the
// plug-in is there, else through the icon maker (GetIcon) and the platform's icon file.
#include <utility>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/plugin/savers.h"
#include "engine/plugin/seam.h"
#include "engine/handles/images_from_handles.h"
#include "platform/gdi/gdi.h"
#include "platform/ole/picture.h"
#include "processing/color/color_values.h"
#include "processing/draw/display.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

namespace {

constexpr int32_t kIconSide = 32;
// How near a pixel must come to the transparent colour: a scaled image blends its edges, so
// it is keyed more loosely than one taken pixel for pixel.
constexpr float kScaledThreshold = 80;
constexpr float kExactThreshold = 100;
constexpr int32_t kHighQualityBicubic = 7;

struct Size {
  int32_t width = 0, height = 0;
};

Size SizeOf(int32_t id) {
  Size size;
  GetImageWidth(id, size.width);
  GetImageHeight(id, size.height);
  return size;
}

// A new 32 x 32 ARGB image holding the whole source scaled to it.
VexiroStatus ScaledToIcon(int32_t source, const Size& size, ScopedImage& icon) {
  if (VexiroStatus s = CreateImageFromScan0(kIconSide, kIconSide, 0, vx::gdiplus::PixelFormat32bppARGB, 0,
                                            *icon.put(), false);
      s != OK)
    return s;
  return vx::draw::DrawImageRectHQ(icon.get(), source, {0, 0, kIconSide, kIconSide}, {0, 0, size.width, size.height},
                                   kHighQualityBicubic);
}

// Makes another image current for one call; the previous one is current again afterwards, also
// when the call raises.
class CurrentFor {
 public:
  CurrentFor(int32_t& current, int32_t id) : current_(current), previous_(std::exchange(current, id)) {}
  ~CurrentFor() { current_ = previous_; }
  CurrentFor(const CurrentFor&) = delete;
  CurrentFor& operator=(const CurrentFor&) = delete;

 private:
  int32_t& current_;
  int32_t previous_;
};

}  // namespace

VexiroStatus cImaging::SaveAsICO(const std::string& sFilePath, bool bTransparentColor, int32_t nTransparentColor) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  if (nNativeImage == 0) return nStat = GenericError;
  const Size size = SizeOf(nNativeImage);
  const bool exact = size.width == kIconSide && size.height == kIconSide;
  ScopedImage icon;
  if (IsVximgplugAvailable()) {
    const VexiroStatus made = exact ? ConvertImagePixelFormat(nNativeImage, vx::gdiplus::PixelFormat32bppARGB, true,
                                                              *icon.put())
                                    : ScaledToIcon(nNativeImage, size, icon);
    if (made != OK) return nStat = made;
    if (bTransparentColor) {
      vx::processing::cColor colour;
      colour.FromRGBColor(nTransparentColor);
      const CurrentFor keyed(nNativeImage, icon.get());
      SetTransparencyColorEx(colour.GetValue(), exact ? kExactThreshold : kScaledThreshold);
    }
    return nStat = SaveAsICOFile(icon.get(), sFilePath);
  }
  // Without the plug-in the icon maker keys the colour and writes the file; an image with one
  // side of 32 gives its top-left corner as it is.
  if (size.width != kIconSide && size.height != kIconSide) {
    if (VexiroStatus s = ScaledToIcon(nNativeImage, size, icon); s != OK) return nStat = s;
  }
  vx::ole::ComPtr<vx::ole::IPicture> picture;
  if (VexiroStatus s = GetImagePicture(icon.get() != 0 ? icon.get() : nNativeImage, picture); s != OK)
    return nStat = s;
  uint32_t handle = vx::ole::RegisterPicture(picture.get());
  nStat = OK;
  const vx::HICON made = static_cast<vx::HICON>(GetIcon(handle, sFilePath, bTransparentColor ? nTransparentColor : -1));
  vx::ole::RevokePicture(handle);
  if (made == 0) return nStat = GenericError;
  vx::DestroyIcon(made);
  // GetIcon leaves the status of writing the file.
  return nStat;
}

}  // namespace vexiro
