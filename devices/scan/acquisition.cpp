// Acquiring one picture: as a packed DIB in global memory, as an image of the store, or as a file.
// The plug-in hands out its own blocks; they are copied here at once and given back to it, so
// every handle the engine passes on is ordinary global memory.
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "devices/scan/twain_members.h"
#include "engine/escaped_errors.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/load/loader.h"
#include "engine/routines/shared_routines.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/kernel/global_memory.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::scan;
namespace fs = std::filesystem;

namespace {

constexpr int32_t kFileTransfer = 1;
constexpr int32_t kNativeTransfer = 0;

// What a native transfer brought: a packed DIB, or raw rows top-down with their geometry.
struct NativeTransfer {
  std::vector<uint8_t> bytes;
  bool raw = false;
  int32_t bitsPerPixel = 0, width = 0, height = 0, stride = 0;
  double dpiX = 0, dpiY = 0;
};

// The plug-in's block copied out and handed back; raw geometry checked against the block.
bool TakeNative(int32_t handle, NativeTransfer& out) {
  const VxtwainApi& twain = Vxtwain();
  const uint8_t* bytes = twain.NativeBytes(handle);
  const int32_t size = twain.NativeSize(handle);
  if (bytes != nullptr && size > 0) out.bytes.assign(bytes, bytes + size);
  twain.FreeNative(handle);
  out.raw = twain.LastDibIsRAW() != 0;
  if (!out.raw) return out.bytes.size() > 40;
  out.bitsPerPixel = twain.LastRAWBPP();
  out.width = twain.LastRAWWidth();
  out.height = twain.LastRAWHeight();
  out.stride = twain.LastRAWStride();
  out.dpiX = twain.LastRAWResX();
  out.dpiY = twain.LastRAWResY();
  const int64_t rowBytes = (static_cast<int64_t>(out.width) * out.bitsPerPixel + 7) / 8;
  return out.width > 0 && out.height > 0 && out.stride >= rowBytes &&
         static_cast<int64_t>(out.stride) * out.height <= static_cast<int64_t>(out.bytes.size());
}

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// Raw rows as a packed DIB. Indexed depths get a grey ramp; 16-bit grey and 48- and 64-bit
// pictures keep the high byte of each sample (a DIB has no deeper form). Unknown depths: false.
bool RawToDib(const NativeTransfer& raw, std::vector<uint8_t>& dib) {
  int32_t bits = 0, samplesPerPixel = 0, sampleBytes = 1;
  switch (raw.bitsPerPixel) {
    case 1: case 4: case 8: case 24: case 32: bits = raw.bitsPerPixel; break;
    case 16: bits = 8, samplesPerPixel = 1, sampleBytes = 2; break;
    case 48: bits = 24, samplesPerPixel = 3, sampleBytes = 2; break;
    case 64: bits = 32, samplesPerPixel = 4, sampleBytes = 2; break;
    default: return false;
  }
  const int32_t stride = vx::engine::ComputeStride(raw.width, bits);
  const uint32_t colours = bits <= 8 ? (1u << bits) : 0;
  const auto dpm = [](double dpi) { return static_cast<uint32_t>(dpi > 0 ? dpi * 100 / 2.54 + 0.5 : 0); };
  dib.clear();
  for (uint32_t v : {40u, static_cast<uint32_t>(raw.width), static_cast<uint32_t>(raw.height)}) PutLE(dib, v, 4);
  PutLE(dib, 1, 2);
  PutLE(dib, static_cast<uint32_t>(bits), 2);
  for (uint32_t v : {0u, static_cast<uint32_t>(stride * raw.height), dpm(raw.dpiX), dpm(raw.dpiY), colours, 0u})
    PutLE(dib, v, 4);
  for (uint32_t i = 0; i < colours; ++i) {
    const auto level = static_cast<uint8_t>(i * 255 / (colours - 1));
    dib.insert(dib.end(), {level, level, level, 0});
  }
  const size_t header = dib.size();
  dib.resize(header + static_cast<size_t>(stride) * static_cast<size_t>(raw.height), 0);
  const size_t rowBytes = static_cast<size_t>((static_cast<int64_t>(raw.width) * bits + 7) / 8);
  for (int32_t y = 0; y < raw.height; ++y) {
    const uint8_t* src = raw.bytes.data() + static_cast<size_t>(y) * static_cast<size_t>(raw.stride);
    uint8_t* dst = dib.data() + header + static_cast<size_t>(raw.height - 1 - y) * static_cast<size_t>(stride);
    if (samplesPerPixel == 0) {
      std::memcpy(dst, src, rowBytes);
      continue;
    }
    for (size_t i = 0; i < rowBytes; ++i) dst[i] = src[i * static_cast<size_t>(sampleBytes) + 1];
  }
  return true;
}

vx::HGLOBAL ToGlobalMemory(const std::vector<uint8_t>& bytes) {
  vx::HGLOBAL block = vx::GlobalAlloc(vx::GMEM_MOVEABLE, bytes.size());
  if (block == 0) return 0;
  void* target = vx::GlobalLock(block);
  std::memcpy(target, bytes.data(), bytes.size());
  vx::GlobalUnlock(block);
  return block;
}

// The status a transfer that brought nothing leaves.
VexiroStatus EmptyTransferStatus() {
  if (Vxtwain().UserClosedSource() != 0) return TwainTransferCanceled;
  if (Vxtwain().XferFail() != 0) return TwainTransferError;
  return TwainError;
}

// One acquisition through the plug-in. The temporary name is reserved (created) for the plug-in,
// which writes a file transfer beside it under the name followed by "_"; the reservation is
// removed again here, the "_" file is left to the caller.
struct Acquisition {
  int32_t handle = 0;
  bool fileTransfer = false;
  std::string transferFile;
};

Acquisition Acquire(std::string& tempFile, int32_t hwnd) {
  Acquisition result;
  tempFile = vx::engine::GetTempFilePath();
  Vxtwain().SetFilePathTransfer(tempFile.c_str());
  result.handle = Vxtwain().AcquireNative(hwnd);
  vx::engine::DeleteFileQuietly(tempFile);
  result.fileTransfer = Vxtwain().LastTransferMode() == kFileTransfer;
  if (result.fileTransfer) {
    // A file transfer brings no memory; a handle the plug-in gave anyway goes back to it.
    if (result.handle != 0) Vxtwain().FreeNative(result.handle);
    result.handle = 0;
    result.transferFile = PluginText(Vxtwain().GetFilePathTransfer()) + "_";
    tempFile = result.transferFile;
  }
  return result;
}

// The check, then native transfers asked for when a source is open and not yet enabled.
bool PrepareNativeAcquisition() {
  if (!CheckTwainPlugin()) return false;
  if (Vxtwain().State() == TWAIN_SOURCE_OPEN) Vxtwain().SetTransferMode(kNativeTransfer);
  return true;
}

// What a native transfer brought, copied out of the plug-in, or why nothing came.
VexiroStatus ReceiveNative(const Acquisition& acquired, NativeTransfer& native) {
  if (acquired.handle == 0) return EmptyTransferStatus();
  return TakeNative(acquired.handle, native) ? OK : TwainTransferError;
}

// A native transfer as a packed DIB in global memory (0 and a status when it cannot be).
vx::HGLOBAL NativeAsDib(const NativeTransfer& native, VexiroStatus& status) {
  std::vector<uint8_t> converted;
  if (native.raw && !RawToDib(native, converted)) {
    status = UnsupportedPixelFormat;
    return 0;
  }
  const vx::HGLOBAL block = ToGlobalMemory(native.raw ? converted : native.bytes);
  status = block != 0 ? OK : OutOfMemory;
  return block;
}

// Deep raw pictures keep their 16-bit samples: 48-bit BGR as it came, 64-bit ARGB likewise, and
// 16-bit grey spread over three channels.
VexiroStatus DeepRawToImage(const NativeTransfer& raw, int32_t& id) {
  const bool grey = raw.bitsPerPixel == 16;
  const auto format = raw.bitsPerPixel == 64 ? vx::gdiplus::PixelFormat64bppARGB : vx::gdiplus::PixelFormat48bppRGB;
  const int32_t stride = vx::engine::ComputeStride(raw.width, raw.bitsPerPixel == 64 ? 64 : 48);
  const size_t total = static_cast<size_t>(stride) * static_cast<size_t>(raw.height);
  auto* pixels = static_cast<uint8_t*>(vx::gdiplus::GdipAlloc(total));
  if (pixels == nullptr) return OutOfMemory;
  std::memset(pixels, 0, total);
  for (int32_t y = 0; y < raw.height; ++y) {
    const uint8_t* src = raw.bytes.data() + static_cast<size_t>(y) * static_cast<size_t>(raw.stride);
    uint8_t* dst = pixels + static_cast<size_t>(y) * static_cast<size_t>(stride);
    if (!grey) {
      std::memcpy(dst, src, static_cast<size_t>(raw.width) * static_cast<size_t>(raw.bitsPerPixel / 8));
      continue;
    }
    for (int32_t x = 0; x < raw.width; ++x)
      for (int c = 0; c < 3; ++c) std::memcpy(dst + (static_cast<size_t>(x) * 3 + c) * 2, src + x * 2, 2);
  }
  const VexiroStatus status = vx::engine::CreateImageFromScan0(raw.width, raw.height, stride, format,
                                                               reinterpret_cast<intptr_t>(pixels), id, true);
  if (status != OK) {
    vx::gdiplus::GdipFree(pixels);
    return status;
  }
  if (raw.dpiX > 0 && raw.dpiY > 0)
    vx::engine::SetImageResolution(id, static_cast<float>(raw.dpiX), static_cast<float>(raw.dpiY));
  return OK;
}

VexiroStatus NativeToImage(const NativeTransfer& native, int32_t& id) {
  id = 0;
  if (native.raw && (native.bitsPerPixel == 16 || native.bitsPerPixel == 48 || native.bitsPerPixel == 64))
    return DeepRawToImage(native, id);
  VexiroStatus status = OK;
  const vx::HGLOBAL dib = NativeAsDib(native, status);
  if (dib == 0) return status;
  status = vx::engine::CreateImageFromPackedDIB(id, dib, true, true);
  if (status != OK) {
    vx::GlobalFree(dib);
    id = 0;
  }
  return status;
}

// Copies beside the target and renames over it, so that a failed copy never passes for a
// written file and never leaves half a file under the target's name.
bool CopyOver(const std::string& from, const std::string& to) {
  if (to.empty()) return false;
  std::error_code ec;
  std::string sibling;
  for (int n = 0; sibling.empty() || fs::exists(sibling, ec); ++n) sibling = to + ".vxpart" + std::to_string(n);
  if (!fs::copy_file(from, sibling, ec) || ec) {
    fs::remove(sibling, ec);
    return false;
  }
  fs::rename(sibling, to, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(sibling, ignored);
    return false;
  }
  return true;
}

}  // namespace

int32_t cImaging::TwainAcquireToDib(int32_t hwnd) {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    if (!PrepareNativeAcquisition()) {
      nStat = WrongVxTwainVersion;
      return 0;
    }
    const Acquisition acquired = Acquire(sTwainTempFile, hwnd);
    if (acquired.fileTransfer) {
      vx::engine::DeleteFileQuietly(acquired.transferFile);
      nStat = TwainInvalidTransferMode;
      return 0;
    }
    NativeTransfer native;
    nStat = ReceiveNative(acquired, native);
    if (nStat != OK) return 0;
    return static_cast<int32_t>(NativeAsDib(native, nStat));
  });
}

int32_t cImaging::TwainAcquireToVexiroImage(int32_t hwnd) {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    if (!PrepareNativeAcquisition()) {
      nStat = WrongVxTwainVersion;
      return 0;
    }
    const Acquisition acquired = Acquire(sTwainTempFile, hwnd);
    int32_t id = 0;
    if (acquired.fileTransfer) {
      nStat = EmptyTransferStatus();
      if (nStat == TwainError) {
        id = CreateImageFromFile(acquired.transferFile);
        if (nStat == OK) vx::engine::SetImageSourceFile(id, acquired.transferFile);
      }
      if (nStat == OK) return id;
      vx::engine::DeleteFileQuietly(acquired.transferFile);
      return 0;
    }
    // A native transfer that brought nothing made no image, whatever stopped it, and this member
    // reports just that; TwainAcquireToDib reports the cause, which also stays readable through
    // TwainUserClosedSource and TwainLastXferFail.
    if (acquired.handle == 0) {
      nStat = TwainError;
      return 0;
    }
    NativeTransfer native;
    nStat = ReceiveNative(acquired, native);
    if (nStat == OK) nStat = NativeToImage(native, id);
    if (nStat != OK) return 0;
    nNativeImage = id;
    return id;
  });
}

VexiroStatus cImaging::TwainAcquireToFile(const std::string& sFilePath, int32_t hwnd) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return AnswerRuntimeErrors(GenericError, [&]() -> VexiroStatus {
    if (!CheckTwainPlugin()) return nStat = WrongVxTwainVersion;
    if (TwainGetState() < TWAIN_SOURCE_OPEN) return nStat = BadTwainState;
    Vxtwain().SetTransferMode(kFileTransfer);
    const Acquisition acquired = Acquire(sTwainTempFile, hwnd);
    if (!acquired.fileTransfer) {
      if (acquired.handle != 0) Vxtwain().FreeNative(acquired.handle);
      return nStat = TwainInvalidTransferMode;
    }
    nStat = EmptyTransferStatus();
    if (nStat == TwainError && !vx::engine::GetExistingFilePath(acquired.transferFile).empty())
      nStat = CopyOver(acquired.transferFile, sFilePath) ? OK : TwainError;
    vx::engine::DeleteFileQuietly(acquired.transferFile);
    return nStat;
  });
}

int32_t cImaging::CreateImageFromTwain(int32_t hwnd) {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return TwainAcquireToVexiroImage(hwnd); });
}

}  // namespace vexiro
