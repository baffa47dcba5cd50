// The printer's device context and its document: pages drawn through cairo's PDF (or PostScript)
// surface into memory, in device pixels from the printable corner, and submitted as one job at
// the end of the document.
#include <cairo-pdf.h>
#include <cairo-ps.h>

#include <cmath>
#include <memory>

#include "platform/gdi/gdi_objects.h"
#include "platform/printing/cups_library.h"
#include "platform/printing/printer_state.h"

namespace vx::printing {

namespace {

constexpr double kPointsPerHundredthMm = 72.0 / 2540.0;

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// One document: the surface writes into `bytes`, which goes out whole at the end.
struct Document {
  std::string printer;
  bool postscript = false;
  std::string bytes;
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;

  ~Document() {
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
  }

  // The sheet's size and the device space of the page about to be drawn.
  void PreparePage(const PrinterState& state) {
    const double width = SheetWidth(state) * kPointsPerHundredthMm;
    const double height = SheetLength(state) * kPointsPerHundredthMm;
    if (postscript) {
      cairo_ps_surface_set_size(surface, width, height);
    } else {
      cairo_pdf_surface_set_size(surface, width, height);
    }
    cairo_identity_matrix(cr);
    cairo_translate(cr, MarginLeft() * kPointsPerHundredthMm, MarginTop() * kPointsPerHundredthMm);
    cairo_scale(cr, 72.0 / state.resolution, 72.0 / state.resolution);
  }
};

std::unique_ptr<Document> BeginDocument() {
  const PrinterState& state = CurrentPrinter();
  if (!state.takesPdf && !state.takesPostScript)
    RaisePrinterError(kErrPrinterError, "The printer takes neither PDF nor PostScript");
  auto doc = std::make_unique<Document>();
  doc->printer = state.name;
  doc->postscript = !state.takesPdf;
  const double width = SheetWidth(state) * kPointsPerHundredthMm;
  const double height = SheetLength(state) * kPointsPerHundredthMm;
  doc->surface = doc->postscript
                     ? cairo_ps_surface_create_for_stream(&AppendBytes, &doc->bytes, width, height)
                     : cairo_pdf_surface_create_for_stream(&AppendBytes, &doc->bytes, width, height);
  doc->cr = cairo_create(doc->surface);
  if (cairo_status(doc->cr) != CAIRO_STATUS_SUCCESS) RaisePrinterError(7, "Out of memory");
  if (!doc->postscript) cairo_pdf_surface_set_metadata(doc->surface, CAIRO_PDF_METADATA_TITLE, ApplicationTitle().c_str());
  doc->PreparePage(state);
  return doc;
}

struct ThreadJob {
  std::unique_ptr<Document> document;
  HDC dc = 0;
};

ThreadJob& Job() {
  thread_local ThreadJob job;
  return job;
}

int32_t DevicePixels(int32_t hundredthsMm, int32_t dpi) {
  return static_cast<int32_t>(std::nearbyint(hundredthsMm / 2540.0 * dpi));
}

// The printer as GDI sees it: capabilities read from the current printer at each call, and a
// document that begins when something is first drawn.
class PrinterDevice : public gdi::DeviceSurface {
 public:
  int DeviceCaps(int index) const override {
    const PrinterState& state = CurrentPrinter();
    const int32_t dpi = state.resolution;
    const int32_t printableWidth = SheetWidth(state) - 2 * MarginLeft();
    const int32_t printableLength = SheetLength(state) - 2 * MarginTop();
    switch (index) {
      case HORZRES: return DevicePixels(printableWidth, dpi);
      case VERTRES: return DevicePixels(printableLength, dpi);
      case LOGPIXELSX:
      case LOGPIXELSY: return dpi;
      case PHYSICALWIDTH: return DevicePixels(SheetWidth(state), dpi);
      case PHYSICALHEIGHT: return DevicePixels(SheetLength(state), dpi);
      case PHYSICALOFFSETX: return DevicePixels(MarginLeft(), dpi);
      case PHYSICALOFFSETY: return DevicePixels(MarginTop(), dpi);
      case BITSPIXEL: return 24;
      case PLANES: return 1;
      default: return 0;
    }
  }
  cairo_t* Context() override {
    auto& job = Job();
    if (!job.document) job.document = BeginDocument();
    return job.document->cr;
  }
};

void Submit(const Document& doc, cups_option_t* options, int optionCount) {
  const std::string title = ApplicationTitle();
  const char* format = doc.postscript ? CUPS_FORMAT_POSTSCRIPT : CUPS_FORMAT_PDF;
  const int job = Cups().createJob(CUPS_HTTP_DEFAULT, doc.printer.c_str(), title.c_str(), optionCount, options);
  if (job == 0) RaisePrinterError(kErrPrinterError, Cups().lastErrorString());
  const bool sent =
      Cups().startDocument(CUPS_HTTP_DEFAULT, doc.printer.c_str(), job, title.c_str(), format, 1) == HTTP_STATUS_CONTINUE &&
      Cups().writeRequestData(CUPS_HTTP_DEFAULT, doc.bytes.data(), doc.bytes.size()) == HTTP_STATUS_CONTINUE &&
      Cups().finishDocument(CUPS_HTTP_DEFAULT, doc.printer.c_str()) == IPP_STATUS_OK;
  if (!sent) {
    const std::string reason = Cups().lastErrorString();
    Cups().cancelJob2(CUPS_HTTP_DEFAULT, doc.printer.c_str(), job, 0);
    RaisePrinterError(kErrPrinterError, reason);
  }
}

}  // namespace

HDC PrinterDC() {
  CurrentPrinter();  // no printer, no device context
  auto& job = Job();
  if (!gdi::DeviceContexts().Contains(job.dc)) {
    gdi::DeviceContext context;
    context.device = std::make_shared<PrinterDevice>();
    job.dc = gdi::DeviceContexts().Insert(std::move(context));
  }
  return job.dc;
}

void NewPage() {
  auto& job = Job();
  if (!job.document) job.document = BeginDocument();
  cairo_show_page(job.document->cr);
  job.document->PreparePage(CurrentPrinter());
}

void EndDoc() {
  auto& job = Job();
  if (!job.document) return;
  std::unique_ptr<Document> doc = std::move(job.document);
  cairo_destroy(doc->cr);
  doc->cr = nullptr;
  cairo_surface_finish(doc->surface);
  if (cairo_surface_status(doc->surface) != CAIRO_STATUS_SUCCESS)
    RaisePrinterError(kErrPrinterError, cairo_status_to_string(cairo_surface_status(doc->surface)));
  cups_option_t* options = nullptr;
  const int count = AddJobOptions(CurrentPrinter(), &options);
  struct OptionsOwner {
    int count;
    cups_option_t* options;
    ~OptionsOwner() { Cups().freeOptions(count, options); }
  } owner{count, options};
  Submit(*doc, options, count);
}

void KillDoc() { Job().document.reset(); }

}  // namespace vx::printing
