// What the TIFF and GIF document members share: the same steps with the format as a parameter,
// each keeping its status for GetStat.
#include "engine/documents/multipage_document.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;

namespace {

bool IsTiff(const std::string& format) { return format == "TIFF"; }

bool IsDocumentOf(int32_t id, const std::string& format) {
  return IsTiff(format) ? IsMultiPageTiff(id) : IsMultiPageGif(id);
}

bool IsEditableDocumentOf(int32_t id, const std::string& format) {
  return IsTiff(format) ? IsEditableMultiPageTiff(id) : IsEditableMultiPageGif(id);
}

}  // namespace

int32_t cImaging::CreateDocumentFromFile(const std::string& path, bool useColorManagement, const std::string& format) {
  // Only the requested format is split into an editable document; the other stays whole.
  const LoadOptions options{.UseColorManagement = useColorManagement,
                            .DisablePlugin = bDisableVximgplugCodecs,
                            .TiffReadOnly = !IsTiff(format),
                            .GifReadOnly = IsTiff(format)};
  ScopedImage loaded;
  nStat = LoadImageFromFile(*loaded.put(), path, options);
  if (nStat != OK) return 0;
  if (IsEditableDocumentOf(loaded.get(), format)) {
    nNativeImage = loaded.get();
    return loaded.Keep();
  }
  // The loaded image is only the source of the new document's first page.
  return CreateDocumentFromImage(loaded.get(), format);
}

int32_t cImaging::CreateDocumentFromImage(int32_t imageId, const std::string& format) {
  int32_t document = 0;
  nStat = CreateMultiPageFromImage(imageId, document, format);
  if (nStat != OK) return 0;
  nNativeImage = document;
  return document;
}

bool cImaging::RequireEditableDocument(int32_t id, const std::string& format) {
  if (IsEditableDocumentOf(id, format)) return true;
  nStat = UnsupportedImageFormat;
  return false;
}

int32_t cImaging::DocumentPageCount(int32_t id, const std::string& format) {
  int32_t count = 0;
  nStat = IsTiff(format) ? GetTiffPageCount(id, count) : GetGifPageCount(id, count);
  return count;
}

int32_t cImaging::DocumentCurrentPage(int32_t id, const std::string& format) {
  // An identifier that names no image has no current page either.
  if (GetImageIndex(id) < 0) return 0;
  return (IsTiff(format) ? GetTiffCurrentPage(id) : GetGifCurrentPage(id)) + 1;
}

VexiroStatus cImaging::SelectDocumentPage(int32_t id, int32_t page, const std::string& format) {
  nStat = IsDocumentOf(id, format) ? SelectPage(id, page - 1, format) : UnsupportedImageFormat;
  return nStat;
}

VexiroStatus cImaging::InsertDocumentPageFromFile(int32_t id, int32_t position, const std::string& path,
                                                  const std::string& format) {
  if (!RequireEditableDocument(id, format)) return nStat;
  nStat = InsertPageFromFile(id, position, path, false, format);
  return nStat;
}

VexiroStatus cImaging::InsertDocumentPageFromImage(int32_t id, int32_t position, int32_t addId,
                                                   const std::string& format) {
  if (!RequireEditableDocument(id, format)) return nStat;
  nStat = InsertPageFromImage(id, position, addId, format);
  return nStat;
}

VexiroStatus cImaging::DeleteDocumentPage(int32_t id, int32_t page, const std::string& format) {
  if (!RequireEditableDocument(id, format)) return nStat;
  nStat = DeletePage(id, page, format);
  return nStat;
}

VexiroStatus cImaging::SwapDocumentPages(int32_t id, int32_t page1, int32_t page2, const std::string& format) {
  if (!RequireEditableDocument(id, format)) return nStat;
  nStat = SwapPages(id, page1, page2, format);
  return nStat;
}

}  // namespace vexiro
