// The members that save images and multi-page TIFF documents as PDF, bound to their rows.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(SaveAsPDF, &vexiro::cImaging::SaveAsPDF);
VX_BIND(SaveAsPDFEx, &vexiro::cImaging::SaveAsPDFEx);
VX_BIND(SaveAsPDFA, &vexiro::cImaging::SaveAsPDFA);
VX_BIND(SaveAsPDFAEx, &vexiro::cImaging::SaveAsPDFAEx);
VX_BIND(PdfCreateFromMultipageTIFF, &vexiro::cImaging::PdfCreateFromMultipageTIFF);
VX_BIND(PdfCreateFromMultipageTIFFEx, &vexiro::cImaging::PdfCreateFromMultipageTIFFEx);
VX_BIND(PdfACreateFromMultipageTIFF, &vexiro::cImaging::PdfACreateFromMultipageTIFF);
VX_BIND(PdfACreateFromMultipageTIFFEx, &vexiro::cImaging::PdfACreateFromMultipageTIFFEx);

}  // namespace vx::control
