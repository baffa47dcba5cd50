// Scan-to-PDF: scanned images collect in a PDF/A document of their own, one page per image,
// written when the document stops. The plain and the searchable document run through the same
// start, add, stop and abandon steps, each on its own writer and handle.
#include "pdf/pdf_writer.h"
#include "pdf/saving/save_request.h"
#include "vexiro/imaging.h"

namespace vexiro {

VexiroStatus cImaging::StartScanPdf(std::unique_ptr<cPDF>& writer, int32_t& handle,
                                    const vx::pdf::PdfSaveRequest& request) {
  AbandonScanPdf(writer, handle);
  nStat = vx::pdf::OpenPdfSavingWriter(request.path, request.info,
                                       vx::pdf::WriterSettingsFor(request, nPdfCompressionLevel, nPdfJpegQuality),
                                       writer);
  if (nStat == OK) handle = writer->PdfGetNativePdf();
  return nStat;
}

VexiroStatus cImaging::AddImageToScanPdf(cPDF* writer, int32_t handle, int32_t nImageID) {
  if (nImageID == 0) return InvalidParameter;
  if (writer == nullptr || handle == 0) return TwainPdfMustBeCreatedFirst;
  if (writer->PdfAddImage(nImageID, 2) != 0) return OK;
  // Bytes that did not reach the disk spoil the document, not just this image: the host must
  // hear that the file cannot be made, not that one picture was refused.
  return writer->PdfWriteFailed() ? CanNotCreateFile : PdfErrorAddingImage;
}

VexiroStatus cImaging::StopScanPdf(std::unique_ptr<cPDF>& writer, int32_t& handle, const vx::pdf::ScanPdfPages* pages) {
  if (writer == nullptr || handle == 0) return nStat = TwainPdfMustBeCreatedFirst;
  const auto count = static_cast<int32_t>(writer->ImageCount());
  const bool cutShort = writer->PdfWriteFailed();
  for (int32_t i = 1; i <= count; ++i) {
    const bool withText = pages != nullptr && pages->characters != nullptr &&
                          static_cast<size_t>(i) <= pages->characters->size();
    vx::pdf::WritePdfImagePage(*writer, i, vx::pdf::WriterImagePageSize(*writer, i),
                               withText ? &(*pages->characters)[i - 1] : nullptr, withText ? &pages->paint : nullptr);
  }
  // A document without a single scan is not a document the host asked for: it goes.
  const bool kept = vx::pdf::FinishPdfSavingWriter(*writer, count > 0);
  writer.reset();
  handle = 0;
  // A document cut short by a full disk fails even when none of its images got in.
  if (!kept && (count > 0 || cutShort)) nStat = CanNotCreateFile;
  return nStat;
}

void cImaging::AbandonScanPdf(std::unique_ptr<cPDF>& writer, int32_t& handle) {
  // A document left open has no pages yet: finishing it would give a file the host never
  // stopped, so it is removed instead.
  if (writer != nullptr && handle != 0) vx::pdf::FinishPdfSavingWriter(*writer, false);
  writer.reset();
  handle = 0;
}

// ---- The members ----

VexiroStatus cImaging::TwainPdfStart(const std::string& sFilePath, const std::string& sTitle,
                                     const std::string& sCreator, const std::string& sAuthor,
                                     const std::string& /*sProducer*/) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return TwainPdfStartEx(sFilePath, sTitle, sAuthor, "", "", sCreator);
}

VexiroStatus cImaging::TwainPdfStartEx(const std::string& sFilePath, const std::string& sTitle,
                                       const std::string& sAuthor, const std::string& sSubject,
                                       const std::string& sKeywords, const std::string& sCreator,
                                       EnumArg<PdfEncryption> nPdfEncryption, EnumArg<PdfRight> nPDFRight,
                                       const std::string& sUserpassWord, const std::string& sOwnerPassword) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return StartScanPdf(oTwainPDF, nTwainPdfHandle,
                      vx::pdf::PdfARequest(sFilePath, {sTitle, sAuthor, sSubject, sKeywords, sCreator, nPdfEncryption,
                                                       nPDFRight, sUserpassWord, sOwnerPassword}));
}

VexiroStatus cImaging::TwainAddVexiroImageToPdf(int32_t nImageID) {
  return nStat = AddImageToScanPdf(oTwainPDF.get(), nTwainPdfHandle, nImageID);
}

VexiroStatus cImaging::TwainPdfStop() { return StopScanPdf(oTwainPDF, nTwainPdfHandle, nullptr); }

}  // namespace vexiro
