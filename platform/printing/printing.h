// The process's printer objects over the print system (CUPS): the printer list, the thread's
// current printer with its settings, a device context whose pages become the print job, and the
// print dialog, answered by a provider a host can replace.
//
// Every call that cannot do its work raises PrinterError, with a Windows printer error number, as
// the printer objects raise run-time errors; callers trap it or let it reach their host.
//
// Settings live with the current printer of the calling thread. Choosing a printer loads its
// defaults from the print system; a setting the printer does not support is refused (the setting
// stays). The document opens at the first request for the device context and goes out as one job
// at EndDoc, titled by the application title, as PDF, or PostScript for a printer taking only that.
#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "platform/kernel/win_types.h"

namespace vx::printing {

constexpr int32_t kErrInvalidPropertyValue = 380;
constexpr int32_t kErrPrinterError = 482;
constexpr int32_t kErrNoPrinter = 484;

class PrinterError : public std::runtime_error {
 public:
  PrinterError(int32_t number, const std::string& description) : std::runtime_error(description), number_(number) {}
  int32_t Number() const { return number_; }

 private:
  int32_t number_;
};

// The printer list, as the print system has it at the call.
int32_t PrinterCount();
std::string PrinterDeviceName(int32_t index);  // 0-based; raises for an index outside the list
// The current printer: the system's default one until the thread chooses another.
std::string CurrentPrinterName();
void SelectPrinter(int32_t index);

// Settings of the current printer, by the Windows device-mode codes.
enum class Setting {
  ColorMode,     // 1 monochrome, 2 colour
  Copies,        // within the printer's range
  Duplex,        // 1 simplex, 2 long edge, 3 short edge
  Orientation,   // 1 portrait, 2 landscape: swaps the sheet's width and height
  PaperSize,     // Windows paper numbers; 256 for a user size
  PaperBin,      // 1 upper, 2 lower, 3 middle, 4 manual, 7 auto
  PrintQuality,  // -1 .. -4, or a resolution in dots per inch
  WidthTwips,    // of the sheet as oriented; writing it makes a user size
  HeightTwips,
};
int32_t GetSetting(Setting setting);
void SetSetting(Setting setting, int32_t value);

// The printable area's offset from the sheet's corner, in hundredths of a millimetre, and the
// resolution of the device context.
int32_t MarginLeft();
int32_t MarginTop();
int32_t Resolution();

// The job: the device context of the current page (the document begins at the first call), a
// new sheet, and the end of the document, which submits it. KillDoc drops an unfinished document
// and nothing is sent.
HDC PrinterDC();
void NewPage();
void EndDoc();
void KillDoc();

// The name under which jobs are submitted.
std::string ApplicationTitle();
void SetApplicationTitle(const std::string& title);

// The print dialog: what the caller offers and what the user chose (the device mode's fields).
struct PrintDialogRecord {
  HWND owner = 0;
  uint32_t flags = 0;
  int16_t minPage = 0, maxPage = 0, fromPage = 0, toPage = 0;
  // Chosen on confirmation.
  std::string deviceName;
  int16_t copies = 1, orientation = 1, duplex = 1, paperSize = 9, color = 2, printQuality = -3, defaultSource = 7;
};
// True when the user confirmed; the provider fills in the choices. The default cancels.
using PrintDialogProvider = std::function<bool(PrintDialogRecord& record)>;
void SetPrintDialogProvider(PrintDialogProvider provider);  // an empty provider restores the default
BOOL PrintDlg(PrintDialogRecord& record);

}  // namespace vx::printing
