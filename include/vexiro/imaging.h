// The imaging engine: the object a host calls every imaging member on. Each engine holds its own
// settings, its current image and its last status; the images themselves live in the calling
// thread's image store, which every engine of that thread shares, and outlive the engine that
// made them until the thread's last engine ends.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vexiro/basic_array.h"
#include "vexiro/vexiro_status.h"

namespace vx {
struct GUID;
}

namespace vexiro {

class cPDF;
class cPrinter;
class cInet;
class cARD;
class cBarcode1DReader;
class cBarcodeDMReader;

// A processing rectangle in pixels.
struct FilterArea {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Width = 0;
  int32_t Height = 0;
};

// A 3 x 3 filter matrix.
using Matrix3x3 = std::array<int32_t, 9>;

class cImaging {
 public:
  cImaging();
  ~cImaging();
  cImaging(const cImaging&) = delete;
  cImaging& operator=(const cImaging&) = delete;

  // ---- Engine state and status ----
  VexiroStatus GetStat() const { return nStat; }

  // ---- Safety for scripting and initialisation (IObjectSafety) ----
  static constexpr uint32_t INTERFACESAFE_FOR_UNTRUSTED_CALLER = 1;
  static constexpr uint32_t INTERFACESAFE_FOR_UNTRUSTED_DATA = 2;
  int32_t GetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t* supportedOptions, uint32_t* enabledOptions);
  int32_t SetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t optionSetMask, uint32_t enabledOptions);

  // ---- Engine utility members ----

  // ---- Loading image files ----

  // ---- Image-creating members ----

  // ---- Clipboard ----

  // ---- Thumbnails ----

  // ---- Saving ----

  // ---- Handle export and pixel arrays ----

  // ---- Multi-page documents (TIFF and GIF) ----

  // ---- EXIF and IPTC metadata ----

  // ---- Image information ----

  // ---- Filters ----

  // ---- Histograms ----

  // ---- Border cropping and deskew ----

  // ---- Pixel formats and colour reduction ----

  // ---- Palettes ----

  // ---- Geometry ----

  // ---- Image composition ----

  // ---- Vector drawing ----

  // ---- Text and fonts ----

  // ---- Barcode drawing ----

  // ---- Colour values and colour models ----

  // ---- Display ----

  // ---- Colour management ----

  // ---- PDF documents ----

  // ---- PDF drawing ----

  // ---- Saving as PDF ----

  // ---- Scanning (TWAIN) ----

  // ---- Printing ----

  // ---- Network transfer ----

  // ---- OCR ----

  // ---- Barcode reading ----

  // ---- Document recognition ----

 private:
  friend struct ImagingTestAccess;

  // ---- Fields of the engine, in their declaration order ----
  std::string sTwainTempFile;
  BasicArray<int32_t> arCropBorderWork;  // pixel work buffer of border cropping
  std::vector<Matrix3x3> arMatrix3x3x;
  bool bTiffOpenReadOnly = false;
  bool bGifOpenReadOnly = false;
  int32_t nMatrix3x3xCount = 0;
  bool bInetBusy = false;
  int32_t nNativeImage = 0;
  int32_t nNativeTiffMultiPage = 0;
  int32_t nTwainPdfHandle = 0;
  int32_t nTwainPdfOCRHandle = 0;
  int32_t nPdfHandle = 0;
  int32_t nPdfTextColor = 0;
  int32_t nPdfLastFillColor = 0;
  int32_t nPdfLastStrokeColor = 0;
  int32_t nPdfMeasurementUnit = 0;
  float nPdfLastLineWidth = 0;
  int32_t nPdfCompressionLevel = 9;
  int32_t nPdfJpegQuality = 75;
  int32_t nSavedWidth = 0;
  int32_t nSavedHeight = 0;
  float nSavedVerticalResolution = 0;
  float nSavedHorizontalResolution = 0;
  int32_t nSavedPixelFormat = 0;
  int32_t nHttpTransferBufferSize = 4096;
  bool bFtpPassiveMode = true;
  bool bDisableVximgplugCodecs = false;
  bool bTagsPreserve = true;
  int32_t nSavedPropertyItemCount = 0;
  VexiroStatus nStat = OK;
  int32_t nFontUnit = 3;  // point
  std::unique_ptr<cPrinter> oPrinter;
  std::unique_ptr<cPDF> oPDF;
  std::unique_ptr<cPDF> oTwainPDF;
  std::unique_ptr<cPDF> oTwainPDFOCR;
  std::unique_ptr<cBarcode1DReader> oBarcode1DReader;
  std::unique_ptr<cBarcodeDMReader> oBarcodeDMReader;
  int32_t nOCRCharCount = 0;
  std::unique_ptr<cARD> oARD;
  int32_t nROIMode = 1;  // 1 whole image, 2 the rectangle ROIArea
  FilterArea ROIArea;
  std::unique_ptr<cInet> oInet;
  // Fields whose types their own subsystems define (the saved property items, the colour object,
  // the OCR results) are declared in those subsystems' sections.

  // ---- Private helpers of the engine core ----

  // ---- Private helpers of image processing ----

  // ---- Private helpers of PDF writing ----

  // ---- Private helpers of scanning, printing and network transfer ----

  // ---- Private helpers of recognition ----
};

}  // namespace vexiro
