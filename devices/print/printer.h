// The engine's printer component: the fields a job keeps (document name, rotation, alignment,
// page range, last outcome) and the operations the Print members forward to. Paper and the other
// settings are the thread's current printer's (platform/printing).
#pragma once
#include <cstdint>
#include <string>

#include "vexiro/imaging.h"

namespace vexiro {

// What a job is asked to print: a position and size in millimetres and how to size it.
struct PrintRequest {
  int32_t imageId = 0;
  float left = 0, top = 0, width = 0, height = 0;
  bool naturalSize = false;
  bool fit = false;
};

// A page's size in millimetres, as sizing leaves it.
struct PageSize {
  double width = 0, height = 0;
};

class cPrinter {
 public:
  std::string DocumentName = "Print Process";
  bool AutoRotation = false;
  int32_t ImageAlignment = 3;
  int32_t FromPage = 1;
  int32_t ToPage = 1;
  bool PageRangeSet = false;
  PrinterStatus PrintStatus = PrinterOK;

  // ---- Settings ----
  int32_t PrintersCount();
  std::string PrinterName(int32_t number);
  std::string ActivePrinter();
  bool SetActivePrinter(const std::string& name);
  float PaperWidth();
  float PaperHeight();
  void SetUserPaperSize(float width, float height);
  void Margins(float& left, float& top);
  void SetFromToPage(int32_t from, int32_t to);

  // ---- Jobs ----
  // Runs a job when there is a printer and an image; otherwise nothing happens.
  void Print(const PrintRequest& request);
  // The print dialog, then the job; false when the dialog was cancelled.
  bool PrintWithDialog(const PrintRequest& request, int32_t owner);

 private:
  void RunJob(const PrintRequest& request);
  int32_t PageCount(int32_t imageId);
  PageSize SizePage(const PrintRequest& request);
  VexiroStatus PreparePrintAndDrawPage(const PrintRequest& request, int32_t page, PageSize size);
};

}  // namespace vexiro
