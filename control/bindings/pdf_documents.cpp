// The members of host-built PDF documents and their drawing, bound to their rows of the member
// table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

// Documents, pages and settings
VX_BIND(PdfNewPdf, &vexiro::cImaging::PdfNewPdf);
VX_BIND(PdfNewPdfEx, &vexiro::cImaging::PdfNewPdfEx);
VX_BIND(PdfSetMetadata, &vexiro::cImaging::PdfSetMetadata);
VX_BIND(PdfNewPage, &vexiro::cImaging::PdfNewPage);
VX_BIND(PdfEndPage, &vexiro::cImaging::PdfEndPage);
VX_BIND(PdfGetCurrentPage, &vexiro::cImaging::PdfGetCurrentPage);
VX_BIND(PdfSavePdf, &vexiro::cImaging::PdfSavePdf);
VX_BIND(PdfSetCompressionLevel, &vexiro::cImaging::PdfSetCompressionLevel);
VX_BIND(PdfGetCompressionLevel, &vexiro::cImaging::PdfGetCompressionLevel);
VX_BIND(PdfSetJpegQuality, &vexiro::cImaging::PdfSetJpegQuality);
VX_BIND(PdfGetJpegQuality, &vexiro::cImaging::PdfGetJpegQuality);
VX_BIND(PdfSetMeasurementUnits, &vexiro::cImaging::PdfSetMeasurementUnits);
VX_BIND(PdfSetPageOrientation, &vexiro::cImaging::PdfSetPageOrientation);
VX_BIND(PdfGetPageOrientation, &vexiro::cImaging::PdfGetPageOrientation);
VX_BIND(PdfSetPageDimensions, &vexiro::cImaging::PdfSetPageDimensions);
VX_BIND(PdfSetPageMargin, &vexiro::cImaging::PdfSetPageMargin);
VX_BIND(PdfGetPageMargin, &vexiro::cImaging::PdfGetPageMargin);

// Text and fonts
VX_BIND(PdfSetTextColor, &vexiro::cImaging::PdfSetTextColor);
VX_BIND(PdfSetTextMode, &vexiro::cImaging::PdfSetTextMode);
VX_BIND(PdfSetCharSpacing, &vexiro::cImaging::PdfSetCharSpacing);
VX_BIND(PdfSetWordSpacing, &vexiro::cImaging::PdfSetWordSpacing);
VX_BIND(PdfSetTextHorizontalScaling, &vexiro::cImaging::PdfSetTextHorizontalScaling);
VX_BIND(PdfAddFont, &vexiro::cImaging::PdfAddFont);
VX_BIND(PdfGetTextWidth, &vexiro::cImaging::PdfGetTextWidth);
VX_BIND(PdfDrawText, &vexiro::cImaging::PdfDrawText);
VX_BIND(PdfDrawTextAlign, &vexiro::cImaging::PdfDrawTextAlign);

// Images
VX_BIND(PdfAddImageFromFile, &vexiro::cImaging::PdfAddImageFromFile);
VX_BIND(PdfAddImageFromVexiroImage, &vexiro::cImaging::PdfAddImageFromVexiroImage);
VX_BIND(PdfGetImageWidth, &vexiro::cImaging::PdfGetImageWidth);
VX_BIND(PdfGetImageHeight, &vexiro::cImaging::PdfGetImageHeight);
VX_BIND(PdfDrawImage, &vexiro::cImaging::PdfDrawImage);

// Lines and shapes
VX_BIND(PdfSetLineDash, &vexiro::cImaging::PdfSetLineDash);
VX_BIND(PdfSetLineJoin, &vexiro::cImaging::PdfSetLineJoin);
VX_BIND(PdfSetLineCap, &vexiro::cImaging::PdfSetLineCap);
VX_BIND(PdfDrawLine, &vexiro::cImaging::PdfDrawLine);
VX_BIND(PdfDrawRectangle, &vexiro::cImaging::PdfDrawRectangle);
VX_BIND(PdfDrawFillRectangle, &vexiro::cImaging::PdfDrawFillRectangle);
VX_BIND(PdfDrawCircle, &vexiro::cImaging::PdfDrawCircle);
VX_BIND(PdfDrawFillCircle, &vexiro::cImaging::PdfDrawFillCircle);
VX_BIND(PdfDrawCurve, &vexiro::cImaging::PdfDrawCurve);
VX_BIND(PdfDrawArc, &vexiro::cImaging::PdfDrawArc);

}  // namespace vx::control
