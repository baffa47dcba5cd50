// The writer of a document made in one go from images (a saved image, a multi-page TIFF, a scanned
// batch): created with the engine's settings, and closed so that only a complete file stays.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "vexiro/vexiro_status.h"

namespace vexiro {
class cPDF;
}

namespace vx::pdf {

// Document information and protection, as the Ex members take them.
struct PdfDocumentInfo {
  std::string title, author, subject, keywords, creator;
  int32_t encryption = 0;
  int32_t rights = -1;
  std::string userPassword, ownerPassword;
};

// Engine settings every new writer of these routes starts from.
struct PdfWriterSettings {
  int32_t compressionLevel = 9;
  int32_t jpegQuality = 75;
  bool pdfA = false;
  // Loads "Courier New" as font 1 for an invisible text layer.
  bool textFont = false;
};

// A writer with orientation 0 and the settings, its file created at `path`. Nothing is created
// on failure: InvalidParameter for an encryption outside 0 to 2 or a password Windows-1252
// cannot hold, CanNotCreateFile when the file exists or cannot be made.
vexiro::VexiroStatus OpenPdfSavingWriter(const std::string& path, const PdfDocumentInfo& info,
                                         const PdfWriterSettings& settings, std::unique_ptr<vexiro::cPDF>& writer);

// Finishes and closes the document. When `keep` is false, or a write failed on the way, the file
// this writer created is removed, so no partial document stays behind. True when the file stays.
bool FinishPdfSavingWriter(vexiro::cPDF& writer, bool keep);

}  // namespace vx::pdf
