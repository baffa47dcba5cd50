// The published member table of the imaging interface, in interface order, one member per line under
// the version that introduced it. Line form:
//   Name(param Type, &byRefParam Type, optionalParam Type = default) : ResultType
// "&" marks a parameter passed by reference; "Type[]" an array (always by reference); a parameter with a
// default is optional. A line without ": Type" has no result. Types are the automation types (Long,
// Integer, Byte, Single, Double, Boolean, String, Picture, Unknown, Variant) or enumeration names.
// This text is the one source of the table: dispatch, type information and the IDL all read it.
#pragma once
#include <string_view>

namespace vx::control {

inline constexpr std::string_view kMemberTableText = R"vxmembers(
@1.0
SetTransparencyColor(nColorARGB Colors) : VexiroStatus
SetTransparency(nTransparencyValue Long) : VexiroStatus
SetBrightness(nBrightnessPct Long) : VexiroStatus
SetContrast(nContrastPct Long) : VexiroStatus
SetGammaCorrection(nGammaFactor Long) : VexiroStatus
SetSaturation(nSaturationPct Long) : VexiroStatus
CopyRegionToClipboard(nSrcLeft Long, nSrcTop Long, nWidth Long, nHeight Long) : VexiroStatus
CopyToClipboard() : VexiroStatus
DeleteClipboardData()
AdjustRGB(nRedAdjust Long, nGreenAdjust Long, nBlueAdjust Long) : VexiroStatus
SwapColor(nARGBColorSrc Long, nARGBColorDst Long) : VexiroStatus
KeepRedComponent() : VexiroStatus
KeepGreenComponent() : VexiroStatus
KeepBlueComponent() : VexiroStatus
RemoveRedComponent() : VexiroStatus
RemoveGreenComponent() : VexiroStatus
RemoveBlueComponent() : VexiroStatus
ScaleBlueComponent(nFactor Single) : VexiroStatus
ScaleGreenComponent(nFactor Single) : VexiroStatus
ScaleRedComponent(nFactor Single) : VexiroStatus
SwapColorsRGBtoBRG() : VexiroStatus
SwapColorsRGBtoGBR() : VexiroStatus
SwapColorsRGBtoRBG() : VexiroStatus
SwapColorsRGBtoBGR() : VexiroStatus
SwapColorsRGBtoGRB() : VexiroStatus
ColorPaletteConvertToHalftone() : VexiroStatus
ColorPaletteSetTransparentColor(nColorARGB Long = -16777216) : VexiroStatus
ColorPaletteGetTransparentColor() : Long
ColorPaletteHasTransparentColor() : Boolean
ColorPaletteGet(&nARGBColorsArray Long[], &nEntriesCount Long) : VexiroStatus
ColorPaletteGetType() : ColorPaletteType
ColorPaletteGetColorsCount() : Long
ColorPaletteGetEntrie(nEntrie Long) : Long
ColorPaletteSwapEntries(nEntrie1 Long, nEntrie2 Long) : VexiroStatus
ColorPaletteSet(&nARGBColorsArray Long[]) : VexiroStatus
ColorRGBtoCMY(nRedValue Byte, nGreenValue Byte, nBlueValue Byte, &nCyanReturn Byte, &nMagentaReturn Byte, &nYellowReturn Byte)
ColorRGBtoCMYK(nRedValue Byte, nGreenValue Byte, nBlueValue Byte, &nCyanReturn Byte, &nMagentaReturn Byte, &nYellowReturn Byte, &nBlackReturn Byte)
ColorCMYKtoRGB(nCyan Byte, nMagenta Byte, nYellow Byte, nBlack Byte, &nRedReturn Byte, &nGreenReturn Byte, &nBlueReturn Byte)
ColorCMYtoRGB(nCyan Byte, nMagenta Byte, nYellow Byte, &nRedReturn Byte, &nGreenReturn Byte, &nBlueReturn Byte)
ColorRGBtoHSL(nRedValue Byte, nGreenValue Byte, nBlueValue Byte, &nHueReturn Single, &nSaturationReturn Single, &nLightnessReturn Single)
ColorRGBtoHSLl(nRedValue Long, nGreenValue Long, nBlueValue Long, &nHueReturn Single, &nSaturationReturn Single, &nLightnessReturn Single)
ColorHSLtoRGB(nHueValue Single, nSaturationValue Single, nLightnessValue Single, &nRedReturn Byte, &nGreenReturn Byte, &nBlueReturn Byte)
ColorHSLtoRGBl(nHueValue Single, nSaturationValue Single, nLightnessValue Single, &nRedReturn Long, &nGreenReturn Long, &nBlueReturn Long)
ColorGetRGBFromRGBValue(nRGBValue Long, &nRed Byte, &nGreen Byte, &nBlue Byte)
ColorGetRGBFromRGBValuel(nRGBValue Long, &nRed Long, &nGreen Long, &nBlue Long)
ColorGetARGBFromARGBValue(nARGBValue Long, &nAlpha Byte, &nRed Byte, &nGreen Byte, &nBlue Byte)
ColorGetARGBFromARGBValuel(nARGBValue Long, &nAlpha Long, &nRed Long, &nGreen Long, &nBlue Long)
argb(nAlpha Long, nRed Long, nGreen Long, nBlue Long) : Long
GetRGB(nRed Long, nGreen Long, nBlue Long) : Long
CropWhiteBorders(nConfidence Long = 100, nSkipLinesCount Long = 0) : VexiroStatus
CropBlackBorders(nConfidence Long = 100, nSkipLinesCount Long = 0) : VexiroStatus
CropBorders() : VexiroStatus
CropBordersEX(nConfidence Long, nPixelReference Long = 1) : VexiroStatus
Crop(nSrcLeft Long, nSrcTop Long, nWidth Long, nHeight Long) : VexiroStatus
CropTop(nLines Long) : VexiroStatus
CropBottom(nLines Long) : VexiroStatus
CropLeft(nLines Long) : VexiroStatus
CropRight(nLines Long) : VexiroStatus
DisplayImageOnHDC(nHDC Long, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
DisplayImageOnHwnd(nHWND Long, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
DisplayImageRectOnHDC(nHDC Long, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nSrcLeft Long, nSrcTop Long, nSrcWidth Long, nSrcHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
DisplayImageRectOnHwnd(nHWND Long, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nSrcLeft Long, nSrcTop Long, nSrcWidth Long, nSrcHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
BarCodeGetChecksumEAN13(sCode String) : String
BarCodeIsValidEAN13(sCode String) : Boolean
BarCodeGetChecksum25i(sCode String) : String
BarCodeGetChecksum39(sCode String) : String
BarCodeDraw25i(sCode String, nDstLeft Long, nDstTop Long, nHeight Long, bAddCheckSum Boolean = False, nColorARGB Colors = -16777216) : VexiroStatus
BarCodeDraw39(sCode String, nDstLeft Long, nDstTop Long, nHeight Long, bAddCheckSum Boolean = False, nColorARGB Colors = -16777216) : VexiroStatus
BarCodeDraw128(sCode String, nDstLeft Long, nDstTop Long, nHeight Long, nColorARGB Colors = -16777216) : VexiroStatus
BarCodeDrawEAN13(sCode String, nDstLeft Long, nDstTop Long, nHeight Long, nFontSize Long = 0, nColorARGB Colors = -16777216) : VexiroStatus
DrawImageTransparency(nImageID Long, nTransparency Long, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
DrawImageTransparencyColor(nImageID Long, nTransparentColor Colors, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
DrawImageClipped(nImageID Long, &ArPoints Long[]) : VexiroStatus
DrawImage(nImageID Long, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
DrawImageRect(nImageID Long, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nSrcLeft Long, nSrcTop Long, nSrcWidth Long, nSrcHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
DrawImageOP(nImageID Long, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nOperator Operators, nInterpolationMode InterpolationMode = 3) : VexiroStatus
DrawImageOPRect(nImageID Long, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nSrcLeft Long, nSrcTop Long, nSrcWidth Long, nSrcHeight Long, nOperator Operators, nInterpolationMode InterpolationMode = 3) : VexiroStatus
DrawImageSkewing(nImageID Long, nDstLeft1 Long, nDstTop1 Long, nDstLeft2 Long, nDstTop2 Long, nDstLeft3 Long, nDstTop3 Long, nInterpolationMode InterpolationMode = 3, bAntiAlias Boolean = False) : VexiroStatus
DrawArc(nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nStartAngle Single, nSweepAngle Single, nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawBezier(nLeft1 Long, nTop1 Long, nLeft2 Long, nTop2 Long, nLeft3 Long, nTop3 Long, nLeft4 Long, nTop4 Long, nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawCircle(nDstLeft Long, nDstTop Long, nDiameter Long, nColorARGB Colors, nPenWidth Long = 1, bAntiAlias Boolean = False) : VexiroStatus
DrawCurves(&ArPoints Long[], nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawEllipse(nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nColorARGB Colors, nPenWidth Long = 1, bAntiAlias Boolean = False) : VexiroStatus
DrawFillCircle(nDstLeft Long, nDstTop Long, nDiameter Long, nColorARGB Colors, bAntiAlias Boolean = False) : VexiroStatus
DrawFillEllipse(nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nColorARGB Colors, bAntiAlias Boolean = False) : VexiroStatus
DrawFillRectangle(nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawGradientCurves(&ArPoints Long[], nPenWidth Long, nStartColor Colors, &nEndColor Colors, bAntiAlias Boolean = False) : VexiroStatus
DrawGradientLine(nSrcLeft Long, nSrcTop Long, nDstLeft Long, nDstTop Long, nPenWidth Long, nStartColor Colors, nEndColor Colors, bAntiAlias Boolean = False) : VexiroStatus
DrawGrid(nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nHorizontalStep Long, nVerticalStep Long, nPenWidth Long, nColorARGB Colors = -16777216) : VexiroStatus
DrawLine(nSrcLeft Long, nSrcTop Long, nDstLeft Long, nDstTop Long, nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawLineArrow(nSrcLeft Long, nSrcTop Long, nDstLeft Long, nDstTop Long, nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawRectangle(nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawRotatedFillRectangle(nAngle Single, nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawRotatedRectangle(nAngle Single, nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawSpotLight(nDstLeft Long, nDstTop Long, nRadiusX Long, nRadiusY Long, nHotX Long, nHotY Long, nFocusScale Single, nStartColor Colors, nEndColor Colors) : VexiroStatus
DrawTexturedLine(nSrcLeft Long, nSrcTop Long, nDstLeft Long, nDstTop Long, nPenWidth Long, sTextureFilePath String, bAntiAlias Boolean = False) : VexiroStatus
DrawRotatedText(nAngle Single, sText String, nDstLeft Long, nDstTop Long, nFontSize Long, nFontStyle FontStyle = 0, nColorARGB Colors = -16777216, sFontName String = "Arial", bAntiAlias Boolean = False) : VexiroStatus
DrawRotatedTextBackColor(nAngle Single, sText String, nDstLeft Long, nDstTop Long, nFontSize Long, nFontStyle FontStyle = 0, nColorARGB Colors = -16777216, sFontName String = "Arial", nBackColor Colors = -1, bAntiAlias Boolean = False) : VexiroStatus
DrawText(sText String, nDstLeft Long, nDstTop Long, nFontSize Long, nFontStyle FontStyle = 0, nTextARGBColor Colors = -16777216, sFontName String = "Arial", bAntiAlias Boolean = False) : VexiroStatus
GetTextHeight(sText String, sFontName String, nFontSize Long, nFontStyle FontStyle) : Single
GetTextWidth(sText String, sFontName String, nFontSize Long, nFontStyle FontStyle) : Single
DrawTextBackColor(sText String, nDstLeft Long, nDstTop Long, nFontSize Long, nFontStyle FontStyle = 0, nTextARGBColor Colors = -16777216, sFontName String = "Arial", nBackColor Colors = -1, bAntiAlias Boolean = False) : VexiroStatus
DrawTextBox(sText String, nLeft Long, nTop Long, nWidth Long, nHeight Long, nFontSize Long, nAlignment Long = 1, nFontStyle FontStyle = 0, nTextARGBColor Colors = -16777216, sFontName String = "Arial", bDrawTextBox Boolean = False, bAntiAlias Boolean = False) : VexiroStatus
DrawTextGradient(sText String, nDstLeft Long, nDstTop Long, nStartColor Colors, nEndColor Colors, nFontSize Long, nFontStyle FontStyle = 0, sFontName String = "Arial", bAntiAlias Boolean = False) : VexiroStatus
DrawTextTexture(sText String, nDstLeft Long, nDstTop Long, sTextureFilePath String, nFontSize Long, nFontStyle FontStyle = 0, sFontName String = "Arial", bAntiAlias Boolean = False) : VexiroStatus
DrawTextTextureFromVexiroImage(sText String, nDstLeft Long, nDstTop Long, nImageID Long, nFontSize Long, nFontStyle FontStyle = 0, sFontName String = "Arial", bAntiAlias Boolean = False) : VexiroStatus
FiltersToImage()
FiltersToZone(nLeft Long, nTop Long, nWidth Long, nHeight Long)
MatrixCreate3x3x(n1PixelValue Long, n2PixelValue Long, n3PixelValue Long, n4PixelValue Long, n5PixelValue Long, n6PixelValue Long, n7PixelValue Long, n8PixelValue Long, n9PixelValue Long) : Long
MatrixFilter3x3x(nMatrix3x3xIN Long, nMatrix3x3xOUT Long) : VexiroStatus
FxParasite() : VexiroStatus
FxDilate8() : VexiroStatus
FxTwirl(nFactor Single) : VexiroStatus
FxSwirl(nFactor Single) : VexiroStatus
FxMirrorRounded() : VexiroStatus
FxhWaves(nWidthWave Long, nHeightWave Long) : VexiroStatus
FxvWaves(nWidthWave Long, nHeightWave Long) : VexiroStatus
FxBlur() : VexiroStatus
FxScanLine() : VexiroStatus
FxSepia() : VexiroStatus
FxColorize(nHue Single = 0, nSaturation Single = 50.0, nLuminosity Single = 100.0) : VexiroStatus
FxDilate() : VexiroStatus
FxStretchContrast() : VexiroStatus
FxEqualizeIntensity() : VexiroStatus
FxNegative() : VexiroStatus
FxFire() : VexiroStatus
FxRedEyesCorrection() : VexiroStatus
FxSoften(nSoftenValue Long) : VexiroStatus
FxEmboss() : VexiroStatus
FxEmbossColor(nRGBColor Long) : VexiroStatus
FxEmbossMore() : VexiroStatus
FxEmbossMoreColor(nRGBColor Long) : VexiroStatus
FxEngrave() : VexiroStatus
FxEngraveColor(nRGBColor Long) : VexiroStatus
FxEngraveMore() : VexiroStatus
FxEngraveMoreColor(nRGBColor Long) : VexiroStatus
FxEdgeEnhance() : VexiroStatus
FxConnectedContour() : VexiroStatus
FxAddNoise() : VexiroStatus
FxContour() : VexiroStatus
FxRelief() : VexiroStatus
FxErode() : VexiroStatus
FxSharpen() : VexiroStatus
FxSharpenMore() : VexiroStatus
FxDiffuse() : VexiroStatus
FxDiffuseMore() : VexiroStatus
FxSmooth() : VexiroStatus
FxAqua() : VexiroStatus
FxPixelize() : VexiroStatus
FxGrayscale() : VexiroStatus
FxBlackNWhite(nMode Integer = 1) : VexiroStatus
FxBlackNWhiteT(nThreshold Long) : VexiroStatus
FontSetUnit(nUnitMode UnitMode)
FontGetUnit() : UnitMode
FontGetCount() : Long
FontGetName(nFontNo Long) : String
FontIsStyleAvailable(sFontName String, nFontStyle FontStyle) : Boolean
GetWidth() : Long
GetHeight() : Long
GetHeightMM() : Single
GetWidthMM() : Single
GetImageFormat() : String
GetPixelFormatString() : String
GetPixelFormat() : PixelFormats
GetImageColorSpace() : ImageColorSpaces
IsCMYKFile(sFilePath String) : Boolean
GetPixelDepth() : Long
IsPixelFormatIndexed() : Boolean
IsPixelFormatHasAlpha() : Boolean
GetHorizontalResolution() : Single
GetVerticalResolution() : Single
SetHorizontalResolution(nHorizontalresolution Single) : VexiroStatus
SetVerticalResolution(nVerticalresolution Single) : VexiroStatus
GifGetFrameCount() : Long
GifGetLoopCount(nImageID Long) : Long
GifGetFrameDelay(&arFrameDelay Long[]) : VexiroStatus
GifSelectFrame(nFrame Long) : VexiroStatus
GifSetTransparency(nColorARGB Colors = -16777216) : VexiroStatus
GifDisplayAnimatedGif(nHDC Long, nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long) : Long
CreateClonedImage(nImageID Long) : Long
CreateClonedImageI(nImageID Long) : Long
CreateClonedImageARGB(nImageID Long) : Long
CreateClonedImageArea(nImageID Long, nSrcLeft Long, nSrcTop Long, nWidth Long, nHeight Long) : Long
CreateImageFromByteArray(&arBytes Byte[]) : Long
CreateImageFromByteArrayICM(&arBytes Byte[]) : Long
CreateImageFromClipboard() : Long
CreateImageFromDIB(nDib Long) : Long
CreateImageFromGdiPlusImage(nGdiPlusImage Long) : Long
CreateImageFromFile(sFilePath String) : Long
CreateImageFromFileICM(sFilePath String) : Long
CreateImageFromHBitmap(hBitmap Long) : Long
CreateImageFromHICON(hicon Long) : Long
CreateImageFromHwnd(hwnd Long = 0) : Long
CreateImageFromPicture(&oPicture Variant) : Long
CreateImageFromStream(oStream Unknown) : Long
CreateImageFromStreamICM(oStream Unknown) : Long
CreateImageFromString(sImageString String) : Long
CreateImageFromStringICM(sImageString String) : Long
CreateImageFromFTP(sHost String, sPath String, sLogin String = "", sPassword String = "", nFTPPort Long = 21) : Long
CreateImageFromURL(sHost String, sPath String, nHTTPPort Long = 80) : Long
CreateNewImage(nWidth Long, nHeight Long, nBitDepth Integer = 32, nBackColor Colors = -16777216) : Long
SetNativeImage(nImageID Long)
ADRCreateTemplateFromFile(sFilePath String) : Long
ADRCreateTemplateFromFileICM(sFilePath String) : Long
ADRCreateTemplateFromVexiroImage(nImageID Long) : Long
ADRAddImageToTemplate(nTemplateID Long, nImageID Long) : VexiroStatus
ADRDeleteTemplate(nTemplateID Long) : Boolean
ADRSetTemplateTag(nTemplateID Long, sTemplateTag String) : Boolean
ADRLoadTemplateConfig(sFileConfig String) : Boolean
ADRSaveTemplateConfig(sFileConfig String) : Boolean
ADRGetTemplateTag(nTemplateID Long) : String
ADRGetTemplateCount() : Long
ADRGetTemplateID(nTemplateNo Long) : Long
ADRGetCloserTemplateForVexiroImage(nImageID Long) : Long
ADRGetCloserTemplateForFile(sFilePath String) : Long
ADRGetCloserTemplateForFileICM(sFilePath String) : Long
ADRGetLastRelevance() : Double
TiffCreateMultiPageFromFile(sFilePath String) : Long
TiffCreateMultiPageFromFileICM(sFilePath String) : Long
TiffCreateMultiPageFromVexiroImage(nImageID Long) : Long
TiffIsMultiPage(nImageID Long) : Boolean
TiffAppendPageFromFile(nImageID Long, sFilePath String) : VexiroStatus
TiffAppendPageFromVexiroImage(nImageID Long, nAddImageID Long) : VexiroStatus
TiffInsertPageFromFile(nImageID Long, nPosition Long, sFilePath String) : VexiroStatus
TiffInsertPageFromVexiroImage(nImageID Long, nPosition Long, nAddImageID Long) : VexiroStatus
TiffSwapPages(nImageID Long, nPage1 Long, nPage2 Long) : VexiroStatus
TiffDeletePage(nImageID Long, nPage Long) : VexiroStatus
TiffSaveMultiPageToFile(nImageID Long, sFilePath String, nModeCompression TifCompression = 2) : VexiroStatus
TiffGetPageCount(nImageID Long) : Long
TiffSelectPage(nImageID Long, nPage Long) : VexiroStatus
TiffSaveAsNativeMultiPage(sFilePath String, nModeCompression TifCompression = 2) : VexiroStatus
TiffCloseNativeMultiPage() : VexiroStatus
TiffAddToNativeMultiPage(nImageID Long) : VexiroStatus
TiffMerge2Files(sFilePath1 String, sFilePath2 String, sFileDest String, nModeCompression TifCompression = 2) : VexiroStatus
TiffMergeFiles(&sFilesPath String[], sFileDest String, nModeCompression TifCompression = 2) : VexiroStatus
TiffMergeFileList(sFilesList String, sFileDest String, nModeCompression TifCompression = 2) : VexiroStatus
PdfAddFont(sFontName String, bBold Boolean = False, bItalic Boolean = False) : Long
PdfAddImageFromFile(sImagePath String) : Long
PdfAddImageFromVexiroImage(nImageID Long) : Long
PdfDrawArc(nDstX Single, nDstY Single, nRay Single, nBorderWidth Single, nStartAngle Long = 0, nEndAngle Long = 360, nRatio Single = 1.0, bPie Boolean = False, nRGBColor Long = 0)
PdfDrawImage(nPdfImageNo Long, nDstX Single, nDstY Single, nWidth Single, nHeight Single)
PdfGetImageHeight(nPdfImageNo Long) : Single
PdfGetImageWidth(nPdfImageNo Long) : Single
PdfDrawFillRectangle(nDstX Single, nDstY Single, nWidth Single, nHeight Single, nBorderWidth Single, nRGBColor Long = 0, nRay Single = 0)
PdfDrawCircle(nDstX Single, nDstY Single, nRay Single, nBorderWidth Single, nRGBColor Long = 0)
PdfDrawFillCircle(nDstX Single, nDstY Single, nRay Single, nBorderWidth Single, nRGBColor Long = 0)
PdfDrawCurve(nDstX1 Single, nDstY1 Single, nDstX2 Single, nDstY2 Single, nDstX3 Single, nDstY3 Single, nBorderWidth Single, nRGBColor Long = 0)
PdfDrawLine(nDstX1 Single, nDstY1 Single, nDstX2 Single, nDstY2 Single, nBorderWidth Single, nRGBColor Long = 0)
PdfDrawRectangle(nDstX Single, nDstY Single, nWidth Single, nHeight Single, nBorderWidth Single, nRGBColor Long = 0, nRay Single = 0)
PdfDrawText(nDstX Single, nDstY Single, sText String, nFontID Long, nFontSize Long, nRotation Long = 0)
PdfGetTextWidth(sText String, nFontID Long, nFontSize Long) : Single
PdfDrawTextAlign(nDstX Single, nDstY Single, sText String, nFontID Long, nFontSize Long, nTextAlign Long)
PdfEndPage()
PdfGetCurrentPage() : Long
PdfNewPage() : Long
PdfNewPdf(sFilePath String, sTitle String = "", sCreator String = "Vexiro ZedeDud", sAuthor String = "Vexiro ZedeDud", sProducer String = "") : Boolean
PdfCreateFromMultipageTIFF(nImageID Long, sPdfFileDest String, sTitle String = "", sCreator String = "Vexiro ZedeDud", sAuthor String = "Vexiro ZedeDud", sProducer String = "") : VexiroStatus
PdfSavePdf()
PdfSetCharSpacing(nCharSpacing Single)
PdfSetCompressionLevel(nLevel Long)
PdfGetCompressionLevel() : Long
PdfSetMeasurementUnits(nUnitValue Long)
PdfSetPageOrientation(nOrientation Long)
PdfGetPageOrientation() : Long
PdfSetPageDimensions(nWidth Single, nHeight Single)
PdfSetPageMargin(nMargin Single)
PdfGetPageMargin() : Single
PdfSetTextColor(nRGBColor Long)
PdfSetTextHorizontalScaling(nTextHScaling Single)
PdfSetWordSpacing(nWordSpacing Single)
ConvertToPixelFormatCR(nPixelDepth Long) : VexiroStatus
ConvertTo1Bpp() : VexiroStatus
ConvertTo1BppFast() : VexiroStatus
ConvertTo4Bpp() : VexiroStatus
ConvertTo4Bpp16() : VexiroStatus
ConvertTo4BppPal(&nARGBColorsArray Long[]) : VexiroStatus
ConvertTo4BppQ() : VexiroStatus
ConvertBitonalToGrayScale(nSoftenValue Long = 100) : VexiroStatus
ConvertTo8BppGrayScale() : VexiroStatus
ConvertTo8BppGrayScaleAdv() : VexiroStatus
ConvertTo8Bpp216() : VexiroStatus
ConvertTo8BppQ() : VexiroStatus
Quantize8Bpp(nColors Long) : VexiroStatus
ConvertTo16BppRGB555() : VexiroStatus
ConvertTo16BppRGB565() : VexiroStatus
ConvertTo24BppRGB() : VexiroStatus
ConvertTo32BppARGB() : VexiroStatus
ConvertTo32BppRGB() : VexiroStatus
ConvertTo48BppRGB() : VexiroStatus
ConvertTo64BppARGB() : VexiroStatus
GetPixelArray2D(&arPixels Long[], nSrcLeft Long, nSrcTop Long, nWidth Long, nHeight Long) : VexiroStatus
GetPixelArray1D(&arPixels Long[], nSrcLeft Long, nSrcTop Long, nWidth Long, nHeight Long) : VexiroStatus
GetPixelArrayBytesARGB(&arPixels Byte[], nSrcLeft Long, nSrcTop Long, nWidth Long, nHeight Long) : VexiroStatus
GetPixelArrayBytesRGB(&arPixels Byte[], nSrcLeft Long, nSrcTop Long, nWidth Long, nHeight Long) : VexiroStatus
GetPixelArrayARGB(&arPixels Byte[], nSrcLeft Long, nSrcTop Long, nWidth Long, nHeight Long) : VexiroStatus
SetPixelArrayARGB(&arPixels Byte[], nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long) : VexiroStatus
SetPixelArray(&arPixels Long[], nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long) : VexiroStatus
SetPixelArrayBytesARGB(&arPixels Byte[], nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long) : VexiroStatus
SetPixelArrayBytesRGB(&arPixels Byte[], nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long) : VexiroStatus
PixelGetColor(nSrcLeft Long, nSrcTop Long) : Long
PixelSetColor(nDstLeft Long, nDstTop Long, nARGBColor Long) : VexiroStatus
PrintGetColorMode() : Long
PrintGetDocumentName() : String
PrintSetDocumentName(sDocumentName String)
PrintSetPaperBin(nPaperBin Long) : Boolean
PrintGetPaperBin() : Long
PrintSetColorMode(nColorMode Long)
PrintSetFromToPage(nFrom Long, nTo Long)
PrintGetQuality() : PrintQuality
PrintGetStat() : PrinterStatus
PrintSetQuality(nQuality PrintQuality)
PrintSetCopies(nCopies Long)
PrintGetCopies() : Long
PrintSetDuplexMode(nDuplexMode Long)
PrintGetDuplexMode() : Long
PrintSetOrientation(nOrientation Integer)
PrintGetActivePrinter() : String
PrintGetPrintersCount() : Long
PrintGetPrinterName(nPrinterNo Long) : String
PrintImageDialog() : Boolean
PrintImageDialogFit() : Boolean
PrintImageDialogBySize(nDstLeft Single, nDstTop Single, nWidth Single, nHeight Single) : Boolean
PrintImage()
PrintImageFit()
PrintImage2Printer(sPrinterName String) : Boolean
PrintSetActivePrinter(sPrinterName String) : Boolean
PrintImageBySize(nDstLeft Single, nDstTop Single, nWidth Single, nHeight Single)
PrintImageBySize2Printer(sPrinterName String, nDstLeft Single, nDstTop Single, nWidth Single, nHeight Single) : Boolean
PrintSetStdPaperSize(nPaperSize Long)
PrintSetUserPaperSize(nPaperWidth Single, nPaperHeight Single)
PrintGetPaperHeight() : Single
PrintGetPaperWidth() : Single
PrintGetImageAlignment() : Long
PrintSetImageAlignment(nImageAlignment Long)
PrintSetAutoRotation(bAutoRotation Boolean)
PrintGetPaperSize() : Long
PrintGetMargins(&nLeftMargin Single, &nTopMargin Single)
Rotate(nRotation RotateFlipType) : VexiroStatus
RotateAnglePreserveDimentions(nAngle Single) : VexiroStatus
RotateAnglePreserveDimentionsBackColor(nAngle Single, nBackColor Colors) : VexiroStatus
RotateAnglePreserveDimentionsCenter(nAngle Single) : VexiroStatus
RotateAnglePreserveDimentionsCenterBackColor(nAngle Single, nBackColor Colors) : VexiroStatus
RotateAngle(nAngle Single) : VexiroStatus
RotateAngleBackColor(nAngle Single, nBackColor Colors) : VexiroStatus
ResizeImage(nNewImageWidth Long, nNewImageHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
GetResizedImage(nImageID Long, nNewImageWidth Long, nNewImageHeight Long, nInterpolationMode InterpolationMode = 3) : Long
ResizeHeightRatio(nNewImageHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
ResizeWidthRatio(nNewImageWidth Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
ScaleImage(nScalePercent Single, nInterpolationMode InterpolationMode = 3) : VexiroStatus
AddBorders(nBorderWidth Long, nBorderColor Colors = -16777216) : VexiroStatus
AddBorderTop(nBorderHeight Long, nBorderColor Colors = -16777216) : VexiroStatus
AddBorderBottom(nBorderHeight Long, nBorderColor Colors = -16777216) : VexiroStatus
AddBorderLeft(nBorderWidth Long, nBorderColor Colors = -16777216) : VexiroStatus
AddBorderRight(nBorderWidth Long, nBorderColor Colors = -16777216) : VexiroStatus
GetColorChannelFlagsC() : Long
GetColorChannelFlagsM() : Long
GetColorChannelFlagsY() : Long
GetColorChannelFlagsK() : Long
ICCExportToFile(sFilePath String) : VexiroStatus
ICCRemove() : VexiroStatus
ICCAddFromFile(sFilePath String) : VexiroStatus
ICCImageHasProfile() : Boolean
ICCRemoveProfileToFile(sFilePath String) : VexiroStatus
ICCAddProfileToFile(sImagePath String, sProfilePath String) : VexiroStatus
SetColorRemap(&arRemapTable Long[]) : VexiroStatus
HistogramGetRed(&arHistoR Long[]) : VexiroStatus
HistogramGetGreen(&arHistoG Long[]) : VexiroStatus
HistogramGetBlue(&arHistoB Long[]) : VexiroStatus
HistogramGetAlpha(&arHistoA Long[]) : VexiroStatus
HistogramGetARGB(&arHistoA Long[], &arHistoR Long[], &arHistoG Long[], &arHistoB Long[]) : VexiroStatus
HistogramGet8Bpp(&ArHistoPal Long[]) : VexiroStatus
GetNativeImage() : Long
CloseImage(nImageID Long) : VexiroStatus
CloseNativeImage() : VexiroStatus
GetPicture() : Picture
GetPictureFromVexiroImage(nImageID Long) : Picture
DeletePictureObject(&oPictureObject Picture)
GetHBitmap() : Long
GetGdiplusImage() : Long
DeleteHBitmap(nHbitmap Long)
GetHICON() : Long
SaveAsBmp(sFilePath String) : VexiroStatus
SaveAsWBMP(sFilePath String) : VexiroStatus
SaveAsXPM(sFilePath String) : VexiroStatus
SaveAsPNM(sFilePath String) : VexiroStatus
SaveAsByteArray(&arBytes Byte[], &nBytesRead Long, sImageFormat String, nEncoderParameter Long = 0) : VexiroStatus
SaveAsICO(sFilePath String, bTransparentColor Boolean = False, nTransparentColor Long = -1) : VexiroStatus
SaveAsPDF(sFilePath String, sTitle String = "", sCreator String = "Vexiro ZedeDud", sAuthor String = "Vexiro ZedeDud", sProducer String = "") : Boolean
SaveAsGIF(sFilePath String) : VexiroStatus
SaveAsGIFi(sFilePath String) : VexiroStatus
SaveAsPNG(sFilePath String) : VexiroStatus
SaveAsJPEG(sFilePath String, nQuality Long = 75) : VexiroStatus
SaveAsTGA(sFilePath String) : VexiroStatus
SaveAsJ2K(sFilePath String, nRate Long = 16) : VexiroStatus
SaveToFTP(sImageFormat String, nEncoderParameter Long, sHost String, sPath String, sLogin String = "", sPassword String = "", nFTPPort Long = 21) : VexiroStatus
SaveAsStream(&oStream Unknown, sImageFormat String, nEncoderParameter Long = 0) : VexiroStatus
SaveAsString(sImageFormat String, nEncoderParameter Long = 0) : String
SaveAsTIFF(sFilePath String, nModeCompression TifCompression = 2) : VexiroStatus
CreateThumbnail(nImageID Long, nWidth Long, nHeight Long) : Long
CreateThumbnailHQ(nImageID Long, nWidth Long, nHeight Long) : Long
TagsSetPreserve(bPreserve Boolean)
ExifTagCount() : Long
IPTCTagCount() : Long
ExifTagDelete(nTagNo Long) : VexiroStatus
ExifTagDeleteAll() : VexiroStatus
ExifTagGetID(nTagNo Long) : Long
IPTCTagGetID(nTagNo Long) : Long
IPTCTagGetLength(nTagNo Long) : Long
ExifTagGetLength(nTagNo Long) : Long
ExifTagGetName(nTagNo Long) : String
ExifTagGetType(nTagNo Long) : TagTypes
IPTCTagGetType(nTagNo Long) : TagTypes
ExifTagGetValueString(nTagNo Long) : String
IPTCTagGetValueString(nTagNo Long) : String
ExifTagGetValueBytes(nTagNo Long, &arTagData Byte[]) : Long
IPTCTagGetValueBytes(nTagNo Long, &arTagData Byte[]) : String
ExifTagSetValueBytes(nTagID Tags, nTagType TagTypes, &arTagData Byte[]) : VexiroStatus
ExifTagSetValueString(nTagID Tags, nTagType TagTypes, sTagData String) : VexiroStatus
CreateImageFromTwain(hwnd Long = 0) : Long
TwainPdfStart(sFilePath String, sTitle String = "", sCreator String = "Vexiro ZedeDud", sAuthor String = "Vexiro ZedeDud", sProducer String = "") : VexiroStatus
TwainAddVexiroImageToPdf(nImageID Long) : VexiroStatus
TwainPdfStop() : VexiroStatus
TwainAcquireToDib(hwnd Long = 0) : Long
TwainCloseSource() : Boolean
TwainCloseSourceManager(hwnd Long = 0) : Boolean
TwainDisableAutoSourceClose(bDisableAutoSourceClose Boolean)
TwainDisableSource() : Boolean
TwainEnableDuplex(bDuplex Boolean) : Boolean
TwainSetApplicationInfo(nMajorNumVersion Long, nMinorNumVersion Long, nLanguageID TwainLanguage, nCountryID TwainCountry, sVersionInfo String, sCompanyName String, sProductFamily String, sProductName String)
TwainUserClosedSource() : Boolean
TwainLastXferFail() : Boolean
TwainEndAllXfers() : Boolean
TwainEndXfer() : Boolean
TwainGetAvailableBrightness(&arValues Double[]) : Long
TwainGetAvailableBrightnessCount() : Long
TwainGetAvailableBrightnessNo(nNumber Long) : Double
TwainGetAvailableContrast(&arValues Double[]) : Long
TwainGetAvailableContrastCount() : Long
TwainGetAvailableContrastNo(nNumber Long) : Double
TwainGetAvailableBitDepths(&arValues Long[]) : Long
TwainGetAvailableBitDepthsCount() : Long
TwainGetAvailableBitDepthNo(nNumber Long) : Long
TwainGetAvailablePixelTypes(&arValues Long[]) : Long
TwainGetAvailablePixelTypesCount() : Long
TwainGetAvailablePixelTypeNo(nNumber Long) : TwainPixelType
TwainGetAvailableXResolutions(&arValues Long[]) : Long
TwainGetAvailableXResolutionsCount() : Long
TwainGetAvailableXResolutionNo(nNumber Long) : Long
TwainGetAvailableYResolutions(&arValues Long[]) : Long
TwainGetAvailableYResolutionsCount() : Long
TwainGetAvailableYResolutionNo(nNumber Long) : Long
TwainGetAvailableCapValuesCount(nCap TwainCapabilities) : Long
TwainGetAvailableCapValuesNumeric(nCap TwainCapabilities, &arValues Double[]) : Long
TwainGetAvailableCapValuesString(nCap TwainCapabilities, &arValues String[]) : Long
TwainGetAvailableCapValueNoNumeric(nCap TwainCapabilities, nNumber Long) : Double
TwainGetAvailableCapValueNoString(nCap TwainCapabilities, nNumber Long) : String
TwainGetCapCurrentNumeric(nCap TwainCapabilities, &nCurrentValue Double) : Boolean
TwainGetCapRangeNumeric(nCap TwainCapabilities, &nMinValue Double, &nMaxValue Double, &nStepValue Double) : Boolean
TwainGetCapCurrentString(nCap TwainCapabilities, &sCurrentValue String) : Boolean
TwainHasFeeder() : Boolean
TwainIsFeederSelected() : Boolean
TwainSelectFeeder(bSelectFeeder Boolean) : Boolean
TwainIsAutoFeedOn() : Boolean
TwainIsFeederLoaded() : Boolean
TwainSetCapCurrentNumeric(nCap TwainCapabilities, nItemType TwainItemTypes, nNewValue Long) : Boolean
TwainSetCapCurrentString(nCap TwainCapabilities, nItemType TwainItemTypes, sNewValue String) : Boolean
TwainResetCap(nCap TwainCapabilities) : Boolean
TwainGetCapItemType(nCap TwainCapabilities) : TwainItemTypes
TwainGetCurrentBitDepth() : Long
TwainGetCurrentThreshold() : Long
TwainSetCurrentThreshold(nThreshold Long) : Boolean
TwainHasCameraPreviewUI() : Boolean
TwainGetCurrentPlanarChunky() : Long
TwainSetCurrentPlanarChunky(nPlanarChunky Long) : Boolean
TwainGetCurrentPixelFlavor() : Long
TwainSetCurrentPixelFlavor(nPixelFlavor Long) : Boolean
TwainGetCurrentBrightness() : Long
TwainGetCurrentContrast() : Long
TwainGetCurrentPixelType() : TwainPixelType
TwainGetCurrentResolution() : Long
TwainGetCurrentSourceName() : String
TwainGetDefaultSourceName() : String
TwainGetDuplexMode() : Long
TwainGetHideUI() : Boolean
TwainGetLastConditionCode() : TwainConditionCode
TwainGetLastResultCode() : TwainResultCode
TwainGetPaperSize() : TwainPaperSize
TwainGetAvailablePaperSize(&arValues Long[]) : Long
TwainGetAvailablePaperSizeCount() : Long
TwainGetAvailablePaperSizeNo(nNumber Long) : TwainPaperSize
TwainGetPhysicalHeight() : Double
TwainGetPhysicalWidth() : Double
TwainGetSourceCount() : Long
TwainGetSourceName(nSourceNo Long) : String
TwainGetState() : TwainStatus
TwainIsAvailable() : Boolean
TwainIsDuplexEnabled() : Boolean
TwainIsPixelTypeAvailable(nPixelType TwainPixelType) : Boolean
TwainOpenDefaultSource() : Boolean
TwainOpenSource(sSourceName String) : Boolean
TwainResetImageLayout() : Boolean
TwainSelectSource(hwnd Long = 0) : Boolean
TwainSetAutoBrightness(bAutoBrightness Boolean) : Boolean
TwainSetAutoFeed(bAutoFeed Boolean) : Boolean
TwainSetAutomaticBorderDetection(bAutoBorderDetect Boolean) : Boolean
TwainIsAutomaticBorderDetectionAvailable() : Boolean
TwainSetAutomaticDeskew(bAutoDeskew Boolean) : Boolean
TwainIsAutomaticDeskewAvailable() : Boolean
TwainSetAutomaticRotation(bAutoRotate Boolean) : Boolean
TwainIsAutomaticRotationAvailable() : Boolean
TwainSetAutoScan(bAutoScan Boolean) : Boolean
TwainSetCurrentBitDepth(nBitDepth Long) : Boolean
TwainSetCurrentBrightness(nBrightnessValue Long) : Boolean
TwainSetCurrentContrast(nContrastValue Long) : Boolean
TwainSetCurrentPixelType(nPixelType TwainPixelType) : Boolean
TwainSetCurrentResolution(nResolution Long) : Boolean
TwainSetDebugMode(bDebugMode Boolean)
TwainSetErrorMessage(bShowErrors Boolean)
TwainSetImageLayout(nLeft Double, nTop Double, nRight Double, nBottom Double) : Boolean
TwainSetHideUI(bHide Boolean)
TwainSetIndicators(bShowIndicator Boolean) : Boolean
TwainSetMultiTransfer(bMultiTransfer Boolean)
TwainSetPaperSize(nSize TwainPaperSize) : Boolean
TwainSetXferCount(nXfers Long) : Boolean
TwainShowSetupDialogSource(hwnd Long = 0) : Boolean
TwainUnloadSourceManager() : Boolean
GetVersion() : Double
GetIcon(&oInputPicture Picture, sFileDest String = "", nRGBTransparentColor Long = -1) : Long
UploadFileToFTP(sFilePath String, sHost String, sPath String, sLogin String = "", sPassword String = "", nFTPPort Long = 21) : VexiroStatus
SetHttpTransfertBufferSize(nBuffersize Long)
ClearImage(nColorARGB Colors) : VexiroStatus
SetFtpPassiveMode(bPassiveMode Boolean)
DisableVximgplugCodecs(bDisable Boolean)
ForceImageValidation(nImageID Long) : VexiroStatus
GetGdiplusVersion() : String
GetStat() : VexiroStatus
IsGrayscale() : Boolean
IsBitonal() : Boolean
IsBlank(nConfidence Single = 99.0) : Boolean
GetDesktopHwnd() : Long
@1.1
SetTransparencyColorEx(nColorARGB Colors, nThreshold Single) : VexiroStatus
SwapColorEx(nARGBColorSrc Long, nARGBColorDst Long, nThreshold Single) : VexiroStatus
DrawImageTransparencyColorEx(nImageID Long, nTransparentColor Colors, nThreshold Single, nDstLeft Long, nDstTop Long, nDstWidth Long, nDstHeight Long, nInterpolationMode InterpolationMode = 3) : VexiroStatus
DrawRoundedRectangle(nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nRadius Single, nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawFillRoundedRectangle(nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nRadius Single, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawPie(nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nStartAngle Single, nSweepAngle Single, nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawFillPie(nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long, nStartAngle Single, nSweepAngle Single, nColorARGB Colors, bAntiAlias Boolean = False) : VexiroStatus
CreateImageFromRawBits(nWidth Long, nHeight Long, nStride Long, nPixelFormat PixelFormats, nBits Long) : Long
ADRGetLastRelevanceFromTemplate(nTemplateID Long) : Double
TiffOpenMultiPageAsReadOnly(bReadOnly Boolean)
TiffIsEditableMultiPage(nImageID Long) : Boolean
GetImageStride() : Long
GetImageBits() : Long
PrintImageDialogHWND(hwnd Long) : Boolean
PrintImageDialogFitHWND(hwnd Long) : Boolean
PrintImageDialogBySizeHWND(hwnd Long, nDstLeft Single, nDstTop Single, nWidth Single, nHeight Single) : Boolean
GetVexiroImageDC(nImageID Long) : Long
ReleaseVexiroImageDC(hdc Long) : VexiroStatus
SaveAsPBM(sFilePath String) : VexiroStatus
SaveAsJP2(sFilePath String, nRate Long = 16) : VexiroStatus
SaveAsTIFFjpg(sFilePath String) : VexiroStatus
TwainAcquireToFile(sFilePath String, hwnd Long = 0) : VexiroStatus
TwainLogStart(sLogPath String) : Boolean
TwainLogStop()
TwainGetAvailableImageFileFormat(&arValues Long[]) : Long
TwainGetAvailableImageFileFormatCount() : Long
TwainGetAvailableImageFileFormatNo(nNumber Long) : TwainImageFileFormats
TwainSetCurrentImageFileFormat(nImageFileFormat TwainImageFileFormats) : Boolean
TwainGetCurrentImageFileFormat() : Long
TwainSetCurrentCompression(nCompression TwainCompression) : Boolean
TwainGetCurrentCompression() : Long
TwainGetAvailableCompression(&arValues Long[]) : Long
TwainGetAvailableCompressionCount() : Long
TwainGetAvailableCompressionNo(nNumber Long) : TwainCompression
TwainIsFileTransferModeAvailable() : Boolean
TwainIsAutomaticBorderDetectionEnabled() : Boolean
TwainIsAutomaticDeskewEnabled() : Boolean
TwainIsAutomaticDiscardBlankPagesAvailable() : Boolean
TwainIsAutomaticDiscardBlankPagesEnabled() : Boolean
TwainSetAutomaticDiscardBlankPages(bAutoDiscard Boolean) : Boolean
TwainIsAutomaticRotationEnabled() : Boolean
TwainIsAutoScanAvailable() : Boolean
TwainIsAutoScanEnabled() : Boolean
TwainIsAutoFeedAvailable() : Boolean
TwainIsAutoFeedEnabled() : Boolean
TwainIsAutoBrightnessAvailable() : Boolean
TwainIsAutoBrightnessEnabled() : Boolean
CountColor(nARGBColor Long) : Double
GetDistance(nLeft1 Long, nTop1 Long, nLeft2 Long, nTop2 Long) : Double
@1.2
FxParasite4() : VexiroStatus
FxFillHoleV() : VexiroStatus
FxFillHoleH() : VexiroStatus
FxDilate4() : VexiroStatus
FxErode8() : VexiroStatus
FxErode4() : VexiroStatus
FxDilateV() : VexiroStatus
FxDespeckle() : VexiroStatus
FxDespeckleMore() : VexiroStatus
CreateImageFromMetaFile(sFilePath String, nScaleBy Single = 1.0) : Long
SaveAsTIFFjpgEx(sFilePath String, nQuality Long) : VexiroStatus
TwainAcquireToVexiroImage(hwnd Long = 0) : Long
ResetROI()
SetROI(nLeft Long, nTop Long, nWidth Long, nHeight Long)
@1.3
GetDib() : Long
RemoveDib(nDib Long)
CreateThumbnailHQEx(nImageID Long, nWidth Long, nHeight Long, nBackColor Colors = -16777216) : Long
TransformJPEG(sInputFile String, &sOutputFile String, nTransformation JPEGTransformations) : VexiroStatus
@1.4
AutoDeskew() : VexiroStatus
GetSkewAngle() : Double
ADRCreateTemplateEmpty() : Long
ADRStartNewTemplateConfig()
ADRGetTemplateImageCount(nTemplateID Long) : Long
PdfSetLineDash(nDashOn Single, nDashOff Single)
PdfSetLineJoin(nJoinType Long)
PdfSetLineCap(nCapType Long)
PdfACreateFromMultipageTIFF(nImageID Long, sPdfFileDest String, sTitle String = "", sCreator String = "Vexiro ZedeDud", sAuthor String = "Vexiro ZedeDud", sProducer String = "") : VexiroStatus
SetColorKey(nColorLow Colors, nColorHigh Colors) : VexiroStatus
SaveAsPDFA(sFilePath String, sTitle String = "", sCreator String = "Vexiro ZedeDud", sAuthor String = "Vexiro ZedeDud", sProducer String = "") : Boolean
@1.5
CropBlackBordersEx(nConfidence Long = 100, nSkipLinesCount Long = 0) : VexiroStatus
GifCreateMultiPageFromFile(sFilePath String) : Long
GifCreateMultiPageFromVexiroImage(nImageID Long) : Long
GifSetLoopCount(nImageID Long, nLoopCount Long) : VexiroStatus
GifSelectPage(nImageID Long, nPage Long) : VexiroStatus
GifGetPageTime(nImageID Long, nPage Long) : Long
GifSetPageTime(nImageID Long, nPage Long, nPageTime Long) : VexiroStatus
GifGetPageCount(nImageID Long) : Long
GifIsMultiPage(nImageID Long) : Boolean
GifIsEditableMultiPage(nImageID Long) : Boolean
GifDeletePage(nImageID Long, nPage Long) : VexiroStatus
GifOpenMultiPageAsReadOnly(bReadOnly Boolean)
GifSaveMultiPageToFile(nImageID Long, sFilePath String) : VexiroStatus
GifAppendPageFromFile(nImageID Long, sFilePath String) : VexiroStatus
GifAppendPageFromVexiroImage(nImageID Long, nAddImageID Long) : VexiroStatus
GifInsertPageFromFile(nImageID Long, nPosition Long, sFilePath String) : VexiroStatus
GifInsertPageFromVexiroImage(nImageID Long, nPosition Long, nAddImageID Long) : VexiroStatus
GifSwapPages(nImageID Long, nPage1 Long, nPage2 Long) : VexiroStatus
PdfSetJpegQuality(nQuality Long)
PdfGetJpegQuality() : Long
GetPixelArray8bpp1D(&arPixels Byte[], nSrcLeft Long, nSrcTop Long, nWidth Long, nHeight Long) : VexiroStatus
SetPixelArray8bpp1D(&arPixels Byte[], nDstLeft Long, nDstTop Long, nWidth Long, nHeight Long) : VexiroStatus
ICCSetRGBProfile(sProfilePath String) : VexiroStatus
DeleteHICON(nHICON Long)
TwainIsDeviceOnline() : Boolean
TwainGetImageLayout(&nLeft Double, &nTop Double, &nRight Double, &nBottom Double) : Boolean
SupportFunc(nSupportID Long, &nParamDouble1 Double = 0, &nParamDouble2 Double = 0, &nParamDouble3 Double = 0, &nParamLong1 Long = 0, &nParamLong2 Long = 0, &nParamLong3 Long = 0, &sParamString1 String = "", &sParamString2 String = "", &sParamString3 String = "") : VexiroStatus
Encode64String(sStringToEncode String) : String
Decode64String(sStringToDecode String) : String
@1.6
BarCodeGetWidth25i(sCode String, nHeight Long, bAddCheckSum Boolean = False) : Long
BarCodeGetWidth39(sCode String, nHeight Long, bAddCheckSum Boolean = False) : Long
BarCodeGetWidth128(sCode String, nHeight Long) : Long
BarCodeGetWidthEAN13(sCode String, nHeight Long) : Long
DrawFillClosedCurves(&ArPoints Long[], nColorARGB Colors, nTension Single, nFillMode FillMode, bAntiAlias Boolean = False) : VexiroStatus
DrawClosedCurves(&ArPoints Long[], nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawPolygon(&ArPoints Long[], nPenWidth Long, nColorARGB Colors = -16777216, bAntiAlias Boolean = False) : VexiroStatus
DrawFillPolygon(&ArPoints Long[], nColorARGB Colors, nFillMode FillMode, bAntiAlias Boolean = False) : VexiroStatus
GifSetPageDisposal(nImageID Long, nPage Long, nPageDisposal Long) : VexiroStatus
GifGetCurrentPage(nImageID Long) : Long
TiffGetCurrentPage(nImageID Long) : Long
PdfSetTextMode(nTextMode Long)
PdfOCRCreateFromMultipageTIFF(nImageID Long, sFilePath String, nDictionary TesseractDictionary, sDictionaryPath String, sCharWhiteList String = "", sTitle String = "", sCreator String = "Vexiro ZedeDud", sAuthor String = "Vexiro ZedeDud", sProducer String = "") : String
OCRTesseractGetCharConfidence(nCharNo Long) : Single
OCRTesseractGetCharSpaces(nCharNo Long) : Long
OCRTesseractGetCharLine(nCharNo Long) : Long
OCRTesseractGetCharCode(nCharNo Long) : Long
OCRTesseractGetCharLeft(nCharNo Long) : Long
OCRTesseractGetCharRight(nCharNo Long) : Long
OCRTesseractGetCharBottom(nCharNo Long) : Long
OCRTesseractGetCharTop(nCharNo Long) : Long
OCRTesseractGetCharCount() : Long
OCRTesseractDoOCR(nDictionary TesseractDictionary, sDictionaryPath String, sCharWhiteList String = "") : String
OCRTesseractClear()
PrintGetOrientation() : Integer
SaveAsPDFOCR(sFilePath String, nDictionary TesseractDictionary, sDictionaryPath String, sCharWhiteList String = "", sTitle String = "", sCreator String = "Vexiro ZedeDud", sAuthor String = "Vexiro ZedeDud", sProducer String = "") : String
TwainPdfOCRStart(sFilePath String, sTitle String = "", sCreator String = "Vexiro ZedeDud", sAuthor String = "Vexiro ZedeDud", sProducer String = "") : VexiroStatus
TwainAddVexiroImageToPdfOCR(nImageID Long, nDictionary TesseractDictionary, sDictionaryPath String, sCharWhiteList String = "") : String
TwainPdfOCRStop() : VexiroStatus
TwainHasFlatBed() : Boolean
GetAverageColor() : Long
@1.7
FxParasite2x2() : VexiroStatus
FxRemoveLinesV() : VexiroStatus
FxRemoveLinesH() : VexiroStatus
FxRemoveLinesV2() : VexiroStatus
FxRemoveLinesH2() : VexiroStatus
FxRemoveLinesV3() : VexiroStatus
FxRemoveLinesH3() : VexiroStatus
TwainGetAvailableBarCodeTypeCount() : Long
TwainGetAvailableBarCodeTypeNo(nNumber Long) : TwainBarCodeType
TwainBarCodeGetCount() : Long
TwainBarCodeGetValue(nBarCodeNo Long) : String
TwainBarCodeGetType(nBarCodeNo Long) : TwainBarCodeType
TwainBarCodeGetXPos(nBarCodeNo Long) : Long
TwainBarCodeGetYPos(nBarCodeNo Long) : Long
TwainBarCodeGetConfidence(nBarCodeNo Long) : Long
TwainBarCodeGetRotation(nBarCodeNo Long) : TwainBarCodeRotation
TwainIsBarcodeDetectionAvailable() : Boolean
TwainIsBarcodeDetectionEnabled() : Boolean
TwainSetBarcodeDetection(bBarcodeDetection Boolean) : Boolean
@1.8
FloodFill(nXStart Long, nYStart Long, nARGBColor Colors) : VexiroStatus
PdfNewPdfEx(sFilePath String, sTitle String = "", sAuthor String = "", sSubject String = "", sKeywords String = "", sCreator String = "", nPdfEncryption PdfEncryption = 0, nPDFRight PdfRight = -1, sUserpassWord String = "", sOwnerPassword String = "") : Boolean
PdfCreateFromMultipageTIFFEx(nImageID Long, sPdfFileDest String, sTitle String = "", sAuthor String = "", sSubject String = "", sKeywords String = "", sCreator String = "", nPdfEncryption PdfEncryption = 0, nPDFRight PdfRight = -1, sUserpassWord String = "", sOwnerPassword String = "") : VexiroStatus
PdfOCRCreateFromMultipageTIFFEx(nImageID Long, sFilePath String, nDictionary TesseractDictionary, sDictionaryPath String, sCharWhiteList String = "", sTitle String = "", sAuthor String = "", sSubject String = "", sKeywords String = "", sCreator String = "", nPdfEncryption PdfEncryption = 0, nPDFRight PdfRight = -1, sUserpassWord String = "", sOwnerPassword String = "") : String
PdfACreateFromMultipageTIFFEx(nImageID Long, sPdfFileDest String, sTitle String = "", sAuthor String = "", sSubject String = "", sKeywords String = "", sCreator String = "") : VexiroStatus
SaveAsPDFEx(sFilePath String, sTitle String = "", sAuthor String = "", sSubject String = "", sKeywords String = "", sCreator String = "", nPdfEncryption PdfEncryption = 0, nPDFRight PdfRight = -1, sUserpassWord String = "", sOwnerPassword String = "") : Boolean
SaveAsPDFAEx(sFilePath String, sTitle String = "", sAuthor String = "", sSubject String = "", sKeywords String = "", sCreator String = "") : Boolean
SaveAsPDFOCREx(sFilePath String, nDictionary TesseractDictionary, sDictionaryPath String, sCharWhiteList String = "", sTitle String = "", sAuthor String = "", sSubject String = "", sKeywords String = "", sCreator String = "", nPdfEncryption PdfEncryption = 0, nPDFRight PdfRight = -1, sUserpassWord String = "", sOwnerPassword String = "") : String
TwainPdfStartEx(sFilePath String, sTitle String = "", sAuthor String = "", sSubject String = "", sKeywords String = "", sCreator String = "", nPdfEncryption PdfEncryption = 0, nPDFRight PdfRight = -1, sUserpassWord String = "", sOwnerPassword String = "") : VexiroStatus
TwainPdfOCRStartEx(sFilePath String, sTitle String = "", sAuthor String = "", sSubject String = "", sKeywords String = "", sCreator String = "", nPdfEncryption PdfEncryption = 0, nPDFRight PdfRight = -1, sUserpassWord String = "", sOwnerPassword String = "") : VexiroStatus
TwainIsAutoSizeAvailable() : Boolean
TwainIsAutoSizeEnabled() : Boolean
TwainSetAutoSize(bAutoSize Boolean) : Boolean
@1.9
PdfSetMetadata(sXMP String) : Boolean
OCRTesseractGetOrientation(nDictionary TesseractDictionary, sDictionaryPath String) : RotateFlipType
PdfCreateRights(bCanPrint Boolean, bCanModify Boolean, bCanCopy Boolean, bCanAddNotes Boolean, bCanFillFields Boolean, bCanCopyAccess Boolean, bCanAssemble Boolean, bCanprintFull Boolean) : PdfRight
@1.10
CropBordersEX2(nConfidence Long, nPixelReference Long, &nLeft Long, &nTop Long, &nWidth Long, &nHeight Long) : VexiroStatus
ConvertTo32BppPARGB() : VexiroStatus
OCRTesseractGetOrientationEx(nDictionary TesseractDictionary, sDictionaryPath String, nAccuracyLevel Single) : RotateFlipType
SaveAsEXR(sFilePath String, nCompression ExrCompression = 0) : VexiroStatus
TwainSetDSMPath(sDSMPath String)
@1.11
Barcode1DReaderDoScan(ScanMode Barcode1DReaderScanMode) : VexiroStatus
Barcode1DReaderGetBarcodeCount() : Long
Barcode1DReaderGetBarcodeType(BarCodeNo Long) : Barcode1DReaderType
Barcode1DReaderGetBarcodeValue(BarCodeNo Long) : String
Barcode1DReaderGetBarcodeSkewAngle(BarCodeNo Long) : Double
Barcode1DReaderBarcodeHasChecksum(BarCodeNo Long) : Boolean
Barcode1DReaderGetBarcodeX1(BarCodeNo Long) : Long
Barcode1DReaderGetBarcodeY1(BarCodeNo Long) : Long
Barcode1DReaderGetBarcodeX2(BarCodeNo Long) : Long
Barcode1DReaderGetBarcodeY2(BarCodeNo Long) : Long
Barcode1DReaderGetBarcodeX3(BarCodeNo Long) : Long
Barcode1DReaderGetBarcodeY3(BarCodeNo Long) : Long
Barcode1DReaderGetBarcodeX4(BarCodeNo Long) : Long
Barcode1DReaderGetBarcodeY4(BarCodeNo Long) : Long
Barcode1DReaderClear()
RemoveAllImage()
@1.12
BarcodeDataMatrixReaderDoScan(ScanMode BarcodeDataMatrixReaderScanMode) : VexiroStatus
BarcodeDataMatrixReaderGetBarcodeCount() : Long
BarcodeDataMatrixReaderGetBarcodeValue(BarCodeNo Long) : String
BarcodeDataMatrixReaderGetBarcodeX1(BarCodeNo Long) : Long
BarcodeDataMatrixReaderGetBarcodeY1(BarCodeNo Long) : Long
BarcodeDataMatrixReaderGetBarcodeX2(BarCodeNo Long) : Long
BarcodeDataMatrixReaderGetBarcodeY2(BarCodeNo Long) : Long
BarcodeDataMatrixReaderGetBarcodeX3(BarCodeNo Long) : Long
BarcodeDataMatrixReaderGetBarcodeY3(BarCodeNo Long) : Long
BarcodeDataMatrixReaderGetBarcodeX4(BarCodeNo Long) : Long
BarcodeDataMatrixReaderGetBarcodeY4(BarCodeNo Long) : Long
BarcodeDataMatrixReaderGetBarcodeRows(BarCodeNo Long) : Long
BarcodeDataMatrixReaderGetBarcodeColumns(BarCodeNo Long) : Long
BarcodeDataMatrixReaderClear()
@1.14
CreateImageFromMemory(hMem Long, Length Long) : VexiroStatus
)vxmembers";

// What the compiler can check of a binding: the row of a member, found by its exact name.
namespace table_text {

consteval std::string_view RowOf(std::string_view member) {
  std::string_view text = kMemberTableText;
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    const std::string_view line = text.substr(0, eol);
    if (line.size() > member.size() && line.substr(0, member.size()) == member && line[member.size()] == '(')
      return line;
    if (eol == std::string_view::npos) break;
    text = text.substr(eol + 1);
  }
  return {};
}

consteval bool Exists(std::string_view member) { return !RowOf(member).empty(); }

consteval std::string_view ParameterList(std::string_view member) {
  const std::string_view row = RowOf(member);
  if (row.empty()) return {};
  const size_t open = row.find('('), close = row.rfind(')');
  return row.substr(open + 1, close - open - 1);
}

// Parameters are separated by ", " outside quoted defaults.
consteval int ParamCount(std::string_view member) {
  const std::string_view list = ParameterList(member);
  if (list.empty()) return 0;
  int count = 1;
  bool quoted = false;
  for (char c : list) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) ++count;
  }
  return count;
}

// Bit i set when parameter i is passed by reference (marked "&" or an array).
consteval unsigned ByRefMask(std::string_view member) {
  const std::string_view list = ParameterList(member);
  unsigned mask = 0;
  int index = 0;
  bool quoted = false, atStart = true;
  for (size_t i = 0; i < list.size(); ++i) {
    const char c = list[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (atStart && c == '&') mask |= 1u << index;
    if (c == '[') mask |= 1u << index;
    if (c == ',') {
      ++index;
      atStart = true;
    } else if (c != ' ') {
      atStart = false;
    }
  }
  return mask;
}

consteval bool HasResult(std::string_view member) {
  const std::string_view row = RowOf(member);
  return !row.empty() && row.substr(row.rfind(')')).find(':') != std::string_view::npos;
}

}  // namespace table_text

const char* MemberTableText();

}  // namespace vx::control
