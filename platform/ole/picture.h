// OLE picture objects over GDI handles (bitmap, icon, Windows or enhanced metafile), and the
// table through which pictures cross the library's interface as 32-bit handles.
#pragma once
#include <cstdint>
#include <string>

#include "platform/kernel/win_types.h"
#include "platform/ole/istream.h"

namespace vx::ole {

constexpr int16_t PICTYPE_UNINITIALIZED = -1;
constexpr int16_t PICTYPE_NONE = 0;
constexpr int16_t PICTYPE_BITMAP = 1;
constexpr int16_t PICTYPE_METAFILE = 2;
constexpr int16_t PICTYPE_ICON = 3;
constexpr int16_t PICTYPE_ENHMETAFILE = 4;

// The picture description, laid out as callers fill it: 16 bytes for a bitmap (with its palette),
// 20 for a metafile (with its extent in HIMETRIC), 12 for an icon or an enhanced metafile.
struct PICTDESC {
  UINT cbSizeofstruct = sizeof(PICTDESC);
  UINT picType = PICTYPE_NONE;
  HANDLE32 handle = 0;  // HBITMAP, HMETAFILE, HICON or HENHMETAFILE by picType
  union {
    HANDLE32 hpal = 0;  // bitmaps
    LONG xExt;          // metafiles
  };
  LONG yExt = 0;  // metafiles
};
static_assert(sizeof(PICTDESC) == 20);

inline constexpr IID IID_IUnknown = MakeGuid(0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
inline constexpr IID IID_IDispatch = MakeGuid(0x00020400, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
inline constexpr IID IID_IPicture = MakeGuid(0x7BF80980, 0xBF32, 0x101A, 0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB);
inline constexpr IID IID_IPictureDisp = MakeGuid(0x7BF80981, 0xBF32, 0x101A, 0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB);

// One object answers for IPicture, IPictureDisp, IDispatch and IUnknown.
class IPicture : public IUnknown {
 public:
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual HRESULT get_Handle(HANDLE32* handle) = 0;
  virtual HRESULT get_hPal(HANDLE32* palette) = 0;
  virtual HRESULT get_Type(int16_t* type) = 0;
  virtual HRESULT get_Width(LONG* himetric) = 0;
  virtual HRESULT get_Height(LONG* himetric) = 0;
};

// A picture over the handle of the described type. With own set the picture deletes the
// handle when its last reference goes; on failure the caller keeps the handle. A handle that is
// not of the described type, or a description too short for it, answers E_INVALIDARG.
HRESULT OleCreatePictureIndirect(const PICTDESC* desc, const IID& iid, BOOL own, IPicture** picture);

// Writes an icon picture to an icon file: one image of the icon's size in 32-bit colour with its
// mask. E_INVALIDARG for a picture that is not an icon, E_NOTIMPL for a monochrome icon; a write
// that fails leaves no file.
HRESULT SaveIconPictureFile(IPicture* picture, const std::string& path);

// The picture table: a handle holds one reference until it is revoked.
HANDLE32 RegisterPicture(IPicture* picture);
ComPtr<IPicture> FindPicture(HANDLE32 handle);
BOOL RevokePicture(HANDLE32 handle);

}  // namespace vx::ole
