// Images of the host's document: stored once, drawn any number of times on any page.
#include "pdf/members/arguments.h"
#include "pdf/pdf_writer.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {
enum ImageSourceKind : int32_t { kFromFile = 1, kFromStore = 2 };
}

int32_t cImaging::PdfAddImageFromFile(const std::string& sImagePath) {
  if (RefusesCutPath(sImagePath)) return 0;
  cPDF* pdf = OpenPdfDocument();
  return pdf ? pdf->PdfAddImage(sImagePath, kFromFile) : 0;
}

int32_t cImaging::PdfAddImageFromVexiroImage(int32_t nImageID) {
  cPDF* pdf = OpenPdfDocument();
  return pdf ? pdf->PdfAddImage(nImageID, kFromStore) : 0;
}

float cImaging::PdfGetImageWidth(int32_t nPdfImageNo) {
  const cPDF* pdf = OpenPdfDocument();
  return pdf ? PdfPixelsToUnit(pdf->ImageWidth(nPdfImageNo), pdf->ImageResX(nPdfImageNo)) : 0.0f;
}

float cImaging::PdfGetImageHeight(int32_t nPdfImageNo) {
  const cPDF* pdf = OpenPdfDocument();
  return pdf ? PdfPixelsToUnit(pdf->ImageHeight(nPdfImageNo), pdf->ImageResY(nPdfImageNo)) : 0.0f;
}

void cImaging::PdfDrawImage(int32_t nPdfImageNo, float nDstX, float nDstY, float nWidth, float nHeight) {
  if (pdf_members::RefusedAsNotFinite(nStat, {nDstX, nDstY, nWidth, nHeight})) return;
  // An image the document does not have begins no page.
  const cPDF* open = OpenPdfDocument();
  if (!open || nPdfImageNo < 1 || nPdfImageNo > open->ImageCount()) return;
  cPDF* pdf = PdfPageForDrawing();
  pdf->DrawImg(nPdfImageNo, PdfUnitToPoints(nDstX), PdfUnitToPoints(nDstY), PdfUnitToPoints(nWidth),
               PdfUnitToPoints(nHeight));
}

}  // namespace vexiro
