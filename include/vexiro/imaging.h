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
namespace ole {
class IPicture;
}  // namespace ole
}  // namespace vx
namespace vx::gdiplus {
struct ColorPalette;
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

// Palette type flags of indexed images.
enum ColorPaletteType : int32_t {
  ColorPaletteTypeUndefined = 0,
  ColorPaletteTypeHasAlpha = 1,
  ColorPaletteTypeGrayScale = 2,
  ColorPaletteTypeHalfTone = 4,
};

// A property item copied out of an image: tag, type and value bytes.
struct SavedPropertyItem {
  uint32_t ID = 0;
  uint16_t ItemType = 0;
  std::vector<uint8_t> Value;
};

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
  // Each returns the new image identifier (0 on failure) and leaves its status for GetStat;
  // the loaders make the new image current, the clones leave the current image alone.
  int32_t CreateImageFromFile(const std::string& sFilePath);
  int32_t CreateImageFromFileICM(const std::string& sFilePath);
  int32_t CreateImageFromByteArray(BasicArray<uint8_t>& arBytes);
  int32_t CreateImageFromByteArrayICM(BasicArray<uint8_t>& arBytes);
  int32_t CreateImageFromString(const std::string& sImageString);
  int32_t CreateImageFromStringICM(const std::string& sImageString);
  // Streams cross as handles of the platform's stream table.
  int32_t CreateImageFromStream(uint32_t oStream);
  int32_t CreateImageFromStreamICM(uint32_t oStream);
  int32_t CreateImageFromClipboard();
  int32_t CreateImageFromPicture(vx::ole::IPicture* oPicture);
  int32_t CreateImageFromDIB(int32_t nDib);
  int32_t CreateImageFromGdiPlusImage(intptr_t nGdiPlusImage);
  int32_t CreateImageFromMetaFile(const std::string& sFilePath, float nScaleBy = 1);
  int32_t CreateImageFromHBitmap(int32_t hBitmap);
  int32_t CreateImageFromHICON(int32_t hicon);
  int32_t CreateImageFromRawBits(int32_t nWidth, int32_t nHeight, int32_t nStride, int32_t nPixelFormat, intptr_t nBits);
  int32_t CreateImageFromHwnd(int32_t hwnd = 0);
  int32_t CreateNewImage(int32_t nWidth, int32_t nHeight, int16_t nBitDepth = 32, int32_t nBackColor = -16777216);
  int32_t CreateImageFromFTP(const std::string& sHost, const std::string& sPath, const std::string& sLogin = "",
                             const std::string& sPassword = "", int32_t nFTPPort = 21);
  int32_t CreateImageFromURL(const std::string& sHost, const std::string& sPath, int32_t nHTTPPort = 80);
  int32_t CreateClonedImage(int32_t nImageID);
  int32_t CreateClonedImageI(int32_t nImageID);
  int32_t CreateClonedImageARGB(int32_t nImageID);
  int32_t CreateClonedImageArea(int32_t nImageID, int32_t nSrcLeft, int32_t nSrcTop, int32_t nWidth, int32_t nHeight);
  VexiroStatus CreateImageFromMemory(intptr_t hMem, int32_t Length);
  void SetNativeImage(int32_t nImageID);

  // ---- Clipboard ----
  VexiroStatus CopyToClipboard();
  VexiroStatus CopyRegionToClipboard(int32_t nSrcLeft, int32_t nSrcTop, int32_t nWidth, int32_t nHeight);
  void DeleteClipboardData();

  // ---- Thumbnails ----

  // ---- Saving ----
  VexiroStatus CloseImage(int32_t nImageID);
  VexiroStatus CloseNativeImage();
  VexiroStatus SaveAsBmp(const std::string& sFilePath);
  VexiroStatus SaveAsGIF(const std::string& sFilePath);
  VexiroStatus SaveAsPNG(const std::string& sFilePath);
  VexiroStatus SaveAsJPEG(const std::string& sFilePath, int32_t nQuality = 75);
  VexiroStatus SaveAsTIFF(const std::string& sFilePath, int32_t nModeCompression = 2);
  VexiroStatus SaveAsGIFi(const std::string& sFilePath);
  VexiroStatus SaveAsPNM(const std::string& sFilePath);
  // Formats the format plug-in writes.
  VexiroStatus SaveAsWBMP(const std::string& sFilePath);
  VexiroStatus SaveAsXPM(const std::string& sFilePath);
  VexiroStatus SaveAsTGA(const std::string& sFilePath);
  VexiroStatus SaveAsPBM(const std::string& sFilePath);
  VexiroStatus SaveAsJ2K(const std::string& sFilePath, int32_t nRate = 16);
  VexiroStatus SaveAsJP2(const std::string& sFilePath, int32_t nRate = 16);
  VexiroStatus SaveAsEXR(const std::string& sFilePath, int32_t nCompression = 0);
  VexiroStatus SaveAsTIFFjpg(const std::string& sFilePath);
  VexiroStatus SaveAsTIFFjpgEx(const std::string& sFilePath, int32_t nQuality);
  VexiroStatus SaveAsByteArray(BasicArray<uint8_t>& arBytes, int32_t& nBytesRead, const std::string& sImageFormat,
                               int32_t nEncoderParameter = 0);
  // Streams travel as handles of the platform's stream table. On success the handle passed in is
  // released and a new stream, positioned after its last byte, takes its place.
  VexiroStatus SaveAsStream(uint32_t& oStream, const std::string& sImageFormat, int32_t nEncoderParameter = 0);
  std::string SaveAsString(const std::string& sImageFormat, int32_t nEncoderParameter = 0);

  // ---- Handle export and pixel arrays ----

  // ---- Multi-page documents (TIFF and GIF) ----

  // ---- EXIF and IPTC metadata ----

  // ---- Image information ----
  int32_t GetWidth();
  int32_t GetHeight();
  float GetWidthMM();
  float GetHeightMM();
  std::string GetImageFormat();
  int32_t GetPixelFormat();
  std::string GetPixelFormatString();
  int32_t GetImageColorSpace();
  int32_t GetPixelDepth();
  bool IsPixelFormatIndexed();
  bool IsPixelFormatHasAlpha();
  float GetHorizontalResolution();
  float GetVerticalResolution();
  VexiroStatus SetHorizontalResolution(float nHorizontalresolution);
  VexiroStatus SetVerticalResolution(float nVerticalresolution);
  bool IsCMYKFile(const std::string& sFilePath);

  // ---- Filters ----

  // ---- Histograms ----

  // ---- Border cropping and deskew ----

  // ---- Pixel formats and colour reduction ----

  // ---- Palettes ----
  VexiroStatus ColorPaletteGet(BasicArray<int32_t>& nARGBColorsArray, int32_t& nEntriesCount);
  VexiroStatus ColorPaletteSet(BasicArray<int32_t>& nARGBColorsArray);
  int32_t ColorPaletteGetEntrie(int32_t nEntrie);
  int32_t ColorPaletteGetColorsCount();
  ColorPaletteType ColorPaletteGetType();
  VexiroStatus ColorPaletteSwapEntries(int32_t nEntrie1, int32_t nEntrie2);
  VexiroStatus ColorPaletteSetTransparentColor(int32_t nColorARGB = -16777216);
  int32_t ColorPaletteGetTransparentColor();
  bool ColorPaletteHasTransparentColor();
  VexiroStatus ColorPaletteConvertToHalftone();

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
  // Members over the scanning plug-in "vxtwain". Only the three acquisition members and
  // TwainShowSetupDialogSource change the last status; the others report through their result.
  // -- session control
  bool TwainLogStart(const std::string& sLogPath);
  void TwainLogStop();
  bool TwainCloseSource();
  bool TwainCloseSourceManager(int32_t hwnd = 0);
  void TwainDisableAutoSourceClose(bool bDisableAutoSourceClose);
  bool TwainDisableSource();
  bool TwainEnableDuplex(bool bDuplex);
  void TwainSetApplicationInfo(int32_t nMajorNumVersion, int32_t nMinorNumVersion, int32_t nLanguageID,
                               int32_t nCountryID, const std::string& sVersionInfo, const std::string& sCompanyName,
                               const std::string& sProductFamily, const std::string& sProductName);
  bool TwainUserClosedSource();
  bool TwainLastXferFail();
  bool TwainEndAllXfers();
  bool TwainEndXfer();
  int32_t TwainGetState();
  bool TwainUnloadSourceManager();
  // -- acquisition
  int32_t TwainAcquireToDib(int32_t hwnd = 0);
  int32_t TwainAcquireToVexiroImage(int32_t hwnd = 0);
  VexiroStatus TwainAcquireToFile(const std::string& sFilePath, int32_t hwnd = 0);
  int32_t CreateImageFromTwain(int32_t hwnd = 0);
  // -- capability access
  int32_t TwainGetAvailableCapValuesCount(int32_t nCap);
  int32_t TwainGetAvailableCapValuesNumeric(int32_t nCap, BasicArray<double>& arValues);
  int32_t TwainGetAvailableCapValuesString(int32_t nCap, BasicArray<std::string>& arValues);
  double TwainGetAvailableCapValueNoNumeric(int32_t nCap, int32_t nNumber);
  std::string TwainGetAvailableCapValueNoString(int32_t nCap, int32_t nNumber);
  bool TwainGetCapCurrentNumeric(int32_t nCap, double& nCurrentValue);
  bool TwainGetCapCurrentString(int32_t nCap, std::string& sCurrentValue);
  bool TwainGetCapRangeNumeric(int32_t nCap, double& nMinValue, double& nMaxValue, double& nStepValue);
  int32_t TwainGetAvailableImageFileFormat(BasicArray<int32_t>& arValues);
  int32_t TwainGetAvailableImageFileFormatCount();
  int32_t TwainGetAvailableImageFileFormatNo(int32_t nNumber);
  int32_t TwainGetAvailableCompression(BasicArray<int32_t>& arValues);
  int32_t TwainGetAvailableCompressionCount();
  int32_t TwainGetAvailableCompressionNo(int32_t nNumber);
  int32_t TwainGetAvailableBrightness(BasicArray<double>& arValues);
  int32_t TwainGetAvailableBrightnessCount();
  double TwainGetAvailableBrightnessNo(int32_t nNumber);
  int32_t TwainGetAvailableContrast(BasicArray<double>& arValues);
  int32_t TwainGetAvailableContrastCount();
  double TwainGetAvailableContrastNo(int32_t nNumber);
  int32_t TwainGetAvailableBitDepths(BasicArray<int32_t>& arValues);
  int32_t TwainGetAvailableBitDepthsCount();
  int32_t TwainGetAvailableBitDepthNo(int32_t nNumber);
  int32_t TwainGetAvailablePixelTypes(BasicArray<int32_t>& arValues);
  int32_t TwainGetAvailablePixelTypesCount();
  int32_t TwainGetAvailablePixelTypeNo(int32_t nNumber);
  int32_t TwainGetAvailableXResolutions(BasicArray<int32_t>& arValues);
  int32_t TwainGetAvailableXResolutionsCount();
  int32_t TwainGetAvailableXResolutionNo(int32_t nNumber);
  int32_t TwainGetAvailableYResolutions(BasicArray<int32_t>& arValues);
  int32_t TwainGetAvailableYResolutionsCount();
  int32_t TwainGetAvailableYResolutionNo(int32_t nNumber);
  // -- capability members
  bool TwainSetCapCurrentNumeric(int32_t nCap, int32_t nItemType, int32_t nNewValue);
  bool TwainSetCapCurrentString(int32_t nCap, int32_t nItemType, const std::string& sNewValue);
  bool TwainResetCap(int32_t nCap);
  int32_t TwainGetCapItemType(int32_t nCap);
  int32_t TwainGetCurrentBitDepth();
  bool TwainSetCurrentBitDepth(int32_t nBitDepth);
  int32_t TwainGetCurrentThreshold();
  bool TwainSetCurrentThreshold(int32_t nThreshold);
  int32_t TwainGetCurrentPlanarChunky();
  bool TwainSetCurrentPlanarChunky(int32_t nPlanarChunky);
  int32_t TwainGetCurrentPixelFlavor();
  bool TwainSetCurrentPixelFlavor(int32_t nPixelFlavor);
  int32_t TwainGetCurrentBrightness();
  bool TwainSetCurrentBrightness(int32_t nBrightnessValue);
  int32_t TwainGetCurrentContrast();
  bool TwainSetCurrentContrast(int32_t nContrastValue);
  int32_t TwainGetCurrentPixelType();
  bool TwainSetCurrentPixelType(int32_t nPixelType);
  int32_t TwainGetCurrentResolution();
  bool TwainSetCurrentResolution(int32_t nResolution);
  double TwainGetPhysicalWidth();
  double TwainGetPhysicalHeight();
  int32_t TwainGetPaperSize();
  bool TwainSetPaperSize(int32_t nSize);
  int32_t TwainGetAvailablePaperSizeCount();
  int32_t TwainGetAvailablePaperSize(BasicArray<int32_t>& arValues);
  int32_t TwainGetAvailablePaperSizeNo(int32_t nNumber);
  bool TwainIsPixelTypeAvailable(int32_t nPixelType);
  bool TwainIsFileTransferModeAvailable();
  bool TwainSetImageLayout(double nLeft, double nTop, double nRight, double nBottom);
  bool TwainGetImageLayout(double& nLeft, double& nTop, double& nRight, double& nBottom);
  bool TwainResetImageLayout();
  bool TwainSetXferCount(int32_t nXfers);
  bool TwainSetCurrentImageFileFormat(int32_t nImageFileFormat);
  int32_t TwainGetCurrentImageFileFormat();
  bool TwainSetCurrentCompression(int32_t nCompression);
  int32_t TwainGetCurrentCompression();
  // -- feeder and automatic features
  bool TwainHasFeeder();
  bool TwainHasFlatBed();
  bool TwainIsFeederSelected();
  bool TwainSelectFeeder(bool bSelectFeeder);
  bool TwainIsFeederLoaded();
  bool TwainIsDeviceOnline();
  bool TwainIsDuplexEnabled();
  int32_t TwainGetDuplexMode();
  bool TwainHasCameraPreviewUI();
  bool TwainIsAutoFeedOn();
  bool TwainIsAutomaticBorderDetectionAvailable();
  bool TwainIsAutomaticBorderDetectionEnabled();
  bool TwainSetAutomaticBorderDetection(bool bAutoBorderDetect);
  bool TwainIsBarcodeDetectionAvailable();
  bool TwainIsBarcodeDetectionEnabled();
  bool TwainSetBarcodeDetection(bool bBarcodeDetection);
  bool TwainIsAutomaticDeskewAvailable();
  bool TwainIsAutomaticDeskewEnabled();
  bool TwainSetAutomaticDeskew(bool bAutoDeskew);
  bool TwainIsAutomaticDiscardBlankPagesAvailable();
  bool TwainIsAutomaticDiscardBlankPagesEnabled();
  bool TwainSetAutomaticDiscardBlankPages(bool bAutoDiscard);
  bool TwainIsAutomaticRotationAvailable();
  bool TwainIsAutomaticRotationEnabled();
  bool TwainSetAutomaticRotation(bool bAutoRotate);
  bool TwainIsAutoScanAvailable();
  bool TwainIsAutoScanEnabled();
  bool TwainSetAutoScan(bool bAutoScan);
  bool TwainIsAutoFeedAvailable();
  bool TwainIsAutoFeedEnabled();
  bool TwainSetAutoFeed(bool bAutoFeed);
  bool TwainIsAutoSizeAvailable();
  bool TwainIsAutoSizeEnabled();
  bool TwainSetAutoSize(bool bAutoSize);
  bool TwainIsAutoBrightnessAvailable();
  bool TwainIsAutoBrightnessEnabled();
  bool TwainSetAutoBrightness(bool bAutoBrightness);
  // -- source selection and source-manager control
  bool TwainIsAvailable();
  int32_t TwainGetLastResultCode();
  int32_t TwainGetLastConditionCode();
  int32_t TwainGetSourceCount();
  std::string TwainGetSourceName(int32_t nSourceNo);
  std::string TwainGetDefaultSourceName();
  std::string TwainGetCurrentSourceName();
  bool TwainSelectSource(int32_t hwnd = 0);
  bool TwainOpenDefaultSource();
  bool TwainOpenSource(const std::string& sSourceName);
  bool TwainShowSetupDialogSource(int32_t hwnd = 0);
  void TwainSetDSMPath(const std::string& sDSMPath);
  void TwainSetHideUI(bool bHide);
  bool TwainGetHideUI();
  bool TwainSetIndicators(bool bShowIndicator);
  void TwainSetMultiTransfer(bool bMultiTransfer);
  void TwainSetErrorMessage(bool bShowErrors);
  void TwainSetDebugMode(bool bDebugMode);
  // -- source-side barcodes
  int32_t TwainGetAvailableBarCodeTypeCount();
  int32_t TwainGetAvailableBarCodeTypeNo(int32_t nNumber);
  int32_t TwainBarCodeGetCount();
  std::string TwainBarCodeGetValue(int32_t nBarCodeNo);
  int32_t TwainBarCodeGetType(int32_t nBarCodeNo);
  int32_t TwainBarCodeGetXPos(int32_t nBarCodeNo);
  int32_t TwainBarCodeGetYPos(int32_t nBarCodeNo);
  int32_t TwainBarCodeGetConfidence(int32_t nBarCodeNo);
  int32_t TwainBarCodeGetRotation(int32_t nBarCodeNo);
  // ---- end of scanning (TWAIN) ----

  // ---- Printing ----

  // ---- Network transfer ----

  // ---- OCR ----

  // ---- Barcode reading ----

  // ---- Document recognition ----

 private:
  friend struct ImagingTestAccess;
  friend struct SavingTestAccess;

  // A loader's result becomes the current image; its status is kept either way. The identifier
  // is taken by reference, so it is read after the loader that fills it has run.
  int32_t TakeLoadedImage(VexiroStatus status, const int32_t& id);
  // A derived image leaves the current image alone.
  int32_t TakeDerivedImage(VexiroStatus status, const int32_t& id);
  float SizeInMillimetres(bool horizontal);

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
  std::vector<SavedPropertyItem> arSavedPropertyItems;  // the property snapshot's items
  VexiroStatus QuantizeCore(int32_t& colorCount, bool makeTransparent, int32_t keyColor);
  int32_t SaveImageProperties(int32_t id = 0);
  int32_t RestoreImageProperties(int32_t id = 0);
  bool CurrentImageIsIndexed();
  VexiroStatus ReadCurrentPalette(vx::gdiplus::ColorPalette& palette);
  VexiroStatus WriteCurrentPalette(const vx::gdiplus::ColorPalette& palette);

  // ---- Private helpers of PDF writing ----

  // ---- Private helpers of scanning, printing and network transfer ----
  // Scanning: a capability read as a 32-bit integer, -1 when it cannot be read; a capability set
  // with the item type the source reports; a feature switch as the source reports it.
  int32_t TwainReadRounded(int32_t cap, int32_t fallback);
  bool TwainSetByType(int32_t cap, int32_t value);
  bool TwainCurrentIs(int32_t cap, bool (*test)(double));
  bool TwainProbeFeeder(int32_t probe, bool unreadable);
  template <class T>
  int32_t TwainFillList(int32_t cap, BasicArray<T>& arValues);
  double TwainListEntry(int32_t cap, int32_t nNumber, double outside);

  // ---- Private helpers of recognition ----
};

}  // namespace vexiro
