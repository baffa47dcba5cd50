#include "pdf/saving/saving_writer.h"

#include "pdf/pdf_text.h"
#include "pdf/pdf_writer.h"
#include "platform/kernel/files.h"

namespace vx::pdf {

namespace {

bool ProtectionAccepted(const PdfDocumentInfo& info) {
  std::string ansi;
  return info.encryption >= 0 && info.encryption <= 2 && ExactAnsi(info.userPassword, ansi) &&
         ExactAnsi(info.ownerPassword, ansi);
}

}  // namespace

vexiro::VexiroStatus OpenPdfSavingWriter(const std::string& path, const PdfDocumentInfo& info,
                                         const PdfWriterSettings& settings, std::unique_ptr<vexiro::cPDF>& writer) {
  // Refused protection is the caller's mistake, not the file's: tell them apart before creating.
  if (!ProtectionAccepted(info)) return vexiro::InvalidParameter;
  writer = std::make_unique<vexiro::cPDF>();
  writer->Orientation(0);
  writer->JpegQuality(settings.jpegQuality);
  writer->CompressLevel(settings.compressionLevel);
  writer->PdfA(settings.pdfA);
  if (!writer->NewPdf(path, info.title, info.author, info.creator, info.keywords, info.subject, info.encryption,
                      info.rights, info.userPassword, info.ownerPassword))
    return vexiro::CanNotCreateFile;
  if (settings.textFont) writer->LoadFont("Courier New", false, false);
  return vexiro::OK;
}

bool FinishPdfSavingWriter(vexiro::cPDF& writer, bool keep) {
  if (writer.PdfGetNativePdf() == 0) return false;
  const std::string path = writer.PdfGetPath();
  const bool written = writer.ClosePdfFile();
  if (keep && written) return true;
  vx::DeleteFile(path);
  return false;
}

}  // namespace vx::pdf
