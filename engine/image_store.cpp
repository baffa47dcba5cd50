// Registration, lookup and per-record setters of the thread's image store.
#include "engine/image_store.h"

#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/image_access.h"
#include "engine/pixel_formats.h"
#include "engine/routines/random_generator.h"
#include "engine/store_internal.h"
#include "engine/thread_state.h"
#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::engine {

namespace {

// When the thread ends, whatever its engines left in the store is released (page files deleted,
// pixel memory freed), and engines destroyed later find the thread's state ended.
struct ThreadImageStore {
  std::vector<ImageRecord> images;
  ~ThreadImageStore() {
    ReleaseAllImages();
    MarkThreadStateEnded();
  }
};

}  // namespace

std::vector<ImageRecord>& ThreadImages() {
  thread_local ThreadImageStore store;
  return store.images;
}

namespace {

// One replaceable provider of the store: set from any thread, read at every call.
template <class Provider>
class ProviderSlot {
 public:
  Provider Replace(Provider next) { return current_.exchange(next); }
  Provider Current() const { return current_.load(); }

 private:
  std::atomic<Provider> current_{nullptr};
};

ProviderSlot<PageFileWriter> g_pageWriter;
ProviderSlot<PageSelector> g_pageSelector;
ProviderSlot<LentDCReleaser> g_dcReleaser;
ProviderSlot<void (*)(intptr_t)> g_unloadBitmap;
ProviderSlot<void (*)(intptr_t)> g_closeMultiBitmap;
ProviderSlot<void (*)(intptr_t, intptr_t)> g_unlockPage;
ProviderSlot<void (*)(intptr_t)> g_closeFile;

constexpr double kIdentifierRange = 100000000.0;

bool IdentifierInUse(int32_t id) {
  for (const ImageRecord& r : ThreadImages())
    if (r.ImageID == id) return true;
  return false;
}

}  // namespace

PluginReleaseHooks SetPluginReleaseHooks(const PluginReleaseHooks& hooks) {
  const PluginReleaseHooks previous{g_unloadBitmap.Replace(hooks.UnloadBitmap),
                                    g_closeMultiBitmap.Replace(hooks.CloseMultiBitmap),
                                    g_unlockPage.Replace(hooks.UnlockPage), g_closeFile.Replace(hooks.CloseFile)};
  return previous;
}
PageFileWriter SetPageFileWriter(PageFileWriter writer) { return g_pageWriter.Replace(writer); }
PageSelector SetPageSelector(PageSelector selector) { return g_pageSelector.Replace(selector); }
LentDCReleaser SetLentDCReleaser(LentDCReleaser releaser) { return g_dcReleaser.Replace(releaser); }

namespace internal {

VexiroStatus WritePageFile(int32_t imageId, const std::string& path, const std::string& format) {
  const PageFileWriter writer = g_pageWriter.Current();
  return writer ? writer(imageId, path, format) : vexiro::NotImplemented;
}
VexiroStatus SelectPage(int32_t documentId, int32_t pageIndex) {
  const PageSelector selector = g_pageSelector.Current();
  return selector ? selector(documentId, pageIndex) : vexiro::NotImplemented;
}
void ReturnLentDC(gdiplus::GpGraphics* graphics, HDC dc) {
  if (const LentDCReleaser release = g_dcReleaser.Current()) release(graphics, dc);
}
void UnloadPluginBitmap(intptr_t bitmap) {
  if (auto f = g_unloadBitmap.Current()) f(bitmap);
}
void ClosePluginMultiBitmap(intptr_t multiBitmap) {
  if (auto f = g_closeMultiBitmap.Current()) f(multiBitmap);
}
void UnlockPluginPage(intptr_t multiBitmap, intptr_t page) {
  if (auto f = g_unlockPage.Current()) f(multiBitmap, page);
}
void ClosePluginFile(intptr_t file) {
  if (auto f = g_closeFile.Current()) f(file);
}

}  // namespace internal

int32_t NewImageID() {
  // Drawn again until it is neither 0 (no image) nor already naming an image of this thread.
  for (;;) {
    const double r = RandomSingle();
    const auto id = static_cast<int32_t>(std::nearbyint(r * kIdentifierRange));
    if (id != 0 && !IdentifierInUse(id)) return id;
  }
}

int32_t AllocImageSlot() {
  auto& images = ThreadImages();
  for (size_t i = 0; i < images.size(); ++i)
    if (images[i].ImageID == 0) return static_cast<int32_t>(i);
  images.emplace_back();
  return static_cast<int32_t>(images.size() - 1);
}

int32_t RegisterImage(int32_t& id, gdiplus::GpImage* image, const std::string& formatName,
                      const std::string& sourcePath, ImageKind kind) {
  const int32_t slot = AllocImageSlot();
  id = NewImageID();
  ImageRecord& r = ThreadImages()[static_cast<size_t>(slot)];
  r.ImageID = id;
  if (!sourcePath.empty()) r.SourcePath = sourcePath;
  r.FormatName = formatName;
  r.GpImage = image;
  r.Kind = kind;
  if (image) UpdateImageInfo(id);
  return slot;
}

void UpdateImageInfo(int32_t id) {
  ImageRecord* r = FindImageRecord(id);
  if (!r || !r->GpImage) return;
  gdiplus::GdipImageForceValidation(r->GpImage);
  if (r->FormatName.empty()) r->FormatName = GetRawFormatName(id);
  gdiplus::PixelFormat format = 0;
  if (gdiplus::GdipGetImagePixelFormat(r->GpImage, &format) != gdiplus::Ok) format = 0;
  r->BitDepth = PixelFormatBitDepthStrict(format);
}

int32_t GetImageIndex(int32_t id) {
  if (id == 0) return -1;
  const auto& images = ThreadImages();
  for (size_t i = 0; i < images.size(); ++i)
    if (images[i].ImageID == id) return static_cast<int32_t>(i);
  return -1;
}

ImageRecord* FindImageRecord(int32_t id) {
  const int32_t i = GetImageIndex(id);
  return i < 0 ? nullptr : &ThreadImages()[static_cast<size_t>(i)];
}

int32_t ImageSlotCount() { return static_cast<int32_t>(ThreadImages().size()); }

namespace {

// The loaded page of an editable document, 0 when none; guards against a malformed page table.
int32_t CurrentPageImageID(const ImageRecord& r) {
  if (r.CurrentPage < 0 || r.CurrentPage >= static_cast<int32_t>(r.PageImageIDs.size())) return 0;
  return r.PageImageIDs[static_cast<size_t>(r.CurrentPage)];
}

bool IsNativeFileDocument(const ImageRecord& r) { return r.Kind == KindFile && r.NativeMultiPage; }

// From a document to the record of its current page, and on while that is a document too, until
// `answers` accepts a record; nullptr when a document on the way has no page loaded. A page image
// is never itself a document, but the depth bound keeps a corrupt table finite.
const ImageRecord* FollowToCurrentPage(int32_t id, bool (*answers)(const ImageRecord&)) {
  for (int depth = 0; depth < 8; ++depth) {
    const ImageRecord* r = FindImageRecord(id);
    if (!r || answers(*r)) return r;
    if (r->PageCount < 1) return nullptr;
    id = CurrentPageImageID(*r);
  }
  return nullptr;
}

// A native document of the platform decoders is its own image; one of the plug-in loads each
// page as an image of its own.
bool HoldsPlatformImage(const ImageRecord& r) {
  return !r.IsDocument() || (r.PageCount >= 1 && IsNativeFileDocument(r));
}
bool HoldsKind(const ImageRecord& r) { return !r.IsDocument() || r.NativeMultiPage; }
bool IsNoEditableDocument(const ImageRecord& r) { return !r.IsEditableDocument(); }

}  // namespace

gdiplus::GpImage* GetGpImage(int32_t id) {
  const ImageRecord* r = FollowToCurrentPage(id, &HoldsPlatformImage);
  return r ? r->GpImage : nullptr;
}

int32_t ResolvePageImageID(int32_t id) {
  if (!FindImageRecord(id)) return id;
  const ImageRecord* r = FollowToCurrentPage(id, &IsNoEditableDocument);
  return r ? r->ImageID : 0;
}

ImageKind GetImageKind(int32_t id) {
  const ImageRecord* r = FollowToCurrentPage(id, &HoldsKind);
  if (!r) return KindGeneric;
  return r->IsDocument() ? KindFile : r->Kind;
}

int32_t FindImageByDC(HDC dc) {
  const auto& images = ThreadImages();
  for (size_t i = 0; i < images.size(); ++i)
    if (images[i].ImageID != 0 && images[i].DC == dc) return static_cast<int32_t>(i);
  return -1;
}

bool StoreHoldsImage(const gdiplus::GpImage* image) {
  for (const ImageRecord& r : ThreadImages())
    if (r.ImageID != 0 && r.GpImage == image) return true;
  return false;
}

void SetImageGdiDib(int32_t id, HGLOBAL memory) {
  if (ImageRecord* r = FindImageRecord(id)) {
    r->Kind = KindGdiDib;
    r->DibHandle = memory;
  }
}

void SetImagePluginBitmap(int32_t id, intptr_t bitmap) {
  if (ImageRecord* r = FindImageRecord(id)) {
    r->Kind = KindPluginBitmap;
    r->PluginBitmap = bitmap;
  }
}

void SetImagePluginPage(int32_t id, intptr_t page, intptr_t multiBitmap) {
  if (ImageRecord* r = FindImageRecord(id)) {
    r->Kind = KindPluginPage;
    r->PluginBitmap = page;
    r->PluginMultiBitmap = multiBitmap;
  }
}

void SetImageFormatName(int32_t id, const std::string& name) {
  if (ImageRecord* r = FindImageRecord(id)) r->FormatName = name;
}

void SetImageSourceFile(int32_t id, const std::string& path) {
  if (ImageRecord* r = FindImageRecord(id)) {
    r->SourcePath = path;
    r->OwnsSourceFile = true;
  }
}

namespace {

int32_t GifFrameCount(gdiplus::GpImage* image) {
  gdiplus::UINT count = 0;
  if (gdiplus::GdipImageGetFrameCount(image, &gdiplus::FrameDimensionTime, &count) != gdiplus::Ok) return 0;
  return static_cast<int32_t>(count);
}

}  // namespace

void MarkImageModified(int32_t id) {
  ImageRecord* r = FindImageRecord(id);
  if (r && r->IsDocument() && IsNativeFileDocument(*r)) {
    int32_t frames = 0;
    if (r->IsTiffMultiPage) {
      GetTiffFrameCount(id, frames);
    } else {
      frames = GifFrameCount(r->GpImage);
    }
    r = FindImageRecord(id);
    if (frames < 2) {
      r->IsTiffMultiPage = false;
      r->PageImageIDs.clear();
      r->PageBitDepths.clear();
      r->PageFiles.clear();
    }
  }
  if (ImageRecord* page = FindImageRecord(ResolvePageImageID(id))) page->Modified = true;
}

void ClearImageModified(int32_t id) {
  if (ImageRecord* page = FindImageRecord(ResolvePageImageID(id))) page->Modified = false;
}

namespace {

struct RawFormatName {
  const GUID* format;
  const char* name;
};

const RawFormatName kRawFormatNames[] = {
    {&gdiplus::ImageFormatUndefined, "UNKNOWN"}, {&gdiplus::ImageFormatMemoryBMP, "Memory BMP"},
    {&gdiplus::ImageFormatBMP, "BMP"},           {&gdiplus::ImageFormatEMF, "EMF"},
    {&gdiplus::ImageFormatWMF, "WMF"},           {&gdiplus::ImageFormatJPEG, "JPEG"},
    {&gdiplus::ImageFormatPNG, "PNG"},           {&gdiplus::ImageFormatGIF, "GIF"},
    {&gdiplus::ImageFormatTIFF, "TIFF"},         {&gdiplus::ImageFormatEXIF, "EXIF"},
    {&gdiplus::ImageFormatIcon, "ICON"},
};

}  // namespace

VexiroStatus ReadRawFormatName(int32_t id, std::string& name) {
  name.clear();
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  GUID format;
  const gdiplus::Status s = gdiplus::GdipGetImageRawFormat(GetGpImage(id), &format);
  if (s != gdiplus::Ok) return ToStatus(s);
  name = "Undefined";
  for (const RawFormatName& entry : kRawFormatNames)
    if (*entry.format == format) name = entry.name;
  return vexiro::OK;
}

std::string GetRawFormatName(int32_t id) {
  std::string name;
  ReadRawFormatName(id, name);
  return name;
}

VexiroStatus GetTiffFrameCount(int32_t id, int32_t& count) {
  count = 0;
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  std::string name;
  const VexiroStatus s = ReadRawFormatName(id, name);
  if (s != vexiro::OK || name != "TIFF") return s;
  gdiplus::UINT frames = 0;
  const gdiplus::Status fs = gdiplus::GdipImageGetFrameCount(GetGpImage(id), &gdiplus::FrameDimensionPage, &frames);
  if (fs == gdiplus::Ok) count = static_cast<int32_t>(frames);
  return ToStatus(fs);
}

bool IsGreyPalette(int32_t id) {
  if (GetImageIndex(id) < 0) return false;
  gdiplus::GpImage* image = GetGpImage(id);
  gdiplus::INT bytes = 0;
  if (gdiplus::GdipGetImagePaletteSize(image, &bytes) != gdiplus::Ok || bytes <= 0) return false;
  gdiplus::ColorPalette palette;
  if (bytes > static_cast<gdiplus::INT>(sizeof(palette))) return false;
  if (gdiplus::GdipGetImagePalette(image, &palette, bytes) != gdiplus::Ok) return false;
  if (palette.Count != 256) return false;
  for (uint32_t i = 0; i < 256; ++i) {
    const gdiplus::ARGB e = palette.Entries[i];
    if (((e >> 16) & 0xFF) != i || ((e >> 8) & 0xFF) != i || (e & 0xFF) != i) return false;
  }
  return true;
}

void ApplyTagsToImage(int32_t id, const std::vector<PluginTag>& tags, float& verticalDpi, float& horizontalDpi) {
  gdiplus::GpImage* image = GetGpImage(id);
  if (!image) return;
  for (const PluginTag& tag : tags) {
    gdiplus::PropertyItem item;
    item.id = tag.Tag;
    item.length = tag.Value ? tag.Length : 0;
    item.type = tag.Type;
    item.value = const_cast<void*>(tag.Value);
    gdiplus::GdipSetPropertyItem(image, &item);
    const bool resolution = tag.Tag == gdiplus::PropertyTagXResolution || tag.Tag == gdiplus::PropertyTagYResolution;
    if (!resolution || tag.Type != gdiplus::PropertyTagTypeRational || tag.Count != 1 || tag.Length != 8 || !tag.Value)
      continue;
    int32_t fraction[2];
    std::memcpy(fraction, tag.Value, sizeof(fraction));
    if (fraction[1] < 1 || fraction[0] <= 0) continue;
    const float dpi = static_cast<float>(static_cast<double>(fraction[0]) / fraction[1]);
    (tag.Tag == gdiplus::PropertyTagYResolution ? verticalDpi : horizontalDpi) = dpi;
  }
}

}  // namespace vx::engine
