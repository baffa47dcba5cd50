// The thread's image store: image identifiers mapped to records holding the platform image and
// everything that must be freed with it. Every engine of a thread shares it; no other thread
// may touch it.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"
#include "platform/gdiplus/image_object.h"
#include "platform/kernel/win_types.h"

namespace vx::gdiplus {
class GpGraphics;
}

namespace vx::engine {

// What a record's image was made from; decides what release frees besides the image.
enum ImageKind : int32_t {
  KindGeneric = 0,
  KindGdiDib = 2,
  KindPluginBitmap = 3,
  KindHBitmap = 4,
  KindHIcon = 5,
  KindFile = 6,
  KindScan0 = 7,
  KindPluginPage = 8,
  KindOwnedScan0 = 9,
};

// One IPTC tag read through the format plug-in.
struct IptcTagRecord {
  int32_t TagID = 0;
  int32_t Length = 0;
  int16_t Type = 0;
  std::vector<uint8_t> Value;
  int32_t Count = 0;
};

struct ImageRecord {
  int32_t ImageID = 0;  // 0 marks a free slot
  ImageKind Kind = KindGeneric;
  HGLOBAL DibHandle = 0;
  intptr_t PixelBuffer = 0;
  gdiplus::GpImage* GpImage = nullptr;
  int32_t TiffCompression = 0;
  intptr_t PluginBitmap = 0;
  intptr_t PluginMultiBitmap = 0;
  std::string SourcePath;
  bool OwnsSourceFile = false;
  bool OwnsPixelBuffer = false;
  std::string FormatName;
  bool IsTiffMultiPage = false;
  bool IsGifMultiPage = false;
  int32_t BitDepth = 0;
  int32_t PageCount = 0;
  std::vector<std::string> PageFiles;
  std::vector<int32_t> PageImageIDs;
  std::vector<int32_t> PageDelays;
  std::vector<int32_t> PageDisposals;
  std::vector<int32_t> PageBitDepths;
  int32_t CurrentPage = 0;
  bool NativeMultiPage = false;
  int32_t GifLoopCount = 0;
  std::string GifComment;
  std::vector<IptcTagRecord> IptcTags;
  int32_t IptcTagCount = 0;
  bool Modified = false;
  HDC DC = 0;
  gdiplus::GpGraphics* DCGraphics = nullptr;
  intptr_t PluginFileHandle = 0;

  bool IsDocument() const { return IsTiffMultiPage || IsGifMultiPage; }
  bool IsEditableDocument() const { return IsDocument() && !NativeMultiPage; }
};

// ---- Seams filled by the subsystems that own the work (process-wide, set by WireSubsystems) ----

// Format plug-in releases.
struct PluginReleaseHooks {
  void (*UnloadBitmap)(intptr_t bitmap) = nullptr;
  void (*CloseMultiBitmap)(intptr_t multiBitmap) = nullptr;           // flags 0
  void (*UnlockPage)(intptr_t multiBitmap, intptr_t page) = nullptr;  // page not marked changed
  void (*CloseFile)(intptr_t file) = nullptr;
};
// Each setter returns what it replaces, so a test can put the library's own seam back.
PluginReleaseHooks SetPluginReleaseHooks(const PluginReleaseHooks& hooks);

// Writes an image as a document page file: "TIFF" pages as LZW-compressed TIFF, "GIF" frames
// as PNG. Returns a status.
using PageFileWriter = VexiroStatus (*)(int32_t imageId, const std::string& path, const std::string& documentFormat);
PageFileWriter SetPageFileWriter(PageFileWriter writer);
// Loads page `pageIndex` (0-based) of an editable document as its current page.
using PageSelector = VexiroStatus (*)(int32_t documentId, int32_t pageIndex);
PageSelector SetPageSelector(PageSelector selector);
// Returns a device context lent out for an image and deletes the graphics behind it.
using LentDCReleaser = void (*)(gdiplus::GpGraphics* graphics, HDC dc);
LentDCReleaser SetLentDCReleaser(LentDCReleaser releaser);

// ---- The store ----

int32_t NewImageID();
int32_t AllocImageSlot();
int32_t RegisterImage(int32_t& id, gdiplus::GpImage* image, const std::string& formatName,
                      const std::string& sourcePath, ImageKind kind);
void UpdateImageInfo(int32_t id);
int32_t GetImageIndex(int32_t id);
// The record of an identifier, nullptr when unknown. Valid until the store changes.
ImageRecord* FindImageRecord(int32_t id);
int32_t ImageSlotCount();
gdiplus::GpImage* GetGpImage(int32_t id);
int32_t ResolvePageImageID(int32_t id);
ImageKind GetImageKind(int32_t id);
int32_t FindImageByDC(HDC dc);
// Whether a record of the store owns the image.
bool StoreHoldsImage(const gdiplus::GpImage* image);

void SetImageGdiDib(int32_t id, HGLOBAL memory);
void SetImagePluginBitmap(int32_t id, intptr_t bitmap);
void SetImagePluginPage(int32_t id, intptr_t page, intptr_t multiBitmap);
void SetImageFormatName(int32_t id, const std::string& name);
void SetImageSourceFile(int32_t id, const std::string& path);
void MarkImageModified(int32_t id);
void ClearImageModified(int32_t id);

VexiroStatus ReadRawFormatName(int32_t id, std::string& name);
std::string GetRawFormatName(int32_t id);
VexiroStatus GetTiffFrameCount(int32_t id, int32_t& count);
bool IsGreyPalette(int32_t id);

// A metadata tag as the format plug-in hands it over.
struct PluginTag {
  uint16_t Tag = 0;
  uint16_t Type = 0;
  uint32_t Count = 0;
  uint32_t Length = 0;
  const void* Value = nullptr;
};
void ApplyTagsToImage(int32_t id, const std::vector<PluginTag>& tags, float& verticalDpi, float& horizontalDpi);

VexiroStatus ReleaseImage(int32_t id);
void ReleaseAllImages();

// Owns an image of the store while the work on it may still fail: the image is released when the
// owner goes out of scope unless it was kept. Identifier 0 owns nothing.
class ScopedImage {
 public:
  ScopedImage() = default;
  explicit ScopedImage(int32_t id) : id_(id) {}
  ScopedImage(const ScopedImage&) = delete;
  ScopedImage& operator=(const ScopedImage&) = delete;
  ~ScopedImage() { Release(); }
  // Where a creator writes the identifier of the image it registers.
  int32_t* put() { return &id_; }
  int32_t get() const { return id_; }
  // The work succeeded: the caller takes the image over.
  int32_t Keep() { return std::exchange(id_, 0); }
  // Releases the image now; returns the identifier it held (0: none).
  int32_t Release() {
    const int32_t id = std::exchange(id_, 0);
    if (id != 0) ReleaseImage(id);
    return id;
  }

 private:
  int32_t id_ = 0;
};
// The new image takes the old identifier's place; returns the old identifier, or 0 when nothing
// was replaced (then the old image is unchanged).
int32_t ReplaceImage(int32_t oldId, int32_t newId);
// Writes an image to a fresh temporary page file through the page file writer; "" when that
// fails, with the reason in `status` (nothing is left behind).
std::string WritePageToTempFile(int32_t imageId, const std::string& documentFormat, VexiroStatus& status);
// A modified page of an editable document is written to a new page file first; when that write
// fails the page stays loaded and current and the write's status is returned.
VexiroStatus UnloadCurrentPage(int32_t documentId, const std::string& documentFormat);
void CommitCurrentTiffPage(int32_t documentId);

}  // namespace vx::engine
