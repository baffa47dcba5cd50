// Multi-page documents. A native document is one open image whose frames are selected in turn;
// an editable one keeps every page in a temporary file of its own and loads only the current
// page, so pages can be inserted, deleted and swapped without touching the others.
#include "engine/documents/multipage_document.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/load/loader.h"
#include "engine/documents/page_file_writer.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "engine/routines/shared_routines.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/input_limits.h"

namespace vx::engine {

using namespace vx::gdiplus;

namespace {

constexpr int32_t kDefaultDelay = 25;
constexpr int32_t kDisposalNotSet = -1;
// Property values above this size are not read: no frame table or comment comes near it.
constexpr UINT kMaxPropertyBytes = 1u << 24;

bool IsTiff(const std::string& format) { return format == "TIFF"; }

bool HasFormatFlag(const ImageRecord& r, const std::string& format) {
  if (IsTiff(format)) return r.IsTiffMultiPage;
  return format == "GIF" && r.IsGifMultiPage;
}

// Applies one operation to all five page arrays, which always move together.
template <class Op>
void ForEachPageArray(ImageRecord& r, Op op) {
  op(r.PageFiles);
  op(r.PageImageIDs);
  op(r.PageBitDepths);
  op(r.PageDelays);
  op(r.PageDisposals);
}

void SizePageTable(ImageRecord& r, int32_t count) {
  r.PageCount = count;
  ForEachPageArray(r, [count](auto& a) { a.assign(static_cast<size_t>(count), {}); });
}

// Read-only, so a multi-page file is not split: a page file holds one page, and a file inserted
// as a page gives only its first one.
LoadOptions OnePageOnly(LoadOptions options = {}) {
  options.TiffReadOnly = true;
  options.GifReadOnly = true;
  return options;
}

VexiroStatus LoadPageFile(const std::string& path, int32_t& id) { return LoadDocumentPageFile(id, path); }

int32_t FrameCountOf(int32_t id, const std::string& format) {
  int32_t count = 0;
  if (IsTiff(format)) {
    GetTiffFrameCount(id, count);
    return count;
  }
  UINT frames = 0;
  if (GdipImageGetFrameCount(GetGpImage(id), &FrameDimensionTime, &frames) == Ok) count = static_cast<int32_t>(frames);
  return count;
}

bool ReadProperty(GpImage* image, PROPID tag, std::vector<uint8_t>& value) {
  UINT size = 0;
  if (GdipGetPropertyItemSize(image, tag, &size) != Ok || size < sizeof(PropertyItem) || size > kMaxPropertyBytes)
    return false;
  std::vector<uint64_t> block((size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  auto* item = reinterpret_cast<PropertyItem*>(block.data());
  if (GdipGetPropertyItem(image, tag, size, item) != Ok || !item->value) return false;
  const auto* bytes = static_cast<const uint8_t*>(item->value);
  const ULONG length = std::min<ULONG>(item->length, size - static_cast<UINT>(sizeof(PropertyItem)));
  value.assign(bytes, bytes + length);
  return true;
}

// Frame delays, loop count and comment of a GIF source into the document's table.
void ReadGifAnimation(GpImage* source, ImageRecord& doc) {
  std::vector<uint8_t> value;
  if (ReadProperty(source, PropertyTagFrameDelay, value)) {
    const size_t n = std::min(value.size() / 4, doc.PageDelays.size());
    for (size_t i = 0; i < n; ++i)
      doc.PageDelays[i] = static_cast<int32_t>(value[4 * i] | value[4 * i + 1] << 8 | value[4 * i + 2] << 16 |
                                               static_cast<uint32_t>(value[4 * i + 3]) << 24);
  }
  for (int32_t& delay : doc.PageDelays)
    if (delay < 1) delay = kDefaultDelay;
  std::fill(doc.PageDisposals.begin(), doc.PageDisposals.end(), kDisposalNotSet);
  if (ReadProperty(source, PropertyTagLoopCount, value) && value.size() >= 2)
    doc.GifLoopCount = value[0] | value[1] << 8;
  if (ReadProperty(source, PropertyTagExifUserComment, value)) {
    doc.GifComment.assign(value.begin(), std::find(value.begin(), value.end(), uint8_t{0}));
  }
}

void SetProperty(GpImage* image, PROPID tag, WORD type, std::vector<uint8_t> value) {
  PropertyItem item;
  item.id = tag;
  item.type = type;
  item.length = static_cast<ULONG>(value.size());
  item.value = value.data();
  GdipSetPropertyItem(image, &item);
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// The animation data travels on the page image, so drawing and saving see it; the loop count is
// an unsigned 16-bit value there, with 65536 (the largest count a host may set) held as 65535.
void WriteGifAnimation(int32_t documentId) {
  GpImage* image = GetGpImage(documentId);
  const ImageRecord* doc = FindImageRecord(documentId);
  if (!image || !doc) return;
  std::vector<uint8_t> delays;
  const size_t pages = std::min(static_cast<size_t>(std::max(doc->PageCount, 0)), doc->PageDelays.size());
  for (size_t i = 0; i < pages; ++i) {
    const auto d = static_cast<uint32_t>(doc->PageDelays[i]);
    delays.insert(delays.end(), {uint8_t(d), uint8_t(d >> 8), uint8_t(d >> 16), uint8_t(d >> 24)});
  }
  const auto loop = static_cast<uint16_t>(std::clamp(doc->GifLoopCount, 0, 65535));
  const std::string comment = doc->GifComment;
  SetProperty(image, PropertyTagFrameDelay, PropertyTagTypeLong, std::move(delays));
  SetProperty(image, PropertyTagLoopCount, PropertyTagTypeShort, {uint8_t(loop), uint8_t(loop >> 8)});
  if (!IsBlank(comment)) {
    std::vector<uint8_t> text(comment.begin(), comment.end());
    text.push_back(0);
    SetProperty(image, PropertyTagExifUserComment, PropertyTagTypeASCII, std::move(text));
  }
}

// A page of a plug-in multi-page file becomes the page image; it keeps the plug-in's pixels
// when the conversion still uses them.
VexiroStatus LoadNativePluginPage(int32_t documentId, int32_t page, const std::string& format) {
  const auto multi = static_cast<uint32_t>(FindImageRecord(documentId)->PluginBitmap);
  uint32_t locked = Vximgplug().LockPage(multi, page);
  if (locked == 0) return vexiro::OK;
  bool released = false, lockedPage = true;
  ScopedImage pageImage;
  const VexiroStatus s = PluginBitmapToImage(locked, *pageImage.put(), released, lockedPage, multi,
                                             IsTiff(format) ? PluginFormatTIFF : PluginFormatGIF);
  if (s == vexiro::OK && !released) {
    if (lockedPage) {
      SetImagePluginPage(pageImage.get(), locked, multi);
    } else {
      SetImagePluginBitmap(pageImage.get(), locked);
    }
  } else if (lockedPage) {
    Vximgplug().UnlockPage(multi, locked, false);
  } else {
    Vximgplug().Unload(locked);
  }
  if (s != vexiro::OK) return s;
  FindImageRecord(documentId)->PageImageIDs[static_cast<size_t>(page)] = pageImage.Keep();
  return s;
}

VexiroStatus LoadNativePage(int32_t documentId, int32_t page, const std::string& format) {
  const ImageKind kind = FindImageRecord(documentId)->Kind;
  if (kind == KindPluginBitmap) return LoadNativePluginPage(documentId, page, format);
  if (kind == KindFile) return IsTiff(format) ? SelectTiffFrame(documentId, page) : SelectGifFrame(documentId, page);
  return vexiro::OK;
}

VexiroStatus LoadEditablePage(int32_t documentId, int32_t page) {
  const ImageRecord* doc = FindImageRecord(documentId);
  const auto at = static_cast<size_t>(page);
  if (doc->PageImageIDs[at] != 0) return vexiro::OK;
  const std::string file = doc->PageFiles[at];
  if (file.empty()) return vexiro::GenericError;
  int32_t pageId = 0;
  const VexiroStatus s = LoadPageFile(file, pageId);
  if (s == vexiro::OK) FindImageRecord(documentId)->PageImageIDs[at] = pageId;
  return s;
}

// The document record of an editable document of the format, or the status that refuses it.
VexiroStatus FindEditableDocument(int32_t documentId, const std::string& format, ImageRecord*& doc) {
  doc = FindImageRecord(documentId);
  if (!doc) return vexiro::GenericError;
  if (!HasFormatFlag(*doc, format) || doc->NativeMultiPage) return vexiro::UnsupportedImageFormat;
  return vexiro::OK;
}

bool PageInRange(const ImageRecord& doc, int32_t page) { return page >= 1 && page <= doc.PageCount; }

// A document at the page limit takes no more pages: no loader would read the file back whole.
VexiroStatus RoomForAnotherPage(const ImageRecord& doc) {
  return doc.PageCount >= limits::kMaxDocumentPages ? vexiro::OutOfMemory : vexiro::OK;
}

VexiroStatus SelectFrame(int32_t imageId, int32_t frame, const GUID& dimension) {
  if (GetImageIndex(imageId) < 0) return vexiro::InvalidParameter;
  if (frame < 0) return vexiro::InvalidParameter;
  return ToStatus(GdipImageSelectActiveFrame(GetGpImage(imageId), &dimension, static_cast<UINT>(frame)));
}

}  // namespace

VexiroStatus SelectPageOfDocument(int32_t documentId, int32_t pageIndex) {
  const ImageRecord* doc = FindImageRecord(documentId);
  if (!doc) return vexiro::GenericError;
  return SelectPage(documentId, pageIndex, doc->IsTiffMultiPage ? "TIFF" : "GIF");
}

VexiroStatus SelectTiffFrame(int32_t imageId, int32_t frame) { return SelectFrame(imageId, frame, FrameDimensionPage); }
VexiroStatus SelectGifFrame(int32_t imageId, int32_t frame) { return SelectFrame(imageId, frame, FrameDimensionTime); }

VexiroStatus SplitMultiPageImage(const std::string& path, int32_t sourceId, int32_t& documentId,
                                 const LoadOptions& options) {
  documentId = sourceId;
  const std::string format = GetRawFormatName(sourceId);
  if (format != "TIFF" && format != "GIF") return vexiro::OK;
  // A document holds at most the page limit; the frames after it are not offered.
  const int32_t count = std::min(FrameCountOf(sourceId, format), limits::kMaxDocumentPages);
  if (count < 2) return vexiro::OK;
  const bool native = IsTiff(format) ? options.TiffReadOnly : options.GifReadOnly;
  if (!native) RegisterImage(documentId, nullptr, format, path, KindGeneric);

  ImageRecord* doc = FindImageRecord(documentId);
  SizePageTable(*doc, count);
  if (IsTiff(format)) {
    doc->IsTiffMultiPage = true;
  } else {
    ReadGifAnimation(GetGpImage(sourceId), *doc);
    doc->IsGifMultiPage = true;
  }
  doc->CurrentPage = -1;
  if (native) {
    doc->NativeMultiPage = true;
    SelectPage(documentId, 0, format);
    return vexiro::OK;
  }

  int32_t written = 0;
  for (int32_t i = 0; i < count; ++i) {
    const VexiroStatus selected = IsTiff(format) ? SelectTiffFrame(sourceId, i) : SelectGifFrame(sourceId, i);
    if (selected != vexiro::OK) continue;
    VexiroStatus s = vexiro::OK;
    const std::string file = WritePageToTempFile(sourceId, format, s);
    if (file.empty()) continue;
    ++written;
    doc = FindImageRecord(documentId);
    doc->PageFiles[static_cast<size_t>(i)] = file;
    doc->PageBitDepths[static_cast<size_t>(i)] = GetImageBitDepthStrict(sourceId);
  }
  ReleaseImage(sourceId);
  if (written == 0) return DiscardFailedLoad(documentId, vexiro::UnknownImageFormat);
  SelectPage(documentId, 0, format);
  return vexiro::OK;
}

VexiroStatus LoadMultiPageFileGdiPlus(const std::string& path, int32_t& id, const LoadOptions& options) {
  id = 0;
  int32_t loaded = 0;
  const VexiroStatus s = options.UseColorManagement ? CreateImageFromFileGdiPlusICM(path, loaded)
                                                    : CreateImageFromFileGdiPlus(path, loaded);
  if (s != vexiro::OK) return s;
  return SplitMultiPageImage(path, loaded, id, options);
}

VexiroStatus SelectPage(int32_t documentId, int32_t page, const std::string& format) {
  ImageRecord* doc = FindImageRecord(documentId);
  if (!doc) return vexiro::GenericError;
  if (!HasFormatFlag(*doc, format)) return vexiro::UnsupportedImageFormat;
  if (page < 0 || page >= doc->PageCount) return vexiro::InvalidParameter;
  VexiroStatus status = vexiro::OK;
  if (page != doc->CurrentPage) {
    // A modified page that cannot be written back stays loaded and current.
    status = UnloadCurrentPage(documentId, format);
    if (status != vexiro::OK) return status;
    doc = FindImageRecord(documentId);
    doc->CurrentPage = page;
    status = doc->NativeMultiPage ? LoadNativePage(documentId, page, format) : LoadEditablePage(documentId, page);
  }
  if (!IsTiff(format) && status == vexiro::OK) WriteGifAnimation(documentId);
  return status;
}

VexiroStatus CreateMultiPageFromImage(int32_t imageId, int32_t& documentId, const std::string& format) {
  VexiroStatus s = vexiro::OK;
  const std::string file = WritePageToTempFile(imageId, format, s);
  if (file.empty()) return s;
  RegisterImage(documentId, nullptr, format, "", KindGeneric);
  ImageRecord* doc = FindImageRecord(documentId);
  (IsTiff(format) ? doc->IsTiffMultiPage : doc->IsGifMultiPage) = true;
  SizePageTable(*doc, 1);
  doc->PageFiles[0] = file;
  doc->PageBitDepths[0] = GetImageBitDepthStrict(imageId);
  doc->PageDelays[0] = kDefaultDelay;
  doc->PageDisposals[0] = kDisposalNotSet;
  doc->CurrentPage = 0;
  int32_t pageId = 0;
  LoadPageFile(file, pageId);
  FindImageRecord(documentId)->PageImageIDs[0] = pageId;
  return vexiro::OK;
}

VexiroStatus InsertPageFromImage(int32_t documentId, int32_t position, int32_t imageId, const std::string& format) {
  ImageRecord* doc = nullptr;
  VexiroStatus s = FindEditableDocument(documentId, format, doc);
  if (s == vexiro::OK) s = RoomForAnotherPage(*doc);
  if (s != vexiro::OK) return s;
  const int32_t count = doc->PageCount;
  position = std::clamp(position, 1, count + 1);
  if (GetImageIndex(imageId) < 0) return vexiro::GenericError;
  const std::string file = WritePageToTempFile(imageId, format, s);
  if (file.empty()) return s;

  doc = FindImageRecord(documentId);
  const auto at = static_cast<size_t>(position - 1);
  ForEachPageArray(*doc, [count, at](auto& a) {
    a.resize(static_cast<size_t>(count));
    a.insert(a.begin() + static_cast<std::ptrdiff_t>(at), typename std::decay_t<decltype(a)>::value_type{});
  });
  doc->PageCount = count + 1;
  if (doc->CurrentPage >= position - 1) doc->CurrentPage += 1;
  doc->PageFiles[at] = file;
  doc->PageImageIDs[at] = 0;
  doc->PageBitDepths[at] = GetImageBitDepthStrict(imageId);
  doc->PageDelays[at] = kDefaultDelay;
  doc->PageDisposals[at] = kDisposalNotSet;
  return vexiro::OK;
}

VexiroStatus InsertPageFromFile(int32_t documentId, int32_t position, const std::string& path, bool useColorManagement,
                                const std::string& format) {
  ScopedImage loaded;
  const LoadOptions options = OnePageOnly({.UseColorManagement = useColorManagement});
  const VexiroStatus s = LoadImageFromFile(*loaded.put(), path, options);
  if (s != vexiro::OK) return s;
  return InsertPageFromImage(documentId, position, loaded.get(), format);
}

VexiroStatus DeletePage(int32_t documentId, int32_t page, const std::string& format) {
  ImageRecord* doc = nullptr;
  const VexiroStatus s = FindEditableDocument(documentId, format, doc);
  if (s != vexiro::OK) return s;
  if (!PageInRange(*doc, page)) return vexiro::InvalidParameter;
  const auto at = static_cast<size_t>(page - 1);
  const bool wasCurrent = page == doc->CurrentPage + 1;
  if (wasCurrent) doc->CurrentPage = -1;
  const int32_t pageId = doc->PageImageIDs[at];
  if (pageId != 0) {
    ReleaseImage(pageId);
    doc = FindImageRecord(documentId);
    doc->PageImageIDs[at] = 0;
  }
  if (!doc->PageFiles[at].empty()) {
    DeleteFileQuietly(doc->PageFiles[at]);
    doc->PageFiles[at].clear();
  }
  const int32_t count = doc->PageCount;
  if (count > 1) {
    ForEachPageArray(*doc, [count, at](auto& a) {
      a.resize(static_cast<size_t>(count));
      a.erase(a.begin() + static_cast<std::ptrdiff_t>(at));
    });
  } else {
    // The last page goes: one cleared entry stays, no stale file name or identifier.
    ForEachPageArray(*doc, [](auto& a) { a.assign(1, {}); });
  }
  doc->PageCount = count - 1;
  if (!wasCurrent) {
    if (doc->CurrentPage > page - 1) doc->CurrentPage -= 1;
  } else {
    const int32_t next = page - 1 >= doc->PageCount ? page - 2 : page - 1;
    SelectPage(documentId, next, format);
  }
  return vexiro::OK;
}

VexiroStatus SwapPages(int32_t documentId, int32_t pageA, int32_t pageB, const std::string& format) {
  ImageRecord* doc = nullptr;
  const VexiroStatus s = FindEditableDocument(documentId, format, doc);
  if (s != vexiro::OK) return s;
  if (!PageInRange(*doc, pageA) || !PageInRange(*doc, pageB)) return vexiro::InvalidParameter;
  if (pageA == doc->CurrentPage + 1) {
    doc->CurrentPage = pageB - 1;
  } else if (pageB == doc->CurrentPage + 1) {
    doc->CurrentPage = pageA - 1;
  }
  const auto a = static_cast<size_t>(pageA - 1), b = static_cast<size_t>(pageB - 1);
  ForEachPageArray(*doc, [a, b](auto& arr) { std::swap(arr[a], arr[b]); });
  return vexiro::OK;
}

bool IsMultiPageTiff(int32_t id) {
  const ImageRecord* r = FindImageRecord(id);
  return r && r->IsTiffMultiPage;
}
bool IsMultiPageGif(int32_t id) {
  const ImageRecord* r = FindImageRecord(id);
  return r && r->IsGifMultiPage;
}
bool IsEditableMultiPageTiff(int32_t id) { return IsMultiPageTiff(id) && !FindImageRecord(id)->NativeMultiPage; }
bool IsEditableMultiPageGif(int32_t id) { return IsMultiPageGif(id) && !FindImageRecord(id)->NativeMultiPage; }

namespace {

VexiroStatus PageCountOf(int32_t id, bool ImageRecord::*flag, int32_t& count) {
  const ImageRecord* r = FindImageRecord(id);
  if (!r) return vexiro::UnsupportedImageFormat;
  if (!(r->*flag)) {
    count = 0;
    return vexiro::UnsupportedImageFormat;
  }
  count = r->PageCount;
  return vexiro::OK;
}

int32_t CurrentPageOf(int32_t id, bool ImageRecord::*flag) {
  const ImageRecord* r = FindImageRecord(id);
  if (!r) return 0;
  return r->*flag ? r->CurrentPage : -1;
}

}  // namespace

VexiroStatus GetTiffPageCount(int32_t id, int32_t& count) {
  return PageCountOf(id, &ImageRecord::IsTiffMultiPage, count);
}
VexiroStatus GetGifPageCount(int32_t id, int32_t& count) {
  return PageCountOf(id, &ImageRecord::IsGifMultiPage, count);
}
int32_t GetTiffCurrentPage(int32_t id) { return CurrentPageOf(id, &ImageRecord::IsTiffMultiPage); }
int32_t GetGifCurrentPage(int32_t id) { return CurrentPageOf(id, &ImageRecord::IsGifMultiPage); }

}  // namespace vx::engine
