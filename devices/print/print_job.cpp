// The print job: sizing each page in millimetres, turning and placing it, drawing it on the
// printer's device context, and sending the document once all its pages are drawn. A job that
// fails part-way is discarded whole, so nothing of it reaches the queue.
#include <cmath>
#include <exception>
#include <utility>

#include "devices/print/printer.h"
#include "devices/print/printer_calls.h"
#include "engine/documents/multipage_document.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "processing/draw/display.h"

namespace vexiro {

namespace {

constexpr int32_t kSmoothingNone = 3;
constexpr int32_t kInterpolationHighQualityBicubic = 7;
constexpr int32_t kUnitMillimetre = 6;

// Raised inside a job for what the Part calls any other error; the job ends with status 10.
struct JobFailure : std::exception {};

struct PrintableArea {
  double paperWidth = 0, paperHeight = 0, marginLeft = 0, marginTop = 0;
  double Width() const { return paperWidth - 2 * marginLeft; }
  double Height() const { return paperHeight - 2 * marginTop; }
};

PrintableArea ReadPrintableArea(cPrinter& printer) {
  PrintableArea area;
  area.paperWidth = printer.PaperWidth();
  area.paperHeight = printer.PaperHeight();
  float left = 0, top = 0;
  printer.Margins(left, top);
  area.marginLeft = left;
  area.marginTop = top;
  return area;
}

// Turns the copy a quarter to the left, as the engine's Rotate turns the current image, without
// making the copy current or touching the last status.
VexiroStatus TurnQuarterLeft(int32_t imageId) {
  return vx::engine::RotateFlipImage(imageId, vx::gdiplus::Rotate270FlipNone);
}

int32_t RoundHalfEven(double millimetres) { return static_cast<int32_t>(std::nearbyint(millimetres)); }

// A copy made for turning is released however the page ends.
struct TurnedCopy {
  int32_t id = 0;
  ~TurnedCopy() {
    if (id != 0) vx::engine::ReleaseImage(id);
  }
};

}  // namespace

int32_t cPrinter::PageCount(int32_t imageId) {
  if (vx::engine::GetImageFormatName(imageId) != "TIFF") return 1;
  int32_t count = 0;
  vx::engine::GetTiffPageCount(imageId, count);
  return count;
}

void cPrinter::Print(const PrintRequest& request) {
  if (request.imageId == 0) return;
  if (print_calls::OrDefault<int32_t>([] { return vx::printing::PrinterCount(); }) < 1) return;
  RunJob(request);
}

void cPrinter::RunJob(const PrintRequest& request) {
  const std::string applicationTitle = vx::printing::ApplicationTitle();
  vx::printing::SetApplicationTitle(DocumentName);
  try {
    PrintStatus = PrinterOK;
    // A sheet with no printable area cannot take a page at any size.
    if (const PrintableArea area = ReadPrintableArea(*this); area.Width() <= 0 || area.Height() <= 0)
      throw JobFailure();
    const int32_t pages = PageCount(request.imageId);
    bool rangeUsable = false;
    if (pages < 2) {
      FromPage = 1;
    } else if (FromPage <= ToPage) {
      rangeUsable = true;
      FromPage = std::min(FromPage, pages);
      ToPage = std::min(ToPage, pages);
    }
    if (rangeUsable && PageRangeSet) {
      for (int32_t page = FromPage; page <= ToPage && PrintStatus == PrinterOK; ++page) {
        if (vx::engine::SelectPageTiff(request.imageId, page - 1) != OK) {
          PrintStatus = PrinterErrorSelectingFrame;
          break;
        }
        const PageSize size = SizePage(request);
        if (page > FromPage) vx::printing::NewPage();
        if (PreparePrintAndDrawPage(request, page, size) != OK) PrintStatus = PrinterGdiplusWriteError;
      }
    } else if (PreparePrintAndDrawPage(request, 1, SizePage(request)) != OK) {
      PrintStatus = PrinterGdiplusWriteError;
    }
    vx::printing::EndDoc();
  } catch (const std::exception&) {
    // Whatever was drawn of this document goes nowhere: it must not ride along with the next job.
    vx::printing::KillDoc();
    PrintStatus = PrinterUnexpectedError;
  }
  vx::printing::SetApplicationTitle(applicationTitle);
}

PageSize cPrinter::SizePage(const PrintRequest& request) {
  double w = request.width, h = request.height;
  if (w <= 0 || h <= 0) {
    int32_t pixelWidth = 0, pixelHeight = 0;
    float dpiX = 0, dpiY = 0;
    vx::engine::GetImageWidth(request.imageId, pixelWidth);
    vx::engine::GetImageHeight(request.imageId, pixelHeight);
    vx::engine::GetImageHorizontalResolution(request.imageId, dpiX);
    vx::engine::GetImageVerticalResolution(request.imageId, dpiY);
    w = pixelWidth / (dpiX > 0 ? dpiX : 72.0) * 25.4;
    h = pixelHeight / (dpiY > 0 ? dpiY : 72.0) * 25.4;
  }
  if (!request.naturalSize && !request.fit) return {w, h};
  const PrintableArea area = ReadPrintableArea(*this);
  const double usableWidth = area.Width(), usableHeight = area.Height();
  if (request.fit) {
    const double factor = usableWidth / usableHeight <= w / h ? usableWidth / w : usableHeight / h;
    return {w * factor, h * factor};
  }
  if (w <= usableWidth && h <= usableHeight) return {w, h};
  const double ratio = w / h;
  const bool widthOver = w > usableWidth, heightOver = h > usableHeight;
  if ((widthOver && !heightOver) || (widthOver && heightOver && h - usableHeight <= w - usableWidth)) {
    w -= 2 * area.marginLeft;
    return {w, w / ratio};
  }
  h -= 2 * area.marginTop;
  return {h * ratio, h};
}

VexiroStatus cPrinter::PreparePrintAndDrawPage(const PrintRequest& request, int32_t page, PageSize size) {
  TurnedCopy turned;
  if (AutoRotation) {
    const double paperWidth = PaperWidth(), paperHeight = PaperHeight();
    const bool largerThanPaper = size.width > paperWidth || size.height > paperHeight;
    // Turn when the page lies the other way from the paper, as their proportions say.
    const bool crosswise = (size.width > size.height) != (paperWidth > paperHeight);
    if (largerThanPaper && crosswise) {
      std::swap(size.width, size.height);
      // The copy is of the page this sheet prints: the document stands on it already.
      if (vx::engine::CloneImage(turned.id, request.imageId) != OK || TurnQuarterLeft(turned.id) != OK)
        throw JobFailure();
    }
  }
  const PrintableArea area = ReadPrintableArea(*this);
  const double areaWidth = request.fit ? area.Width() : area.paperWidth;
  const double areaHeight = request.fit ? area.Height() : area.paperHeight;
  double left = request.left, top = request.top;
  switch (ImageAlignment) {
    case 1: case 5: case 8: left = areaWidth - size.width; break;
    case 2: case 6: case 9: left = (areaWidth - size.width) / 2; break;
    default: break;
  }
  switch (ImageAlignment) {
    case 0: case 1: case 2: top = (areaHeight - size.height) / 2; break;
    case 7: case 8: case 9: top = areaHeight - size.height; break;
    default: break;
  }
  const vx::HDC dc = print_calls::Untrapped([] { return vx::printing::PrinterDC(); });
  const vx::draw::DisplayRect rect{RoundHalfEven(left), RoundHalfEven(top), RoundHalfEven(size.width),
                                   RoundHalfEven(size.height)};
  const int32_t drawn = turned.id != 0 ? turned.id : request.imageId;
  return vx::draw::DrawImageOnTarget(drawn, vx::draw::DisplayTarget{dc}, rect, kSmoothingNone,
                                     kInterpolationHighQualityBicubic, kUnitMillimetre);
}

}  // namespace vexiro
