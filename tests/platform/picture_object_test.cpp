#include <gtest/gtest.h>

#include <vector>

#include "metafile_test_builders.h"
#include "platform/gdi/gdi.h"
#include "platform/ole/picture.h"

namespace vx::ole {
namespace {

struct Released {
  void operator()(IPicture* p) const {
    if (p) p->Release();
  }
};
using PicturePtr = std::unique_ptr<IPicture, Released>;

HRESULT Make(UINT type, HANDLE32 handle, BOOL own, PicturePtr& out, UINT size = sizeof(PICTDESC),
             const IID& iid = IID_IDispatch) {
  PICTDESC desc;
  desc.cbSizeofstruct = size;
  desc.picType = type;
  desc.handle = handle;
  if (type == PICTYPE_METAFILE) {
    desc.xExt = 5080;
    desc.yExt = 2540;
  }
  IPicture* raw = nullptr;
  const HRESULT hr = OleCreatePictureIndirect(&desc, iid, own, &raw);
  out.reset(raw);
  return hr;
}

LONG Width(IPicture* p) {
  LONG w = 0;
  EXPECT_EQ(p->get_Width(&w), S_OK);
  return w;
}

TEST(Picture, OwnsItsHandleOnlyWhenAsked) {
  for (BOOL own : {TRUE_, FALSE_}) {
    HBITMAP bitmap = CreateBitmap(96, 48, 1, 32, nullptr);
    PicturePtr picture;
    ASSERT_EQ(Make(PICTYPE_BITMAP, bitmap, own, picture, 16), S_OK);
    HANDLE32 handle = 0;
    int16_t type = 0;
    picture->get_Handle(&handle);
    picture->get_Type(&type);
    EXPECT_EQ(handle, bitmap);
    EXPECT_EQ(type, PICTYPE_BITMAP);
    EXPECT_EQ(Width(picture.get()), 2540) << "96 pixels at 96 dpi are one inch";
    LONG h = 0;
    picture->get_Height(&h);
    EXPECT_EQ(h, 1270);
    picture.reset();
    EXPECT_EQ(GetObjectType(bitmap), own ? 0u : OBJ_BITMAP);
    DeleteObject(bitmap);
  }
}

TEST(Picture, EveryHandleKind) {
  HBITMAP mask = CreateBitmap(32, 64, 1, 1, nullptr);  // monochrome icon: AND over XOR
  ICONINFO info;
  info.hbmMask = mask;
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  PicturePtr picture;
  ASSERT_EQ(Make(PICTYPE_ICON, icon, TRUE_, picture, 12), S_OK);
  EXPECT_EQ(Width(picture.get()), 847);
  picture.reset();
  EXPECT_EQ(DestroyIcon(icon), FALSE_) << "the picture destroyed it";

  const std::vector<uint8_t> emfBytes = metafile_test::EmfBuilder(100).Finish();
  HENHMETAFILE emf = SetEnhMetaFileBits(static_cast<UINT>(emfBytes.size()), emfBytes.data());
  ASSERT_EQ(Make(PICTYPE_ENHMETAFILE, emf, TRUE_, picture, 12), S_OK);
  EXPECT_EQ(Width(picture.get()), 1000) << "the frame, in hundredths of a millimetre";
  picture.reset();
  EXPECT_EQ(GetObjectType(emf), 0u);

  const std::vector<uint8_t> wmfBytes = metafile_test::WmfBuilder().Finish();
  HMETAFILE wmf = SetMetaFileBitsEx(static_cast<UINT>(wmfBytes.size()), wmfBytes.data());
  ASSERT_EQ(Make(PICTYPE_METAFILE, wmf, FALSE_, picture, 20), S_OK);
  EXPECT_EQ(Width(picture.get()), 5080);
  picture.reset();
  EXPECT_EQ(DeleteMetaFile(wmf), TRUE_);
}

TEST(Picture, RefusalsLeaveTheHandleWithTheCaller) {
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  PicturePtr picture;
  EXPECT_EQ(Make(PICTYPE_ICON, bitmap, TRUE_, picture), E_INVALIDARG) << "a bitmap is no icon";
  EXPECT_EQ(Make(PICTYPE_BITMAP, bitmap, TRUE_, picture, 12), E_INVALIDARG) << "too short for a bitmap";
  EXPECT_EQ(Make(PICTYPE_BITMAP, bitmap, TRUE_, picture, 64), E_INVALIDARG);
  EXPECT_EQ(Make(9, bitmap, TRUE_, picture), E_INVALIDARG);
  EXPECT_EQ(Make(PICTYPE_BITMAP, bitmap, TRUE_, picture, 20, MakeGuid(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11)), E_NOINTERFACE);
  EXPECT_EQ(picture, nullptr);
  EXPECT_EQ(GetObjectType(bitmap), OBJ_BITMAP);
  EXPECT_EQ(OleCreatePictureIndirect(nullptr, IID_IPicture, TRUE_, nullptr), E_POINTER);
  DeleteObject(bitmap);
}

TEST(Picture, InterfacesShareOneObjectAndTheTableHoldsIt) {
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  PicturePtr picture;
  ASSERT_EQ(Make(PICTYPE_BITMAP, bitmap, TRUE_, picture), S_OK);
  void* disp = nullptr;
  ASSERT_EQ(picture->QueryInterface(IID_IPictureDisp, &disp), S_OK);
  EXPECT_EQ(disp, picture.get());
  const HANDLE32 handle = RegisterPicture(picture.get());
  ASSERT_NE(handle, 0u);
  picture.reset();
  static_cast<IPicture*>(disp)->Release();
  EXPECT_EQ(GetObjectType(bitmap), OBJ_BITMAP) << "the table keeps the picture alive";
  {
    ComPtr<IPicture> found = FindPicture(handle);
    ASSERT_TRUE(found);
    HANDLE32 inner = 0;
    found->get_Handle(&inner);
    EXPECT_EQ(inner, bitmap);
  }
  EXPECT_EQ(RevokePicture(handle), TRUE_);
  EXPECT_FALSE(FindPicture(handle));
  EXPECT_EQ(GetObjectType(bitmap), 0u);
}

TEST(Picture, HandleDeletedBehindTheOwnersBackIsNotDeletedTwice) {
  // A host may delete an owned picture's bitmap itself and release the picture later: the second
  // deletion must not reach a newer object.
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  PicturePtr picture;
  ASSERT_EQ(Make(PICTYPE_BITMAP, bitmap, TRUE_, picture), S_OK);
  EXPECT_EQ(DeleteObject(bitmap), TRUE_);
  HBITMAP newer = CreateBitmap(4, 4, 1, 32, nullptr);
  picture.reset();
  EXPECT_EQ(GetObjectType(newer), OBJ_BITMAP);
  DeleteObject(newer);
}

}  // namespace
}  // namespace vx::ole
