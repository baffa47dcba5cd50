// The printing members bound to their rows of the member table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(PrintGetPrintersCount, &vexiro::cImaging::PrintGetPrintersCount);
VX_BIND(PrintGetPrinterName, &vexiro::cImaging::PrintGetPrinterName);
VX_BIND(PrintGetActivePrinter, &vexiro::cImaging::PrintGetActivePrinter);
VX_BIND(PrintSetActivePrinter, &vexiro::cImaging::PrintSetActivePrinter);
VX_BIND(PrintGetColorMode, &vexiro::cImaging::PrintGetColorMode);
VX_BIND(PrintSetColorMode, &vexiro::cImaging::PrintSetColorMode);
VX_BIND(PrintGetCopies, &vexiro::cImaging::PrintGetCopies);
VX_BIND(PrintSetCopies, &vexiro::cImaging::PrintSetCopies);
VX_BIND(PrintGetDuplexMode, &vexiro::cImaging::PrintGetDuplexMode);
VX_BIND(PrintSetDuplexMode, &vexiro::cImaging::PrintSetDuplexMode);
VX_BIND(PrintGetOrientation, &vexiro::cImaging::PrintGetOrientation);
VX_BIND(PrintSetOrientation, &vexiro::cImaging::PrintSetOrientation);
VX_BIND(PrintGetQuality, &vexiro::cImaging::PrintGetQuality);
VX_BIND(PrintSetQuality, &vexiro::cImaging::PrintSetQuality);
VX_BIND(PrintGetPaperSize, &vexiro::cImaging::PrintGetPaperSize);
VX_BIND(PrintSetStdPaperSize, &vexiro::cImaging::PrintSetStdPaperSize);
VX_BIND(PrintSetUserPaperSize, &vexiro::cImaging::PrintSetUserPaperSize);
VX_BIND(PrintGetPaperWidth, &vexiro::cImaging::PrintGetPaperWidth);
VX_BIND(PrintGetPaperHeight, &vexiro::cImaging::PrintGetPaperHeight);
VX_BIND(PrintGetPaperBin, &vexiro::cImaging::PrintGetPaperBin);
VX_BIND(PrintSetPaperBin, &vexiro::cImaging::PrintSetPaperBin);
VX_BIND(PrintGetMargins, &vexiro::cImaging::PrintGetMargins);
VX_BIND(PrintSetFromToPage, &vexiro::cImaging::PrintSetFromToPage);
VX_BIND(PrintGetDocumentName, &vexiro::cImaging::PrintGetDocumentName);
VX_BIND(PrintSetDocumentName, &vexiro::cImaging::PrintSetDocumentName);
VX_BIND(PrintGetImageAlignment, &vexiro::cImaging::PrintGetImageAlignment);
VX_BIND(PrintSetImageAlignment, &vexiro::cImaging::PrintSetImageAlignment);
VX_BIND(PrintSetAutoRotation, &vexiro::cImaging::PrintSetAutoRotation);
VX_BIND(PrintGetStat, &vexiro::cImaging::PrintGetStat);
VX_BIND(PrintImage, &vexiro::cImaging::PrintImage);
VX_BIND(PrintImageFit, &vexiro::cImaging::PrintImageFit);
VX_BIND(PrintImage2Printer, &vexiro::cImaging::PrintImage2Printer);
VX_BIND(PrintImageBySize, &vexiro::cImaging::PrintImageBySize);
VX_BIND(PrintImageBySize2Printer, &vexiro::cImaging::PrintImageBySize2Printer);
VX_BIND(PrintImageDialog, &vexiro::cImaging::PrintImageDialog);
VX_BIND(PrintImageDialogHWND, &vexiro::cImaging::PrintImageDialogHWND);
VX_BIND(PrintImageDialogFit, &vexiro::cImaging::PrintImageDialogFit);
VX_BIND(PrintImageDialogFitHWND, &vexiro::cImaging::PrintImageDialogFitHWND);
VX_BIND(PrintImageDialogBySize, &vexiro::cImaging::PrintImageDialogBySize);
VX_BIND(PrintImageDialogBySizeHWND, &vexiro::cImaging::PrintImageDialogBySizeHWND);

}  // namespace vx::control
