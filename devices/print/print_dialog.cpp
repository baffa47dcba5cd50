// The print dialog members: the dialog offers the document's pages, and the choices confirmed
// there are applied to the printer before the job and once more after it.
#include "devices/print/printer.h"
#include "devices/print/printer_calls.h"
#include <algorithm>
#include <cstdint>

namespace vexiro {

namespace {

// Return an information context, no selection button, print to file disabled and hidden, copies
// and collation kept in the device mode.
constexpr uint32_t kDialogFlags = 0x1C0204;

// Each choice on its own: one the printer refuses leaves the others applied.
void ApplyChoices(cPrinter& printer, const vx::printing::PrintDialogRecord& chosen) {
  using vx::printing::Setting;
  printer.SetActivePrinter(chosen.deviceName);
  const auto set = [](Setting setting, int32_t value) {
    print_calls::Ignoring([&] { vx::printing::SetSetting(setting, value); });
  };
  set(Setting::Copies, chosen.copies);
  printer.SetFromToPage(chosen.fromPage, chosen.toPage);
  set(Setting::Orientation, chosen.orientation);
  set(Setting::Duplex, chosen.duplex);
  set(Setting::PaperSize, chosen.paperSize);
  set(Setting::ColorMode, chosen.color);
  set(Setting::PrintQuality, chosen.printQuality);
  set(Setting::PaperBin, chosen.defaultSource);
}

}  // namespace

bool cPrinter::PrintWithDialog(const PrintRequest& request, int32_t owner) {
  vx::printing::PrintDialogRecord record;
  record.owner = static_cast<vx::HWND>(owner);
  record.flags = kDialogFlags;
  if (const int32_t pages = PageCount(request.imageId); pages >= 2) {
    record.minPage = 1;
    record.maxPage = record.toPage = static_cast<int16_t>(std::min<int32_t>(pages, INT16_MAX));
    record.fromPage = 1;
  }
  if (vx::printing::PrintDlg(record) != 1) return false;
  ApplyChoices(*this, record);
  PrintRequest job = request;
  const bool placed = request.left != 0 || request.top != 0 || request.width != 0 || request.height != 0;
  job.naturalSize = !placed;
  if (placed) job.fit = false;
  Print(job);
  ApplyChoices(*this, record);
  return true;
}

}  // namespace vexiro
