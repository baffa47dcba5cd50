// Fonts and text on the host's pages.
#include "pdf/members/arguments.h"
#include "pdf/pdf_writer.h"
#include "vexiro/imaging.h"

namespace vexiro {

using pdf_members::RefusedAsNotFinite;

void cImaging::PdfSetTextColor(int32_t nRGBColor) {
  if (OpenPdfDocument()) nPdfTextColor = nRGBColor;
}

void cImaging::PdfSetTextMode(int32_t nTextMode) {
  // Only the four rendering modes 0..3 exist; anything else must not wrap onto one of them.
  const bool known = nTextMode >= 0 && nTextMode <= 3;
  if (cPDF* pdf = PdfPageForDrawing()) pdf->SetTextMode(known ? static_cast<int16_t>(nTextMode) : int16_t{-1});
}

void cImaging::PdfSetCharSpacing(float nCharSpacing) {
  if (RefusedAsNotFinite(nStat, {nCharSpacing})) return;
  if (cPDF* pdf = PdfPageForDrawing()) pdf->SetCharSpacing(nCharSpacing);
}

void cImaging::PdfSetWordSpacing(float nWordSpacing) {
  if (RefusedAsNotFinite(nStat, {nWordSpacing})) return;
  if (cPDF* pdf = PdfPageForDrawing()) pdf->SetWordSpacing(nWordSpacing);
}

void cImaging::PdfSetTextHorizontalScaling(float nTextHScaling) {
  if (RefusedAsNotFinite(nStat, {nTextHScaling})) return;
  if (cPDF* pdf = PdfPageForDrawing()) pdf->SetTextHorizontalScaling(nTextHScaling);
}

int32_t cImaging::PdfAddFont(const std::string& sFontName, bool bBold, bool bItalic) {
  cPDF* pdf = OpenPdfDocument();
  return pdf ? pdf->LoadFont(sFontName, bBold, bItalic) : 0;
}

float cImaging::PdfGetTextWidth(const std::string& sText, int32_t nFontID, int32_t nFontSize) {
  const cPDF* pdf = OpenPdfDocument();
  return pdf ? PdfPointsToUnit(pdf->TextWidth(sText, nFontID, static_cast<float>(nFontSize))) : 0.0f;
}

void cImaging::PdfDrawTextWith(float x, float y, const std::string& text, int32_t font, int32_t size,
                               int32_t alignment, int32_t rotation) {
  if (RefusedAsNotFinite(nStat, {x, y})) return;
  // Text in a font the document does not have draws nothing, not even its colour.
  const cPDF* open = OpenPdfDocument();
  if (!open || font < 1 || font > open->FontCount()) return;
  cPDF* pdf = PdfPageForDrawing();
  PdfFillColorStep(nPdfTextColor);
  pdf->DrawText(PdfUnitToPoints(x), PdfUnitToPoints(y), text, font, static_cast<float>(size), alignment,
                static_cast<float>(rotation));
}

void cImaging::PdfDrawText(float nDstX, float nDstY, const std::string& sText, int32_t nFontID, int32_t nFontSize,
                           int32_t nRotation) {
  PdfDrawTextWith(nDstX, nDstY, sText, nFontID, nFontSize, 0, nRotation);
}

void cImaging::PdfDrawTextAlign(float nDstX, float nDstY, const std::string& sText, int32_t nFontID,
                                int32_t nFontSize, int32_t nTextAlign) {
  PdfDrawTextWith(nDstX, nDstY, sText, nFontID, nFontSize, nTextAlign, 0);
}

}  // namespace vexiro
