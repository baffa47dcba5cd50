// A 32 x 32 icon from the top-left corner of a bitmap picture, with one colour made transparent.
#include "engine/routines/shared_routines.h"
#include "platform/gdi/gdi.h"
#include "platform/ole/ole.h"
#include "platform/ole/picture.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

namespace {

constexpr int kIconSide = 32;

// A memory context with one bitmap selected, given back and deleted when it goes.
class ContextWith {
 public:
  explicit ContextWith(vx::HBITMAP bitmap)
      : dc_(vx::CreateCompatibleDC(0)), previous_(dc_ ? vx::SelectObject(dc_, bitmap) : 0) {}
  ~ContextWith() {
    if (previous_) vx::SelectObject(dc_, previous_);
    if (dc_) vx::DeleteDC(dc_);
  }
  ContextWith(const ContextWith&) = delete;
  ContextWith& operator=(const ContextWith&) = delete;
  vx::HDC get() const { return dc_; }
  explicit operator bool() const { return previous_ != 0; }

 private:
  vx::HDC dc_;
  vx::HGDIOBJ previous_;
};

struct BitmapOwner {
  vx::HBITMAP handle;
  ~BitmapOwner() {
    if (handle) vx::DeleteObject(handle);
  }
};

// The mask's set bits mark the pixels of the transparent colour; those pixels turn black in the
// colour bitmap, as an icon's AND mask expects.
void MaskColour(vx::HDC colour, vx::HBITMAP mask, vx::COLORREF transparent) {
  ContextWith maskDC(mask);
  const vx::COLORREF background = vx::SetBkColor(colour, transparent);
  vx::BitBlt(maskDC.get(), 0, 0, kIconSide, kIconSide, colour, 0, 0, vx::SRCCOPY);
  vx::SetBkColor(colour, background);
  BitmapOwner inverted{vx::CreateBitmap(kIconSide, kIconSide, 1, 1, nullptr)};
  ContextWith invertedDC(inverted.handle);
  vx::BitBlt(invertedDC.get(), 0, 0, kIconSide, kIconSide, maskDC.get(), 0, 0, vx::NOTSRCCOPY);
  vx::BitBlt(colour, 0, 0, kIconSide, kIconSide, invertedDC.get(), 0, 0, vx::SRCAND);
}

// The icon file through a picture object over the icon, which leaves the icon to the caller.
VexiroStatus WriteIconFile(vx::HICON icon, const std::string& path) {
  vx::ole::PICTDESC description;
  description.cbSizeofstruct = 12;
  description.picType = vx::ole::PICTYPE_ICON;
  description.handle = icon;
  vx::ole::ComPtr<vx::ole::IPicture> picture;
  if (vx::FAILED(vx::ole::OleCreatePictureIndirect(&description, vx::ole::IID_IPicture, vx::FALSE_, picture.put())))
    return GenericError;
  const vx::HRESULT saved = vx::ole::SaveIconPictureFile(picture.get(), path);
  if (saved == vx::ole::STG_E_ACCESSDENIED) return AccessDenied;
  return vx::SUCCEEDED(saved) ? OK : GenericError;
}

}  // namespace

// The caller owns the returned icon and destroys it. The icon file holds exactly what the handle
// shows; its status is left for GetStat.
int32_t cImaging::GetIcon(uint32_t& oInputPicture, const std::string& sFileDest, int32_t nRGBTransparentColor) {
  if (RefusesCutPath(sFileDest)) return 0;
  const vx::ole::ComPtr<vx::ole::IPicture> picture = vx::ole::FindPicture(oInputPicture);
  int16_t type = 0;
  vx::HANDLE32 source = 0;
  if (!picture || vx::FAILED(picture->get_Type(&type)) || type != vx::ole::PICTYPE_BITMAP ||
      vx::FAILED(picture->get_Handle(&source)))
    return 0;
  vx::BITMAP info;
  if (vx::GetObject(source, sizeof info, &info) == 0) return 0;
  BitmapOwner mask{vx::CreateBitmap(kIconSide, kIconSide, 1, 1, nullptr)};
  BitmapOwner colour{0};
  {
    ContextWith pictureDC(static_cast<vx::HBITMAP>(source));
    if (!pictureDC) return 0;
    colour.handle = vx::CreateCompatibleBitmap(pictureDC.get(), kIconSide, kIconSide);
    ContextWith colourDC(colour.handle);
    if (!colourDC || !mask.handle) return 0;
    vx::BitBlt(colourDC.get(), 0, 0, info.bmWidth, info.bmHeight, pictureDC.get(), 0, 0, vx::SRCCOPY);
    if (nRGBTransparentColor != -1)
      MaskColour(colourDC.get(), mask.handle, static_cast<vx::COLORREF>(nRGBTransparentColor));
  }
  vx::ICONINFO icon;
  icon.hbmMask = mask.handle;
  icon.hbmColor = colour.handle;
  const vx::HICON handle = vx::CreateIconIndirect(&icon);
  if (handle != 0 && !sFileDest.empty()) nStat = WriteIconFile(handle, NormalizePath(sFileDest));
  return static_cast<int32_t>(handle);
}

}  // namespace vexiro
