// Printer choice and settings. Setters give up quietly when the printer refuses a value; most
// getters answer 0 or "" when the printer objects fail, and the few that do not trap pass the
// printer's error on to the host.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "devices/print/printer.h"
#include "devices/print/printer_calls.h"
#include "engine/routines/shared_routines.h"
#include "platform/gdi/gdi.h"

namespace vexiro {

namespace {

constexpr double kTwipsPerMillimetre = 1440.0 / 25.4;

// The first printer whose name matches `wanted` by `matches`, made current.
template <class Match>
bool SelectFirstMatching(const std::string& wanted, Match matches) {
  const int32_t count = vx::printing::PrinterCount();
  for (int32_t i = 0; i < count; ++i) {
    if (!matches(vx::engine::TrimmedUpperCase(vx::printing::PrinterDeviceName(i)), wanted)) continue;
    vx::printing::SelectPrinter(i);
    return true;
  }
  return false;
}

int32_t ToTwips(float millimetres) { return static_cast<int32_t>(std::nearbyint(millimetres * kTwipsPerMillimetre)); }

}  // namespace

int32_t cPrinter::PrintersCount() {
  return print_calls::Untrapped([] { return vx::printing::PrinterCount(); });
}

std::string cPrinter::PrinterName(int32_t number) {
  return print_calls::OrDefault<std::string>([&] { return vx::printing::PrinterDeviceName(number - 1); });
}

std::string cPrinter::ActivePrinter() {
  return print_calls::Untrapped([]() -> std::string {
    return vx::printing::PrinterCount() > 0 ? vx::printing::CurrentPrinterName() : "";
  });
}

bool cPrinter::SetActivePrinter(const std::string& name) {
  const std::string wanted = vx::engine::TrimmedUpperCase(name);
  return print_calls::OrDefault<bool>([&] {
    return SelectFirstMatching(wanted, [](const std::string& have, const std::string& want) { return have == want; }) ||
           SelectFirstMatching(wanted, [](const std::string& have, const std::string& want) {
             return have.compare(0, want.size(), want) == 0;
           });
  });
}

float cPrinter::PaperWidth() {
  return print_calls::OrDefault<float>([] {
    return static_cast<float>(vx::printing::GetSetting(vx::printing::Setting::WidthTwips) / kTwipsPerMillimetre);
  });
}

float cPrinter::PaperHeight() {
  return print_calls::OrDefault<float>([] {
    return static_cast<float>(vx::printing::GetSetting(vx::printing::Setting::HeightTwips) / kTwipsPerMillimetre);
  });
}

void cPrinter::SetUserPaperSize(float width, float height) {
  print_calls::Ignoring([&] { vx::printing::SetSetting(vx::printing::Setting::WidthTwips, ToTwips(width)); });
  print_calls::Ignoring([&] { vx::printing::SetSetting(vx::printing::Setting::HeightTwips, ToTwips(height)); });
}

void cPrinter::Margins(float& left, float& top) {
  print_calls::Untrapped([&] {
    const vx::HDC dc = vx::printing::PrinterDC();
    const int offsetX = vx::GetDeviceCaps(dc, vx::PHYSICALOFFSETX);
    const int offsetY = vx::GetDeviceCaps(dc, vx::PHYSICALOFFSETY);
    const int dpiX = vx::GetDeviceCaps(dc, vx::LOGPIXELSX);
    const int dpiY = vx::GetDeviceCaps(dc, vx::LOGPIXELSY);
    if (dpiX == 0 || dpiY == 0) return 0;
    left = static_cast<float>(static_cast<double>(offsetX) / dpiX * 25.4);
    top = static_cast<float>(static_cast<double>(offsetY) / dpiY * 25.4);
    return 0;
  });
}

void cPrinter::SetFromToPage(int32_t from, int32_t to) {
  if (from == 0 && to == 0) {
    PageRangeSet = false;
    return;
  }
  FromPage = from >= 1 ? from : 1;
  ToPage = to >= 1 ? to : 1;
  PageRangeSet = true;
}

}  // namespace vexiro
