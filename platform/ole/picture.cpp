#include "platform/ole/picture.h"

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/kernel/handle_table.h"
#include "platform/ole/com_object.h"

namespace vx::ole {
namespace {

constexpr double kHimetricPerInch = 2540.0;

LONG PixelsToHimetric(int32_t pixels) {
  return static_cast<LONG>(std::lround(pixels * kHimetricPerInch / kScreenDpi));
}

// Bytes of the description each type needs: through the handle, the palette or the extents.
UINT NeededSize(UINT type) {
  switch (type) {
    case PICTYPE_BITMAP: return 16;
    case PICTYPE_METAFILE: return 20;
    case PICTYPE_ICON:
    case PICTYPE_ENHMETAFILE: return 12;
    default: return 8;
  }
}

bool HandleIsOfType(HANDLE32 handle, UINT type) {
  switch (type) {
    case PICTYPE_BITMAP: return GetObjectType(handle) == OBJ_BITMAP;
    case PICTYPE_METAFILE: return GetObjectType(handle) == OBJ_METAFILE;
    case PICTYPE_ENHMETAFILE: return GetObjectType(handle) == OBJ_ENHMETAFILE;
    case PICTYPE_ICON: return gdi::Icons().Contains(handle);
    case PICTYPE_NONE: return handle == 0;
    default: return false;
  }
}

struct Size {
  LONG width = 0, height = 0;
};

Size MeasureHandle(const PICTDESC& d) {
  switch (d.picType) {
    case PICTYPE_BITMAP: {
      BITMAP bm{};
      GetObject(d.handle, sizeof bm, &bm);
      return {PixelsToHimetric(bm.bmWidth), PixelsToHimetric(bm.bmHeight)};
    }
    case PICTYPE_ICON: {
      auto icon = gdi::Icons().Find(d.handle);
      if (!icon) return {};
      const int32_t h = icon->color ? icon->mask.format.height : icon->mask.format.height / 2;
      return {PixelsToHimetric(icon->mask.format.width), PixelsToHimetric(h)};
    }
    case PICTYPE_METAFILE:
      return {d.xExt, d.yExt};
    case PICTYPE_ENHMETAFILE: {
      // The header's frame is already in hundredths of a millimetre.
      std::vector<BYTE> bytes(GetEnhMetaFileBits(d.handle, 0, nullptr));
      if (bytes.size() < 40 || GetEnhMetaFileBits(d.handle, static_cast<UINT>(bytes.size()), bytes.data()) == 0)
        return {};
      int32_t frame[4];
      std::memcpy(frame, bytes.data() + 24, sizeof frame);
      return {frame[2] - frame[0], frame[3] - frame[1]};
    }
    default:
      return {};
  }
}

void DeleteHandle(HANDLE32 handle, UINT type) {
  switch (type) {
    case PICTYPE_BITMAP: DeleteObject(handle); break;
    case PICTYPE_ICON: DestroyIcon(handle); break;
    case PICTYPE_METAFILE: DeleteMetaFile(handle); break;
    case PICTYPE_ENHMETAFILE: DeleteEnhMetaFile(handle); break;
  }
}

bool Answers(const IID& iid) {
  return iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IPicture || iid == IID_IPictureDisp;
}

class Picture : public RefCounted<IPicture> {
 public:
  Picture(const PICTDESC& desc, bool own, Size size)
      : type_(static_cast<int16_t>(desc.picType)),
        handle_(desc.handle),
        palette_(desc.picType == PICTYPE_BITMAP ? desc.hpal : 0),
        own_(own),
        size_(size) {}

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!Answers(iid)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IPicture*>(this);
    return S_OK;
  }
  HRESULT get_Handle(HANDLE32* handle) override { return Out(handle, handle_); }
  HRESULT get_hPal(HANDLE32* palette) override { return Out(palette, palette_); }
  HRESULT get_Type(int16_t* type) override { return Out(type, type_); }
  HRESULT get_Width(LONG* himetric) override { return Out(himetric, size_.width); }
  HRESULT get_Height(LONG* himetric) override { return Out(himetric, size_.height); }

 protected:
  ~Picture() override {
    if (own_ && handle_) DeleteHandle(handle_, static_cast<UINT>(type_));
  }

 private:
  template <class T>
  static HRESULT Out(T* out, T value) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
  }
  int16_t type_;
  HANDLE32 handle_;
  HANDLE32 palette_;
  bool own_;
  Size size_;
};

struct PictureEntry {
  ComPtr<IPicture> picture;
};

HandleTable<PictureEntry>& Pictures() {
  static HandleTable<PictureEntry> table(HandleKind::Picture);
  return table;
}

}  // namespace

HRESULT OleCreatePictureIndirect(const PICTDESC* desc, const IID& iid, BOOL own, IPicture** picture) {
  if (!picture) return E_POINTER;
  *picture = nullptr;
  PICTDESC empty;
  empty.picType = static_cast<UINT>(static_cast<int32_t>(PICTYPE_UNINITIALIZED));
  if (!desc) desc = &empty;
  const bool uninitialised = desc->picType == static_cast<UINT>(static_cast<int32_t>(PICTYPE_UNINITIALIZED));
  if (!uninitialised) {
    if (desc->cbSizeofstruct < NeededSize(desc->picType) || desc->cbSizeofstruct > sizeof(PICTDESC))
      return E_INVALIDARG;
    if (!HandleIsOfType(desc->handle, desc->picType)) return E_INVALIDARG;
  }
  // Checked before the object exists, so that a refusal never deletes the caller's handle.
  if (!Answers(iid)) return E_NOINTERFACE;
  try {
    *picture = new Picture(*desc, own != 0 && !uninitialised, uninitialised ? Size{} : MeasureHandle(*desc));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HANDLE32 RegisterPicture(IPicture* picture) {
  if (!picture) return 0;
  picture->AddRef();
  return Pictures().Insert(PictureEntry{ComPtr<IPicture>(picture)});
}

ComPtr<IPicture> FindPicture(HANDLE32 handle) {
  auto entry = Pictures().Find(handle);
  return entry ? entry->picture : ComPtr<IPicture>();
}

BOOL RevokePicture(HANDLE32 handle) { return Pictures().Remove(handle) ? TRUE_ : FALSE_; }

}  // namespace vx::ole
