// The imaging engine: the object a host calls every imaging member on. Each engine holds its own
// settings, its current image and its last status; the images themselves live in the calling
// thread's image store, which every engine of that thread shares, and outlive the engine that
// made them until the thread's last engine ends.
#pragma once
#include <array>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "vexiro/basic_array.h"
#include "vexiro/enumerations.h"
#include "vexiro/pdf_types.h"
#include "vexiro/vexiro_status.h"

// Types of the library's own layers that the engine's private part names. Plain nested
// namespaces: the public headers build at C++14, the oldest level a compiler still defaults to.
namespace vx {
struct GUID;
namespace ole {
class IPicture;
}  // namespace ole
namespace control {
struct EngineRefusals;  // what a call refused by dispatch leaves as the last status
}  // namespace control
namespace pdf {
struct PdfSaveRequest;  // saving images as PDF (pdf/saving/save_request.h)
struct ScanPdfPages;    // the text of a scanned document's pages (pdf/saving/save_request.h)
}  // namespace pdf
namespace gdiplus {
struct ColorPalette;
class GpImageAttributes;
}  // namespace gdiplus
namespace geometry {
class TransformCanvas;
}  // namespace geometry
}  // namespace vx

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

// A property item copied out of an image: tag, type and value bytes.
struct SavedPropertyItem {
  uint32_t ID = 0;
  uint16_t ItemType = 0;
  std::vector<uint8_t> Value;
};

// ==== Recognition: OCR types (recognition/ocr/) ====
// One recognised character as the OCR plug-in reports it: 24 bytes, boxes in pixels of the
// rectangle that was read, confidence 0 .. 255 with lower meaning more certain.
struct OcrCharInfo {
  int32_t CharCode = 0;  // Windows-1252 code where the code page has the character, else its code point
  int16_t Line = 0;      // 1 for the first text line
  int16_t Left = 0;
  int16_t Right = 0;
  int16_t Top = 0;
  int16_t Bottom = 0;
  int16_t Reserved1 = 0;
  int16_t Confidence = 0;
  int16_t Reserved2 = 0;
  int16_t Spaces = 0;    // above 0 on the first character of a word
  int16_t Reserved3 = 0;
};
// ==== End of OCR types ====

class cImaging {
 public:
  cImaging();
  ~cImaging();
  cImaging(const cImaging&) = delete;
  cImaging& operator=(const cImaging&) = delete;

  // ---- Engine state and status ----
  // No member throws: it answers its result and status (a status member returns it, the others leave it for GetStat).
  // A missing plug-in gives its own answer where one is defined (savers needing the format plug-in VximgplugDllRequired,
  // the barcode scans 600 and 700, scanning members that look for vxtwain.so first False); elsewhere (OCR members without
  // vxocrplug.tesseract.so, scanning members calling their plug-in at once) GenericError, the empty result and nothing
  // left on disk; OutOfMemory for memory. A script host meets those failures as run-time errors naming the file.
  VexiroStatus GetStat() const { return nStat; }

  // ---- Safety for scripting and initialisation (IObjectSafety) ----
  static constexpr uint32_t INTERFACESAFE_FOR_UNTRUSTED_CALLER = 1;
  static constexpr uint32_t INTERFACESAFE_FOR_UNTRUSTED_DATA = 2;
  int32_t GetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t* supportedOptions, uint32_t* enabledOptions);
  int32_t SetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t optionSetMask, uint32_t enabledOptions);

  // ---- Engine utility members ----
  // The processing region: all four 0 leaves it as it is; anything else is kept unchecked and
  // refused by the filter engine when a filter or measure uses it.
  void SetROI(int32_t nLeft, int32_t nTop, int32_t nWidth, int32_t nHeight);
  void ResetROI();
  void FiltersToZone(int32_t nLeft, int32_t nTop, int32_t nWidth, int32_t nHeight);
  void FiltersToImage();
  void RemoveAllImage();
  // Measures over the processing region; the filter engine's status is left for GetStat.
  double CountColor(int32_t nARGBColor);
  int32_t GetAverageColor();
  bool IsGrayscale();
  bool IsBitonal();
  bool IsBlank(float nConfidence = 99.0f);
  double GetVersion();
  std::string GetGdiplusVersion();
  std::string Encode64String(const std::string& sStringToEncode);
  std::string Decode64String(const std::string& sStringToDecode);
  // Inches between two pixel positions; 0 when a resolution is 0 (no current image).
  double GetDistance(int32_t nLeft1, int32_t nTop1, int32_t nLeft2, int32_t nTop2);
  // A 32 x 32 icon from the top-left corner of a bitmap picture (a handle of the picture table),
  // pixels of the RGB colour made transparent unless it is -1; written as an icon file too when a
  // path is given. The caller destroys the icon; 0 without a bitmap picture.
  int32_t GetIcon(uint32_t& oInputPicture, const std::string& sFileDest = "", int32_t nRGBTransparentColor = -1);
  VexiroStatus ClearImage(EnumArg<Colors> nColorARGB);
  void DisableVximgplugCodecs(bool bDisable);
  VexiroStatus ForceImageValidation(int32_t nImageID);
  int32_t GetDesktopHwnd();
  // Lossless rotation or flip of a JPEG file (13..17, the encoder transformation values). The
  // result is written beside the destination and renamed over it, so a failure leaves it as it was.
  VexiroStatus TransformJPEG(const std::string& sInputFile, std::string& sOutputFile,
                             EnumArg<JPEGTransformations> nTransformation);

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
  int32_t CreateImageFromRawBits(int32_t nWidth, int32_t nHeight, int32_t nStride, EnumArg<PixelFormats> nPixelFormat,
                                 intptr_t nBits);
  int32_t CreateImageFromHwnd(int32_t hwnd = 0);
  int32_t CreateNewImage(int32_t nWidth, int32_t nHeight, int16_t nBitDepth = 32, EnumArg<Colors> nBackColor = Black);
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
  // >>> thumbnails: each makes its result the current image and returns it (0 on failure).
  int32_t CreateThumbnail(int32_t nImageID, int32_t nWidth, int32_t nHeight);
  int32_t CreateThumbnailHQ(int32_t nImageID, int32_t nWidth, int32_t nHeight);
  // Aspect-fit and centred; the default back colour leaves the background transparent.
  int32_t CreateThumbnailHQEx(int32_t nImageID, int32_t nWidth, int32_t nHeight, EnumArg<Colors> nBackColor = Black);
  // <<< thumbnails

  // ---- Saving ----
  VexiroStatus CloseImage(int32_t nImageID);
  VexiroStatus CloseNativeImage();
  VexiroStatus SaveAsBmp(const std::string& sFilePath);
  VexiroStatus SaveAsGIF(const std::string& sFilePath);
  VexiroStatus SaveAsPNG(const std::string& sFilePath);
  VexiroStatus SaveAsJPEG(const std::string& sFilePath, int32_t nQuality = 75);
  VexiroStatus SaveAsTIFF(const std::string& sFilePath, EnumArg<TifCompression> nModeCompression = CompressionLZW);
  VexiroStatus SaveAsGIFi(const std::string& sFilePath);
  VexiroStatus SaveAsPNM(const std::string& sFilePath);
  // Formats the format plug-in writes.
  VexiroStatus SaveAsWBMP(const std::string& sFilePath);
  VexiroStatus SaveAsXPM(const std::string& sFilePath);
  VexiroStatus SaveAsTGA(const std::string& sFilePath);
  VexiroStatus SaveAsPBM(const std::string& sFilePath);
  VexiroStatus SaveAsJ2K(const std::string& sFilePath, int32_t nRate = 16);
  VexiroStatus SaveAsJP2(const std::string& sFilePath, int32_t nRate = 16);
  VexiroStatus SaveAsEXR(const std::string& sFilePath, EnumArg<ExrCompression> nCompression = ExrCompressionDefault);
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
  // Pages are numbered from 1. The page members need an editable document of their format and
  // answer UnsupportedImageFormat for anything else; the creating members make the new document
  // the current image.
  void TiffOpenMultiPageAsReadOnly(bool bReadOnly);
  bool TiffIsMultiPage(int32_t nImageID);
  bool TiffIsEditableMultiPage(int32_t nImageID);
  int32_t TiffGetPageCount(int32_t nImageID);
  int32_t TiffGetCurrentPage(int32_t nImageID);
  VexiroStatus TiffSelectPage(int32_t nImageID, int32_t nPage);
  int32_t TiffCreateMultiPageFromFile(const std::string& sFilePath);
  int32_t TiffCreateMultiPageFromFileICM(const std::string& sFilePath);
  int32_t TiffCreateMultiPageFromVexiroImage(int32_t nImageID);
  VexiroStatus TiffInsertPageFromFile(int32_t nImageID, int32_t nPosition, const std::string& sFilePath);
  VexiroStatus TiffInsertPageFromVexiroImage(int32_t nImageID, int32_t nPosition, int32_t nAddImageID);
  VexiroStatus TiffAppendPageFromFile(int32_t nImageID, const std::string& sFilePath);
  VexiroStatus TiffAppendPageFromVexiroImage(int32_t nImageID, int32_t nAddImageID);
  VexiroStatus TiffDeletePage(int32_t nImageID, int32_t nPage);
  VexiroStatus TiffSwapPages(int32_t nImageID, int32_t nPage1, int32_t nPage2);
  // nModeCompression: 2 LZW, 3 CCITT3, 4 CCITT4, 5 RLE, 6 none; the bilevel schemes become LZW
  // for the whole file when any page is deeper than 1 bit.
  VexiroStatus TiffSaveMultiPageToFile(int32_t nImageID, const std::string& sFilePath,
                                       EnumArg<TifCompression> nModeCompression = CompressionLZW);
  // A multi-page TIFF written page by page: the current image begins it, each added image is
  // the next page, and the file takes its place at the target when it is closed.
  VexiroStatus TiffSaveAsNativeMultiPage(const std::string& sFilePath,
                                         EnumArg<TifCompression> nModeCompression = CompressionLZW);
  VexiroStatus TiffAddToNativeMultiPage(int32_t nImageID);
  VexiroStatus TiffCloseNativeMultiPage();
  VexiroStatus TiffMergeFiles(BasicArray<std::string>& sFilesPath, const std::string& sFileDest,
                              EnumArg<TifCompression> nModeCompression = CompressionLZW);
  VexiroStatus TiffMerge2Files(const std::string& sFilePath1, const std::string& sFilePath2,
                               const std::string& sFileDest, EnumArg<TifCompression> nModeCompression = CompressionLZW);
  VexiroStatus TiffMergeFileList(const std::string& sFilesList, const std::string& sFileDest,
                                 EnumArg<TifCompression> nModeCompression = CompressionLZW);
  // Multi-page GIF: delays in hundredths of a second, disposals 1..3, loop count 0..65536.
  void GifOpenMultiPageAsReadOnly(bool bReadOnly);
  bool GifIsMultiPage(int32_t nImageID);
  bool GifIsEditableMultiPage(int32_t nImageID);
  int32_t GifGetPageCount(int32_t nImageID);
  int32_t GifGetCurrentPage(int32_t nImageID);
  VexiroStatus GifSelectPage(int32_t nImageID, int32_t nPage);
  int32_t GifGetFrameCount();
  VexiroStatus GifSelectFrame(int32_t nFrame);
  VexiroStatus GifGetFrameDelay(BasicArray<int32_t>& arFrameDelay);
  int32_t GifGetLoopCount(int32_t nImageID);
  VexiroStatus GifSetLoopCount(int32_t nImageID, int32_t nLoopCount);
  int32_t GifGetPageTime(int32_t nImageID, int32_t nPage);
  VexiroStatus GifSetPageTime(int32_t nImageID, int32_t nPage, int32_t nPageTime);
  VexiroStatus GifSetPageDisposal(int32_t nImageID, int32_t nPage, int32_t nPageDisposal);
  int32_t GifCreateMultiPageFromFile(const std::string& sFilePath);
  int32_t GifCreateMultiPageFromVexiroImage(int32_t nImageID);
  VexiroStatus GifInsertPageFromFile(int32_t nImageID, int32_t nPosition, const std::string& sFilePath);
  VexiroStatus GifInsertPageFromVexiroImage(int32_t nImageID, int32_t nPosition, int32_t nAddImageID);
  VexiroStatus GifAppendPageFromFile(int32_t nImageID, const std::string& sFilePath);
  VexiroStatus GifAppendPageFromVexiroImage(int32_t nImageID, int32_t nAddImageID);
  VexiroStatus GifDeletePage(int32_t nImageID, int32_t nPage);
  VexiroStatus GifSwapPages(int32_t nImageID, int32_t nPage1, int32_t nPage2);
  // Needs the format plug-in.
  VexiroStatus GifSaveMultiPageToFile(int32_t nImageID, const std::string& sFilePath);
  // Marks a colour of the current image transparent: its palette entry when the image is
  // indexed, its pixels otherwise.
  VexiroStatus GifSetTransparency(EnumArg<Colors> nColorARGB = Black);
  // Shows the current image's frames once on a device context, each for its delay; the result
  // is the status of the last frame selection.
  int32_t GifDisplayAnimatedGif(int32_t nHDC, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight);
  // ---- end of multi-page documents ----

  // ---- EXIF and IPTC metadata ----
  // Property items of the current image (a document's current page), numbered 1 .. ExifTagCount
  // in the image's own order. Tags and types are the Tags and TagTypes numbers.
  void TagsSetPreserve(bool bPreserve);
  int32_t ExifTagCount();
  int32_t ExifTagGetID(int32_t nTagNo);
  int32_t ExifTagGetLength(int32_t nTagNo);
  int32_t ExifTagGetType(int32_t nTagNo);
  std::string ExifTagGetName(int32_t nTagNo);
  std::string ExifTagGetValueString(int32_t nTagNo);
  int32_t ExifTagGetValueBytes(int32_t nTagNo, BasicArray<uint8_t>& arTagData);
  VexiroStatus ExifTagDelete(int32_t nTagNo);
  VexiroStatus ExifTagDeleteAll();
  VexiroStatus ExifTagSetValueBytes(EnumArg<Tags> nTagID, EnumArg<TagTypes> nTagType, BasicArray<uint8_t>& arTagData);
  VexiroStatus ExifTagSetValueString(EnumArg<Tags> nTagID, EnumArg<TagTypes> nTagType, const std::string& sTagData);
  // IPTC tags read through the format plug-in when the image was loaded; read-only.
  int32_t IPTCTagCount();
  int32_t IPTCTagGetID(int32_t nTagNo);
  int32_t IPTCTagGetType(int32_t nTagNo);
  int32_t IPTCTagGetLength(int32_t nTagNo);
  std::string IPTCTagGetValueString(int32_t nTagNo);
  // Answers the value text like IPTCTagGetValueString and fills arTagData with the value bytes.
  std::string IPTCTagGetValueBytes(int32_t nTagNo, BasicArray<uint8_t>& arTagData);
  // ---- end of EXIF and IPTC metadata ----

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
  VexiroStatus SetTransparencyColor(EnumArg<Colors> nColorARGB);
  VexiroStatus SetTransparencyColorEx(EnumArg<Colors> nColorARGB, float nThreshold);
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
  VexiroStatus FloodFill(int32_t nXStart, int32_t nYStart, EnumArg<Colors> nARGBColor);
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
  // A border is the run of lines at a side whose share of pixels within the tolerance of the
  // border colour reaches the confidence (a percentage); the last line of a direction never
  // counts. Images under 10 pixels wide or high are left alone.
  VexiroStatus CropWhiteBorders(int32_t nConfidence = 100, int32_t nSkipLinesCount = 0);
  VexiroStatus CropBlackBorders(int32_t nConfidence = 100, int32_t nSkipLinesCount = 0);
  // Paints the black borders white and keeps the size.
  VexiroStatus CropBlackBordersEx(int32_t nConfidence = 100, int32_t nSkipLinesCount = 0);
  VexiroStatus CropBorders();
  // The border colour is the pixel at corner 1 top left, 2 top right, 3 bottom right, 4 bottom left.
  VexiroStatus CropBordersEX(int32_t nConfidence, int32_t nPixelReference = 1);
  // Reports what CropBordersEX would keep and leaves the image; an axis whose borders meet or
  // overlap (a uniform image) is reported whole.
  VexiroStatus CropBordersEX2(int32_t nConfidence, int32_t nPixelReference, int32_t& nLeft, int32_t& nTop,
                              int32_t& nWidth, int32_t& nHeight);
  // Keeps only the rectangle; a rectangle that leaves the image changes nothing.
  VexiroStatus Crop(int32_t nSrcLeft, int32_t nSrcTop, int32_t nWidth, int32_t nHeight);
  VexiroStatus CropTop(int32_t nLines);
  VexiroStatus CropBottom(int32_t nLines);
  VexiroStatus CropLeft(int32_t nLines);
  VexiroStatus CropRight(int32_t nLines);
  // The skew of the page's text lines in degrees (positive: the lines fall to the right), 0 when
  // the strongest lines disagree or the page holds none; under 51 pixels a side it is Aborted.
  double GetSkewAngle();
  // Turns the page back about its centre when its skew exceeds 0.3 degrees, keeping its size and
  // its bit depth (1-bit and grey 8-bit pages stay so), the uncovered corners white.
  VexiroStatus AutoDeskew();
  // Services chosen by number: 58203741 saves the current image as JBIG to sParamString1;
  // 47190362 runs CropBordersEX2 (confidence nParamDouble1, corner nParamDouble2) into
  // nParamDouble3, nParamLong1..3 (left, top, width, height); 69351824 asks the scanning plug-in
  // for direct transfers. Any other number does nothing. The result is the last status.
  VexiroStatus SupportFunc(int32_t nSupportID, double& nParamDouble1, double& nParamDouble2, double& nParamDouble3,
                           int32_t& nParamLong1, int32_t& nParamLong2, int32_t& nParamLong3,
                           std::string& sParamString1, std::string& sParamString2, std::string& sParamString3);
  // ---- end of border cropping and deskew ----

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
  // >>> geometry: every transform except Rotate draws the current image into a new bitmap that
  // takes over its identifier; angles are degrees, clockwise. Sizes below 1 give
  // InvalidParameter before anything changes.
  VexiroStatus Rotate(EnumArg<RotateFlipType> nRotation);
  VexiroStatus RotateAnglePreserveDimentions(float nAngle);
  VexiroStatus RotateAnglePreserveDimentionsBackColor(float nAngle, EnumArg<Colors> nBackColor);
  VexiroStatus RotateAnglePreserveDimentionsCenter(float nAngle);
  VexiroStatus RotateAnglePreserveDimentionsCenterBackColor(float nAngle, EnumArg<Colors> nBackColor);
  VexiroStatus RotateAngle(float nAngle);
  VexiroStatus RotateAngleBackColor(float nAngle, EnumArg<Colors> nBackColor);
  VexiroStatus ResizeImage(int32_t nNewImageWidth, int32_t nNewImageHeight,
                           EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  int32_t GetResizedImage(int32_t nImageID, int32_t nNewImageWidth, int32_t nNewImageHeight,
                          EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus ResizeHeightRatio(int32_t nNewImageHeight,
                                 EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus ResizeWidthRatio(int32_t nNewImageWidth,
                                EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus ScaleImage(float nScalePercent,
                          EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus AddBorders(int32_t nBorderWidth, EnumArg<Colors> nBorderColor = Black);
  VexiroStatus AddBorderTop(int32_t nBorderHeight, EnumArg<Colors> nBorderColor = Black);
  VexiroStatus AddBorderBottom(int32_t nBorderHeight, EnumArg<Colors> nBorderColor = Black);
  VexiroStatus AddBorderLeft(int32_t nBorderWidth, EnumArg<Colors> nBorderColor = Black);
  VexiroStatus AddBorderRight(int32_t nBorderWidth, EnumArg<Colors> nBorderColor = Black);
  // <<< geometry

  // ---- Image composition ----
  // >>> composition: image nImageID drawn onto the current image; the source never changes.
  VexiroStatus DrawImage(int32_t nImageID, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth, int32_t nDstHeight,
                         EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus DrawImageRect(int32_t nImageID, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                             int32_t nDstHeight, int32_t nSrcLeft, int32_t nSrcTop, int32_t nSrcWidth,
                             int32_t nSrcHeight,
                             EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus DrawImageTransparency(int32_t nImageID, int32_t nTransparency, int32_t nDstLeft, int32_t nDstTop,
                                     int32_t nDstWidth, int32_t nDstHeight,
                                     EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus DrawImageTransparencyColor(int32_t nImageID, EnumArg<Colors> nTransparentColor, int32_t nDstLeft,
                                          int32_t nDstTop, int32_t nDstWidth, int32_t nDstHeight,
                                          EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus DrawImageTransparencyColorEx(int32_t nImageID, EnumArg<Colors> nTransparentColor, float nThreshold,
                                            int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth, int32_t nDstHeight,
                                            EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus DrawImageClipped(int32_t nImageID, BasicArray<int32_t>& ArPoints);
  // nOperator: 0 AND, 1 OR, 2 XOR on whole 32-bit ARGB values; both rectangles must lie inside
  // their images (InvalidParameter otherwise, nothing drawn).
  VexiroStatus DrawImageOP(int32_t nImageID, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                           int32_t nDstHeight, EnumArg<Operators> nOperator,
                           EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus DrawImageOPRect(int32_t nImageID, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                               int32_t nDstHeight, int32_t nSrcLeft, int32_t nSrcTop, int32_t nSrcWidth,
                               int32_t nSrcHeight, EnumArg<Operators> nOperator,
                               EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  // The source's upper-left, upper-right and lower-left corners go to the three points.
  VexiroStatus DrawImageSkewing(int32_t nImageID, int32_t nDstLeft1, int32_t nDstTop1, int32_t nDstLeft2,
                                int32_t nDstTop2, int32_t nDstLeft3, int32_t nDstTop3,
                                EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear,
                                bool bAntiAlias = false);
  // <<< composition

  // ---- Vector drawing ----
  VexiroStatus DrawArc(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, float nStartAngle,
                       float nSweepAngle, int32_t nPenWidth, EnumArg<Colors> nColorARGB = Black,
                       bool bAntiAlias = false);
  VexiroStatus DrawBezier(int32_t nLeft1, int32_t nTop1, int32_t nLeft2, int32_t nTop2, int32_t nLeft3, int32_t nTop3,
                          int32_t nLeft4, int32_t nTop4, int32_t nPenWidth, EnumArg<Colors> nColorARGB = Black,
                          bool bAntiAlias = false);
  VexiroStatus DrawCircle(int32_t nDstLeft, int32_t nDstTop, int32_t nDiameter, EnumArg<Colors> nColorARGB,
                          int32_t nPenWidth = 1, bool bAntiAlias = false);
  VexiroStatus DrawFillClosedCurves(BasicArray<int32_t>& ArPoints, EnumArg<Colors> nColorARGB, float nTension,
                                    EnumArg<FillMode> nFillMode, bool bAntiAlias = false);
  VexiroStatus DrawClosedCurves(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, EnumArg<Colors> nColorARGB = Black,
                                bool bAntiAlias = false);
  VexiroStatus DrawCurves(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, EnumArg<Colors> nColorARGB = Black,
                          bool bAntiAlias = false);
  VexiroStatus DrawPolygon(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, EnumArg<Colors> nColorARGB = Black,
                           bool bAntiAlias = false);
  VexiroStatus DrawFillPolygon(BasicArray<int32_t>& ArPoints, EnumArg<Colors> nColorARGB, EnumArg<FillMode> nFillMode,
                               bool bAntiAlias = false);
  VexiroStatus DrawEllipse(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                           EnumArg<Colors> nColorARGB,
                           int32_t nPenWidth = 1, bool bAntiAlias = false);
  VexiroStatus DrawFillCircle(int32_t nDstLeft, int32_t nDstTop, int32_t nDiameter, EnumArg<Colors> nColorARGB,
                              bool bAntiAlias = false);
  VexiroStatus DrawFillEllipse(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                               EnumArg<Colors> nColorARGB, bool bAntiAlias = false);
  VexiroStatus DrawFillRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                 EnumArg<Colors> nColorARGB = Black, bool bAntiAlias = false);
  VexiroStatus DrawGradientCurves(BasicArray<int32_t>& ArPoints, int32_t nPenWidth, EnumArg<Colors> nStartColor,
                                  int32_t& nEndColor, bool bAntiAlias = false);
  VexiroStatus DrawGradientLine(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop,
                                int32_t nPenWidth, EnumArg<Colors> nStartColor, EnumArg<Colors> nEndColor,
                                bool bAntiAlias = false);
  VexiroStatus DrawGrid(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, int32_t nHorizontalStep,
                        int32_t nVerticalStep, int32_t nPenWidth, EnumArg<Colors> nColorARGB = Black);
  VexiroStatus DrawLine(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop, int32_t nPenWidth,
                        EnumArg<Colors> nColorARGB = Black, bool bAntiAlias = false);
  VexiroStatus DrawLineArrow(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop, int32_t nPenWidth,
                             EnumArg<Colors> nColorARGB = Black, bool bAntiAlias = false);
  VexiroStatus DrawRoundedRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, float nRadius,
                                    int32_t nPenWidth, EnumArg<Colors> nColorARGB = Black, bool bAntiAlias = false);
  VexiroStatus DrawFillRoundedRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                        float nRadius, EnumArg<Colors> nColorARGB = Black, bool bAntiAlias = false);
  VexiroStatus DrawRectangle(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, int32_t nPenWidth,
                             EnumArg<Colors> nColorARGB = Black, bool bAntiAlias = false);
  VexiroStatus DrawPie(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, float nStartAngle,
                       float nSweepAngle, int32_t nPenWidth, EnumArg<Colors> nColorARGB = Black,
                       bool bAntiAlias = false);
  VexiroStatus DrawFillPie(int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight, float nStartAngle,
                           float nSweepAngle, EnumArg<Colors> nColorARGB, bool bAntiAlias = false);
  VexiroStatus DrawRotatedFillRectangle(float nAngle, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth,
                                        int32_t nHeight, EnumArg<Colors> nColorARGB = Black, bool bAntiAlias = false);
  VexiroStatus DrawRotatedRectangle(float nAngle, int32_t nDstLeft, int32_t nDstTop, int32_t nWidth, int32_t nHeight,
                                    int32_t nPenWidth, EnumArg<Colors> nColorARGB = Black, bool bAntiAlias = false);
  VexiroStatus DrawSpotLight(int32_t nDstLeft, int32_t nDstTop, int32_t nRadiusX, int32_t nRadiusY, int32_t nHotX,
                             int32_t nHotY, float nFocusScale, EnumArg<Colors> nStartColor, EnumArg<Colors> nEndColor);
  VexiroStatus DrawTexturedLine(int32_t nSrcLeft, int32_t nSrcTop, int32_t nDstLeft, int32_t nDstTop,
                                int32_t nPenWidth, const std::string& sTextureFilePath, bool bAntiAlias = false);

  // ---- Text and fonts ----
  VexiroStatus DrawText(const std::string& sText, int32_t nDstLeft, int32_t nDstTop, int32_t nFontSize,
                        EnumArg<FontStyle> nFontStyle = FontStyleRegular, EnumArg<Colors> nTextARGBColor = Black,
                        const std::string& sFontName = "Arial", bool bAntiAlias = false);
  VexiroStatus DrawTextBackColor(const std::string& sText, int32_t nDstLeft, int32_t nDstTop, int32_t nFontSize,
                                 EnumArg<FontStyle> nFontStyle = FontStyleRegular,
                                 EnumArg<Colors> nTextARGBColor = Black,
                                 const std::string& sFontName = "Arial", EnumArg<Colors> nBackColor = White,
                                 bool bAntiAlias = false);
  VexiroStatus DrawRotatedText(float nAngle, const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                               int32_t nFontSize, EnumArg<FontStyle> nFontStyle = FontStyleRegular,
                               EnumArg<Colors> nColorARGB = Black,
                               const std::string& sFontName = "Arial", bool bAntiAlias = false);
  VexiroStatus DrawRotatedTextBackColor(float nAngle, const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                                        int32_t nFontSize, EnumArg<FontStyle> nFontStyle = FontStyleRegular,
                                        EnumArg<Colors> nColorARGB = Black,
                                        const std::string& sFontName = "Arial", EnumArg<Colors> nBackColor = White,
                                        bool bAntiAlias = false);
  VexiroStatus DrawTextBox(const std::string& sText, int32_t nLeft, int32_t nTop, int32_t nWidth, int32_t nHeight,
                           int32_t nFontSize, int32_t nAlignment = 1, EnumArg<FontStyle> nFontStyle = FontStyleRegular,
                           EnumArg<Colors> nTextARGBColor = Black, const std::string& sFontName = "Arial",
                           bool bDrawTextBox = false, bool bAntiAlias = false);
  VexiroStatus DrawTextGradient(const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                                EnumArg<Colors> nStartColor,
                                EnumArg<Colors> nEndColor, int32_t nFontSize,
                                EnumArg<FontStyle> nFontStyle = FontStyleRegular,
                                const std::string& sFontName = "Arial", bool bAntiAlias = false);
  VexiroStatus DrawTextTexture(const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                               const std::string& sTextureFilePath, int32_t nFontSize,
                               EnumArg<FontStyle> nFontStyle = FontStyleRegular,
                               const std::string& sFontName = "Arial", bool bAntiAlias = false);
  VexiroStatus DrawTextTextureFromVexiroImage(const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                                              int32_t nImageID, int32_t nFontSize,
                                              EnumArg<FontStyle> nFontStyle = FontStyleRegular,
                                              const std::string& sFontName = "Arial", bool bAntiAlias = false);
  float GetTextWidth(const std::string& sText, const std::string& sFontName, int32_t nFontSize,
                     EnumArg<FontStyle> nFontStyle);
  float GetTextHeight(const std::string& sText, const std::string& sFontName, int32_t nFontSize,
                      EnumArg<FontStyle> nFontStyle);
  void FontSetUnit(EnumArg<UnitMode> nUnitMode);
  int32_t FontGetUnit();
  int32_t FontGetCount();
  std::string FontGetName(int32_t nFontNo);
  bool FontIsStyleAvailable(const std::string& sFontName, EnumArg<FontStyle> nFontStyle);

  // ---- Barcode drawing ----
  VexiroStatus BarCodeDraw128(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                              EnumArg<Colors> nColorARGB = Black);
  VexiroStatus BarCodeDraw39(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                             bool bAddCheckSum = false, EnumArg<Colors> nColorARGB = Black);
  VexiroStatus BarCodeDraw25i(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                              bool bAddCheckSum = false, EnumArg<Colors> nColorARGB = Black);
  VexiroStatus BarCodeDrawEAN13(const std::string& sCode, int32_t nDstLeft, int32_t nDstTop, int32_t nHeight,
                                int32_t nFontSize = 0, EnumArg<Colors> nColorARGB = Black);
  int32_t BarCodeGetWidth128(const std::string& sCode, int32_t nHeight);
  int32_t BarCodeGetWidth39(const std::string& sCode, int32_t nHeight, bool bAddCheckSum = false);
  int32_t BarCodeGetWidth25i(const std::string& sCode, int32_t nHeight, bool bAddCheckSum = false);
  int32_t BarCodeGetWidthEAN13(const std::string& sCode, int32_t nHeight);
  std::string BarCodeGetChecksumEAN13(const std::string& sCode);
  bool BarCodeIsValidEAN13(const std::string& sCode);
  std::string BarCodeGetChecksum25i(const std::string& sCode);
  std::string BarCodeGetChecksum39(const std::string& sCode);

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
  VexiroStatus DisplayImageOnHDC(int32_t nHDC, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                 int32_t nDstHeight,
                                 EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus DisplayImageOnHwnd(int32_t nHWND, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                  int32_t nDstHeight,
                                  EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus DisplayImageRectOnHDC(int32_t nHDC, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                     int32_t nDstHeight, int32_t nSrcLeft, int32_t nSrcTop, int32_t nSrcWidth,
                                     int32_t nSrcHeight,
                                     EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);
  VexiroStatus DisplayImageRectOnHwnd(int32_t nHWND, int32_t nDstLeft, int32_t nDstTop, int32_t nDstWidth,
                                      int32_t nDstHeight, int32_t nSrcLeft, int32_t nSrcTop, int32_t nSrcWidth,
                                      int32_t nSrcHeight,
                                      EnumArg<InterpolationMode> nInterpolationMode = InterpolationModeBilinear);

  // ---- Colour management ----
  // The embedded profile is the image's property item 34675 (undefined bytes).
  VexiroStatus ICCSetRGBProfile(const std::string& sProfilePath);
  VexiroStatus ICCExportToFile(const std::string& sFilePath);
  VexiroStatus ICCRemove();
  VexiroStatus ICCAddFromFile(const std::string& sFilePath);
  bool ICCImageHasProfile();
  // TIFF files on disk: every page is rewritten with only its profile tag changed.
  VexiroStatus ICCRemoveProfileToFile(const std::string& sFilePath);
  VexiroStatus ICCAddProfileToFile(const std::string& sImagePath, const std::string& sProfilePath);
  // Separations: a new image (the current one is unchanged) whose grey is 255 - the channel's ink.
  int32_t GetColorChannelFlagsC();
  int32_t GetColorChannelFlagsM();
  int32_t GetColorChannelFlagsY();
  int32_t GetColorChannelFlagsK();
  // (old, new) colour pairs: consecutive elements of a one-dimensional array, or per index of the
  // first dimension of a two-dimensional one (old at the second dimension's lower bound, new at
  // its upper bound).
  VexiroStatus SetColorRemap(BasicArray<int32_t>& arRemapTable);
  VexiroStatus SetColorKey(EnumArg<Colors> nColorLow, EnumArg<Colors> nColorHigh);

  // ---- PDF documents ----
  // The rights value for the flags that are true; all false gives PdfRightCanView.
  PdfRight PdfCreateRights(bool bCanPrint, bool bCanModify, bool bCanCopy, bool bCanAddNotes, bool bCanFillFields,
                           bool bCanCopyAccess, bool bCanAssemble, bool bCanprintFull);

  // ==== Host-built PDF documents (pdf/members/) ====
  // One document at a time, begun by PdfNewPdf(Ex) and finished by PdfSavePdf, a second
  // PdfNewPdf(Ex) or the engine's end. Lengths are in the unit PdfSetMeasurementUnits chose (0
  // points, 1 millimetres, 2 centimetres, 3 inches), from the page's lower left corner. Without an
  // open document the members do nothing and answer 0, 0.0 or False (PdfGetPageOrientation -1);
  // only PdfNewPdf(Ex) changes the last status (CanNotCreateFile when the file exists or cannot be
  // made, InvalidParameter for an encryption outside 0..2 or a password Windows-1252 cannot hold),
  // PdfSavePdf when the file did not reach the disk whole (Win32Error, and the file is removed),
  // and the page and drawing members when a number is not finite, or a page side is not above 0
  // or a margin below 0 (InvalidParameter, nothing written). Numbers beyond what a PDF reader
  // takes are clamped: content to ±32767, page sides to 3 .. 14400 points.
  bool PdfNewPdf(const std::string& sFilePath, const std::string& sTitle = "",
                 const std::string& sCreator = "Vexiro ZedeDud", const std::string& sAuthor = "Vexiro ZedeDud",
                 const std::string& sProducer = "");
  bool PdfNewPdfEx(const std::string& sFilePath, const std::string& sTitle = "", const std::string& sAuthor = "",
                   const std::string& sSubject = "", const std::string& sKeywords = "",
                   const std::string& sCreator = "", EnumArg<PdfEncryption> nPdfEncryption = PdfEncryptionNone,
                   EnumArg<PdfRight> nPDFRight = PdfRightUndefined, const std::string& sUserpassWord = "",
                   const std::string& sOwnerPassword = "");
  // False once the document's first objects are written (after the first page, image or font).
  bool PdfSetMetadata(const std::string& sXMP);
  int32_t PdfNewPage();
  void PdfEndPage();
  int32_t PdfGetCurrentPage();
  void PdfSavePdf();
  // Out-of-range values are ignored; the settings reach every open writer of the engine.
  void PdfSetCompressionLevel(int32_t nLevel);
  int32_t PdfGetCompressionLevel();
  void PdfSetJpegQuality(int32_t nQuality);
  int32_t PdfGetJpegQuality();
  void PdfSetMeasurementUnits(int32_t nUnitValue);
  // Size, orientation and margin apply to the pages begun after them.
  void PdfSetPageOrientation(int32_t nOrientation);
  int32_t PdfGetPageOrientation();
  void PdfSetPageDimensions(float nWidth, float nHeight);
  void PdfSetPageMargin(float nMargin);
  float PdfGetPageMargin();
  // ==== End of host-built PDF documents ====

  // ---- PDF drawing ----
  // ==== Drawing on host-built PDF pages (pdf/members/) ====
  // Positions, sizes and radii are in the measurement unit; border widths, dash lengths,
  // spacings, font sizes and angles are not converted. Colours are COLORREF values. Drawing
  // without an open page begins one. Fonts and images are numbered from 1; 0 means failure.
  void PdfSetTextColor(int32_t nRGBColor);
  void PdfSetTextMode(int32_t nTextMode);
  void PdfSetCharSpacing(float nCharSpacing);
  void PdfSetWordSpacing(float nWordSpacing);
  void PdfSetTextHorizontalScaling(float nTextHScaling);
  int32_t PdfAddFont(const std::string& sFontName, bool bBold = false, bool bItalic = false);
  float PdfGetTextWidth(const std::string& sText, int32_t nFontID, int32_t nFontSize);
  void PdfDrawText(float nDstX, float nDstY, const std::string& sText, int32_t nFontID, int32_t nFontSize,
                   int32_t nRotation = 0);
  // Alignment 0 puts the text's start at x, 1 its end, 2 its middle.
  void PdfDrawTextAlign(float nDstX, float nDstY, const std::string& sText, int32_t nFontID, int32_t nFontSize,
                        int32_t nTextAlign);
  int32_t PdfAddImageFromFile(const std::string& sImagePath);
  int32_t PdfAddImageFromVexiroImage(int32_t nImageID);
  // The image's natural size at its own resolution.
  float PdfGetImageWidth(int32_t nPdfImageNo);
  float PdfGetImageHeight(int32_t nPdfImageNo);
  void PdfDrawImage(int32_t nPdfImageNo, float nDstX, float nDstY, float nWidth, float nHeight);
  void PdfSetLineDash(float nDashOn, float nDashOff);
  void PdfSetLineJoin(int32_t nJoinType);
  void PdfSetLineCap(int32_t nCapType);
  void PdfDrawLine(float nDstX1, float nDstY1, float nDstX2, float nDstY2, float nBorderWidth, int32_t nRGBColor = 0);
  void PdfDrawRectangle(float nDstX, float nDstY, float nWidth, float nHeight, float nBorderWidth,
                        int32_t nRGBColor = 0, float nRay = 0);
  // The fill members only fill: their border width is set, no border is stroked.
  void PdfDrawFillRectangle(float nDstX, float nDstY, float nWidth, float nHeight, float nBorderWidth,
                            int32_t nRGBColor = 0, float nRay = 0);
  void PdfDrawCircle(float nDstX, float nDstY, float nRay, float nBorderWidth, int32_t nRGBColor = 0);
  void PdfDrawFillCircle(float nDstX, float nDstY, float nRay, float nBorderWidth, int32_t nRGBColor = 0);
  // One cubic curve from point 1 to point 3, point 2 its second control point.
  void PdfDrawCurve(float nDstX1, float nDstY1, float nDstX2, float nDstY2, float nDstX3, float nDstY3,
                    float nBorderWidth, int32_t nRGBColor = 0);
  // A sweep of more than one turn is drawn as one turn.
  void PdfDrawArc(float nDstX, float nDstY, float nRay, float nBorderWidth, int32_t nStartAngle = 0,
                  int32_t nEndAngle = 360, float nRatio = 1.0f, bool bPie = false, int32_t nRGBColor = 0);
  // ==== End of drawing on host-built PDF pages ====

  // ---- Saving as PDF ----
  // One PDF file per call, each page the image at its physical size (a resolution not above 0
  // counts as 72 dpi). The file is created new: an existing one is never touched (41), and a
  // file the call made is removed again when the call fails. The PDF/A forms write PDF/A-1b.
  bool SaveAsPDF(const std::string& sFilePath, const std::string& sTitle = "",
                 const std::string& sCreator = "Vexiro ZedeDud", const std::string& sAuthor = "Vexiro ZedeDud",
                 const std::string& sProducer = "");
  bool SaveAsPDFEx(const std::string& sFilePath, const std::string& sTitle = "", const std::string& sAuthor = "",
                   const std::string& sSubject = "", const std::string& sKeywords = "", const std::string& sCreator = "",
                   EnumArg<PdfEncryption> nPdfEncryption = PdfEncryptionNone,
                   EnumArg<PdfRight> nPDFRight = PdfRightUndefined,
                   const std::string& sUserpassWord = "", const std::string& sOwnerPassword = "");
  bool SaveAsPDFA(const std::string& sFilePath, const std::string& sTitle = "",
                  const std::string& sCreator = "Vexiro ZedeDud", const std::string& sAuthor = "Vexiro ZedeDud",
                  const std::string& sProducer = "");
  bool SaveAsPDFAEx(const std::string& sFilePath, const std::string& sTitle = "", const std::string& sAuthor = "",
                    const std::string& sSubject = "", const std::string& sKeywords = "", const std::string& sCreator = "");
  // Every page of a multi-page TIFF document; the page current before the call is current after it.
  VexiroStatus PdfCreateFromMultipageTIFF(int32_t nImageID, const std::string& sPdfFileDest,
                                          const std::string& sTitle = "", const std::string& sCreator = "Vexiro ZedeDud",
                                          const std::string& sAuthor = "Vexiro ZedeDud",
                                          const std::string& sProducer = "");
  VexiroStatus PdfCreateFromMultipageTIFFEx(int32_t nImageID, const std::string& sPdfFileDest,
                                            const std::string& sTitle = "", const std::string& sAuthor = "",
                                            const std::string& sSubject = "", const std::string& sKeywords = "",
                                            const std::string& sCreator = "",
                                            EnumArg<PdfEncryption> nPdfEncryption = PdfEncryptionNone,
                                            EnumArg<PdfRight> nPDFRight = PdfRightUndefined,
                                            const std::string& sUserpassWord = "",
                                            const std::string& sOwnerPassword = "");
  VexiroStatus PdfACreateFromMultipageTIFF(int32_t nImageID, const std::string& sPdfFileDest,
                                           const std::string& sTitle = "", const std::string& sCreator = "Vexiro ZedeDud",
                                           const std::string& sAuthor = "Vexiro ZedeDud",
                                           const std::string& sProducer = "");
  VexiroStatus PdfACreateFromMultipageTIFFEx(int32_t nImageID, const std::string& sPdfFileDest,
                                             const std::string& sTitle = "", const std::string& sAuthor = "",
                                             const std::string& sSubject = "", const std::string& sKeywords = "",
                                             const std::string& sCreator = "");
  // ---- end of saving as PDF ----

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
  void TwainSetApplicationInfo(int32_t nMajorNumVersion, int32_t nMinorNumVersion, EnumArg<TwainLanguage> nLanguageID,
                               EnumArg<TwainCountry> nCountryID, const std::string& sVersionInfo,
                               const std::string& sCompanyName,
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
  int32_t TwainGetAvailableCapValuesCount(EnumArg<TwainCapabilities> nCap);
  int32_t TwainGetAvailableCapValuesNumeric(EnumArg<TwainCapabilities> nCap, BasicArray<double>& arValues);
  int32_t TwainGetAvailableCapValuesString(EnumArg<TwainCapabilities> nCap, BasicArray<std::string>& arValues);
  double TwainGetAvailableCapValueNoNumeric(EnumArg<TwainCapabilities> nCap, int32_t nNumber);
  std::string TwainGetAvailableCapValueNoString(EnumArg<TwainCapabilities> nCap, int32_t nNumber);
  bool TwainGetCapCurrentNumeric(EnumArg<TwainCapabilities> nCap, double& nCurrentValue);
  bool TwainGetCapCurrentString(EnumArg<TwainCapabilities> nCap, std::string& sCurrentValue);
  bool TwainGetCapRangeNumeric(EnumArg<TwainCapabilities> nCap, double& nMinValue, double& nMaxValue,
                               double& nStepValue);
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
  bool TwainSetCapCurrentNumeric(EnumArg<TwainCapabilities> nCap, EnumArg<TwainItemTypes> nItemType, int32_t nNewValue);
  bool TwainSetCapCurrentString(EnumArg<TwainCapabilities> nCap, EnumArg<TwainItemTypes> nItemType,
                                const std::string& sNewValue);
  bool TwainResetCap(EnumArg<TwainCapabilities> nCap);
  int32_t TwainGetCapItemType(EnumArg<TwainCapabilities> nCap);
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
  bool TwainSetCurrentPixelType(EnumArg<TwainPixelType> nPixelType);
  int32_t TwainGetCurrentResolution();
  bool TwainSetCurrentResolution(int32_t nResolution);
  double TwainGetPhysicalWidth();
  double TwainGetPhysicalHeight();
  int32_t TwainGetPaperSize();
  bool TwainSetPaperSize(EnumArg<TwainPaperSize> nSize);
  int32_t TwainGetAvailablePaperSizeCount();
  int32_t TwainGetAvailablePaperSize(BasicArray<int32_t>& arValues);
  int32_t TwainGetAvailablePaperSizeNo(int32_t nNumber);
  bool TwainIsPixelTypeAvailable(EnumArg<TwainPixelType> nPixelType);
  bool TwainIsFileTransferModeAvailable();
  bool TwainSetImageLayout(double nLeft, double nTop, double nRight, double nBottom);
  bool TwainGetImageLayout(double& nLeft, double& nTop, double& nRight, double& nBottom);
  bool TwainResetImageLayout();
  bool TwainSetXferCount(int32_t nXfers);
  bool TwainSetCurrentImageFileFormat(EnumArg<TwainImageFileFormats> nImageFileFormat);
  int32_t TwainGetCurrentImageFileFormat();
  bool TwainSetCurrentCompression(EnumArg<TwainCompression> nCompression);
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
  // -- scan-to-PDF: images collect in a document whose pages are written when it stops. A
  // document restarted, or left open when the engine ends, is deleted; so is one stopped empty.
  VexiroStatus TwainPdfStart(const std::string& sFilePath, const std::string& sTitle = "",
                             const std::string& sCreator = "Vexiro ZedeDud", const std::string& sAuthor = "Vexiro ZedeDud",
                             const std::string& sProducer = "");
  VexiroStatus TwainPdfStartEx(const std::string& sFilePath, const std::string& sTitle = "",
                               const std::string& sAuthor = "", const std::string& sSubject = "",
                               const std::string& sKeywords = "", const std::string& sCreator = "",
                               EnumArg<PdfEncryption> nPdfEncryption = PdfEncryptionNone,
                               EnumArg<PdfRight> nPDFRight = PdfRightUndefined,
                               const std::string& sUserpassWord = "", const std::string& sOwnerPassword = "");
  VexiroStatus TwainAddVexiroImageToPdf(int32_t nImageID);
  VexiroStatus TwainPdfStop();
  // ==== Scan-to-PDF with OCR (recognition/ocr/ocr_scan_pdf_members.cpp) ====
  // The searchable scanned document, independent of the plain one. Each image added is
  // recognised at once: the member returns its text and leaves the recognition's status as the
  // last status; its page gets the invisible text layer when the document stops. A page whose
  // recognition failed or found nothing shows the picture only. A run-time error inside the
  // recognition takes the document and its file with it.
  VexiroStatus TwainPdfOCRStart(const std::string& sFilePath, const std::string& sTitle = "",
                                const std::string& sCreator = "Vexiro ZedeDud",
                                const std::string& sAuthor = "Vexiro ZedeDud", const std::string& sProducer = "");
  VexiroStatus TwainPdfOCRStartEx(const std::string& sFilePath, const std::string& sTitle = "",
                                  const std::string& sAuthor = "", const std::string& sSubject = "",
                                  const std::string& sKeywords = "", const std::string& sCreator = "",
                                  EnumArg<PdfEncryption> nPdfEncryption = PdfEncryptionNone,
                                  EnumArg<PdfRight> nPDFRight = PdfRightUndefined,
                                  const std::string& sUserpassWord = "",
                                  const std::string& sOwnerPassword = "");
  std::string TwainAddVexiroImageToPdfOCR(int32_t nImageID, EnumArg<TesseractDictionary> nDictionary,
                                          const std::string& sDictionaryPath, const std::string& sCharWhiteList = "");
  VexiroStatus TwainPdfOCRStop();
  // ==== End of scan-to-PDF with OCR ====
  // ---- end of scanning (TWAIN) ----

  // ---- Printing ----
  // ==== Printing members (devices/print/) ====
  // Printers, paper and the other settings belong to the thread's current printer and are shared
  // by its engines. None of these members touches the last status; a job's outcome is PrintGetStat.
  // Sizes and positions are millimetres.
  int32_t PrintGetPrintersCount();
  std::string PrintGetPrinterName(int32_t nPrinterNo);
  std::string PrintGetActivePrinter();
  bool PrintSetActivePrinter(const std::string& sPrinterName);
  int32_t PrintGetColorMode();
  void PrintSetColorMode(int32_t nColorMode);
  int32_t PrintGetCopies();
  void PrintSetCopies(int32_t nCopies);
  int32_t PrintGetDuplexMode();
  void PrintSetDuplexMode(int32_t nDuplexMode);
  int16_t PrintGetOrientation();
  void PrintSetOrientation(int16_t nOrientation);
  PrintQuality PrintGetQuality();
  void PrintSetQuality(EnumArg<PrintQuality> nQuality);
  int32_t PrintGetPaperSize();
  void PrintSetStdPaperSize(int32_t nPaperSize);
  void PrintSetUserPaperSize(float nPaperWidth, float nPaperHeight);
  float PrintGetPaperWidth();
  float PrintGetPaperHeight();
  int32_t PrintGetPaperBin();
  bool PrintSetPaperBin(int32_t nPaperBin);
  void PrintGetMargins(float& nLeftMargin, float& nTopMargin);
  void PrintSetFromToPage(int32_t nFrom, int32_t nTo);
  std::string PrintGetDocumentName();
  void PrintSetDocumentName(const std::string& sDocumentName);
  int32_t PrintGetImageAlignment();
  void PrintSetImageAlignment(int32_t nImageAlignment);
  void PrintSetAutoRotation(bool bAutoRotation);
  PrinterStatus PrintGetStat();
  void PrintImage();
  void PrintImageFit();
  bool PrintImage2Printer(const std::string& sPrinterName);
  void PrintImageBySize(float nDstLeft, float nDstTop, float nWidth, float nHeight);
  bool PrintImageBySize2Printer(const std::string& sPrinterName, float nDstLeft, float nDstTop, float nWidth,
                                float nHeight);
  // The dialog is the host's print dialog provider (platform/printing); cancelled changes nothing.
  bool PrintImageDialog();
  bool PrintImageDialogHWND(int32_t hwnd);
  bool PrintImageDialogFit();
  bool PrintImageDialogFitHWND(int32_t hwnd);
  bool PrintImageDialogBySize(float nDstLeft, float nDstTop, float nWidth, float nHeight);
  bool PrintImageDialogBySizeHWND(int32_t hwnd, float nDstLeft, float nDstTop, float nWidth, float nHeight);
  // ==== End of printing members ====

  // ---- Network transfer ----
  // ==== Network transfer members (devices/network/) ====
  // Uploads leave their status for GetStat too. An empty login is anonymous; port 0 is 21.
  VexiroStatus SaveToFTP(const std::string& sImageFormat, int32_t nEncoderParameter, const std::string& sHost,
                         const std::string& sPath, const std::string& sLogin = "", const std::string& sPassword = "",
                         int32_t nFTPPort = 21);
  VexiroStatus UploadFileToFTP(const std::string& sFilePath, const std::string& sHost, const std::string& sPath,
                               const std::string& sLogin = "", const std::string& sPassword = "",
                               int32_t nFTPPort = 21);
  void SetHttpTransfertBufferSize(int32_t nBuffersize);
  void SetFtpPassiveMode(bool bPassiveMode);
  // ==== End of network transfer members ====

  // ---- OCR ----
  // ==== Recognition: OCR members (recognition/ocr/) ====
  // Recognises the processing region of the current image. Characters are numbered from 1;
  // numbers outside the result give 0 (confidence 100) and none of the getters touches the
  // last status. The orientation members answer 0 .. 3 (RotateFlipType): the quarter turn,
  // counted anticlockwise, under which the page reads best; they keep the current image and
  // the processing region and leave the result empty.
  std::string OCRTesseractDoOCR(EnumArg<TesseractDictionary> nDictionary, const std::string& sDictionaryPath,
                                const std::string& sCharWhiteList = "");
  int32_t OCRTesseractGetCharCount();
  int32_t OCRTesseractGetCharCode(int32_t nCharNo);
  int32_t OCRTesseractGetCharLine(int32_t nCharNo);
  int32_t OCRTesseractGetCharLeft(int32_t nCharNo);
  int32_t OCRTesseractGetCharRight(int32_t nCharNo);
  int32_t OCRTesseractGetCharTop(int32_t nCharNo);
  int32_t OCRTesseractGetCharBottom(int32_t nCharNo);
  int32_t OCRTesseractGetCharSpaces(int32_t nCharNo);
  float OCRTesseractGetCharConfidence(int32_t nCharNo);
  int32_t OCRTesseractGetOrientation(EnumArg<TesseractDictionary> nDictionary, const std::string& sDictionaryPath);
  int32_t OCRTesseractGetOrientationEx(EnumArg<TesseractDictionary> nDictionary, const std::string& sDictionaryPath,
                                       float nAccuracyLevel);
  void OCRTesseractClear();
  // Searchable PDF: each page the image with its recognised text laid invisibly over it, as
  // PDF/A-1b unless encrypted; the result is the text. A page whose recognition fails keeps its
  // picture in the single-page form (the last status says why); the multi-page form then writes
  // nothing. A file the call made is removed again when the call fails or raises an error.
  std::string SaveAsPDFOCR(const std::string& sFilePath, EnumArg<TesseractDictionary> nDictionary,
                           const std::string& sDictionaryPath, const std::string& sCharWhiteList = "",
                           const std::string& sTitle = "", const std::string& sCreator = "Vexiro ZedeDud",
                           const std::string& sAuthor = "Vexiro ZedeDud", const std::string& sProducer = "");
  std::string SaveAsPDFOCREx(const std::string& sFilePath, EnumArg<TesseractDictionary> nDictionary,
                             const std::string& sDictionaryPath, const std::string& sCharWhiteList = "",
                             const std::string& sTitle = "", const std::string& sAuthor = "",
                             const std::string& sSubject = "", const std::string& sKeywords = "",
                             const std::string& sCreator = "",
                             EnumArg<PdfEncryption> nPdfEncryption = PdfEncryptionNone,
                             EnumArg<PdfRight> nPDFRight = PdfRightUndefined, const std::string& sUserpassWord = "",
                             const std::string& sOwnerPassword = "");
  std::string PdfOCRCreateFromMultipageTIFF(int32_t nImageID, const std::string& sFilePath,
                                            EnumArg<TesseractDictionary> nDictionary,
                                            const std::string& sDictionaryPath,
                                            const std::string& sCharWhiteList = "", const std::string& sTitle = "",
                                            const std::string& sCreator = "Vexiro ZedeDud",
                                            const std::string& sAuthor = "Vexiro ZedeDud",
                                            const std::string& sProducer = "");
  std::string PdfOCRCreateFromMultipageTIFFEx(int32_t nImageID, const std::string& sFilePath,
                                              EnumArg<TesseractDictionary> nDictionary,
                                              const std::string& sDictionaryPath,
                                              const std::string& sCharWhiteList = "", const std::string& sTitle = "",
                                              const std::string& sAuthor = "", const std::string& sSubject = "",
                                              const std::string& sKeywords = "", const std::string& sCreator = "",
                                              EnumArg<PdfEncryption> nPdfEncryption = PdfEncryptionNone,
                                              EnumArg<PdfRight> nPDFRight = PdfRightUndefined,
                                              const std::string& sUserpassWord = "",
                                              const std::string& sOwnerPassword = "");
  // ==== End of OCR members ====

  // ---- Barcode reading ----
  // ==== Recognition: barcode reading members (recognition/barcodes/) ====
  // The scans return their status to the caller only; results are read by a 1-based number and
  // out-of-range numbers give 0, "" or false.
  VexiroStatus Barcode1DReaderDoScan(EnumArg<Barcode1DReaderScanMode> ScanMode);
  int32_t Barcode1DReaderGetBarcodeCount();
  Barcode1DReaderType Barcode1DReaderGetBarcodeType(int32_t BarCodeNo);
  std::string Barcode1DReaderGetBarcodeValue(int32_t BarCodeNo);
  double Barcode1DReaderGetBarcodeSkewAngle(int32_t BarCodeNo);
  bool Barcode1DReaderBarcodeHasChecksum(int32_t BarCodeNo);
  int32_t Barcode1DReaderGetBarcodeX1(int32_t BarCodeNo);
  int32_t Barcode1DReaderGetBarcodeY1(int32_t BarCodeNo);
  int32_t Barcode1DReaderGetBarcodeX2(int32_t BarCodeNo);
  int32_t Barcode1DReaderGetBarcodeY2(int32_t BarCodeNo);
  int32_t Barcode1DReaderGetBarcodeX3(int32_t BarCodeNo);
  int32_t Barcode1DReaderGetBarcodeY3(int32_t BarCodeNo);
  int32_t Barcode1DReaderGetBarcodeX4(int32_t BarCodeNo);
  int32_t Barcode1DReaderGetBarcodeY4(int32_t BarCodeNo);
  void Barcode1DReaderClear();
  VexiroStatus BarcodeDataMatrixReaderDoScan(EnumArg<BarcodeDataMatrixReaderScanMode> ScanMode);
  int32_t BarcodeDataMatrixReaderGetBarcodeCount();
  std::string BarcodeDataMatrixReaderGetBarcodeValue(int32_t BarCodeNo);
  int32_t BarcodeDataMatrixReaderGetBarcodeX1(int32_t BarCodeNo);
  int32_t BarcodeDataMatrixReaderGetBarcodeY1(int32_t BarCodeNo);
  int32_t BarcodeDataMatrixReaderGetBarcodeX2(int32_t BarCodeNo);
  int32_t BarcodeDataMatrixReaderGetBarcodeY2(int32_t BarCodeNo);
  int32_t BarcodeDataMatrixReaderGetBarcodeX3(int32_t BarCodeNo);
  int32_t BarcodeDataMatrixReaderGetBarcodeY3(int32_t BarCodeNo);
  int32_t BarcodeDataMatrixReaderGetBarcodeX4(int32_t BarCodeNo);
  int32_t BarcodeDataMatrixReaderGetBarcodeY4(int32_t BarCodeNo);
  int32_t BarcodeDataMatrixReaderGetBarcodeRows(int32_t BarCodeNo);
  int32_t BarcodeDataMatrixReaderGetBarcodeColumns(int32_t BarCodeNo);
  void BarcodeDataMatrixReaderClear();
  // ==== End of barcode reading members ====

  // ---- Document recognition ----
  // ==== Recognition: document-template members (recognition/templates/) ====
  // Unknown templates give -1, 0, "", false or TemplateNotFound; only the members that create a
  // template from an image or file, and the file searches, leave a last status.
  int32_t ADRCreateTemplateEmpty();
  int32_t ADRCreateTemplateFromVexiroImage(int32_t nImageID);
  int32_t ADRCreateTemplateFromFile(const std::string& sFilePath);
  int32_t ADRCreateTemplateFromFileICM(const std::string& sFilePath);
  VexiroStatus ADRAddImageToTemplate(int32_t nTemplateID, int32_t nImageID);
  bool ADRDeleteTemplate(int32_t nTemplateID);
  bool ADRSetTemplateTag(int32_t nTemplateID, const std::string& sTemplateTag);
  std::string ADRGetTemplateTag(int32_t nTemplateID);
  int32_t ADRGetTemplateImageCount(int32_t nTemplateID);
  int32_t ADRGetTemplateCount();
  int32_t ADRGetTemplateID(int32_t nTemplateNo);
  int32_t ADRGetCloserTemplateForVexiroImage(int32_t nImageID);
  int32_t ADRGetCloserTemplateForFile(const std::string& sFilePath);
  int32_t ADRGetCloserTemplateForFileICM(const std::string& sFilePath);
  double ADRGetLastRelevanceFromTemplate(int32_t nTemplateID);
  double ADRGetLastRelevance();
  bool ADRLoadTemplateConfig(const std::string& sFileConfig);
  bool ADRSaveTemplateConfig(const std::string& sFileConfig);
  void ADRStartNewTemplateConfig();
  // ==== End of document-template members ====

  // ---- Icons ----
  // The current image as a 32 x 32 icon file (scaled when it has another size); pixels near the
  // RGB colour `nTransparentColor` turn transparent when `bTransparentColor` is set.
  VexiroStatus SaveAsICO(const std::string& sFilePath, bool bTransparentColor = false, int32_t nTransparentColor = -1);
  // ---- end of icons ----

 private:
  friend struct ImagingTestAccess;
  friend struct SavingTestAccess;
  friend struct vx::control::EngineRefusals;

  // Every member taking a path checks it here first. A text holding a NUL names another file than
  // the caller wrote (the system reads a name up to its first NUL: "victim.png" NUL ".jpg" would
  // pass for a JPEG name and overwrite victim.png), so the call is refused: true, with
  // InvalidParameter as the last status, as dispatch refuses it for script hosts.
  bool RefusesCutPath(const std::string& path);
  // A member whose enumeration is a closed set of choices checks the value here first: one that
  // no constant names is refused (true), with InvalidParameter as the last status.
  template <class E>
  bool RefusesValueOutside(EnumArg<E> value);  // engine/enumeration_values.h

  // Runs a member's work; a run-time error escaping it ends the member with `failed` and the
  // error's status (engine/escaped_errors.h), and is kept in escapedError for dispatch, which
  // raises it to the script host that made the call.
  template <class Result, class Work>
  Result AnswerRuntimeErrors(Result failed, Work&& work);
  template <class Work>
  void AnswerRuntimeErrors(Work&& work) {
    AnswerRuntimeErrors(0, [&] { return work(), 0; });
  }
  // The same inside a handler that has cleaned up after the error being handled.
  void KeepRuntimeError();
  std::exception_ptr escapedError;

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
  // Multi-page documents: one path for both formats ("TIFF" or "GIF").
  std::shared_ptr<void> oNativeTiffFile;  // the native writer's file while it is open
  int32_t CreateDocumentFromFile(const std::string& path, bool useColorManagement, const std::string& format);
  int32_t CreateDocumentFromImage(int32_t imageId, const std::string& format);
  bool RequireEditableDocument(int32_t id, const std::string& format);
  int32_t DocumentPageCount(int32_t id, const std::string& format);
  int32_t DocumentCurrentPage(int32_t id, const std::string& format);
  VexiroStatus SelectDocumentPage(int32_t id, int32_t page, const std::string& format);
  VexiroStatus InsertDocumentPageFromFile(int32_t id, int32_t position, const std::string& path, const std::string& format);
  VexiroStatus InsertDocumentPageFromImage(int32_t id, int32_t position, int32_t addId, const std::string& format);
  VexiroStatus DeleteDocumentPage(int32_t id, int32_t page, const std::string& format);
  VexiroStatus SwapDocumentPages(int32_t id, int32_t page1, int32_t page2, const std::string& format);
  // ---- end of the multi-page document helpers ----

  // ---- Private helpers of border cropping ----
  // What to do with the borders found: crop them away, paint them white, or only report them.
  enum class BorderAction { Crop, Paint, Report };
  struct BorderRect {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  };
  VexiroStatus CropBordersCore(int32_t confidence, int32_t colour, int32_t skipLines, int32_t tolerance,
                               BorderAction action, BorderRect& rect);
  VexiroStatus CropBordersOfColour(int32_t confidence, int32_t colour, int32_t skipLines, BorderAction action);
  VexiroStatus CropBordersAtCorner(int32_t confidence, int32_t pixelReference, BorderAction action, BorderRect& rect);
  VexiroStatus PaintBordersWhite(const BorderRect& kept);
  // ---- end of border cropping helpers ----

  // ---- Private helpers of image processing ----
  int32_t ExtractColorChannel(int32_t channel);
  // Redraws the current image through the attributes into a new image under its identifier.
  VexiroStatus RedrawThroughAttributes(vx::gdiplus::GpImageAttributes* attributes, bool fastModes);
  bool RunMeasure(int32_t filterId, double param, vexiro::FilterArea area, double& result);
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
  VexiroStatus RunFilterMember(const char* member, std::initializer_list<double> args = {}, int32_t choice = 0);
  // <<< filter members
  // Fills ROIArea with the whole current image when the processing region is the whole image.
  int32_t InitROI();
  // The 8-bit grey converter: mode 1 weighted luminance, 2 the mean, 3 the blue channel.
  VexiroStatus ConvertToGrayScaleCore(int32_t mode);
  VexiroStatus ConvertByFormat(int32_t format);
  // The frame every own converter runs in: `rule` turns the 32-bit source into the new image.
  template <class Rule>
  VexiroStatus ConvertOwn(int32_t sourceFormat, Rule rule);

  // >>> geometry, composition and thumbnails: private helpers
  // Where an angle rotation puts the turned image: about the canvas's top-left corner or its
  // centre in a canvas of the image's size, or centred in the rotated bounding box.
  enum class RotationPlacement { TopLeft, Centre, Bounds };
  VexiroStatus RotateAngleCore(float angle, RotationPlacement placement, const EnumArg<Colors>* backColor);
  // Every resize: `source` drawn into a new width x height bitmap of `targetFormat` (0: the
  // source's own); the new image's identifier goes to `result` (0 on failure).
  VexiroStatus ResizeCore(int32_t source, int32_t& result, int32_t width, int32_t height, int32_t interpolation,
                          int32_t targetFormat, bool keepProperties);
  // The pre-6.0 platform route of an indexed source resized in 24 bits: back to its depth.
  VexiroStatus ConvertBackToIndexed(int32_t& result, int32_t bits, const vx::gdiplus::ColorPalette& palette);
  VexiroStatus AddBordersCore(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t colour);
  // The finished canvas takes the current image's place with the saved properties.
  VexiroStatus ReplaceCurrentByCanvas(vx::geometry::TransformCanvas& canvas);
  // A 32-bit clone of `id`, changed by `adjust` as the current image, drawn into `dest`.
  template <class Adjust>
  VexiroStatus DrawAdjustedClone(int32_t id, const FilterArea& dest, int32_t interpolation, Adjust adjust);
  // <<< geometry, composition and thumbnails: private helpers

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
  // ==== Host-built PDF documents (pdf/members/) ====
  // The host's unit to points and back, and a pixel count at a resolution in the host's unit.
  float PdfUnitToPoints(float value) const;
  float PdfPointsToUnit(float points) const;
  float PdfPixelsToUnit(double pixels, int32_t resolution) const;
  // The writer of the open document; null without one.
  cPDF* OpenPdfDocument() const;
  // Every writer of the engine with an open document: the host's and the scanning ones.
  std::vector<cPDF*> OpenPdfWriters() const;
  // The open document's writer, with a page to draw on (begun here when none is open); null
  // without a document.
  cPDF* PdfPageForDrawing();
  // A new page starts black at an unknown line width; the text colour is the host's until
  // PdfNewPage.
  void ResetPdfPageCaches();
  void PdfStrokeColorStep(int32_t color);
  void PdfFillColorStep(int32_t color);
  void PdfLineWidthStep(float width);
  // The colour step of the paint (fill or stroke), then the border width, always written.
  void PdfShapeSteps(int32_t color, float border, int32_t paint);
  void PdfDrawTextWith(float x, float y, const std::string& text, int32_t font, int32_t size, int32_t alignment,
                       int32_t rotation);
  void PdfDrawRectangleWith(float x, float y, float width, float height, float border, int32_t color, float ray,
                            int32_t paint);
  void PdfDrawCircleWith(float x, float y, float ray, float border, int32_t color, int32_t paint);
  // ==== End of host-built PDF document helpers ====
  // -- saving images as PDF (pdf/saving/): the routes the plain, PDF/A and searchable members
  // share. A request carries the target, the document information, PDF/A and an optional text
  // layer; each route reports its status and appends the text of its pages to `text`.
  VexiroStatus SaveCurrentImageToPdf(const vx::pdf::PdfSaveRequest& request, std::string& text);
  VexiroStatus SaveTiffPagesToPdf(int32_t nImageID, const vx::pdf::PdfSaveRequest& request, std::string& text);
  // -- scan-to-PDF (devices/scan/): the plain and the searchable document share these.
  VexiroStatus StartScanPdf(std::unique_ptr<cPDF>& writer, int32_t& handle, const vx::pdf::PdfSaveRequest& request);
  VexiroStatus AddImageToScanPdf(cPDF* writer, int32_t handle, int32_t nImageID);
  VexiroStatus StopScanPdf(std::unique_ptr<cPDF>& writer, int32_t& handle, const vx::pdf::ScanPdfPages* pages);
  void AbandonScanPdf(std::unique_ptr<cPDF>& writer, int32_t& handle);
  // ==== Scan-to-PDF with OCR: the document's pages (recognition/ocr/) ====
  // The characters of each image added to the searchable document, page i at i - 1; a page
  // whose recognition failed or found nothing holds none.
  std::vector<std::vector<OcrCharInfo>> arTwainPdfOCRPages;
  void AbandonScanPdfOCR();
  // ==== End of scan-to-PDF with OCR helpers ====
  // -- end of saving images as PDF and scan-to-PDF

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

  // Printing: the engine's printer component, made at the first print member.
  cPrinter& Printer();

  // ---- Private helpers of recognition ----
  // ==== OCR: the last result and the orientation passes (recognition/ocr/) ====
  std::vector<OcrCharInfo> arOCRChars;  // valid up to nOCRCharCount
  const OcrCharInfo* OcrRecord(int32_t nCharNo) const;
  std::string RecogniseRegion(EnumArg<TesseractDictionary> nDictionary, const std::string& sDictionaryPath,
                              const std::string& sCharWhiteList, bool singleBlock);
  // The quarter turn under which the current image's middle band reads best.
  int32_t BestReadingTurn(EnumArg<TesseractDictionary> nDictionary, const std::string& sDictionaryPath,
                          float nAccuracyLevel);
  float OrientationPassScore(EnumArg<TesseractDictionary> nDictionary, const std::string& sDictionaryPath,
                             int32_t& count);
  VexiroStatus TurnCurrentImageQuarter();
  // ==== End of OCR helpers ====
  // Document templates from files: the file as a temporary image (0 when it cannot be loaded).
  int32_t LoadTemporaryTemplateImage(const std::string& sFilePath, bool colourManaged, bool pluginDisabled);
  int32_t CreateTemplateFromTemporaryImage(const std::string& sFilePath, bool colourManaged);
  int32_t CloserTemplateForTemporaryImage(const std::string& sFilePath, bool colourManaged);
};

}  // namespace vexiro
