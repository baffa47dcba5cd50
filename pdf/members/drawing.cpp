// Lines and shapes on the host's pages. The engine remembers the colours and the line width it
// last wrote to the page, so an operator is written only when its value changes.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "pdf/members/arguments.h"
#include "pdf/pdf_writer.h"
#include "vexiro/imaging.h"

namespace vexiro {

using pdf_members::RefusedAsNotFinite;

namespace {

enum Paint : int32_t { kStroke = 1, kFill = 4 };

// Settings the writer takes as 16-bit codes: a value that would wrap onto a valid code is passed
// as one the writer ignores.
int16_t SettingCode(int32_t value) {
  return value >= 0 && value <= std::numeric_limits<int16_t>::max() ? static_cast<int16_t>(value) : int16_t{-1};
}

}  // namespace

cPDF* cImaging::PdfPageForDrawing() {
  cPDF* pdf = OpenPdfDocument();
  if (pdf && pdf->Pages() == 0) {
    pdf->BeginPage();
    ResetPdfPageCaches();
  }
  return pdf;
}

void cImaging::PdfStrokeColorStep(int32_t color) {
  if (nPdfLastStrokeColor == color) return;
  nPdfLastStrokeColor = color;
  oPDF->SetColorStroke(color);
}

void cImaging::PdfFillColorStep(int32_t color) {
  if (nPdfLastFillColor == color) return;
  nPdfLastFillColor = color;
  oPDF->SetColorFill(color);
}

void cImaging::PdfLineWidthStep(float width) {
  oPDF->SetLineWidth(width);
  nPdfLastLineWidth = width;
}

// Shapes write their border width every time; only the line leans on the cached width.
void cImaging::PdfShapeSteps(int32_t color, float border, int32_t paint) {
  if (paint == kFill) PdfFillColorStep(color);
  else PdfStrokeColorStep(color);
  PdfLineWidthStep(border);
}

void cImaging::PdfSetLineDash(float nDashOn, float nDashOff) {
  if (RefusedAsNotFinite(nStat, {nDashOn, nDashOff})) return;
  if (cPDF* pdf = PdfPageForDrawing()) pdf->SetDash(nDashOn, nDashOff);
}

void cImaging::PdfSetLineJoin(int32_t nJoinType) {
  if (cPDF* pdf = PdfPageForDrawing()) pdf->SetLineJoin(SettingCode(nJoinType));
}

void cImaging::PdfSetLineCap(int32_t nCapType) {
  if (cPDF* pdf = PdfPageForDrawing()) pdf->SetLineCap(SettingCode(nCapType));
}

void cImaging::PdfDrawLine(float nDstX1, float nDstY1, float nDstX2, float nDstY2, float nBorderWidth,
                           int32_t nRGBColor) {
  if (RefusedAsNotFinite(nStat, {nDstX1, nDstY1, nDstX2, nDstY2, nBorderWidth})) return;
  cPDF* pdf = PdfPageForDrawing();
  if (!pdf) return;
  PdfStrokeColorStep(nRGBColor);
  if (nBorderWidth != nPdfLastLineWidth) PdfLineWidthStep(nBorderWidth);
  pdf->MoveTo(PdfUnitToPoints(nDstX1), PdfUnitToPoints(nDstY1));
  pdf->LineTo(PdfUnitToPoints(nDstX2), PdfUnitToPoints(nDstY2), kStroke);
}

void cImaging::PdfDrawRectangleWith(float x, float y, float width, float height, float border, int32_t color,
                                    float ray, int32_t paint) {
  if (RefusedAsNotFinite(nStat, {x, y, width, height, border, ray})) return;
  cPDF* pdf = PdfPageForDrawing();
  if (!pdf) return;
  PdfShapeSteps(color, border, paint);
  float px = PdfUnitToPoints(x), py = PdfUnitToPoints(y), pw = PdfUnitToPoints(width), ph = PdfUnitToPoints(height);
  float radius = PdfUnitToPoints(ray);
  pdf->Rectangle(px, py, pw, ph, paint, radius);
}

void cImaging::PdfDrawRectangle(float nDstX, float nDstY, float nWidth, float nHeight, float nBorderWidth,
                                int32_t nRGBColor, float nRay) {
  PdfDrawRectangleWith(nDstX, nDstY, nWidth, nHeight, nBorderWidth, nRGBColor, nRay, kStroke);
}

void cImaging::PdfDrawFillRectangle(float nDstX, float nDstY, float nWidth, float nHeight, float nBorderWidth,
                                    int32_t nRGBColor, float nRay) {
  PdfDrawRectangleWith(nDstX, nDstY, nWidth, nHeight, nBorderWidth, nRGBColor, nRay, kFill);
}

void cImaging::PdfDrawCircleWith(float x, float y, float ray, float border, int32_t color, int32_t paint) {
  if (RefusedAsNotFinite(nStat, {x, y, ray, border})) return;
  cPDF* pdf = PdfPageForDrawing();
  if (!pdf) return;
  PdfShapeSteps(color, border, paint);
  pdf->DrawCircle(PdfUnitToPoints(x), PdfUnitToPoints(y), PdfUnitToPoints(ray), paint);
}

void cImaging::PdfDrawCircle(float nDstX, float nDstY, float nRay, float nBorderWidth, int32_t nRGBColor) {
  PdfDrawCircleWith(nDstX, nDstY, nRay, nBorderWidth, nRGBColor, kStroke);
}

void cImaging::PdfDrawFillCircle(float nDstX, float nDstY, float nRay, float nBorderWidth, int32_t nRGBColor) {
  PdfDrawCircleWith(nDstX, nDstY, nRay, nBorderWidth, nRGBColor, kFill);
}

void cImaging::PdfDrawCurve(float nDstX1, float nDstY1, float nDstX2, float nDstY2, float nDstX3, float nDstY3,
                            float nBorderWidth, int32_t nRGBColor) {
  if (RefusedAsNotFinite(nStat, {nDstX1, nDstY1, nDstX2, nDstY2, nDstX3, nDstY3, nBorderWidth})) return;
  cPDF* pdf = PdfPageForDrawing();
  if (!pdf) return;
  PdfShapeSteps(nRGBColor, nBorderWidth, kStroke);
  const float x1 = PdfUnitToPoints(nDstX1), y1 = PdfUnitToPoints(nDstY1);
  pdf->MoveTo(x1, y1);
  pdf->Curve(x1, y1, PdfUnitToPoints(nDstX2), PdfUnitToPoints(nDstY2), PdfUnitToPoints(nDstX3),
             PdfUnitToPoints(nDstY3), kStroke);
}

void cImaging::PdfDrawArc(float nDstX, float nDstY, float nRay, float nBorderWidth, int32_t nStartAngle,
                          int32_t nEndAngle, float nRatio, bool bPie, int32_t nRGBColor) {
  if (RefusedAsNotFinite(nStat, {nDstX, nDstY, nRay, nBorderWidth, nRatio})) return;
  cPDF* pdf = PdfPageForDrawing();
  if (!pdf) return;
  PdfShapeSteps(nRGBColor, nBorderWidth, kStroke);
  // The arc is written one degree a segment: past one turn it only retraces itself, and an end
  // angle in the millions would fill memory with the same segments.
  const int64_t end = std::min<int64_t>(nEndAngle, int64_t{nStartAngle} + 360);
  pdf->Arc(PdfUnitToPoints(nDstX), PdfUnitToPoints(nDstY), PdfUnitToPoints(nRay), static_cast<float>(nStartAngle),
           static_cast<float>(end), nRatio, bPie, 0, 1, kStroke);
}

}  // namespace vexiro
