// Metadata tags by model, tags built by the host, and the animation settings of GIF frames.
#include <algorithm>
#include <climits>
#include <cstring>

#include "../vximgplug.h"
#include "guarded_call.h"
#include "plugin_objects.h"

using namespace vximgplug;

namespace {

bool KnownModel(int32_t model) { return model >= FIMD_COMMENTS && model <= FIMD_EXIF_RAW; }

constexpr WORD kTagIccProfile = 34675;

// The host hands the embedded profile over as tag 34675, the property item that holds it;
// FreeImage's writers take a profile only from the bitmap's own, so it becomes that as well.
void AdoptProfileTag(FIBITMAP* dib, FITAG* tag) {
  if (FreeImage_GetTagID(tag) != kTagIccProfile || FreeImage_GetTagType(tag) != FIDT_UNDEFINED) return;
  const DWORD length = FreeImage_GetTagLength(tag);
  if (length == 0 || length > static_cast<DWORD>(INT32_MAX)) return;
  FreeImage_CreateICCProfile(dib, const_cast<void*>(FreeImage_GetTagValue(tag)), static_cast<long>(length));
}

void FillRecord(FITAG* tag, VximgplugTagRecord* record) {
  if (!record) return;
  record->key = FreeImage_GetTagKey(tag);
  record->description = FreeImage_GetTagDescription(tag);
  record->id = FreeImage_GetTagID(tag);
  record->type = static_cast<uint16_t>(FreeImage_GetTagType(tag));
  record->count = FreeImage_GetTagCount(tag);
  record->length = FreeImage_GetTagLength(tag);
  record->value = FreeImage_GetTagValue(tag);
}

template <class Change>
int32_t ChangeTag(uint32_t tag, Change change) {
  return Guarded<int32_t>(0, [&] {
    Tag* t = Tags().Find(tag);
    return t && change(t->tag) ? 1 : 0;
  });
}

// Animation values live in the animation model under the names FreeImage's GIF writer reads.
template <class Value>
int32_t SetAnimationValue(uint32_t bitmap, const char* key, FREE_IMAGE_MDTYPE type, Value value) {
  return Guarded<int32_t>(0, [&] {
    FIBITMAP* dib = DibOf(bitmap);
    if (!dib) return 0;
    FITAG* tag = FreeImage_CreateTag();
    if (!tag) return 0;
    const bool ok = FreeImage_SetTagKey(tag, key) && FreeImage_SetTagType(tag, type) &&
                    FreeImage_SetTagCount(tag, 1) && FreeImage_SetTagLength(tag, sizeof(Value)) &&
                    FreeImage_SetTagValue(tag, &value) && FreeImage_SetMetadata(FIMD_ANIMATION, dib, key, tag);
    FreeImage_DeleteTag(tag);
    return ok ? 1 : 0;
  });
}

}  // namespace

extern "C" {

int32_t VXIMGPLUG_GetMetadataCount(int32_t model, uint32_t bitmap) {
  return Guarded<int32_t>(0, [&] {
    FIBITMAP* dib = DibOf(bitmap);
    if (!dib || !KnownModel(model)) return 0;
    return static_cast<int32_t>(FreeImage_GetMetadataCount(static_cast<FREE_IMAGE_MDMODEL>(model), dib));
  });
}

uint32_t VXIMGPLUG_FindFirstMetadata(int32_t model, uint32_t bitmap, VximgplugTagRecord* record) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    FIBITMAP* dib = DibOf(bitmap);
    if (!dib || !KnownModel(model)) return 0;
    FITAG* tag = nullptr;
    FIMETADATA* search = FreeImage_FindFirstMetadata(static_cast<FREE_IMAGE_MDMODEL>(model), dib, &tag);
    if (!search) return 0;
    auto owned = std::make_unique<MetadataSearch>(search, bitmap);
    FillRecord(tag, record);
    return Searches().Add(std::move(owned));
  });
}

int32_t VXIMGPLUG_FindNextMetadata(uint32_t searchHandle, VximgplugTagRecord* record) {
  return Guarded<int32_t>(0, [&] {
    MetadataSearch* search = Searches().Find(searchHandle);
    // A search over a bitmap that is gone would walk freed tags.
    if (!search || !Bitmaps().Find(search->bitmapHandle)) return 0;
    FITAG* tag = nullptr;
    if (!FreeImage_FindNextMetadata(search->search, &tag) || !tag) return 0;
    FillRecord(tag, record);
    return 1;
  });
}

void VXIMGPLUG_FindCloseMetadata(uint32_t search) {
  GuardedVoid([&] { Searches().Take(search); });
}

uint32_t VXIMGPLUG_CreateTag(void) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    FITAG* tag = FreeImage_CreateTag();
    if (!tag) return 0;
    auto owned = std::make_unique<Tag>(tag);
    Tag* raw = owned.get();
    const uint32_t handle = Tags().Add(std::move(owned));
    // Handles are never reused, so the handle is a key no other tag has.
    if (handle) raw->keyNumber = handle;
    return handle;
  });
}

int32_t VXIMGPLUG_SetTagKey(uint32_t tag, const char* key) {
  return ChangeTag(tag, [&](FITAG* t) { return key && FreeImage_SetTagKey(t, key); });
}
int32_t VXIMGPLUG_SetTagLength(uint32_t tag, uint32_t length) {
  return ChangeTag(tag, [&](FITAG* t) { return FreeImage_SetTagLength(t, length); });
}
int32_t VXIMGPLUG_SetTagCount(uint32_t tag, uint32_t count) {
  return ChangeTag(tag, [&](FITAG* t) { return FreeImage_SetTagCount(t, count); });
}
int32_t VXIMGPLUG_SetTagType(uint32_t tag, uint16_t type) {
  return ChangeTag(tag, [&](FITAG* t) {
    return type <= FIDT_IFD8 && FreeImage_SetTagType(t, static_cast<FREE_IMAGE_MDTYPE>(type));
  });
}
int32_t VXIMGPLUG_SetTagID(uint32_t tag, uint16_t id) {
  return ChangeTag(tag, [&](FITAG* t) { return FreeImage_SetTagID(t, id); });
}
int32_t VXIMGPLUG_SetTagValue(uint32_t tag, const void* value) {
  // FreeImage copies `length` bytes and refuses a length that does not match count and type.
  return ChangeTag(tag, [&](FITAG* t) { return value && FreeImage_SetTagValue(t, value); });
}

uint32_t VXIMGPLUG_GetTagKey(uint32_t tag) {
  return Guarded<uint32_t>(0, [&]() -> uint32_t {
    Tag* t = Tags().Find(tag);
    return t ? t->keyNumber : 0;
  });
}

int32_t VXIMGPLUG_SetMetadata(int32_t model, uint32_t bitmap, const char* key, uint32_t tag) {
  return Guarded<int32_t>(0, [&] {
    FIBITMAP* dib = DibOf(bitmap);
    Tag* t = Tags().Find(tag);
    if (!dib || !t || !key || !*key || !KnownModel(model)) return 0;
    if (!FreeImage_GetTagValue(t->tag) && FreeImage_GetTagLength(t->tag) != 0) return 0;
    if (!FreeImage_SetMetadata(static_cast<FREE_IMAGE_MDMODEL>(model), dib, key, t->tag)) return 0;
    AdoptProfileTag(dib, t->tag);
    return 1;
  });
}

void VXIMGPLUG_DeleteTag(uint32_t tag) {
  GuardedVoid([&] { Tags().Take(tag); });
}

int32_t VXIMGPLUG_WriteFrameDelay(uint32_t bitmap, int32_t milliseconds) {
  if (milliseconds < 0) return 0;
  return SetAnimationValue(bitmap, "FrameTime", FIDT_LONG, static_cast<uint32_t>(milliseconds));
}

int32_t VXIMGPLUG_WriteFrameDisposal(uint32_t bitmap, uint8_t disposal) {
  if (disposal > 3) return 0;
  return SetAnimationValue(bitmap, "DisposalMethod", FIDT_BYTE, disposal);
}

int32_t VXIMGPLUG_WriteLoopCount(uint32_t bitmap, int32_t loops) {
  // GIF keeps the count in 16 bits: 65536 and above become the largest count it can hold.
  if (loops < 0) return 0;
  return SetAnimationValue(bitmap, "Loop", FIDT_LONG, static_cast<uint32_t>(std::min(loops, 65535)));
}

void VXIMGPLUG_SetTiffJpegCompression(int32_t quality) {
  TiffJpegQuality().store(std::clamp(quality, 0, 100));
}

}  // extern "C"
