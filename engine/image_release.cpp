// Releasing, replacing and paging images of the thread's store.
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/routines/shared_routines.h"
#include "engine/store_internal.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/kernel/global_memory.h"

namespace vx::engine {
namespace {

// The last slot is dropped; any other is blanked for reuse. Other slots keep their indices.
void FreeSlot(size_t index) {
  auto& images = ThreadImages();
  if (index + 1 == images.size()) {
    images.pop_back();
  } else {
    images[index] = ImageRecord{};
  }
}

// Frees everything a record holds. The order matters: whatever reads from a resource goes
// before the resource — the lent device context before the image it draws on, the image
// before the plug-in pages, files and pixel memory it reads from.
VexiroStatus ReleaseSlot(size_t index) {
  VexiroStatus status = vexiro::OK;
  if (ThreadImages()[index].IsDocument()) {
    const ImageRecord& doc = ThreadImages()[index];
    const std::vector<int32_t> pageIds = doc.PageImageIDs;
    const std::vector<std::string> pageFiles = doc.PageFiles;
    for (size_t p = 0; p < pageIds.size(); ++p) {
      if (pageIds[p] != 0) status = ReleaseImage(pageIds[p]);
      if (p < pageFiles.size()) DeleteFileQuietly(pageFiles[p]);
    }
  }
  ImageRecord r = ThreadImages()[index];

  bool freePixels = false;
  if (r.OwnsPixelBuffer && r.PixelBuffer != 0 && r.GpImage) {
    // A bitmap whose pixels were moved into the platform's own memory no longer uses ours.
    intptr_t scan0 = 0;
    freePixels = ReadScan0Of(r.GpImage, scan0) == vexiro::OK && scan0 == r.PixelBuffer;
  }
  if (r.DC != 0) internal::ReturnLentDC(r.DCGraphics, r.DC);
  if (r.GpImage) status = ToStatus(gdiplus::GdipDisposeImage(r.GpImage));

  if (r.Kind == KindPluginPage) internal::UnlockPluginPage(r.PluginMultiBitmap, r.PluginBitmap);
  if (r.Kind == KindPluginBitmap) {
    if (r.IsDocument()) {
      internal::ClosePluginMultiBitmap(r.PluginBitmap);
    } else {
      internal::UnloadPluginBitmap(r.PluginBitmap);
    }
  }
  if (r.PluginFileHandle != 0) internal::ClosePluginFile(r.PluginFileHandle);

  if (freePixels) gdiplus::GdipFree(reinterpret_cast<void*>(r.PixelBuffer));
  if (r.Kind == KindGdiDib && r.DibHandle != 0) GlobalFree(r.DibHandle);
  if (r.OwnsSourceFile) DeleteFileQuietly(r.SourcePath);

  FreeSlot(index);
  return status;
}

const char* DocumentFormat(const ImageRecord& doc) { return doc.IsTiffMultiPage ? "TIFF" : "GIF"; }

// For the callers that need only the file: a failed write leaves the page as it was.
std::string WriteFreshPageFile(int32_t imageId, const std::string& format) {
  VexiroStatus ignored = vexiro::OK;
  return WritePageToTempFile(imageId, format, ignored);
}

bool HasCurrentPage(const ImageRecord& doc) {
  return doc.PageCount > 0 && doc.CurrentPage >= 0 && doc.CurrentPage < static_cast<int32_t>(doc.PageImageIDs.size()) &&
         doc.CurrentPage < static_cast<int32_t>(doc.PageFiles.size());
}

// The current page of a document and its image, when one is loaded.
bool FindLoadedCurrentPage(int32_t documentId, size_t& page, int32_t& pageId) {
  const ImageRecord* doc = FindImageRecord(documentId);
  if (!doc || !HasCurrentPage(*doc)) return false;
  page = static_cast<size_t>(doc->CurrentPage);
  pageId = doc->PageImageIDs[page];
  return pageId != 0;
}

// The loaded current page leaves memory; a page just written to `newFile` takes that file in
// place of its old one.
void DropCurrentPage(int32_t documentId, size_t page, int32_t pageId, const std::string& newFile) {
  ReleaseImage(pageId);
  ImageRecord* doc = FindImageRecord(documentId);
  if (!newFile.empty()) {
    DeleteFileQuietly(doc->PageFiles[page]);
    doc->PageFiles[page] = newFile;
  }
  doc->PageImageIDs[page] = 0;
  doc->CurrentPage = -1;
}

// An editable document's current page becomes the new image, written to its page file first.
int32_t ReplaceDocumentPage(int32_t docId, int32_t newId) {
  ScopedImage incoming(newId);
  const ImageRecord* doc = FindImageRecord(docId);
  if (!HasCurrentPage(*doc) || GetImageIndex(newId) < 0) return 0;
  const std::string path = WriteFreshPageFile(newId, DocumentFormat(*doc));
  if (path.empty()) return 0;
  ImageRecord* d = FindImageRecord(docId);
  const auto page = static_cast<size_t>(d->CurrentPage);
  const int32_t oldPageId = d->PageImageIDs[page];
  const std::string oldFile = d->PageFiles[page];
  d->PageFiles[page] = path;
  d->PageImageIDs[page] = incoming.Keep();
  if (page < d->PageBitDepths.size()) d->PageBitDepths[page] = GetImageBitDepthStrict(newId);
  ClearImageModified(newId);
  if (oldPageId != 0 && oldPageId != newId) ReleaseImage(oldPageId);
  DeleteFileQuietly(oldFile);
  return docId;
}

}  // namespace

VexiroStatus ReleaseImage(int32_t id) {
  const int32_t index = GetImageIndex(id);
  if (index < 0) return vexiro::InvalidParameter;
  return ReleaseSlot(static_cast<size_t>(index));
}

void ReleaseAllImages() {
  auto& images = ThreadImages();
  while (!images.empty()) {
    if (images.back().ImageID == 0) {
      images.pop_back();
    } else {
      ReleaseSlot(images.size() - 1);
    }
  }
}

int32_t ReplaceImage(int32_t oldId, int32_t newId) {
  const int32_t oldIndex = GetImageIndex(oldId);
  if (oldIndex < 0) return 0;
  if (ThreadImages()[static_cast<size_t>(oldIndex)].IsEditableDocument()) return ReplaceDocumentPage(oldId, newId);
  const int32_t newIndex = GetImageIndex(newId);
  if (newIndex < 0) return 0;
  if (newIndex == oldIndex) return oldId;
  // The new record takes the identifier before the old one goes, so the identifier never
  // names nothing; the old slot is then released by position.
  ThreadImages()[static_cast<size_t>(newIndex)].ImageID = oldId;
  ReleaseSlot(static_cast<size_t>(oldIndex));
  return oldId;
}

std::string WritePageToTempFile(int32_t imageId, const std::string& documentFormat, VexiroStatus& status) {
  return WriteFreshTempFile(
      [&](const std::string& path) { return internal::WritePageFile(imageId, path, documentFormat); }, status);
}

VexiroStatus UnloadCurrentPage(int32_t documentId, const std::string& documentFormat) {
  size_t page = 0;
  int32_t pageId = 0;
  if (!FindLoadedCurrentPage(documentId, page, pageId)) return vexiro::OK;
  const ImageRecord* pageRecord = FindImageRecord(pageId);
  std::string path;
  if (FindImageRecord(documentId)->IsEditableDocument() && pageRecord && pageRecord->Modified) {
    VexiroStatus written = vexiro::OK;
    path = WritePageToTempFile(pageId, documentFormat, written);
    // The change would be lost: the page stays loaded so the host can retry or save it.
    if (path.empty()) return written;
  }
  DropCurrentPage(documentId, page, pageId, path);
  return vexiro::OK;
}

void CommitCurrentTiffPage(int32_t documentId) {
  size_t page = 0;
  int32_t pageId = 0;
  if (!FindLoadedCurrentPage(documentId, page, pageId)) return;
  const std::string path = WriteFreshPageFile(pageId, "TIFF");
  if (path.empty()) return;
  DropCurrentPage(documentId, page, pageId, path);
  internal::SelectPage(documentId, static_cast<int32_t>(page));
}

}  // namespace vx::engine
