// Document settings and the page's size, orientation and margin, in the host's measurement unit.
#include <algorithm>
#include <limits>

#include "pdf/members/arguments.h"
#include "pdf/pdf_writer.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

enum PdfUnit : int32_t { kPoints = 0, kMillimetres = 1, kCentimetres = 2, kInches = 3 };

double UnitsPerInch(int32_t unit) {
  static constexpr double kUnitsPerInch[] = {72.0, 25.4, 2.54, 1.0};
  return unit >= kPoints && unit <= kInches ? kUnitsPerInch[unit] : 72.0;
}

// Points in one unit, in double so that 210 mm lands on 595.2756 points once stored as single.
double PointsPerUnit(int32_t unit) { return 72.0 / UnitsPerInch(unit); }

// A value from 0 to `highest` becomes the engine's setting for new writers and reaches the open
// ones at once; any other value is ignored.
void KeepWriterSetting(int32_t value, int32_t highest, int32_t& setting, const std::vector<cPDF*>& openWriters,
                       void (cPDF::*apply)(int32_t)) {
  if (value < 0 || value > highest) return;
  setting = value;
  for (cPDF* pdf : openWriters) (pdf->*apply)(value);
}

}  // namespace

float cImaging::PdfUnitToPoints(float value) const {
  // Inches of a value near the largest single become more points than a single holds.
  constexpr double kLargest = std::numeric_limits<float>::max();
  return static_cast<float>(std::clamp(PointsPerUnit(nPdfMeasurementUnit) * value, -kLargest, kLargest));
}

float cImaging::PdfPointsToUnit(float points) const {
  return static_cast<float>(points / PointsPerUnit(nPdfMeasurementUnit));
}

float cImaging::PdfPixelsToUnit(double pixels, int32_t resolution) const {
  if (resolution <= 0) return 0;
  return static_cast<float>(pixels / resolution * UnitsPerInch(nPdfMeasurementUnit));
}

std::vector<cPDF*> cImaging::OpenPdfWriters() const {
  std::vector<cPDF*> writers;
  if (cPDF* pdf = OpenPdfDocument()) writers.push_back(pdf);
  if (nTwainPdfHandle != 0 && oTwainPDF) writers.push_back(oTwainPDF.get());
  if (nTwainPdfOCRHandle != 0 && oTwainPDFOCR) writers.push_back(oTwainPDFOCR.get());
  return writers;
}

void cImaging::PdfSetCompressionLevel(int32_t nLevel) {
  KeepWriterSetting(nLevel, 9, nPdfCompressionLevel, OpenPdfWriters(), &cPDF::CompressLevel);
}

int32_t cImaging::PdfGetCompressionLevel() { return nPdfCompressionLevel; }

void cImaging::PdfSetJpegQuality(int32_t nQuality) {
  KeepWriterSetting(nQuality, 100, nPdfJpegQuality, OpenPdfWriters(), &cPDF::JpegQuality);
}

int32_t cImaging::PdfGetJpegQuality() { return nPdfJpegQuality; }

void cImaging::PdfSetMeasurementUnits(int32_t nUnitValue) {
  if (nUnitValue >= kPoints && nUnitValue <= kInches) nPdfMeasurementUnit = nUnitValue;
}

void cImaging::PdfSetPageOrientation(int32_t nOrientation) {
  cPDF* pdf = OpenPdfDocument();
  if (pdf && (nOrientation == 0 || nOrientation == 1)) pdf->Orientation(nOrientation);
}

int32_t cImaging::PdfGetPageOrientation() {
  const cPDF* pdf = OpenPdfDocument();
  return pdf ? pdf->Orientation() : -1;
}

void cImaging::PdfSetPageDimensions(float nWidth, float nHeight) {
  cPDF* pdf = OpenPdfDocument();
  if (!pdf) return;
  // A page has an area; beyond PDF's largest page the writer clamps.
  if (pdf_members::RefusedAsNotFinite(nStat, {nWidth, nHeight})) return;
  if (!(nWidth > 0 && nHeight > 0)) {
    nStat = InvalidParameter;
    return;
  }
  pdf->PaperSize(255);
  pdf->PaperHeight(PdfUnitToPoints(nHeight));
  pdf->PaperWidth(PdfUnitToPoints(nWidth));
}

void cImaging::PdfSetPageMargin(float nMargin) {
  cPDF* pdf = OpenPdfDocument();
  if (!pdf) return;
  // A margin over half the page is cut by the writer so that the crop box keeps an area.
  if (pdf_members::RefusedAsNotFinite(nStat, {nMargin})) return;
  if (nMargin < 0) {
    nStat = InvalidParameter;
    return;
  }
  pdf->Margin(PdfUnitToPoints(nMargin));
}

float cImaging::PdfGetPageMargin() {
  const cPDF* pdf = OpenPdfDocument();
  return pdf ? PdfPointsToUnit(pdf->Margin()) : 0.0f;
}

}  // namespace vexiro
