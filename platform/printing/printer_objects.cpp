// The printer list and the current printer over CUPS: the list is cupsGetDests's, a chosen
// printer's defaults and supported values come from one Get-Printer-Attributes request.
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "platform/printing/cups_library.h"
#include "platform/printing/printer_state.h"

namespace vx::printing {

namespace {

constexpr int16_t kUserPaperSize = 256;

struct PaperCode {
  int16_t code;
  const char* pwg;
};
// Windows paper numbers and the PWG media they name.
constexpr PaperCode kPaperCodes[] = {
    {1, "na_letter_8.5x11in"},  {3, "na_ledger_11x17in"},       {5, "na_legal_8.5x14in"},
    {7, "na_executive_7.25x10.5in"}, {8, "iso_a3_297x420mm"},   {9, "iso_a4_210x297mm"},
    {11, "iso_a5_148x210mm"},   {13, "jis_b5_182x257mm"},       {20, "na_number-10_4.125x9.5in"},
    {27, "iso_dl_110x220mm"},   {28, "iso_c5_162x229mm"},
};

struct KeywordCode {
  int16_t code;
  const char* keyword;
};
constexpr KeywordCode kBins[] = {{1, "top"}, {2, "bottom"}, {3, "middle"}, {4, "manual"}, {7, "auto"}};
constexpr KeywordCode kSides[] = {{1, "one-sided"}, {2, "two-sided-long-edge"}, {3, "two-sided-short-edge"}};
constexpr KeywordCode kColorModes[] = {{1, "monochrome"}, {2, "color"}};
// Device-mode qualities and IPP print-quality values (3 draft, 4 normal, 5 high).
constexpr KeywordCode kQualities[] = {{-1, "3"}, {-2, "3"}, {-3, "4"}, {-4, "5"}};

template <size_t N>
const char* KeywordOf(const KeywordCode (&table)[N], int32_t code) {
  for (const auto& row : table)
    if (row.code == code) return row.keyword;
  return nullptr;
}

template <size_t N>
std::optional<int16_t> CodeOf(const KeywordCode (&table)[N], const std::string& keyword) {
  for (const auto& row : table)
    if (keyword == row.keyword) return row.code;
  return std::nullopt;
}

struct DestList {
  cups_dest_t* dests = nullptr;
  int count = 0;
  ~DestList() {
    if (dests != nullptr) Cups().freeDests(count, dests);
  }
};

// The print system's printers now, none where there is no print system. The server is looked up
// again each time, so a changed environment (CUPS_SERVER) is seen as the system's printers are on
// the platform.
std::unique_ptr<DestList> ReadDests() {
  auto list = std::make_unique<DestList>();
  const CupsLibrary* cups = OpenCups();
  if (cups == nullptr) return list;
  cups->setServer(nullptr);
  list->count = cups->getDests2(CUPS_HTTP_DEFAULT, &list->dests);
  if (list->count < 0) list->count = 0;
  return list;
}

struct IppResponse {
  ipp_t* ipp = nullptr;
  ~IppResponse() { Cups().deleteMessage(ipp); }
};

int32_t IntegerOf(ipp_t* collection, const char* name) {
  ipp_attribute_t* attr = Cups().findAttribute(collection, name, IPP_TAG_INTEGER);
  return attr ? Cups().getInteger(attr, 0) : 0;
}

std::vector<std::string> Keywords(ipp_t* response, const char* name) {
  std::vector<std::string> values;
  ipp_attribute_t* attr = Cups().findAttribute(response, name, IPP_TAG_ZERO);
  for (int i = 0, n = attr ? Cups().getCount(attr) : 0; i < n; ++i)
    if (const char* text = Cups().getString(attr, i, nullptr)) values.emplace_back(text);
  return values;
}

std::string KeywordDefault(ipp_t* response, const char* name, const std::string& fallback) {
  ipp_attribute_t* attr = Cups().findAttribute(response, name, IPP_TAG_ZERO);
  const char* text = attr ? Cups().getString(attr, 0, nullptr) : nullptr;
  return text ? text : fallback;
}

void ReadMediaDefault(ipp_t* response, PrinterState& printer) {
  ipp_attribute_t* col = Cups().findAttribute(response, "media-col-default", IPP_TAG_BEGIN_COLLECTION);
  ipp_t* media = col ? Cups().getCollection(col, 0) : nullptr;
  if (!media) RaisePrinterError(kErrPrinterError, "The printer reports no default media");
  ipp_attribute_t* sizeAttr = Cups().findAttribute(media, "media-size", IPP_TAG_BEGIN_COLLECTION);
  ipp_t* size = sizeAttr ? Cups().getCollection(sizeAttr, 0) : nullptr;
  printer.paper.width = size ? IntegerOf(size, "x-dimension") : 0;
  printer.paper.length = size ? IntegerOf(size, "y-dimension") : 0;
  const pwg_media_t* known = Cups().mediaForSize(printer.paper.width, printer.paper.length);
  printer.paper.name = known && known->pwg ? known->pwg : "";
  printer.marginLeft = IntegerOf(media, "media-left-margin");
  printer.marginTop = IntegerOf(media, "media-top-margin");
  printer.marginRight = IntegerOf(media, "media-right-margin");
  printer.marginBottom = IntegerOf(media, "media-bottom-margin");
}

void ReadCustomRange(PrinterState& printer) {
  for (const std::string& name : printer.media) {
    const pwg_media_t* limit = Cups().mediaForPwg(name.c_str());
    if (!limit) continue;
    if (name.rfind("custom_min_", 0) == 0) {
      printer.customMinWidth = limit->width;
      printer.customMinLength = limit->length;
    } else if (name.rfind("custom_max_", 0) == 0) {
      printer.customMaxWidth = limit->width;
      printer.customMaxLength = limit->length;
    }
  }
}

void ReadResolutions(ipp_t* response, PrinterState& printer) {
  ipp_attribute_t* supported = Cups().findAttribute(response, "printer-resolution-supported", IPP_TAG_RESOLUTION);
  for (int i = 0, n = supported ? Cups().getCount(supported) : 0; i < n; ++i) {
    int y = 0;
    ipp_res_t units{};
    printer.resolutions.push_back(Cups().getResolution(supported, i, &y, &units));
  }
  ipp_attribute_t* def = Cups().findAttribute(response, "printer-resolution-default", IPP_TAG_RESOLUTION);
  int y = 0;
  ipp_res_t units{};
  if (def) printer.resolution = Cups().getResolution(def, 0, &y, &units);
  if (printer.resolution <= 0) printer.resolution = 300;
}

void ReadQualities(ipp_t* response, PrinterState& printer) {
  ipp_attribute_t* supported = Cups().findAttribute(response, "print-quality-supported", IPP_TAG_ENUM);
  for (int i = 0, n = supported ? Cups().getCount(supported) : 0; i < n; ++i)
    printer.qualities.push_back(Cups().getInteger(supported, i));
  ipp_attribute_t* def = Cups().findAttribute(response, "print-quality-default", IPP_TAG_ENUM);
  const int ipp = def ? Cups().getInteger(def, 0) : IPP_QUALITY_NORMAL;
  printer.quality = ipp == IPP_QUALITY_DRAFT ? -1 : ipp == IPP_QUALITY_HIGH ? -4 : -3;
}

void ReadFormats(ipp_t* response, PrinterState& printer) {
  for (const std::string& format : Keywords(response, "document-format-supported")) {
    printer.takesPdf |= format == "application/pdf";
    printer.takesPostScript |= format == "application/postscript";
  }
}

PrinterState LoadPrinter(const cups_dest_t& dest) {
  PrinterState printer;
  printer.name = dest.name;
  char uri[HTTP_MAX_URI];
  Cups().assembleUri(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", Cups().port(), "/printers/%s",
                   dest.name);
  ipp_t* request = Cups().newRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  Cups().addString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  static const char* const kWanted[] = {"media-col-default", "media-supported", "media-source-supported",
                                        "media-source-default", "sides-supported", "sides-default",
                                        "print-color-mode-supported", "print-color-mode-default",
                                        "print-quality-supported", "print-quality-default",
                                        "printer-resolution-supported", "printer-resolution-default",
                                        "copies-supported", "copies-default", "document-format-supported"};
  Cups().addStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(kWanted)), nullptr, kWanted);
  IppResponse response{Cups().doRequest(CUPS_HTTP_DEFAULT, request, "/")};
  if (!response.ipp || Cups().getStatusCode(response.ipp) > IPP_STATUS_OK_CONFLICTING)
    RaisePrinterError(kErrPrinterError, std::string("The printer cannot be reached: ") + Cups().lastErrorString());
  ipp_t* r = response.ipp;
  ReadMediaDefault(r, printer);
  printer.media = Keywords(r, "media-supported");
  ReadCustomRange(printer);
  printer.sources = Keywords(r, "media-source-supported");
  printer.sides = Keywords(r, "sides-supported");
  printer.colorModes = Keywords(r, "print-color-mode-supported");
  if (ipp_attribute_t* copies = Cups().findAttribute(r, "copies-supported", IPP_TAG_RANGE))
    printer.copiesMin = Cups().getRange(copies, 0, &printer.copiesMax);
  ReadResolutions(r, printer);
  ReadQualities(r, printer);
  ReadFormats(r, printer);
  printer.paperBin = CodeOf(kBins, KeywordDefault(r, "media-source-default", "auto")).value_or(7);
  printer.duplex = CodeOf(kSides, KeywordDefault(r, "sides-default", "one-sided")).value_or(1);
  printer.colorMode = CodeOf(kColorModes, KeywordDefault(r, "print-color-mode-default", "color")).value_or(2);
  return printer;
}

struct ThreadPrinters {
  std::optional<PrinterState> current;
  std::string title;
};

ThreadPrinters& Printers() {
  thread_local ThreadPrinters printers;
  return printers;
}

const cups_dest_t& DestAt(const DestList& list, int32_t index) {
  if (index < 0 || index >= list.count) RaisePrinterError(9, "Subscript out of range");
  return list.dests[index];
}

bool Contains(const std::vector<std::string>& values, const std::string& value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

void Refuse() { RaisePrinterError(kErrInvalidPropertyValue, "Invalid property value"); }

// A keyword setting: the code must name a keyword the printer supports.
template <size_t N>
void SetKeyword(const KeywordCode (&table)[N], const std::vector<std::string>& supported, int32_t value,
                int16_t& field) {
  const char* keyword = KeywordOf(table, value);
  if (!keyword || !Contains(supported, keyword)) Refuse();
  field = static_cast<int16_t>(value);
}

int32_t TwipsOf(int32_t hundredthsMm) { return static_cast<int32_t>(std::nearbyint(hundredthsMm / 2540.0 * 1440.0)); }
// A twip is under two hundredths of a millimetre, so sizes come back from twips to the nearest
// tenth of a millimetre: 100 mm, written as 5669 twips, is 100 mm again and not 99.99.
int32_t HundredthsOfTwips(int32_t twips) {
  return 10 * static_cast<int32_t>(std::nearbyint(twips * 254.0 / 1440.0));
}

// "custom_WxHmm" with the sizes in millimetres, as short as they can be written.
std::string CustomMediaName(int32_t width, int32_t length) {
  const auto millimetres = [](int32_t hundredths) {
    std::string text = std::to_string(hundredths / 100);
    if (const int32_t fraction = hundredths % 100; fraction != 0) {
      text += '.' + std::to_string(fraction / 10);
      if (fraction % 10 != 0) text += std::to_string(fraction % 10);
    }
    return text;
  };
  return "custom_" + millimetres(width) + "x" + millimetres(length) + "mm";
}

void SetStandardPaper(PrinterState& printer, int32_t code) {
  for (const auto& row : kPaperCodes) {
    if (row.code != code) continue;
    const pwg_media_t* media = Cups().mediaForPwg(row.pwg);
    if (!media || !Contains(printer.media, row.pwg)) break;
    printer.paper = {row.pwg, media->width, media->length};
    return;
  }
  Refuse();
}

// A user size in hundredths of a millimetre, portrait, inside the printer's custom range.
void SetUserPaper(PrinterState& printer, int32_t width, int32_t length) {
  if (printer.customMaxWidth == 0 || width < printer.customMinWidth || width > printer.customMaxWidth ||
      length < printer.customMinLength || length > printer.customMaxLength)
    Refuse();
  printer.paper = {CustomMediaName(width, length), width, length};
}

void SetSheetSide(PrinterState& printer, bool widthSide, int32_t twips) {
  const bool landscape = printer.orientation == 2;
  int32_t width = printer.paper.width, length = printer.paper.length;
  // The sheet's width is the paper's length when it lies in landscape.
  (widthSide != landscape ? width : length) = HundredthsOfTwips(twips);
  SetUserPaper(printer, width, length);
}

void SetQuality(PrinterState& printer, int32_t value) {
  const char* ipp = KeywordOf(kQualities, value);
  const bool supported = ipp ? std::find(printer.qualities.begin(), printer.qualities.end(), std::atoi(ipp)) !=
                                   printer.qualities.end()
                             : std::find(printer.resolutions.begin(), printer.resolutions.end(), value) !=
                                   printer.resolutions.end();
  if (!supported) Refuse();
  printer.quality = static_cast<int16_t>(value);
}

int16_t PaperCodeOf(const PaperMedia& paper) {
  for (const auto& row : kPaperCodes)
    if (paper.name == row.pwg) return row.code;
  return kUserPaperSize;
}

}  // namespace

void RaisePrinterError(int32_t number, const std::string& description) { throw PrinterError(number, description); }

int32_t SheetWidth(const PrinterState& printer) {
  return printer.orientation == 2 ? printer.paper.length : printer.paper.width;
}
int32_t SheetLength(const PrinterState& printer) {
  return printer.orientation == 2 ? printer.paper.width : printer.paper.length;
}

int32_t PrinterCount() { return ReadDests()->count; }

std::string PrinterDeviceName(int32_t index) {
  auto list = ReadDests();
  return DestAt(*list, index).name;
}

PrinterState& CurrentPrinter() {
  auto& printers = Printers();
  if (!printers.current) {
    auto list = ReadDests();
    if (list->count == 0) RaisePrinterError(kErrNoPrinter, "No printers are installed");
    const cups_dest_t* chosen = &list->dests[0];
    for (int i = 0; i < list->count; ++i)
      if (list->dests[i].is_default) chosen = &list->dests[i];
    printers.current = LoadPrinter(*chosen);
  }
  return *printers.current;
}

std::string CurrentPrinterName() { return CurrentPrinter().name; }

void SelectPrinter(int32_t index) {
  auto list = ReadDests();
  Printers().current = LoadPrinter(DestAt(*list, index));
}

int32_t GetSetting(Setting setting) {
  const PrinterState& printer = CurrentPrinter();
  switch (setting) {
    case Setting::ColorMode: return printer.colorMode;
    case Setting::Copies: return printer.copies;
    case Setting::Duplex: return printer.duplex;
    case Setting::Orientation: return printer.orientation;
    case Setting::PaperSize: return PaperCodeOf(printer.paper);
    case Setting::PaperBin: return printer.paperBin;
    case Setting::PrintQuality: return printer.quality;
    case Setting::WidthTwips: return TwipsOf(SheetWidth(printer));
    case Setting::HeightTwips: return TwipsOf(SheetLength(printer));
  }
  return 0;
}

void SetSetting(Setting setting, int32_t value) {
  PrinterState& printer = CurrentPrinter();
  switch (setting) {
    case Setting::ColorMode: return SetKeyword(kColorModes, printer.colorModes, value, printer.colorMode);
    case Setting::Duplex: return SetKeyword(kSides, printer.sides, value, printer.duplex);
    case Setting::PaperBin: return SetKeyword(kBins, printer.sources, value, printer.paperBin);
    case Setting::Copies:
      if (value < printer.copiesMin || value > printer.copiesMax) Refuse();
      printer.copies = static_cast<int16_t>(value);
      return;
    case Setting::Orientation:
      if (value != 1 && value != 2) Refuse();
      printer.orientation = static_cast<int16_t>(value);
      return;
    case Setting::PaperSize: return SetStandardPaper(printer, value);
    case Setting::PrintQuality: return SetQuality(printer, value);
    case Setting::WidthTwips: return SetSheetSide(printer, true, value);
    case Setting::HeightTwips: return SetSheetSide(printer, false, value);
  }
}

int32_t MarginLeft() {
  const PrinterState& printer = CurrentPrinter();
  return printer.orientation == 2 ? printer.marginTop : printer.marginLeft;
}
int32_t MarginTop() {
  const PrinterState& printer = CurrentPrinter();
  return printer.orientation == 2 ? printer.marginLeft : printer.marginTop;
}
int32_t Resolution() { return CurrentPrinter().resolution; }

std::string ApplicationTitle() { return Printers().title; }
void SetApplicationTitle(const std::string& title) { Printers().title = title; }

// The options a job carries: every setting as the print system names it. The sheet's orientation
// is already in the page size, so no orientation goes out.
int AddJobOptions(const PrinterState& printer, cups_option_t** options) {
  int count = 0;
  count = Cups().addIntegerOption("copies", printer.copies, count, options);
  count = Cups().addOption("media", printer.paper.name.c_str(), count, options);
  if (const char* source = KeywordOf(kBins, printer.paperBin)) count = Cups().addOption("media-source", source, count, options);
  if (const char* sides = KeywordOf(kSides, printer.duplex)) count = Cups().addOption("sides", sides, count, options);
  if (const char* mode = KeywordOf(kColorModes, printer.colorMode))
    count = Cups().addOption("print-color-mode", mode, count, options);
  if (const char* quality = KeywordOf(kQualities, printer.quality)) {
    count = Cups().addOption("print-quality", quality, count, options);
  } else if (printer.quality > 0) {
    count = Cups().addOption("printer-resolution", (std::to_string(printer.quality) + "dpi").c_str(), count, options);
  }
  return count;
}

}  // namespace vx::printing
