// The type library's enumerations: order, sizes, shared values and values hosts rely on.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <type_traits>

#include "control/enumerations.h"
#include "vexiro/enumerations.h"

namespace vx::control {
namespace {

struct Expected {
  const char* name;
  size_t constants;
  int valuesNamedTwice;  // values that carry more than one name
};

// In type-library order.
const Expected kExpected[] = {
    {"ViewerMouseWheelMode", 3, 0}, {"ViewerImagePosition", 9, 0}, {"ViewerImageAlignment", 9, 0},
    {"ViewerBackStyleMode", 2, 0}, {"ViewerZoomMode", 6, 0}, {"ViewerPdfRenderingMode", 3, 0},
    {"ViewerRectBorderStyle", 5, 0}, {"ViewerRectDrawMode", 16, 0}, {"ViewerMouseMode", 4, 0},
    {"ViewerAppearance", 2, 0}, {"ViewerBorderStyle", 2, 0}, {"TifCompression", 5, 0},
    {"ExrCompression", 8, 0}, {"PrinterStatus", 8, 0}, {"VexiroStatus", 58, 0},
    {"JPEGTransformations", 5, 0}, {"RotateFlipType", 16, 8}, {"FontStyle", 6, 0},
    {"SmoothingMode", 5, 0}, {"InterpolationMode", 8, 0}, {"UnitMode", 7, 0},
    {"TwainStatus", 8, 0}, {"TwainBarCodeType", 20, 0}, {"TwainBarCodeRotation", 5, 0},
    {"TwainPixelType", 14, 0}, {"TwainResultCode", 10, 0}, {"TwainConditionCode", 27, 0},
    {"TwainPaperSize", 58, 5}, {"TwainItemTypes", 16, 0}, {"TwainLanguage", 129, 14},
    {"TwainCountry", 239, 10}, {"TwainCompression", 13, 0}, {"TwainImageFileFormats", 16, 0},
    {"TwainCapabilities", 136, 0}, {"TagTypes", 9, 0}, {"Tags", 238, 0},
    // The published web colours give 142 names (two values named twice), four short of the
    // library's published count of 146, whose other names are nowhere recorded.
    {"Colors", 142, 2}, {"ViewerQuality", 5, 0}, {"PrintQuality", 4, 0},
    {"ColorPaletteType", 4, 0}, {"PixelFormats", 15, 1}, {"MousePointers", 15, 0},
    {"ImageColorSpaces", 6, 0}, {"Operators", 3, 0}, {"TesseractDictionary", 10, 0},
    {"FillMode", 2, 0}, {"DocumentType", 3, 0}, {"MouseButton", 3, 0},
    {"PdfEncryption", 3, 0}, {"PdfRight", 10, 0}, {"Barcode1DReaderScanMode", 2, 0},
    {"BarcodeDataMatrixReaderScanMode", 2, 0}, {"Barcode1DReaderType", 19, 0},
};

TEST(Enumerations, OrderSizesAndSharedValues) {
  const auto& all = Enumerations();
  ASSERT_EQ(all.size(), 53u);
  size_t total = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    const Expected& e = kExpected[i];
    EXPECT_EQ(all[i].name, e.name);
    EXPECT_EQ(all[i].constants.size(), e.constants) << e.name;
    std::map<int32_t, int> names;
    std::set<std::string_view> seen;
    for (const EnumConstant& c : all[i].constants) {
      ++names[c.value];
      EXPECT_TRUE(seen.insert(c.name).second) << e.name << " repeats " << c.name;
    }
    int shared = 0;
    for (const auto& [value, n] : names) shared += n > 1;
    EXPECT_EQ(shared, e.valuesNamedTwice) << e.name;
    total += all[i].constants.size();
  }
  EXPECT_EQ(total, 1373u);  // 1,377 with the four colour names no record gives
}

TEST(Enumerations, ValuesHostsRelyOn) {
  struct Case {
    const char* enumeration;
    const char* constant;
    int32_t value;
  };
  const Case cases[] = {
      {"VexiroStatus", "OK", 0},
      {"VexiroStatus", "GdiplusNotInitialized", 18},
      {"VexiroStatus", "VximgplugDllRequired", 300},
      {"VexiroStatus", "BarcodeReaderDataMatrixPluginNotLoaded", 700},
      {"TifCompression", "CompressionLZW", 2},
      {"InterpolationMode", "InterpolationModeBilinear", 3},
      {"RotateFlipType", "Rotate90FlipNone", 1},
      {"RotateFlipType", "Rotate270FlipXY", 1},
      {"Barcode1DReaderType", "Barcode1DReaderEAN13", -32768},
      {"Barcode1DReaderScanMode", "BestQuality", 1},
      {"BarcodeDataMatrixReaderScanMode", "BestQuality", 1},
      {"TwainCapabilities", "CAP_CUSTOMBASE", -32768},
      {"TwainCapabilities", "ICAP_SUPPORTEDBARCODETYPES", 4408},
      {"TwainCapabilities", "ICAP_THRESHOLD", 0x1123},
      {"TwainCountry", "TWCY_USSR", 7},
      {"TwainCountry", "TWCY_RUSSIA", 7},
      {"TwainCountry", "TWCY_GRENEDINES", 8015},
      {"TwainLanguage", "TWLG_ENGLISH_USA", 13},
      {"TwainLanguage", "TWLG_USERLOCALE", -1},
      {"TwainLanguage", "TWLG_VIETNAMESE", 113},
      {"TwainPaperSize", "A4", 1},
      {"TwainImageFileFormats", "TWPT_PDF", 10},
      {"Tags", "tagXResolution", 282},
      {"Tags", "TagExifUserComment", 37510},
      {"Tags", "TagGpsIFD", 34853},
      {"Tags", "TagJPEGProc", 512},
      {"Colors", "Black", -16777216},
      {"Colors", "White", -1},
      {"Colors", "Transparent", 0x00FFFFFF},
      {"Colors", "CornflowerBlue", static_cast<int32_t>(0xFF6495EDu)},
      {"PixelFormats", "PixelFormat32bppARGB", 0x26200A},
      {"PixelFormats", "PixelFormat16bppGreyScale", 0x101004},
      {"PdfRight", "PdfRightUndefined", -1},
      {"PrintQuality", "PrintQualityHightResolution", -4},
      {"TesseractDictionary", "TesseractDictionaryPolish", 9},
      {"MousePointers", "MousePointerSizeAll", 15},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FindConstant(c.enumeration, c.constant), std::optional<int32_t>(c.value))
        << c.enumeration << "." << c.constant;
  EXPECT_EQ(FindConstant("Colors", "NoSuchColour"), std::nullopt);
  EXPECT_EQ(FindEnumeration("NoSuchEnumeration"), nullptr);
}

TEST(Enumerations, StatusNamesAreTheFirstNameOfTheValue) {
  const std::pair<int32_t, std::string_view> cases[] = {
      {vexiro::OK, "OK"},
      {vexiro::UnknownImageFormat, "UnknownImageFormat"},
      {41, "CanNotCreateFile"},
      {700, "BarcodeReaderDataMatrixPluginNotLoaded"},
      {23, ""},  // between the named values
      {-1, ""},
  };
  for (const auto& [status, name] : cases) EXPECT_EQ(vexiro::StatusName(status), name) << status;
}

TEST(Enumerations, EnumerationParametersTakeTheirConstantsAndIntegersButNoOtherEnumeration) {
  using vexiro::EnumArg;
  // Callers that always passed numbers keep compiling, whatever integer type they hold.
  static_assert(std::is_convertible_v<int32_t, EnumArg<vexiro::InterpolationMode>>);
  static_assert(std::is_convertible_v<uint32_t, EnumArg<vexiro::Colors>>);  // 0xFF2040C0u
  static_assert(std::is_convertible_v<int64_t, EnumArg<vexiro::PdfRight>>);
  // Flags added together are an integer.
  static_assert(std::is_convertible_v<decltype(vexiro::PdfRightCanPrint + vexiro::PdfRightCanCopy),
                                      EnumArg<vexiro::PdfRight>>);
  static_assert(std::is_convertible_v<vexiro::InterpolationMode, EnumArg<vexiro::InterpolationMode>>);
  // The shared scan-mode names serve both readers.
  static_assert(
      std::is_convertible_v<decltype(vexiro::BestSpeed), EnumArg<vexiro::BarcodeDataMatrixReaderScanMode>>);
  // A constant of another enumeration is the mistake the names are there to catch.
  static_assert(!std::is_convertible_v<vexiro::PdfRight, EnumArg<vexiro::PdfEncryption>>);
  static_assert(!std::is_convertible_v<vexiro::Colors, EnumArg<vexiro::InterpolationMode>>);
  // Behind the member the value reads as the integer it was, named or not.
  constexpr EnumArg<vexiro::InterpolationMode> named = vexiro::InterpolationModeHighQualityBicubic, number = 7;
  static_assert(int32_t{named} == 7 && int32_t{number} == 7);
  constexpr EnumArg<vexiro::Colors> unnamed = static_cast<int32_t>(0xFF2040C0u);
  EXPECT_EQ(static_cast<uint32_t>(int32_t{unnamed}), 0xFF2040C0u);
}

TEST(Enumerations, CapabilitiesAreInAscendingCode) {
  const EnumerationDesc* caps = FindEnumeration("TwainCapabilities");
  ASSERT_NE(caps, nullptr);
  for (size_t i = 1; i + 1 < caps->constants.size(); ++i)
    EXPECT_LT(caps->constants[i - 1].value, caps->constants[i].value) << caps->constants[i].name;
}

}  // namespace
}  // namespace vx::control
