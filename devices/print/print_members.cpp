// The engine's Print members: those of the component's fields and jobs make it at first use and
// forward to it; the device-mode settings are the thread's current printer's and go there
// directly. None of them touches the last status.
#include "devices/print/printer.h"
#include "devices/print/printer_calls.h"

namespace vexiro {

namespace {

using vx::printing::Setting;

int32_t ReadSetting(Setting setting) {
  return print_calls::OrDefault<int32_t>([&] { return vx::printing::GetSetting(setting); });
}

// Settings pass to the printer as 16-bit device-mode values.
void WriteSetting(Setting setting, int32_t value) {
  print_calls::Ignoring([&] { vx::printing::SetSetting(setting, static_cast<int16_t>(value & 0xFFFF)); });
}

PrintRequest Natural(int32_t image, bool fit) {
  PrintRequest request;
  request.imageId = image;
  request.naturalSize = true;
  request.fit = fit;
  return request;
}

PrintRequest Placed(int32_t image, float left, float top, float width, float height) {
  PrintRequest request;
  request.imageId = image;
  request.left = left;
  request.top = top;
  request.width = width;
  request.height = height;
  return request;
}

}  // namespace

cPrinter& cImaging::Printer() {
  if (!oPrinter) oPrinter = std::make_unique<cPrinter>();
  return *oPrinter;
}

int32_t cImaging::PrintGetPrintersCount() { return Printer().PrintersCount(); }
std::string cImaging::PrintGetPrinterName(int32_t nPrinterNo) { return Printer().PrinterName(nPrinterNo); }
std::string cImaging::PrintGetActivePrinter() { return Printer().ActivePrinter(); }
bool cImaging::PrintSetActivePrinter(const std::string& sPrinterName) {
  return Printer().SetActivePrinter(sPrinterName);
}

int32_t cImaging::PrintGetColorMode() { return ReadSetting(Setting::ColorMode); }
void cImaging::PrintSetColorMode(int32_t nColorMode) {
  if (nColorMode == 1 || nColorMode == 2) WriteSetting(Setting::ColorMode, nColorMode);
}
int32_t cImaging::PrintGetCopies() { return ReadSetting(Setting::Copies); }
void cImaging::PrintSetCopies(int32_t nCopies) { WriteSetting(Setting::Copies, nCopies); }
int32_t cImaging::PrintGetDuplexMode() { return ReadSetting(Setting::Duplex); }
void cImaging::PrintSetDuplexMode(int32_t nDuplexMode) { WriteSetting(Setting::Duplex, nDuplexMode); }
int16_t cImaging::PrintGetOrientation() { return static_cast<int16_t>(ReadSetting(Setting::Orientation)); }
void cImaging::PrintSetOrientation(int16_t nOrientation) { WriteSetting(Setting::Orientation, nOrientation); }
PrintQuality cImaging::PrintGetQuality() { return static_cast<PrintQuality>(ReadSetting(Setting::PrintQuality)); }
void cImaging::PrintSetQuality(EnumArg<PrintQuality> nQuality) { WriteSetting(Setting::PrintQuality, nQuality); }
int32_t cImaging::PrintGetPaperSize() { return ReadSetting(Setting::PaperSize); }
void cImaging::PrintSetStdPaperSize(int32_t nPaperSize) { WriteSetting(Setting::PaperSize, nPaperSize); }
void cImaging::PrintSetUserPaperSize(float nPaperWidth, float nPaperHeight) {
  Printer().SetUserPaperSize(nPaperWidth, nPaperHeight);
}
float cImaging::PrintGetPaperWidth() { return Printer().PaperWidth(); }
float cImaging::PrintGetPaperHeight() { return Printer().PaperHeight(); }
int32_t cImaging::PrintGetPaperBin() {
  return print_calls::Untrapped([] { return vx::printing::GetSetting(Setting::PaperBin); });
}
bool cImaging::PrintSetPaperBin(int32_t nPaperBin) {
  return print_calls::OrDefault<bool>([&] {
    vx::printing::SetSetting(Setting::PaperBin, static_cast<int16_t>(nPaperBin & 0xFFFF));
    return true;
  });
}
void cImaging::PrintGetMargins(float& nLeftMargin, float& nTopMargin) { Printer().Margins(nLeftMargin, nTopMargin); }
void cImaging::PrintSetFromToPage(int32_t nFrom, int32_t nTo) { Printer().SetFromToPage(nFrom, nTo); }
std::string cImaging::PrintGetDocumentName() { return Printer().DocumentName; }
void cImaging::PrintSetDocumentName(const std::string& sDocumentName) { Printer().DocumentName = sDocumentName; }
int32_t cImaging::PrintGetImageAlignment() { return Printer().ImageAlignment; }
void cImaging::PrintSetImageAlignment(int32_t nImageAlignment) { Printer().ImageAlignment = nImageAlignment; }
void cImaging::PrintSetAutoRotation(bool bAutoRotation) { Printer().AutoRotation = bAutoRotation; }
PrinterStatus cImaging::PrintGetStat() { return Printer().PrintStatus; }

void cImaging::PrintImage() { Printer().Print(Natural(nNativeImage, false)); }
void cImaging::PrintImageFit() { Printer().Print(Natural(nNativeImage, true)); }

bool cImaging::PrintImage2Printer(const std::string& sPrinterName) {
  if (!Printer().SetActivePrinter(sPrinterName)) return false;
  PrintImage();
  return nNativeImage != 0;
}

void cImaging::PrintImageBySize(float nDstLeft, float nDstTop, float nWidth, float nHeight) {
  Printer().Print(Placed(nNativeImage, nDstLeft, nDstTop, nWidth, nHeight));
}

bool cImaging::PrintImageBySize2Printer(const std::string& sPrinterName, float nDstLeft, float nDstTop, float nWidth,
                                        float nHeight) {
  if (!Printer().SetActivePrinter(sPrinterName)) return false;
  PrintImageBySize(nDstLeft, nDstTop, nWidth, nHeight);
  return nNativeImage != 0;
}

bool cImaging::PrintImageDialog() { return PrintImageDialogHWND(0); }
bool cImaging::PrintImageDialogHWND(int32_t hwnd) {
  return Printer().PrintWithDialog(Natural(nNativeImage, false), hwnd);
}
bool cImaging::PrintImageDialogFit() { return PrintImageDialogFitHWND(0); }
bool cImaging::PrintImageDialogFitHWND(int32_t hwnd) {
  return Printer().PrintWithDialog(Natural(nNativeImage, true), hwnd);
}
bool cImaging::PrintImageDialogBySize(float nDstLeft, float nDstTop, float nWidth, float nHeight) {
  return PrintImageDialogBySizeHWND(0, nDstLeft, nDstTop, nWidth, nHeight);
}
bool cImaging::PrintImageDialogBySizeHWND(int32_t hwnd, float nDstLeft, float nDstTop, float nWidth, float nHeight) {
  return Printer().PrintWithDialog(Placed(nNativeImage, nDstLeft, nDstTop, nWidth, nHeight), hwnd);
}

}  // namespace vexiro
