// The thread's current printer as the printer objects hold it: what it supports, as the print
// system answered when it was chosen, and the settings the job will carry.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/printing/printing.h"

struct cups_option_s;

namespace vx::printing {

struct PaperMedia {
  std::string name;  // PWG media name
  int32_t width = 0, length = 0;  // hundredths of a millimetre, portrait
};

struct PrinterState {
  std::string name;
  // What the printer supports.
  std::vector<std::string> media, sources, sides, colorModes;
  std::vector<int32_t> qualities, resolutions;
  int32_t copiesMin = 1, copiesMax = 1;
  int32_t customMinWidth = 0, customMinLength = 0, customMaxWidth = 0, customMaxLength = 0;
  bool takesPdf = false, takesPostScript = false;
  // Its settings (device-mode codes) and the geometry of its media.
  PaperMedia paper;
  int32_t marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
  int32_t resolution = 300;
  int16_t colorMode = 2, copies = 1, duplex = 1, orientation = 1, paperBin = 7, quality = -3;
};

// The current printer of the thread, chosen (the system's default) on first use; raises
// kErrNoPrinter when the print system has no printer.
PrinterState& CurrentPrinter();

// The sheet as oriented, in hundredths of a millimetre.
int32_t SheetWidth(const PrinterState& printer);
int32_t SheetLength(const PrinterState& printer);

// Adds the job's options (cupsAddOption) for the printer's settings; returns their count.
int AddJobOptions(const PrinterState& printer, cups_option_s** options);

[[noreturn]] void RaisePrinterError(int32_t number, const std::string& description);

}  // namespace vx::printing
