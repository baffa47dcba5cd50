// ICC profiles of bitmaps, and the deflate and CCITT Group 4 compressors.
#include <lcms2.h>
#include <zlib.h>

#include "../vximgplug.h"
#include "ccitt_g4_encoder.h"
#include "file_io.h"
#include "guarded_call.h"
#include "plugin_objects.h"

using namespace vximgplug;

namespace {

constexpr uint64_t kMaxProfileBytes = uint64_t{64} << 20;

// lcms2 parses the whole profile: a file that is not one is refused.
bool IsIccProfile(const std::vector<uint8_t>& bytes) {
  cmsHPROFILE profile = cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
  if (!profile) return false;
  cmsCloseProfile(profile);
  return true;
}

void SilenceLcms() {
  static const bool once = [] {
    cmsSetLogErrorHandler(nullptr);
    return true;
  }();
  (void)once;
}

}  // namespace

extern "C" {

uint32_t VXIMGPLUG_GetICCProfile(uint32_t bitmap, VximgplugIccProfile* out) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    FIBITMAP* dib = DibOf(bitmap);
    FIICCPROFILE* profile = dib ? FreeImage_GetICCProfile(dib) : nullptr;
    if (!profile || !profile->data) return 0;
    if (out) *out = VximgplugIccProfile{profile->flags, profile->size, profile->data};
    return profile->size;
  });
}

uint32_t VXIMGPLUG_CreateICCProfileFromFile(uint32_t bitmap, const char* path) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    FIBITMAP* dib = DibOf(bitmap);
    if (!dib || !path || !*path) return 0;
    SilenceLcms();
    auto bytes = ReadWholeFile(path, kMaxProfileBytes);
    if (!bytes || bytes->empty() || !IsIccProfile(*bytes)) return 0;
    FIICCPROFILE* profile = FreeImage_CreateICCProfile(dib, bytes->data(), static_cast<long>(bytes->size()));
    return profile ? profile->size : 0;
  });
}

void VXIMGPLUG_DestroyICCProfile(uint32_t bitmap) {
  GuardedVoid([&] {
    if (FIBITMAP* dib = DibOf(bitmap)) FreeImage_DestroyICCProfile(dib);
  });
}

uint32_t VXIMGPLUG_ZLibCompress2(uint8_t* destination, uint32_t capacity, const uint8_t* source, uint32_t length) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    if (!destination || !source || length == 0 || capacity == 0) return 0;
    uLongf produced = capacity;
    if (compress2(destination, &produced, source, length, Z_DEFAULT_COMPRESSION) != Z_OK) return 0;
    return static_cast<uint32_t>(produced);
  });
}

int32_t VXIMGPLUG_VB_CompressCCITT4(VximgplugByteArray* destination, const VximgplugByteArray* source, int32_t width,
                                    int32_t height, int32_t bytesPerRow, int32_t reserved) {
  constexpr int32_t kFailed = 1;
  return Guarded<int32_t>(kFailed, [&]() -> int32_t {
    if (!destination || !destination->resize || !source || !source->data) return kFailed;
    if (width <= 0 || height <= 0 || bytesPerRow <= 0) return kFailed;
    auto encoded = EncodeCcittG4(source->data, source->size, static_cast<uint32_t>(width),
                                 static_cast<uint32_t>(height), static_cast<size_t>(bytesPerRow));
    if (!encoded) return kFailed;
    const uint32_t size = static_cast<uint32_t>(encoded->size());
    if (!destination->resize(destination, size) || !destination->data || destination->size < size) return kFailed;
    std::copy(encoded->begin(), encoded->end(), destination->data);
    destination->size = size;
    return 0;
  });
}

}  // extern "C"
