// What a PDF saving route is asked to write: the target, the document information, whether the
// file is PDF/A, and the text layer of the searchable members (none for the others).
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "pdf/saving/page_text.h"
#include "pdf/saving/saving_writer.h"

namespace vx::pdf {

struct PdfSaveRequest {
  std::string path;
  PdfDocumentInfo info;
  bool pdfA = false;
  const PdfTextLayer* textLayer = nullptr;  // searchable routes only
};

// A PDF/A request, as the scanned documents and the searchable saves always are.
inline PdfSaveRequest PdfARequest(std::string path, PdfDocumentInfo info, const PdfTextLayer* textLayer = nullptr) {
  return {std::move(path), std::move(info), true, textLayer};
}

// The writer settings of a request under the engine's compression level and JPEG quality.
inline PdfWriterSettings WriterSettingsFor(const PdfSaveRequest& request, int32_t compressionLevel,
                                           int32_t jpegQuality) {
  return {compressionLevel, jpegQuality, request.pdfA, request.textLayer != nullptr};
}

// A searchable scanned document's pages at its stop: the characters of page i at i - 1, laid
// by `paint`. A page whose recognition failed or gave nothing holds no characters, so its page
// shows the picture only; pages beyond the vector get no text layer.
struct ScanPdfPages {
  const std::vector<PageCharacters>* characters = nullptr;
  TextLayerPainter paint;
};

}  // namespace vx::pdf
