#include "engine/documents/gif_documents.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/documents/multipage_document.h"
#include "engine/documents/page_file_writer.h"
#include "engine/documents/replacing_write.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "engine/plugin/api.h"
#include "engine/plugin/bridge.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "engine/routines/octree_quantizer.h"

namespace vx::engine {
namespace {

const std::string kGif = "GIF";
constexpr int32_t kDisposalNotSet = -1;
constexpr int32_t kMillisecondsPerDelayUnit = 10;
constexpr int32_t kPluginCommentModel = 0;

ImageRecord* FindGifDocument(int32_t id) {
  ImageRecord* doc = FindImageRecord(id);
  return doc && doc->IsGifMultiPage ? doc : nullptr;
}

bool PageInDocument(const ImageRecord& doc, int32_t page) {
  return page >= 1 && page <= doc.PageCount && static_cast<size_t>(page) <= doc.PageDelays.size() &&
         static_cast<size_t>(page) <= doc.PageDisposals.size();
}

// A frame the GIF format holds as it is: 8 bits per pixel; anything else is reduced to an
// adaptive palette first, and the reduced image takes the page image's place. Fully transparent
// pixels get a palette entry of their own rather than a key colour, so that no opaque pixel
// of that colour turns transparent with them.
VexiroStatus ReduceToGifColors(ScopedImage& page) {
  if (GetImageBitDepthStrict(page.get()) == 8) return vexiro::OK;
  ScopedImage reduced;
  int64_t clearPixels = 0;
  const VexiroStatus s = ReduceImageColorsKeepingClearPixels(page.get(), *reduced.put(), clearPixels);
  if (s != vexiro::OK) return s;
  if (reduced.get() == 0) return vexiro::GenericError;
  page.Release();
  *page.put() = reduced.Keep();
  return vexiro::OK;
}

// The document's comment as a comment of the file, carried by its first frame.
void AttachComment(uint32_t bitmap, const std::string& comment) {
  if (comment.find_first_not_of(' ') == std::string::npos) return;
  const VximgplugApi& api = Vximgplug();
  const uint32_t tag = api.CreateTag();
  if (tag == 0) return;
  const auto length = static_cast<uint32_t>(comment.size() + 1);
  api.SetTagKey(tag, "Comment");
  api.SetTagType(tag, 2);
  api.SetTagCount(tag, length);
  api.SetTagLength(tag, length);
  api.SetTagValue(tag, comment.c_str());
  api.SetMetadata(kPluginCommentModel, bitmap, "Comment", tag);
  api.DeleteTag(tag);
}

// The document holds the file's loop field (repeats after the first showing, 0 forever); the
// plug-in takes the number of showings and writes one less, so a count read from a file is
// written back unchanged.
int32_t PluginLoopCount(int32_t loopField) {
  const int32_t field = std::clamp(loopField, 0, kMaxWrittenGifLoopCount);
  return field == 0 ? 0 : field + 1;
}

struct FrameSettings {
  int32_t delay = 0;
  int32_t disposal = kDisposalNotSet;
  bool first = false;
  int32_t loopCount = 0;
  std::string comment;
};

VexiroStatus AppendFrame(uint32_t multi, int32_t pageImage, const FrameSettings& frame) {
  uint32_t bitmap = 0;
  const VexiroStatus s = ImageToPluginBitmap(pageImage, bitmap);
  if (s != vexiro::OK) return s;
  const VximgplugApi& api = Vximgplug();
  api.WriteFrameDelay(bitmap, frame.delay * kMillisecondsPerDelayUnit);
  if (frame.disposal != kDisposalNotSet) api.WriteFrameDisposal(bitmap, static_cast<uint8_t>(frame.disposal));
  if (frame.first) {
    api.WriteLoopCount(bitmap, PluginLoopCount(frame.loopCount));
    AttachComment(bitmap, frame.comment);
  }
  api.AppendPage(multi, bitmap);
  api.Unload(bitmap);
  return vexiro::OK;
}

VexiroStatus WriteFrames(int32_t documentId, uint32_t multi) {
  const ImageRecord* doc = FindImageRecord(documentId);
  const std::vector<std::string> files = doc->PageFiles;
  const std::vector<int32_t> delays = doc->PageDelays;
  const std::vector<int32_t> disposals = doc->PageDisposals;
  const int32_t loopCount = doc->GifLoopCount;
  const std::string comment = doc->GifComment;
  const size_t pages = std::min({static_cast<size_t>(std::max(doc->PageCount, 0)), files.size(), delays.size(),
                                 disposals.size()});
  bool first = true;
  for (size_t i = 0; i < pages; ++i) {
    if (files[i].empty()) continue;
    ScopedImage page;
    VexiroStatus s = LoadDocumentPageFile(*page.put(), files[i]);
    if (s == vexiro::OK) s = ReduceToGifColors(page);
    if (s == vexiro::OK) s = AppendFrame(multi, page.get(), {delays[i], disposals[i], first, loopCount, comment});
    if (s != vexiro::OK) return s;
    first = false;
  }
  return vexiro::OK;
}

bool FileHasBytes(const std::string& path) {
  std::error_code ec;
  return std::filesystem::file_size(path, ec) > 0 && !ec;
}

}  // namespace

VexiroStatus GetImageFrameCount(int32_t id, int32_t& count) {
  if (GetImageIndex(id) < 0) return vexiro::InvalidParameter;
  count = 0;
  std::string format;
  const VexiroStatus s = ReadRawFormatName(id, format);
  if (s != vexiro::OK || format != kGif) return s;
  gdiplus::UINT frames = 0;
  const gdiplus::Status fs = gdiplus::GdipImageGetFrameCount(GetGpImage(id), &gdiplus::FrameDimensionTime, &frames);
  if (fs == gdiplus::Ok) count = static_cast<int32_t>(frames);
  return ToStatus(fs);
}

VexiroStatus GetGifFrameDelays(int32_t id, std::vector<int32_t>& delays) {
  const ImageRecord* record = FindImageRecord(id);
  if (!record) return vexiro::InvalidParameter;
  if (!record->IsGifMultiPage || record->PageCount < 1) return vexiro::OK;
  const size_t pages = std::min(static_cast<size_t>(record->PageCount), record->PageDelays.size());
  delays.assign(record->PageDelays.begin(), record->PageDelays.begin() + static_cast<std::ptrdiff_t>(pages));
  return vexiro::OK;
}

int32_t GetGifLoopCount(int32_t id) {
  const ImageRecord* doc = FindGifDocument(id);
  return doc && doc->PageCount >= 1 ? doc->GifLoopCount : 0;
}

VexiroStatus SetGifLoopCount(int32_t id, int32_t count) {
  ImageRecord* record = FindImageRecord(id);
  if (!record || count < 0 || count > kMaxGifLoopCount) return vexiro::InvalidParameter;
  record->GifLoopCount = std::min(count, kMaxWrittenGifLoopCount);
  return vexiro::OK;
}

VexiroStatus SetGifPageTime(int32_t id, int32_t page, int32_t delay) {
  ImageRecord* record = FindImageRecord(id);
  if (!record || !PageInDocument(*record, page) || delay < 1) return vexiro::InvalidParameter;
  record->PageDelays[static_cast<size_t>(page - 1)] = delay;
  return vexiro::OK;
}

VexiroStatus SetGifPageDisposal(int32_t id, int32_t page, int32_t disposal) {
  ImageRecord* record = FindImageRecord(id);
  if (disposal < 1 || disposal > 3 || !record || !PageInDocument(*record, page)) return vexiro::InvalidParameter;
  record->PageDisposals[static_cast<size_t>(page - 1)] = disposal;
  return vexiro::OK;
}

void CommitCurrentGifPage(int32_t documentId) {
  const ImageRecord* doc = FindImageRecord(documentId);
  if (!doc) return;
  const int32_t page = doc->CurrentPage;
  // A page that cannot be written stays loaded and current, so nothing changes.
  if (UnloadCurrentPage(documentId, kGif) != vexiro::OK) return;
  if (page >= 0 && FindImageRecord(documentId)->CurrentPage < 0) SelectPage(documentId, page, kGif);
}

VexiroStatus SaveMultiPageGifFile(int32_t documentId, const std::string& path) {
  const ImageRecord* doc = FindImageRecord(documentId);
  if (!doc) return vexiro::InvalidParameter;
  if (!IsEditableMultiPageGif(documentId)) return vexiro::UnsupportedImageFormat;
  if (!IsVximgplugAvailable()) return vexiro::VximgplugDllRequired;
  const int32_t current = doc->CurrentPage;
  if (current >= 0 && static_cast<size_t>(current) < doc->PageImageIDs.size()) {
    const ImageRecord* page = FindImageRecord(doc->PageImageIDs[static_cast<size_t>(current)]);
    if (page && page->Modified) CommitCurrentGifPage(documentId);
  }
  ReplacingWrite write(path);
  if (write.Path().empty()) return vexiro::CanNotCreateFile;
  const VximgplugApi& api = Vximgplug();
  const uint32_t multi = api.OpenMultiBitmap(PluginFormatGIF, write.Path().c_str(), 1, 0, 0, 0);
  if (multi == 0) return vexiro::CanNotCreateFile;
  const VexiroStatus s = WriteFrames(documentId, multi);
  const int32_t closed = api.CloseMultiBitmap(multi, 0);
  if (s != vexiro::OK) return s;
  if (closed != 1) return vexiro::GenericError;
  if (!FileHasBytes(write.Path())) return vexiro::CanNotCreateFile;
  return write.Commit();
}

}  // namespace vx::engine
