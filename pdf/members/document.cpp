// The host's own PDF document: beginning it, its pages, and finishing it.
#include <limits>

#include "pdf/pdf_text.h"
#include "pdf/pdf_writer.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

// The writer would refuse these too, but only as "not created": the host is told which argument
// was wrong rather than that the file could not be made.
bool AcceptableSecurity(int32_t encryption, const std::string& userPassword, const std::string& ownerPassword) {
  std::string ansi;
  return encryption >= PdfEncryptionNone && encryption <= PdfEncryption128BitRC4 &&
         vx::pdf::ExactAnsi(userPassword, ansi) && vx::pdf::ExactAnsi(ownerPassword, ansi);
}

}  // namespace

cPDF* cImaging::OpenPdfDocument() const { return nPdfHandle != 0 ? oPDF.get() : nullptr; }

bool cImaging::PdfNewPdf(const std::string& sFilePath, const std::string& sTitle, const std::string& sCreator,
                         const std::string& sAuthor, const std::string& sProducer) {
  if (RefusesCutPath(sFilePath)) return false;
  // The producer is always the writer's own.
  return PdfNewPdfEx(sFilePath, sTitle, sAuthor, "", "", sCreator);
}

bool cImaging::PdfNewPdfEx(const std::string& sFilePath, const std::string& sTitle, const std::string& sAuthor,
                           const std::string& sSubject, const std::string& sKeywords, const std::string& sCreator,
                           EnumArg<PdfEncryption> nPdfEncryption, EnumArg<PdfRight> nPDFRight,
                           const std::string& sUserpassWord,
                           const std::string& sOwnerPassword) {
  if (RefusesCutPath(sFilePath)) return false;
  // A document still open is finished first: dropped as it is, its file would stay on disk
  // without page tree or cross-reference table, unreadable.
  PdfSavePdf();
  if (!AcceptableSecurity(nPdfEncryption, sUserpassWord, sOwnerPassword)) {
    nStat = InvalidParameter;
    return false;
  }
  oPDF = std::make_unique<cPDF>();
  oPDF->PaperSize(0);
  oPDF->Orientation(0);
  oPDF->JpegQuality(nPdfJpegQuality);
  oPDF->CompressLevel(nPdfCompressionLevel);
  if (!oPDF->NewPdf(sFilePath, sTitle, sAuthor, sCreator, sKeywords, sSubject, nPdfEncryption, nPDFRight,
                    sUserpassWord, sOwnerPassword)) {
    nStat = CanNotCreateFile;
    return false;
  }
  nPdfHandle = oPDF->PdfGetNativePdf();
  return true;
}

bool cImaging::PdfSetMetadata(const std::string& sXMP) {
  cPDF* pdf = OpenPdfDocument();
  if (!pdf || pdf->PdfHeaderDone()) return false;
  pdf->XMP(sXMP);
  return true;
}

void cImaging::ResetPdfPageCaches() {
  nPdfLastFillColor = 0;
  nPdfLastStrokeColor = 0;
  // A page begins at width 1, which no cached value may stand for: the first width is written.
  nPdfLastLineWidth = std::numeric_limits<float>::quiet_NaN();
}

int32_t cImaging::PdfNewPage() {
  cPDF* pdf = OpenPdfDocument();
  if (!pdf) return 0;
  const int32_t page = pdf->BeginPage();
  ResetPdfPageCaches();
  nPdfTextColor = 0;
  return page;
}

void cImaging::PdfEndPage() {}

int32_t cImaging::PdfGetCurrentPage() {
  const cPDF* pdf = OpenPdfDocument();
  return pdf ? pdf->Pages() : 0;
}

void cImaging::PdfSavePdf() {
  if (!oPDF) return;
  const bool wasOpen = OpenPdfDocument() != nullptr;
  // A file that did not reach the disk whole is not reported as saved.
  if (!oPDF->ClosePdfFile() && wasOpen) nStat = Win32Error;
  nPdfHandle = 0;
}

}  // namespace vexiro
