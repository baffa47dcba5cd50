// The imaging engine: the object a host calls every imaging member on. Each engine holds its own
// settings, its current image and its last status; the images themselves live in the calling
// thread's image store, which every engine of that thread shares, and outlive the engine that
// made them until the thread's last engine ends.
#pragma once
#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
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
  // >>> handle export and pixel arrays. Handles handed out are the host's; it frees them with
  // the matching Delete or Remove member.
  int32_t GetNativeImage();
  int32_t GetHBitmap();
  void DeleteHBitmap(int32_t nHbitmap);
  int32_t GetHICON();
  void DeleteHICON(int32_t nHICON);
  int32_t GetDib();  // a packed DIB in global memory
  void RemoveDib(int32_t nDib);
  int32_t GetImageStride();
  // Raw addresses, for C++ hosts: the platform image behind the current image (a document's
  // current page), and the first pixel row as a lock reports it (valid while the platform keeps
  // the pixels in place).
  intptr_t GetGdiplusImage();
  intptr_t GetImageBits();
  // Pictures cross as handles of the platform's picture table; the picture owns a bitmap copy.
  uint32_t GetPicture();
  uint32_t GetPictureFromVexiroImage(int32_t nImageID);
  // Deletes the bitmap behind the picture; the picture itself stays the host's.
  void DeletePictureObject(uint32_t& oPictureObject);
  // A device context drawing onto the image; its drawing reaches the image when it is released.
  // The same context is lent again until then.
  int32_t GetVexiroImageDC(int32_t nImageID);
  VexiroStatus ReleaseVexiroImageDC(int32_t hdc);
  int32_t PixelGetColor(int32_t nSrcLeft, int32_t nSrcTop);
  VexiroStatus PixelSetColor(int32_t nDstLeft, int32_t nDstTop, int32_t nARGBColor);
  // A Get member re-creates an array that cannot hold the rectangle (lower bounds 0); a larger
  // one keeps its bounds and is filled from its first element, its rows as long as its first
  // dimensions. A Set member refuses an array that cannot hold the rectangle (InvalidParameter).
  VexiroStatus GetPixelArray1D(BasicArray<int32_t>& arPixels, int32_t nSrcLeft, int32_t nSrcTop, int32_t nWidth,
                               int32_t nHeight);
  VexiroStatus GetPixelArray2D(BasicArray<int32_t>& arPixels, int32_t nSrcLeft, int32_t nSrcTop, int32_t nWidth,
                               int32_t nHeight);
  VexiroStatus SetPixelArray(BasicArray<int32_t>& arPixels, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth,
                             int32_t nHeight);
  VexiroStatus GetPixelArrayARGB(BasicArray<uint8_t>& arPixels, int32_t nSrcLeft, int32_t nSrcTop, int32_t nWidth,
                                 int32_t nHeight);
  VexiroStatus SetPixelArrayARGB(BasicArray<uint8_t>& arPixels, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth,
                                 int32_t nHeight);
  VexiroStatus GetPixelArrayBytesARGB(BasicArray<uint8_t>& arPixels, int32_t nSrcLeft, int32_t nSrcTop,
                                      int32_t nWidth, int32_t nHeight);
  VexiroStatus SetPixelArrayBytesARGB(BasicArray<uint8_t>& arPixels, int32_t nDstLeft, int32_t nDstTop,
                                      int32_t nWidth, int32_t nHeight);
  VexiroStatus GetPixelArrayBytesRGB(BasicArray<uint8_t>& arPixels, int32_t nSrcLeft, int32_t nSrcTop,
                                     int32_t nWidth, int32_t nHeight);
  VexiroStatus SetPixelArrayBytesRGB(BasicArray<uint8_t>& arPixels, int32_t nDstLeft, int32_t nDstTop,
                                     int32_t nWidth, int32_t nHeight);
  VexiroStatus GetPixelArray8bpp1D(BasicArray<uint8_t>& arPixels, int32_t nSrcLeft, int32_t nSrcTop, int32_t nWidth,
                                   int32_t nHeight);
  VexiroStatus SetPixelArray8bpp1D(BasicArray<uint8_t>& arPixels, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth,
                                   int32_t nHeight);
  // <<< handle export and pixel arrays

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
  // >>> filter members: colour adjustments, channel operations, Fx effects, 3 x 3 pattern
  // matrices and flood fill, all on the current image's processing rectangle (flood fill: on the
  // whole image). Each stores its status as the last status and returns it.
  VexiroStatus SetTransparencyColor(int32_t nColorARGB);
  VexiroStatus SetTransparencyColorEx(int32_t nColorARGB, float nThreshold);
  VexiroStatus SetTransparency(int32_t nTransparencyValue);
  VexiroStatus SetBrightness(int32_t nBrightnessPct);
  VexiroStatus SetContrast(int32_t nContrastPct);
  VexiroStatus SetGammaCorrection(int32_t nGammaFactor);
  VexiroStatus SetSaturation(int32_t nSaturationPct);
  VexiroStatus AdjustRGB(int32_t nRedAdjust, int32_t nGreenAdjust, int32_t nBlueAdjust);
  VexiroStatus SwapColor(int32_t nARGBColorSrc, int32_t nARGBColorDst);
  VexiroStatus SwapColorEx(int32_t nARGBColorSrc, int32_t nARGBColorDst, float nThreshold);
  VexiroStatus KeepRedComponent();
  VexiroStatus KeepGreenComponent();
  VexiroStatus KeepBlueComponent();
  VexiroStatus RemoveRedComponent();
  VexiroStatus RemoveGreenComponent();
  VexiroStatus RemoveBlueComponent();
  VexiroStatus ScaleRedComponent(float nFactor);
  VexiroStatus ScaleGreenComponent(float nFactor);
  VexiroStatus ScaleBlueComponent(float nFactor);
  VexiroStatus SwapColorsRGBtoBRG();
  VexiroStatus SwapColorsRGBtoGBR();
  VexiroStatus SwapColorsRGBtoRBG();
  VexiroStatus SwapColorsRGBtoBGR();
  VexiroStatus SwapColorsRGBtoGRB();
  VexiroStatus FxSharpen();
  VexiroStatus FxSharpenMore();
  VexiroStatus FxBlur();
  VexiroStatus FxNegative();
  VexiroStatus FxDiffuse();
  VexiroStatus FxDiffuseMore();
  VexiroStatus FxSmooth();
  VexiroStatus FxEdgeEnhance();
  VexiroStatus FxContour();
  VexiroStatus FxEmboss();
  VexiroStatus FxEmbossMore();
  VexiroStatus FxEngrave();
  VexiroStatus FxEngraveMore();
  VexiroStatus FxEmbossColor(int32_t nRGBColor);
  VexiroStatus FxEmbossMoreColor(int32_t nRGBColor);
  VexiroStatus FxEngraveColor(int32_t nRGBColor);
  VexiroStatus FxEngraveMoreColor(int32_t nRGBColor);
  VexiroStatus FxGrayscale();
  VexiroStatus FxRelief();
  VexiroStatus FxPixelize();
  // Modes 1 (threshold 180), 2 and 3; any other mode does nothing and returns the last status.
  VexiroStatus FxBlackNWhite(int16_t nMode = 1);
  VexiroStatus FxBlackNWhiteT(int32_t nThreshold);
  VexiroStatus FxAqua();
  VexiroStatus FxDilate();
  VexiroStatus FxErode();
  VexiroStatus FxConnectedContour();
  VexiroStatus FxStretchContrast();
  VexiroStatus FxAddNoise();
  VexiroStatus FxScanLine();
  VexiroStatus FxSoften(int32_t nSoftenValue);
  VexiroStatus FxSepia();
  VexiroStatus FxColorize(float nHue = 0, float nSaturation = 50.0f, float nLuminosity = 100.0f);
  VexiroStatus FxhWaves(int32_t nWidthWave, int32_t nHeightWave);
  VexiroStatus FxvWaves(int32_t nWidthWave, int32_t nHeightWave);
  VexiroStatus FxRedEyesCorrection();
  VexiroStatus FxFire();
  VexiroStatus FxTwirl(float nFactor);
  VexiroStatus FxSwirl(float nFactor);
  VexiroStatus FxMirrorRounded();
  VexiroStatus FxEqualizeIntensity();
  VexiroStatus FxDespeckle();
  VexiroStatus FxDespeckleMore();
  VexiroStatus FxDilate8();
  VexiroStatus FxDilate4();
  VexiroStatus FxDilateV();
  VexiroStatus FxErode8();
  VexiroStatus FxErode4();
  VexiroStatus FxParasite();
  VexiroStatus FxParasite4();
  VexiroStatus FxParasite2x2();
  VexiroStatus FxFillHoleV();
  VexiroStatus FxFillHoleH();
  VexiroStatus FxRemoveLinesV();
  VexiroStatus FxRemoveLinesH();
  VexiroStatus FxRemoveLinesV2();
  VexiroStatus FxRemoveLinesH2();
  VexiroStatus FxRemoveLinesV3();
  VexiroStatus FxRemoveLinesH3();
  // A new 3 x 3 pattern of ARGB values, row by row; returns its number (1, 2, ...).
  int32_t MatrixCreate3x3x(int32_t n1PixelValue, int32_t n2PixelValue, int32_t n3PixelValue, int32_t n4PixelValue,
                           int32_t n5PixelValue, int32_t n6PixelValue, int32_t n7PixelValue, int32_t n8PixelValue,
                           int32_t n9PixelValue);
  // Replaces every occurrence of pattern nMatrix3x3xIN by pattern nMatrix3x3xOUT. A number past
  // the last pattern does nothing; a number below 1 is InvalidParameter.
  VexiroStatus MatrixFilter3x3x(int32_t nMatrix3x3xIN, int32_t nMatrix3x3xOUT);
  // Fills the 4-connected region of the start pixel's colour; a start outside the image is
  // Win32Error.
  VexiroStatus FloodFill(int32_t nXStart, int32_t nYStart, int32_t nARGBColor);
  // <<< filter members

  // ---- Histograms ----
  // Counts per byte value over the whole image (the processing rectangle does not apply). An
  // array of 256 or more elements from 0 keeps its counts and is added to; any other array is
  // made anew as elements 0..255.
  VexiroStatus HistogramGetARGB(BasicArray<int32_t>& arHistoA, BasicArray<int32_t>& arHistoR,
                                BasicArray<int32_t>& arHistoG, BasicArray<int32_t>& arHistoB);
  VexiroStatus HistogramGetRed(BasicArray<int32_t>& arHistoR);
  VexiroStatus HistogramGetGreen(BasicArray<int32_t>& arHistoG);
  VexiroStatus HistogramGetBlue(BasicArray<int32_t>& arHistoB);
  VexiroStatus HistogramGetAlpha(BasicArray<int32_t>& arHistoA);
  // Per palette index of an 8-bit indexed image; NotIndexedPixelFormat for any other image.
  VexiroStatus HistogramGet8Bpp(BasicArray<int32_t>& ArHistoPal);

  // ---- Border cropping and deskew ----

  // ---- Pixel formats and colour reduction ----
  // Each keeps the image identifier and resolution. The one-line format changes return their
  // status without storing it; the others store it.
  VexiroStatus ConvertToPixelFormatCR(int32_t nPixelDepth);
  VexiroStatus ConvertTo4Bpp();
  VexiroStatus ConvertTo16BppRGB555();
  VexiroStatus ConvertTo16BppRGB565();
  VexiroStatus ConvertTo24BppRGB();
  VexiroStatus ConvertTo32BppARGB();
  VexiroStatus ConvertTo32BppPARGB();
  VexiroStatus ConvertTo32BppRGB();
  VexiroStatus ConvertTo48BppRGB();
  VexiroStatus ConvertTo64BppARGB();  // premultiplied
  VexiroStatus ConvertTo1Bpp();
  VexiroStatus ConvertTo1BppFast();
  VexiroStatus ConvertTo4Bpp16();
  // At most 16 entries from the caller's colours; an array with no elements is refused.
  VexiroStatus ConvertTo4BppPal(BasicArray<int32_t>& nARGBColorsArray);
  VexiroStatus ConvertTo4BppQ();
  VexiroStatus ConvertBitonalToGrayScale(int32_t nSoftenValue = 100);
  VexiroStatus ConvertTo8BppGrayScale();
  VexiroStatus ConvertTo8BppGrayScaleAdv();
  VexiroStatus ConvertTo8Bpp216();
  VexiroStatus ConvertTo8BppQ();
  VexiroStatus Quantize8Bpp(int32_t nColors);

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
  // None of these touches the last status. Components outside 0..255 are limited to that range.
  void ColorRGBtoCMY(uint8_t nRedValue, uint8_t nGreenValue, uint8_t nBlueValue, uint8_t& nCyanReturn,
                     uint8_t& nMagentaReturn, uint8_t& nYellowReturn);
  void ColorRGBtoCMYK(uint8_t nRedValue, uint8_t nGreenValue, uint8_t nBlueValue, uint8_t& nCyanReturn,
                      uint8_t& nMagentaReturn, uint8_t& nYellowReturn, uint8_t& nBlackReturn);
  void ColorCMYKtoRGB(uint8_t nCyan, uint8_t nMagenta, uint8_t nYellow, uint8_t nBlack, uint8_t& nRedReturn,
                      uint8_t& nGreenReturn, uint8_t& nBlueReturn);
  void ColorCMYtoRGB(uint8_t nCyan, uint8_t nMagenta, uint8_t nYellow, uint8_t& nRedReturn, uint8_t& nGreenReturn,
                     uint8_t& nBlueReturn);
  void ColorRGBtoHSL(uint8_t nRedValue, uint8_t nGreenValue, uint8_t nBlueValue, float& nHueReturn,
                     float& nSaturationReturn, float& nLightnessReturn);
  void ColorRGBtoHSLl(int32_t nRedValue, int32_t nGreenValue, int32_t nBlueValue, float& nHueReturn,
                      float& nSaturationReturn, float& nLightnessReturn);
  void ColorHSLtoRGB(float nHueValue, float nSaturationValue, float nLightnessValue, uint8_t& nRedReturn,
                     uint8_t& nGreenReturn, uint8_t& nBlueReturn);
  void ColorHSLtoRGBl(float nHueValue, float nSaturationValue, float nLightnessValue, int32_t& nRedReturn,
                      int32_t& nGreenReturn, int32_t& nBlueReturn);
  void ColorGetRGBFromRGBValue(int32_t nRGBValue, uint8_t& nRed, uint8_t& nGreen, uint8_t& nBlue);
  void ColorGetRGBFromRGBValuel(int32_t nRGBValue, int32_t& nRed, int32_t& nGreen, int32_t& nBlue);
  void ColorGetARGBFromARGBValue(int32_t nARGBValue, uint8_t& nAlpha, uint8_t& nRed, uint8_t& nGreen, uint8_t& nBlue);
  void ColorGetARGBFromARGBValuel(int32_t nARGBValue, int32_t& nAlpha, int32_t& nRed, int32_t& nGreen,
                                  int32_t& nBlue);
  int32_t argb(int32_t nAlpha, int32_t nRed, int32_t nGreen, int32_t nBlue);
  int32_t GetRGB(int32_t nRed, int32_t nGreen, int32_t nBlue);

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
  // ---- Filter engine, histograms and pixel-format conversion ----
  friend struct ProcessingTestAccess;
  // >>> filter members: the row of `member` (and `choice`) run with `args` on the current image.
  VexiroStatus RunFilterMember(std::string_view member, std::initializer_list<double> args = {}, int32_t choice = 0);
  // <<< filter members
  // Fills ROIArea with the whole current image when the processing region is the whole image.
  int32_t InitROI();
  // The 8-bit grey converter: mode 1 weighted luminance, 2 the mean, 3 the blue channel.
  VexiroStatus ConvertToGrayScaleCore(int32_t mode);
  VexiroStatus ConvertByFormat(int32_t format);
  // The frame every own converter runs in: `rule` turns the 32-bit source into the new image.
  template <class Rule>
  VexiroStatus ConvertOwn(int32_t sourceFormat, Rule rule);

  // ---- Private helpers of PDF writing ----

  // ---- Private helpers of scanning, printing and network transfer ----

  // ---- Private helpers of recognition ----
};

}  // namespace vexiro
