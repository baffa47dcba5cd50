// The engine's members that close images, save the current image to a file, and encode it into
// memory. Each keeps its outcome as the last status.
#include "engine/enumeration_values.h"
#include "engine/save/gdiplus_savers.h"
#include "engine/save/gif89a_writer.h"
#include "engine/image_store.h"
#include "engine/save/in_memory_encoding.h"
#include "engine/plugin/savers.h"
#include "engine/save/pnm_writer.h"
#include "platform/ole/stream_handles.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace engine = vx::engine;

VexiroStatus cImaging::CloseImage(int32_t nImageID) {
  if (nImageID == 0) return nStat = InvalidParameter;
  if (nImageID == nNativeTiffMultiPage) return nStat = Aborted;
  nStat = engine::ReleaseImage(nImageID);
  if (nStat == OK && nImageID == nNativeImage) nNativeImage = 0;
  return nStat;
}

VexiroStatus cImaging::CloseNativeImage() {
  if (nNativeImage == 0) return nStat;
  return CloseImage(nNativeImage);
}

namespace {

// Runs a saver on the current image, or answers GenericError without one.
template <class Saver>
VexiroStatus SaveCurrent(int32_t current, VexiroStatus& stat, Saver saver) {
  stat = current == 0 ? GenericError : saver(current);
  return stat;
}

}  // namespace

VexiroStatus cImaging::SaveAsBmp(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsBmpFile(id, sFilePath); });
}

VexiroStatus cImaging::SaveAsGIF(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsGIFFile(id, sFilePath); });
}

VexiroStatus cImaging::SaveAsPNG(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsPNGFile(id, sFilePath); });
}

VexiroStatus cImaging::SaveAsJPEG(const std::string& sFilePath, int32_t nQuality) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) {
    return engine::SaveAsJPEGFile(id, sFilePath, nQuality, bDisableVximgplugCodecs);
  });
}

VexiroStatus cImaging::SaveAsTIFF(const std::string& sFilePath, EnumArg<TifCompression> nModeCompression) {
  if (RefusesValueOutside(nModeCompression)) return InvalidParameter;
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat,
                     [&](int32_t id) { return engine::SaveAsTIFFFile(id, sFilePath, nModeCompression, 0); });
}

VexiroStatus cImaging::SaveAsGIFi(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsGIFiFile(id, sFilePath); });
}

VexiroStatus cImaging::SaveAsPNM(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsPNMFile(id, sFilePath); });
}

VexiroStatus cImaging::SaveAsWBMP(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsWBMPFile(id, sFilePath); });
}

VexiroStatus cImaging::SaveAsXPM(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsXPMFile(id, sFilePath); });
}

VexiroStatus cImaging::SaveAsTGA(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsTGAFile(id, sFilePath); });
}

VexiroStatus cImaging::SaveAsPBM(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsPBMFile(id, sFilePath); });
}

VexiroStatus cImaging::SaveAsJ2K(const std::string& sFilePath, int32_t nRate) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsJ2KFile(id, sFilePath, nRate); });
}

VexiroStatus cImaging::SaveAsJP2(const std::string& sFilePath, int32_t nRate) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) { return engine::SaveAsJP2File(id, sFilePath, nRate); });
}

VexiroStatus cImaging::SaveAsEXR(const std::string& sFilePath, EnumArg<ExrCompression> nCompression) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat,
                     [&](int32_t id) { return engine::SaveAsEXRFile(id, sFilePath, nCompression); });
}

VexiroStatus cImaging::SaveAsTIFFjpg(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveAsTIFFjpgEx(sFilePath, 75);
}

VexiroStatus cImaging::SaveAsTIFFjpgEx(const std::string& sFilePath, int32_t nQuality) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return SaveCurrent(nNativeImage, nStat,
                     [&](int32_t id) { return engine::SaveAsTIFFJPEGFile(id, sFilePath, nQuality); });
}

VexiroStatus cImaging::SaveAsByteArray(BasicArray<uint8_t>& arBytes, int32_t& nBytesRead, const std::string& sImageFormat,
                                       int32_t nEncoderParameter) {
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) {
    std::vector<uint8_t> bytes;
    int32_t length = 0;
    const VexiroStatus s = engine::SaveImageToByteArray(id, length, bytes, sImageFormat, nEncoderParameter);
    if (s == OK) {
      arBytes = BasicArray<uint8_t>::FromVector(std::move(bytes));
      nBytesRead = length;
    }
    return s;
  });
}

VexiroStatus cImaging::SaveAsStream(uint32_t& oStream, const std::string& sImageFormat, int32_t nEncoderParameter) {
  return SaveCurrent(nNativeImage, nStat, [&](int32_t id) {
    vx::ole::ComPtr<vx::ole::IStream> stream;
    VexiroStatus s = engine::SaveToStream(id, stream, sImageFormat, nEncoderParameter);
    if (s != OK) return s;
    const vx::HANDLE32 handle = vx::ole::RegisterStream(stream.get());
    if (handle == 0) return GenericError;
    if (oStream != 0) vx::ole::ReleaseStreamHandle(oStream);
    oStream = handle;
    return s;
  });
}

std::string cImaging::SaveAsString(const std::string& sImageFormat, int32_t nEncoderParameter) {
  std::string text;
  SaveCurrent(nNativeImage, nStat,
              [&](int32_t id) { return engine::SaveImageToString(id, text, sImageFormat, nEncoderParameter); });
  return text;
}

}  // namespace vexiro
