// Multi-page TIFF and GIF documents: the split of a freshly loaded file into a document, page
// selection and the page operations. Every operation takes the document format, "TIFF" or
// "GIF", as its last argument.
#pragma once
#include <cstdint>
#include <string>

#include "engine/load/load_options.h"
#include "engine/vexiro_status.h"

namespace vx::engine {

// The read-only options keep a multi-page file one native image instead of an editable document.
VexiroStatus SplitMultiPageImage(const std::string& path, int32_t sourceId, int32_t& documentId,
                                 const LoadOptions& options);
VexiroStatus LoadMultiPageFileGdiPlus(const std::string& path, int32_t& id, const LoadOptions& options);

// Pages are 0-based here and 1-based in the page operations below, as hosts count them.
VexiroStatus SelectPage(int32_t documentId, int32_t page, const std::string& format);
// The page selector the image store calls back after committing a page: the document's own format.
VexiroStatus SelectPageOfDocument(int32_t documentId, int32_t pageIndex);
VexiroStatus CreateMultiPageFromImage(int32_t imageId, int32_t& documentId, const std::string& format);
VexiroStatus InsertPageFromImage(int32_t documentId, int32_t position, int32_t imageId, const std::string& format);
VexiroStatus InsertPageFromFile(int32_t documentId, int32_t position, const std::string& path, bool useColorManagement,
                                const std::string& format);
VexiroStatus DeletePage(int32_t documentId, int32_t page, const std::string& format);
VexiroStatus SwapPages(int32_t documentId, int32_t pageA, int32_t pageB, const std::string& format);
VexiroStatus SelectTiffFrame(int32_t imageId, int32_t frame);
VexiroStatus SelectGifFrame(int32_t imageId, int32_t frame);

inline VexiroStatus SelectPageTiff(int32_t doc, int32_t page) { return SelectPage(doc, page, "TIFF"); }
inline VexiroStatus SelectPageGif(int32_t doc, int32_t page) { return SelectPage(doc, page, "GIF"); }
inline VexiroStatus CreateMultiPageFromImageTiff(int32_t image, int32_t& doc) {
  return CreateMultiPageFromImage(image, doc, "TIFF");
}
inline VexiroStatus CreateMultiPageFromImageGif(int32_t image, int32_t& doc) {
  return CreateMultiPageFromImage(image, doc, "GIF");
}
inline VexiroStatus InsertPageFromImageTiff(int32_t doc, int32_t position, int32_t image) {
  return InsertPageFromImage(doc, position, image, "TIFF");
}
inline VexiroStatus InsertPageFromImageGif(int32_t doc, int32_t position, int32_t image) {
  return InsertPageFromImage(doc, position, image, "GIF");
}
inline VexiroStatus InsertPageFromFileTiff(int32_t doc, int32_t position, const std::string& path, bool icm) {
  return InsertPageFromFile(doc, position, path, icm, "TIFF");
}
inline VexiroStatus InsertPageFromFileGif(int32_t doc, int32_t position, const std::string& path, bool icm) {
  return InsertPageFromFile(doc, position, path, icm, "GIF");
}
inline VexiroStatus DeletePageTiff(int32_t doc, int32_t page) { return DeletePage(doc, page, "TIFF"); }
inline VexiroStatus DeletePageGif(int32_t doc, int32_t page) { return DeletePage(doc, page, "GIF"); }
inline VexiroStatus SwapPagesTiff(int32_t doc, int32_t a, int32_t b) { return SwapPages(doc, a, b, "TIFF"); }
inline VexiroStatus SwapPagesGif(int32_t doc, int32_t a, int32_t b) { return SwapPages(doc, a, b, "GIF"); }

// Record queries; each finds the first record with the identifier.
bool IsMultiPageTiff(int32_t id);
bool IsMultiPageGif(int32_t id);
bool IsEditableMultiPageTiff(int32_t id);
bool IsEditableMultiPageGif(int32_t id);
VexiroStatus GetTiffPageCount(int32_t id, int32_t& count);
VexiroStatus GetGifPageCount(int32_t id, int32_t& count);
int32_t GetTiffCurrentPage(int32_t id);
int32_t GetGifCurrentPage(int32_t id);

}  // namespace vx::engine
