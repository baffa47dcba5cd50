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
  VexiroStatus DrawArc(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, float nStartAngle,
                       float nSweepAngle, int32_t nPenWidth, int32_t nColorARGB = -16777216, bool bAntiAlias = false);
  VexiroStatus DrawBezier(int32_t nLeft1, int32_t nTop1, int32_t nLeft2, int32_t nTop2, int32_t nLeft3, int32_t nTop3,
                          int32_t nLeft4, int32_t nTop4, int32_t nPenWidth, int32_t nColorARGB = -16777216,
                          bool bAntiAlias = false);
  VexiroStatus DrawCircle(int32_t nDstLeft, int32_t nDstTop, int32_t nDiameter, int32_t nColorARGB,
                          int32_t nPenWidth = 1, bool bAntiAlias = false);
  VexiroStatus DrawFillClosedCurves(BasicArray<int32_t>& ArPoints, int32_t nColorARGB, float nTension,
                                    int32_t nFillMode, bool bAntiAlias = false);
  VexiroStatus DrawClosedCurves(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, int32_t nColorARGB = -16777216,
                                bool bAntiAlias = false);
  VexiroStatus DrawCurves(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, int32_t nColorARGB = -16777216,
                          bool bAntiAlias = false);
  VexiroStatus DrawPolygon(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, int32_t nColorARGB = -16777216,
                           bool bAntiAlias = false);
  VexiroStatus DrawFillPolygon(BasicArray<int32_t>& ArPoints, int32_t nColorARGB, int32_t nFillMode,
                               bool bAntiAlias = false);
  VexiroStatus DrawEllipse(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, int32_t nColorARGB,
                           int32_t nPenWidth = 1, bool bAntiAlias = false);
  VexiroStatus DrawFillCircle(int32_t nDstLeft, int32_t nDstTop, int32_t nDiameter, int32_t nColorARGB,
                              bool bAntiAlias = false);
  VexiroStatus DrawFillEllipse(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                               int32_t nColorARGB, bool bAntiAlias = false);
  VexiroStatus DrawFillRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                 int32_t nColorARGB = -16777216, bool bAntiAlias = false);
  VexiroStatus DrawGradientCurves(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, int32_t nStartColor,
                                  int32_t& nEndColor, bool bAntiAlias = false);
  VexiroStatus DrawGradientLine(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop,
                                int32_t nPenWidth, int32_t nStartColor, int32_t nEndColor, bool bAntiAlias = false);
  VexiroStatus DrawGrid(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, int32_t nHorizontalStep,
                        int32_t nVerticalStep, int32_t nPenWidth, int32_t nColorARGB = -16777216);
  VexiroStatus DrawLine(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop, int32_t nPenWidth,
                        int32_t nColorARGB = -16777216, bool bAntiAlias = false);
  VexiroStatus DrawLineArrow(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop, int32_t nPenWidth,
                             int32_t nColorARGB = -16777216, bool bAntiAlias = false);
  VexiroStatus DrawRoundedRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, float nRadius,
                                    int32_t nPenWidth, int32_t nColorARGB = -16777216, bool bAntiAlias = false);
  VexiroStatus DrawFillRoundedRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                        float nRadius, int32_t nColorARGB = -16777216, bool bAntiAlias = false);
  VexiroStatus DrawRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, int32_t nPenWidth,
                             int32_t nColorARGB = -16777216, bool bAntiAlias = false);
  VexiroStatus DrawPie(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, float nStartAngle,
                       float nSweepAngle, int32_t nPenWidth, int32_t nColorARGB = -16777216, bool bAntiAlias = false);
  VexiroStatus DrawFillPie(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, float nStartAngle,
                           float nSweepAngle, int32_t nColorARGB, bool bAntiAlias = false);
  VexiroStatus DrawRotatedFillRectangle(float nAngle, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth,
                                        int32_t nHeight, int32_t nColorARGB = -16777216, bool bAntiAlias = false);
  VexiroStatus DrawRotatedRectangle(float nAngle, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                    int32_t nPenWidth, int32_t nColorARGB = -16777216, bool bAntiAlias = false);
  VexiroStatus DrawSpotLight(int32_t nDstLeft, int32_t nDstTop, int32_t nRadiusX, int32_t nRadiusY, int32_t nHotX,
                             int32_t nHotY, float nFocusScale, int32_t nStartColor, int32_t nEndColor);
  VexiroStatus DrawTexturedLine(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop,
                                int32_t nPenWidth, const std::string& sTextureFilePath, bool bAntiAlias = false);

  // ---- Text and fonts ----
  VexiroStatus DrawText(const std::string& sText, int32_t nDstLeft, int32_t nDstTop, int32_t nFontSize,
                        int32_t nFontStyle = 0, int32_t nTextARGBColor = -16777216,
                        const std::string& sFontName = "Arial", bool bAntiAlias = false);
  VexiroStatus DrawTextBackColor(const std::string& sText, int32_t nDstLeft, int32_t nDstTop, int32_t nFontSize,
                                 int32_t nFontStyle = 0, int32_t nTextARGBColor = -16777216,
                                 const std::string& sFontName = "Arial", int32_t nBackColor = -1,
                                 bool bAntiAlias = false);
  VexiroStatus DrawRotatedText(float nAngle, const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                               int32_t nFontSize, int32_t nFontStyle = 0, int32_t nColorARGB = -16777216,
                               const std::string& sFontName = "Arial", bool bAntiAlias = false);
  VexiroStatus DrawRotatedTextBackColor(float nAngle, const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                                        int32_t nFontSize, int32_t nFontStyle = 0, int32_t nColorARGB = -16777216,
                                        const std::string& sFontName = "Arial", int32_t nBackColor = -1,
                                        bool bAntiAlias = false);
  VexiroStatus DrawTextBox(const std::string& sText, int32_t nLeft, int32_t nTop, int32_t nWidth, int32_t nHeight,
                           int32_t nFontSize, int32_t nAlignment = 1, int32_t nFontStyle = 0,
                           int32_t nTextARGBColor = -16777216, const std::string& sFontName = "Arial",
                           bool bDrawTextBox = false, bool bAntiAlias = false);
  VexiroStatus DrawTextGradient(const std::string& sText, int32_t nDstLeft, int32_t nDstTop, int32_t nStartColor,
                                int32_t nEndColor, int32_t nFontSize, int32_t nFontStyle = 0,
                                const std::string& sFontName = "Arial", bool bAntiAlias = false);
  VexiroStatus DrawTextTexture(const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                               const std::string& sTextureFilePath, int32_t nFontSize, int32_t nFontStyle = 0,
                               const std::string& sFontName = "Arial", bool bAntiAlias = false);
  VexiroStatus DrawTextTextureFromVexiroImage(const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                                              int32_t nImageID, int32_t nFontSize, int32_t nFontStyle = 0,
                                              const std::string& sFontName = "Arial", bool bAntiAlias = false);
  float GetTextWidth(const std::string& sText, const std::string& sFontName, int32_t nFontSize, int32_t nFontStyle);
  float GetTextHeight(const std::string& sText, const std::string& sFontName, int32_t nFontSize, int32_t nFontStyle);
  void FontSetUnit(int32_t nUnitMode);
  int32_t FontGetUnit();
  int32_t FontGetCount();
  std::string FontGetName(int32_t nFontNo);
  bool FontIsStyleAvailable(const std::string& sFontName, int32_t nFontStyle);

  // ---- Barcode drawing ----
  VexiroStatus BarCodeDraw128(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                              int32_t nColorARGB = -16777216);
  VexiroStatus BarCodeDraw39(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                             bool bAddCheckSum = false, int32_t nColorARGB = -16777216);
  VexiroStatus BarCodeDraw25i(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                              bool bAddCheckSum = false, int32_t nColorARGB = -16777216);
  VexiroStatus BarCodeDrawEAN13(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                                int32_t nFontSize = 0, int32_t nColorARGB = -16777216);
  int32_t BarCodeGetWidth128(const std::string& sCode, int32_t nHeight);
  int32_t BarCodeGetWidth39(const std::string& sCode, int32_t nHeight, bool bAddCheckSum = false);
  int32_t BarCodeGetWidth25i(const std::string& sCode, int32_t nHeight, bool bAddCheckSum = false);
  int32_t BarCodeGetWidthEAN13(const std::string& sCode, int32_t nHeight);
  std::string BarCodeGetChecksumEAN13(const std::string& sCode);
  bool BarCodeIsValidEAN13(const std::string& sCode);
  std::string BarCodeGetChecksum25i(const std::string& sCode);
  std::string BarCodeGetChecksum39(const std::string& sCode);

  // ---- Colour values and colour models ----

  // ---- Display ----
  VexiroStatus DisplayImageOnHDC(int32_t nHDC, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                 int32_t nDstHeight, int32_t nInterpolationMode = 3);
  VexiroStatus DisplayImageOnHwnd(int32_t nHWND, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                  int32_t nDstHeight, int32_t nInterpolationMode = 3);
  VexiroStatus DisplayImageRectOnHDC(int32_t nHDC, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                     int32_t nDstHeight, int32_t nSrcLeft, int32_t nSrcTop, int32_t nSrcWidth,
                                     int32_t nSrcHeight, int32_t nInterpolationMode = 3);
  VexiroStatus DisplayImageRectOnHwnd(int32_t nHWND, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                      int32_t nDstHeight, int32_t nSrcLeft, int32_t nSrcTop, int32_t nSrcWidth,
                                      int32_t nSrcHeight, int32_t nInterpolationMode = 3);

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

  // ---- Private helpers of drawing, text and barcodes ----
  // The text members' common frame: family, graphics, hint, brush, font, format, measuring and
  // drawing; `style` says what differs between them.
  struct TextJob;
  VexiroStatus RunTextJob(const TextJob& job);
  // A barcode pattern painted from (left, top) with modules of `moduleWidth` pixels; "-" and "+"
  // lower and raise the bars by `step`.
  VexiroStatus DrawBarcodePattern(const std::string& pattern, int32_t colour, int32_t moduleWidth, int32_t step,
                                  int32_t height, int32_t left, int32_t top);

  // ---- Private helpers of PDF writing ----

  // ---- Private helpers of scanning, printing and network transfer ----

  // ---- Private helpers of recognition ----
};

}  // namespace vexiro
