// The engine's image-creating members: each runs one loader or creator, keeps its status and
// hands back the new identifier.
#include <cstring>
#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/handles/images_from_handles.h"
#include "engine/load/from_memory.h"
#include "engine/load/loader.h"
#include "engine/load/new_image_fill.h"
#include "engine/load/from_servers.h"
#include "devices/network/inet_session.h"
#include "engine/services.h"
#include "engine/handles/window_capture.h"
#include "platform/ole/stream_handles.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

int32_t cImaging::TakeLoadedImage(VexiroStatus status, const int32_t& id) {
  const int32_t taken = TakeDerivedImage(status, id);
  if (status == OK) nNativeImage = taken;
  return taken;
}

int32_t cImaging::TakeDerivedImage(VexiroStatus status, const int32_t& id) {
  // The clone creators register a record even when the platform failed.
  ScopedImage made(id);
  nStat = status;
  return status == OK ? made.Keep() : 0;
}

int32_t cImaging::CreateImageFromFile(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return 0;
  int32_t id = 0;
  const LoadOptions options{.UseColorManagement = false, .DisablePlugin = bDisableVximgplugCodecs,
                            .TiffReadOnly = bTiffOpenReadOnly, .GifReadOnly = bGifOpenReadOnly,
                            .AskForBlankPath = true};
  return TakeLoadedImage(LoadImageFromFile(id, sFilePath, options), id);
}

int32_t cImaging::CreateImageFromFileICM(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return 0;
  int32_t id = 0;
  const LoadOptions options{.UseColorManagement = true, .DisablePlugin = bDisableVximgplugCodecs,
                            .TiffReadOnly = bTiffOpenReadOnly, .GifReadOnly = bGifOpenReadOnly,
                            .AskForBlankPath = true};
  return TakeLoadedImage(LoadImageFromFile(id, sFilePath, options), id);
}

int32_t cImaging::CreateImageFromByteArray(BasicArray<uint8_t>& arBytes) {
  int32_t id = 0;
  const LoadOptions options{
      .UseColorManagement = false, .TiffReadOnly = bTiffOpenReadOnly, .GifReadOnly = bGifOpenReadOnly};
  return TakeLoadedImage(LoadImageFromByteArray(id, arBytes, options), id);
}

int32_t cImaging::CreateImageFromByteArrayICM(BasicArray<uint8_t>& arBytes) {
  int32_t id = 0;
  const LoadOptions options{
      .UseColorManagement = true, .TiffReadOnly = bTiffOpenReadOnly, .GifReadOnly = bGifOpenReadOnly};
  return TakeLoadedImage(LoadImageFromByteArray(id, arBytes, options), id);
}

int32_t cImaging::CreateImageFromString(const std::string& sImageString) {
  int32_t id = 0;
  const LoadOptions options{
      .UseColorManagement = false, .TiffReadOnly = bTiffOpenReadOnly, .GifReadOnly = bGifOpenReadOnly};
  return TakeLoadedImage(LoadImageFromString(id, sImageString, options), id);
}

int32_t cImaging::CreateImageFromStringICM(const std::string& sImageString) {
  int32_t id = 0;
  const LoadOptions options{
      .UseColorManagement = true, .TiffReadOnly = bTiffOpenReadOnly, .GifReadOnly = bGifOpenReadOnly};
  return TakeLoadedImage(LoadImageFromString(id, sImageString, options), id);
}

int32_t cImaging::CreateImageFromStream(uint32_t oStream) {
  int32_t id = 0;
  return TakeLoadedImage(LoadImageFromStream(id, vx::ole::LookupStream(oStream).get(), false), id);
}

int32_t cImaging::CreateImageFromStreamICM(uint32_t oStream) {
  int32_t id = 0;
  return TakeLoadedImage(LoadImageFromStream(id, vx::ole::LookupStream(oStream).get(), true), id);
}

int32_t cImaging::CreateImageFromClipboard() {
  int32_t id = 0;
  return TakeLoadedImage(LoadImageFromClipboard(id), id);
}

int32_t cImaging::CreateImageFromPicture(vx::ole::IPicture* oPicture) {
  int32_t id = 0;
  return TakeLoadedImage(LoadImageFromPicture(id, oPicture), id);
}

int32_t cImaging::CreateImageFromDIB(int32_t nDib) {
  int32_t id = 0;
  return TakeLoadedImage(CreateImageFromPackedDIB(id, static_cast<vx::HGLOBAL>(nDib), false, false), id);
}

int32_t cImaging::CreateImageFromGdiPlusImage(intptr_t nGdiPlusImage) {
  int32_t id = 0;
  return TakeLoadedImage(AdoptGdiPlusImage(id, reinterpret_cast<vx::gdiplus::GpImage*>(nGdiPlusImage)), id);
}

int32_t cImaging::CreateImageFromMetaFile(const std::string& sFilePath, float nScaleBy) {
  if (RefusesCutPath(sFilePath)) return 0;
  int32_t id = 0;
  return TakeLoadedImage(LoadImageFromMetafile(id, sFilePath, nScaleBy), id);
}

int32_t cImaging::CreateImageFromHBitmap(int32_t hBitmap) {
  int32_t id = 0;
  return TakeLoadedImage(CreateImageFromBitmapHandle(static_cast<vx::HBITMAP>(hBitmap), 0, id), id);
}

int32_t cImaging::CreateImageFromHICON(int32_t hicon) {
  int32_t id = 0;
  return TakeLoadedImage(CreateImageFromIconHandle(static_cast<vx::HICON>(hicon), id), id);
}

int32_t cImaging::CreateImageFromRawBits(int32_t nWidth, int32_t nHeight, int32_t nStride,
                                         EnumArg<PixelFormats> nPixelFormat,
                                         intptr_t nBits) {
  int32_t id = 0;
  const VexiroStatus s = CreateImageFromScan0(nWidth, nHeight, nStride,
                                              static_cast<vx::gdiplus::PixelFormat>(nPixelFormat), nBits, id, false);
  return TakeLoadedImage(s, id);
}

int32_t cImaging::CreateImageFromHwnd(int32_t hwnd) {
  int32_t id = 0;
  return TakeLoadedImage(CaptureWindowImage(static_cast<uint32_t>(hwnd), id), id);
}

int32_t cImaging::CreateNewImage(int32_t nWidth, int32_t nHeight, int16_t nBitDepth, EnumArg<Colors> nBackColor) {
  const vx::gdiplus::PixelFormat format = PixelFormatOfBitDepth(nBitDepth);
  if (format == 0) {
    nStat = InvalidParameter;
    return 0;
  }
  int32_t id = 0;
  if (TakeLoadedImage(CreateImageFromScan0(nWidth, nHeight, 0, format, 0, id, false), id) == 0) return 0;
  const auto colour = static_cast<vx::gdiplus::ARGB>(nBackColor);
  // New pixels start at 0: black below 32 bits, transparent black from 32 bits on. A fill that
  // fails leaves a usable image in that colour.
  if (colour != 0xFF000000u || nBitDepth >= 32) FillNewImage(id, colour);
  return id;
}

int32_t cImaging::CreateImageFromFTP(const std::string& sHost, const std::string& sPath, const std::string& sLogin,
                                     const std::string& sPassword, int32_t nFTPPort) {
  if (RefusesCutPath(sPath)) return 0;
  oInet = std::make_unique<cInet>();
  int32_t id = 0;
  const LoadOptions options{
      .DisablePlugin = bDisableVximgplugCodecs, .TiffReadOnly = bTiffOpenReadOnly, .GifReadOnly = bGifOpenReadOnly};
  const VexiroStatus s =
      LoadImageFromFTP(id, *oInet, sHost, sPath, sLogin, sPassword, nFTPPort, bFtpPassiveMode, options);
  oInet.reset();
  return TakeLoadedImage(s, id);
}

int32_t cImaging::CreateImageFromURL(const std::string& sHost, const std::string& sPath, int32_t nHTTPPort) {
  if (RefusesCutPath(sPath)) return 0;
  if (bInetBusy) return 0;
  bInetBusy = true;
  int32_t id = 0;
  VexiroStatus s = OK;
  try {
    oInet = std::make_unique<cInet>();
    const LoadOptions options{.TiffReadOnly = bTiffOpenReadOnly, .GifReadOnly = bGifOpenReadOnly};
    s = LoadImageFromURL(id, *oInet, sHost, sPath, nHTTPPort, nHttpTransferBufferSize, options);
  } catch (...) {
    // A host callback run by the read loop may throw; the flag must not stay set.
    oInet.reset();
    bInetBusy = false;
    throw;
  }
  oInet.reset();
  bInetBusy = false;
  return TakeLoadedImage(s, id);
}

int32_t cImaging::CreateClonedImage(int32_t nImageID) {
  int32_t id = 0;
  if (GetImageIndex(nImageID) < 0) return TakeDerivedImage(InvalidParameter, 0);
  SaveImageProperties(nImageID);
  const VexiroStatus s = CloneImage(id, nImageID);
  if (s == OK) RestoreImageProperties(id);
  return TakeDerivedImage(s, id);
}

int32_t cImaging::CreateClonedImageI(int32_t nImageID) {
  int32_t id = 0;
  return TakeDerivedImage(CopyImageToOwnMemory(nImageID, id), id);
}

int32_t cImaging::CreateClonedImageARGB(int32_t nImageID) {
  int32_t id = 0;
  return TakeDerivedImage(ConvertImagePixelFormat(nImageID, vx::gdiplus::PixelFormat32bppARGB, true, id), id);
}

int32_t cImaging::CreateClonedImageArea(int32_t nImageID, int32_t nSrcLeft, int32_t nSrcTop, int32_t nWidth,
                                        int32_t nHeight) {
  if (nImageID == 0) return TakeDerivedImage(GenericError, 0);
  int32_t id = 0;
  const VexiroStatus s =
      CloneImageArea(nSrcLeft, nSrcTop, nWidth, nHeight, GetImagePixelFormatValue(nImageID), nImageID, id);
  return TakeDerivedImage(s, id);
}

VexiroStatus cImaging::CreateImageFromMemory(intptr_t hMem, int32_t Length) {
  if (Length < 1 || hMem == 0) {
    nStat = InvalidParameter;
    return nStat;
  }
  auto bytes = BasicArray<uint8_t>({ArrayBound{0, Length}});
  std::memcpy(bytes.Data().data(), reinterpret_cast<const void*>(hMem), static_cast<size_t>(Length));
  CreateImageFromByteArray(bytes);
  return nStat;
}

void cImaging::SetNativeImage(int32_t nImageID) { nNativeImage = nImageID; }

}  // namespace vexiro
