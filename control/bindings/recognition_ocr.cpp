// The OCR members bound to their rows of the member table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(OCRTesseractDoOCR, &vexiro::cImaging::OCRTesseractDoOCR);
VX_BIND(OCRTesseractGetCharCount, &vexiro::cImaging::OCRTesseractGetCharCount);
VX_BIND(OCRTesseractGetCharCode, &vexiro::cImaging::OCRTesseractGetCharCode);
VX_BIND(OCRTesseractGetCharLine, &vexiro::cImaging::OCRTesseractGetCharLine);
VX_BIND(OCRTesseractGetCharLeft, &vexiro::cImaging::OCRTesseractGetCharLeft);
VX_BIND(OCRTesseractGetCharRight, &vexiro::cImaging::OCRTesseractGetCharRight);
VX_BIND(OCRTesseractGetCharTop, &vexiro::cImaging::OCRTesseractGetCharTop);
VX_BIND(OCRTesseractGetCharBottom, &vexiro::cImaging::OCRTesseractGetCharBottom);
VX_BIND(OCRTesseractGetCharSpaces, &vexiro::cImaging::OCRTesseractGetCharSpaces);
VX_BIND(OCRTesseractGetCharConfidence, &vexiro::cImaging::OCRTesseractGetCharConfidence);
VX_BIND(OCRTesseractGetOrientation, &vexiro::cImaging::OCRTesseractGetOrientation);
VX_BIND(OCRTesseractGetOrientationEx, &vexiro::cImaging::OCRTesseractGetOrientationEx);
VX_BIND(OCRTesseractClear, &vexiro::cImaging::OCRTesseractClear);

// Searchable PDF
VX_BIND(SaveAsPDFOCR, &vexiro::cImaging::SaveAsPDFOCR);
VX_BIND(SaveAsPDFOCREx, &vexiro::cImaging::SaveAsPDFOCREx);
VX_BIND(PdfOCRCreateFromMultipageTIFF, &vexiro::cImaging::PdfOCRCreateFromMultipageTIFF);
VX_BIND(PdfOCRCreateFromMultipageTIFFEx, &vexiro::cImaging::PdfOCRCreateFromMultipageTIFFEx);

}  // namespace vx::control
