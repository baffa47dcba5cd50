// The engine's Print members: those of the component's fields and jobs make it at first use and
// forward to it; the device-mode settings are the thread's current printer's and go there
// directly. None of them touches the last status.
#include "devices/print/printer.h"
#include "devices/print/printer_calls.h"
#include "engine/escaped_errors.h"

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

int32_t cImaging::PrintGetPrintersCount() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return Printer().PrintersCount(); });
}
std::string cImaging::PrintGetPrinterName(int32_t nPrinterNo) {
  return AnswerRuntimeErrors(std::string(), [&]() -> std::string { return Printer().PrinterName(nPrinterNo); });
}
std::string cImaging::PrintGetActivePrinter() {
  return AnswerRuntimeErrors(std::string(), [&]() -> std::string { return Printer().ActivePrinter(); });
}
bool cImaging::PrintSetActivePrinter(const std::string& sPrinterName) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return Printer().SetActivePrinter(sPrinterName);
  });
}

int32_t cImaging::PrintGetColorMode() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return ReadSetting(Setting::ColorMode); });
}
void cImaging::PrintSetColorMode(int32_t nColorMode) {
  AnswerRuntimeErrors([&] {
    if (nColorMode == 1 || nColorMode == 2) WriteSetting(Setting::ColorMode, nColorMode);
  });
}
int32_t cImaging::PrintGetCopies() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return ReadSetting(Setting::Copies); });
}
void cImaging::PrintSetCopies(int32_t nCopies) {
  AnswerRuntimeErrors([&] { WriteSetting(Setting::Copies, nCopies); });
}
int32_t cImaging::PrintGetDuplexMode() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return ReadSetting(Setting::Duplex); });
}
void cImaging::PrintSetDuplexMode(int32_t nDuplexMode) {
  AnswerRuntimeErrors([&] { WriteSetting(Setting::Duplex, nDuplexMode); });
}
int16_t cImaging::PrintGetOrientation() {
  return AnswerRuntimeErrors(int16_t{0}, [&]() -> int16_t { return static_cast<int16_t>(ReadSetting(Setting::Orientation)); });
}
void cImaging::PrintSetOrientation(int16_t nOrientation) {
  AnswerRuntimeErrors([&] { WriteSetting(Setting::Orientation, nOrientation); });
}
PrintQuality cImaging::PrintGetQuality() { return static_cast<PrintQuality>(ReadSetting(Setting::PrintQuality)); }
void cImaging::PrintSetQuality(EnumArg<PrintQuality> nQuality) {
  AnswerRuntimeErrors([&] { WriteSetting(Setting::PrintQuality, nQuality); });
}
int32_t cImaging::PrintGetPaperSize() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return ReadSetting(Setting::PaperSize); });
}
void cImaging::PrintSetStdPaperSize(int32_t nPaperSize) {
  AnswerRuntimeErrors([&] { WriteSetting(Setting::PaperSize, nPaperSize); });
}
void cImaging::PrintSetUserPaperSize(float nPaperWidth, float nPaperHeight) {
  AnswerRuntimeErrors([&] {
    Printer().SetUserPaperSize(nPaperWidth, nPaperHeight);
  });
}
float cImaging::PrintGetPaperWidth() {
  return AnswerRuntimeErrors(0.0f, [&]() -> float { return Printer().PaperWidth(); });
}
float cImaging::PrintGetPaperHeight() {
  return AnswerRuntimeErrors(0.0f, [&]() -> float { return Printer().PaperHeight(); });
}
int32_t cImaging::PrintGetPaperBin() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t {
    return print_calls::Untrapped([] { return vx::printing::GetSetting(Setting::PaperBin); });
  });
}
bool cImaging::PrintSetPaperBin(int32_t nPaperBin) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return print_calls::OrDefault<bool>([&] {
      vx::printing::SetSetting(Setting::PaperBin, static_cast<int16_t>(nPaperBin & 0xFFFF));
      return true;
    });
  });
}
void cImaging::PrintGetMargins(float& nLeftMargin, float& nTopMargin) {
  AnswerRuntimeErrors([&] { Printer().Margins(nLeftMargin, nTopMargin); });
}
void cImaging::PrintSetFromToPage(int32_t nFrom, int32_t nTo) {
  AnswerRuntimeErrors([&] { Printer().SetFromToPage(nFrom, nTo); });
}
std::string cImaging::PrintGetDocumentName() {
  return AnswerRuntimeErrors(std::string(), [&]() -> std::string { return Printer().DocumentName; });
}
void cImaging::PrintSetDocumentName(const std::string& sDocumentName) {
  AnswerRuntimeErrors([&] { Printer().DocumentName = sDocumentName; });
}
int32_t cImaging::PrintGetImageAlignment() {
  return AnswerRuntimeErrors(int32_t{0}, [&]() -> int32_t { return Printer().ImageAlignment; });
}
void cImaging::PrintSetImageAlignment(int32_t nImageAlignment) {
  AnswerRuntimeErrors([&] { Printer().ImageAlignment = nImageAlignment; });
}
void cImaging::PrintSetAutoRotation(bool bAutoRotation) {
  AnswerRuntimeErrors([&] { Printer().AutoRotation = bAutoRotation; });
}
PrinterStatus cImaging::PrintGetStat() { return Printer().PrintStatus; }

void cImaging::PrintImage() {
  AnswerRuntimeErrors([&] { Printer().Print(Natural(nNativeImage, false)); });
}
void cImaging::PrintImageFit() {
  AnswerRuntimeErrors([&] { Printer().Print(Natural(nNativeImage, true)); });
}

bool cImaging::PrintImage2Printer(const std::string& sPrinterName) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    if (!Printer().SetActivePrinter(sPrinterName)) return false;
    PrintImage();
    return nNativeImage != 0;
  });
}

void cImaging::PrintImageBySize(float nDstLeft, float nDstTop, float nWidth, float nHeight) {
  AnswerRuntimeErrors([&] {
    Printer().Print(Placed(nNativeImage, nDstLeft, nDstTop, nWidth, nHeight));
  });
}

bool cImaging::PrintImageBySize2Printer(const std::string& sPrinterName, float nDstLeft, float nDstTop, float nWidth,
                                        float nHeight) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    if (!Printer().SetActivePrinter(sPrinterName)) return false;
    PrintImageBySize(nDstLeft, nDstTop, nWidth, nHeight);
    return nNativeImage != 0;
  });
}

bool cImaging::PrintImageDialog() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return PrintImageDialogHWND(0); });
}
bool cImaging::PrintImageDialogHWND(int32_t hwnd) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return Printer().PrintWithDialog(Natural(nNativeImage, false), hwnd);
  });
}
bool cImaging::PrintImageDialogFit() {
  return AnswerRuntimeErrors(false, [&]() -> bool { return PrintImageDialogFitHWND(0); });
}
bool cImaging::PrintImageDialogFitHWND(int32_t hwnd) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return Printer().PrintWithDialog(Natural(nNativeImage, true), hwnd);
  });
}
bool cImaging::PrintImageDialogBySize(float nDstLeft, float nDstTop, float nWidth, float nHeight) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return PrintImageDialogBySizeHWND(0, nDstLeft, nDstTop, nWidth, nHeight);
  });
}
bool cImaging::PrintImageDialogBySizeHWND(int32_t hwnd, float nDstLeft, float nDstTop, float nWidth, float nHeight) {
  return AnswerRuntimeErrors(false, [&]() -> bool {
    return Printer().PrintWithDialog(Placed(nNativeImage, nDstLeft, nDstTop, nWidth, nHeight), hwnd);
  });
}

}  // namespace vexiro
