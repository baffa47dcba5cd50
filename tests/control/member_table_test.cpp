// The member table against the published layout and totals of the interface.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "control/enumerations.h"
#include "control/member_table.h"

namespace vx::control {
namespace {

const MemberTable& Table() { return MemberTable::Instance(); }

TEST(MemberTable, NamesSlotsAndBothDispidsMatchThePublishedLayout) {
  std::ifstream golden(std::string(VEXIRO_TEST_DATA_DIR) + "/control/member_layout.txt");
  ASSERT_TRUE(golden) << "layout list missing";
  std::string name, version, engineHex, controlHex;
  int slot = 0;
  size_t row = 0;
  while (golden >> name >> version >> slot >> engineHex >> controlHex) {
    ASSERT_LT(row, Table().size());
    const MemberDesc& m = Table().Members()[row];
    EXPECT_EQ(m.name, name) << "row " << row;
    EXPECT_EQ(m.version, version) << name;
    EXPECT_EQ(m.slot, slot) << name;
    EXPECT_EQ(static_cast<uint32_t>(m.dispidEngine), std::stoul(engineHex, nullptr, 16)) << name;
    EXPECT_EQ(static_cast<uint32_t>(m.dispidControl), std::stoul(controlHex, nullptr, 16)) << name;
    ++row;
  }
  EXPECT_EQ(row, 749u);
  EXPECT_EQ(Table().size(), 749u);
}

TEST(MemberTable, EdgeCasesOfSlotsAndDispids) {
  struct Case {
    const char* name;
    int32_t engineId, controlId;
    int engineSlot, controlSlot;
  };
  const Case cases[] = {
      {"SetTransparencyColor", 0x60030000, 0x60030003, 7, 489},
      {"GetDesktopHwnd", 0x6003021F, 0x6003021E, 546, 1028},
      {"SetTransparencyColorEx", 0x60030223, 0x60030225, 553, 1035},
      {"DrawImageTransparency", 0x60030047, 0x60030049, 77, 559},  // one value skipped before it
      {"ConvertTo32BppPARGB", 0x60030300, 0x600302EF, 755, 1237},  // five values skipped
      {"CreateImageFromMemory", 0x60030338, 0x6003031F, 803, 1285},
  };
  for (const Case& c : cases) {
    const MemberDesc* m = Table().Find(c.name);
    ASSERT_NE(m, nullptr) << c.name;
    EXPECT_EQ(m->Dispid(Interface::Engine), c.engineId) << c.name;
    EXPECT_EQ(m->Dispid(Interface::Control), c.controlId) << c.name;
    EXPECT_EQ(m->Slot(Interface::Engine), c.engineSlot) << c.name;
    EXPECT_EQ(m->Slot(Interface::Control), c.controlSlot) << c.name;
    EXPECT_EQ(Table().FindByDispid(Interface::Engine, c.engineId), m);
    EXPECT_EQ(Table().FindByDispid(Interface::Control, c.controlId), m);
  }
  // Skipped values and numbers of empty slots name nothing.
  EXPECT_EQ(Table().FindByDispid(Interface::Engine, 0x60030046), nullptr);
  EXPECT_EQ(Table().FindByDispid(Interface::Control, 0x60030003 + 540), nullptr);
  EXPECT_EQ(Table().FindByDispid(Interface::Engine, 0x60030339), nullptr);
}

TEST(MemberTable, MembersPerVersion) {
  std::map<std::string, int> counts;
  for (const MemberDesc& m : Table().Members()) ++counts[m.version];
  const std::map<std::string, int> expected = {{"1.0", 540}, {"1.1", 49}, {"1.2", 14}, {"1.3", 4}, {"1.4", 11},
                                               {"1.5", 29},  {"1.6", 31}, {"1.7", 19}, {"1.8", 13}, {"1.9", 3},
                                               {"1.10", 5},  {"1.11", 16}, {"1.12", 14}, {"1.14", 1}};
  EXPECT_EQ(counts, expected);
}

TEST(MemberTable, ResultTotals) {
  std::map<std::string, int> results;
  int none = 0;
  for (const MemberDesc& m : Table().Members()) {
    if (!m.result) {
      ++none;
      continue;
    }
    const std::string n = m.result->Name();
    const bool otherEnumeration = m.result->base == BaseType::Enum && n != "VexiroStatus";
    ++results[otherEnumeration ? "enumeration" : n];
  }
  const std::map<std::string, int> expected = {{"VexiroStatus", 296}, {"Long", 174}, {"Boolean", 112},
                                               {"String", 31},        {"Single", 13}, {"Double", 12},
                                               {"enumeration", 25},   {"Integer", 1}, {"Picture", 2}};
  EXPECT_EQ(results, expected);
  EXPECT_EQ(none, 83);
}

TEST(MemberTable, ParameterTotals) {
  int input = 0, inputOptional = 0, byRef = 0, byRefOptional = 0, membersWithOptional = 0;
  for (const MemberDesc& m : Table().Members()) {
    bool anyOptional = false, optionalSeen = false;
    for (const ParamDesc& p : m.params) {
      (p.byRef ? byRef : input)++;
      if (p.optional) (p.byRef ? byRefOptional : inputOptional)++;
      anyOptional |= p.optional;
      // Optional parameters follow all the required ones.
      EXPECT_TRUE(p.optional || !optionalSeen) << m.name << " " << p.name;
      optionalSeen |= p.optional;
    }
    membersWithOptional += anyOptional;
  }
  EXPECT_EQ(input, 1258);
  EXPECT_EQ(inputOptional, 291);
  EXPECT_EQ(byRef, 121);
  EXPECT_EQ(byRefOptional, 9);
  EXPECT_EQ(membersWithOptional, 131);
}

TEST(MemberTable, TallyOfTheDefaults) {
  std::map<std::string, int> tally;  // "value|type" with ByRef marked
  for (const MemberDesc& m : Table().Members())
    for (const ParamDesc& p : m.params)
      if (p.optional) ++tally[p.defaultText + "|" + p.type.Name() + (p.byRef ? " ByRef" : "")];
  const std::map<std::string, int> expected = {
      {"\"\"|String", 90},          {"\"\"|String ByRef", 3},      {"False|Boolean", 42},
      {"-16777216|Colors", 32},     {"-16777216|Long", 1},         {"0|Long", 24},
      {"0|Long ByRef", 3},          {"0|Single", 3},               {"0|Double ByRef", 3},
      {"0|FontStyle", 8},           {"0|PdfEncryption", 7},        {"0|ExrCompression", 1},
      {"-1|PdfRight", 7},           {"-1|Long", 2},                {"-1|Colors", 2},
      {"\"Vexiro ZedeDud\"|String", 18}, {"3|InterpolationMode", 17}, {"\"Arial\"|String", 8},
      {"2|TifCompression", 6},      {"100|Long", 4},               {"1|Long", 4},
      {"1|Integer", 1},             {"21|Long", 3},                {"16|Long", 2},
      {"1.0|Single", 2},            {"50.0|Single", 1},            {"100.0|Single", 1},
      {"99.0|Single", 1},           {"80|Long", 1},                {"360|Long", 1},
      {"75|Long", 1},               {"32|Integer", 1},
  };
  EXPECT_EQ(tally, expected);
  int total = 0;
  for (const auto& [key, n] : tally) total += n;
  EXPECT_EQ(total, 300);
}

TEST(MemberTable, DefaultsCarryTheirTypes) {
  const MemberDesc* jpeg = Table().Find("SaveAsJPEG");
  ASSERT_NE(jpeg, nullptr);
  EXPECT_EQ(jpeg->params[1].defaultValue.Type(), VarType::I4);
  EXPECT_EQ(jpeg->params[1].defaultValue.AsI4(), 75);
  const MemberDesc* blank = Table().Find("IsBlank");
  EXPECT_EQ(blank->params[0].defaultValue.Type(), VarType::R4);
  EXPECT_FLOAT_EQ(blank->params[0].defaultValue.AsR4(), 99.0f);
  const MemberDesc* text = Table().Find("DrawText");
  EXPECT_EQ(text->params[6].defaultValue.AsStr(), "Arial");
  EXPECT_EQ(text->params[7].defaultValue.BoolBits(), 0);
}

TEST(MemberTable, LookupIgnoresCase) {
  EXPECT_EQ(Table().Find("saveasjpeg"), Table().Find("SaveAsJPEG"));
  EXPECT_EQ(Table().Find("ARGB")->name, "argb");
  EXPECT_EQ(Table().Find("SaveAsJPEGX"), nullptr);
  EXPECT_EQ(Table().Find(""), nullptr);
}

TEST(MemberTable, MembersTakingOrReturningEachEnumeration) {
  struct Use {
    const char* enumeration;
    size_t members;
    std::vector<std::string> firstByName;  // the first of them in name order
  };
  const Use uses[] = {
      {"ViewerMouseWheelMode", 0, {}},
      {"ViewerImagePosition", 0, {}},
      {"ViewerImageAlignment", 0, {}},
      {"ViewerBackStyleMode", 0, {}},
      {"ViewerZoomMode", 0, {}},
      {"ViewerPdfRenderingMode", 0, {}},
      {"ViewerRectBorderStyle", 0, {}},
      {"ViewerRectDrawMode", 0, {}},
      {"ViewerMouseMode", 0, {}},
      {"ViewerAppearance", 0, {}},
      {"ViewerBorderStyle", 0, {}},
      {"TifCompression", 6, {"SaveAsTIFF", "TiffMerge2Files", "TiffMergeFileList"}},
      {"ExrCompression", 1, {"SaveAsEXR"}},
      {"PrinterStatus", 1, {"PrintGetStat"}},
      {"VexiroStatus", 296, {"ADRAddImageToTemplate", "AddBorderBottom", "AddBorderLeft"}},
      {"JPEGTransformations", 1, {"TransformJPEG"}},
      {"RotateFlipType", 3, {"OCRTesseractGetOrientation", "OCRTesseractGetOrientationEx", "Rotate"}},
      {"FontStyle", 11, {"DrawRotatedText", "DrawRotatedTextBackColor", "DrawText"}},
      {"SmoothingMode", 0, {}},
      {"InterpolationMode", 17, {"DisplayImageOnHDC", "DisplayImageOnHwnd", "DisplayImageRectOnHDC"}},
      {"UnitMode", 2, {"FontGetUnit", "FontSetUnit"}},
      {"TwainStatus", 1, {"TwainGetState"}},
      {"TwainBarCodeType", 2, {"TwainBarCodeGetType", "TwainGetAvailableBarCodeTypeNo"}},
      {"TwainBarCodeRotation", 1, {"TwainBarCodeGetRotation"}},
      {"TwainPixelType", 4, {"TwainGetAvailablePixelTypeNo", "TwainGetCurrentPixelType", "TwainIsPixelTypeAvailable", "TwainSetCurrentPixelType"}},
      {"TwainResultCode", 1, {"TwainGetLastResultCode"}},
      {"TwainConditionCode", 1, {"TwainGetLastConditionCode"}},
      {"TwainPaperSize", 3, {"TwainGetAvailablePaperSizeNo", "TwainGetPaperSize", "TwainSetPaperSize"}},
      {"TwainItemTypes", 3, {"TwainGetCapItemType", "TwainSetCapCurrentNumeric", "TwainSetCapCurrentString"}},
      {"TwainLanguage", 1, {"TwainSetApplicationInfo"}},
      {"TwainCountry", 1, {"TwainSetApplicationInfo"}},
      {"TwainCompression", 2, {"TwainGetAvailableCompressionNo", "TwainSetCurrentCompression"}},
      {"TwainImageFileFormats", 2, {"TwainGetAvailableImageFileFormatNo", "TwainSetCurrentImageFileFormat"}},
      {"TwainCapabilities", 12, {"TwainGetAvailableCapValueNoNumeric", "TwainGetAvailableCapValueNoString", "TwainGetAvailableCapValuesCount"}},
      {"TagTypes", 4, {"ExifTagGetType", "ExifTagSetValueBytes", "ExifTagSetValueString", "IPTCTagGetType"}},
      {"Tags", 2, {"ExifTagSetValueBytes", "ExifTagSetValueString"}},
      {"Colors", 53, {"AddBorderBottom", "AddBorderLeft", "AddBorderRight"}},
      {"ViewerQuality", 0, {}},
      {"PrintQuality", 2, {"PrintGetQuality", "PrintSetQuality"}},
      {"ColorPaletteType", 1, {"ColorPaletteGetType"}},
      {"PixelFormats", 2, {"CreateImageFromRawBits", "GetPixelFormat"}},
      {"MousePointers", 0, {}},
      {"ImageColorSpaces", 1, {"GetImageColorSpace"}},
      {"Operators", 2, {"DrawImageOP", "DrawImageOPRect"}},
      {"TesseractDictionary", 8, {"OCRTesseractDoOCR", "OCRTesseractGetOrientation", "OCRTesseractGetOrientationEx"}},
      {"FillMode", 2, {"DrawFillClosedCurves", "DrawFillPolygon"}},
      {"DocumentType", 0, {}},
      {"MouseButton", 0, {}},
      {"PdfEncryption", 7, {"PdfCreateFromMultipageTIFFEx", "PdfNewPdfEx", "PdfOCRCreateFromMultipageTIFFEx"}},
      {"PdfRight", 8, {"PdfCreateFromMultipageTIFFEx", "PdfCreateRights", "PdfNewPdfEx"}},
      {"Barcode1DReaderScanMode", 1, {"Barcode1DReaderDoScan"}},
      {"BarcodeDataMatrixReaderScanMode", 1, {"BarcodeDataMatrixReaderDoScan"}},
      {"Barcode1DReaderType", 1, {"Barcode1DReaderGetBarcodeType"}},
  };
  std::map<std::string, std::set<std::string>> users;
  for (const MemberDesc& m : Table().Members()) {
    if (m.result && m.result->base == BaseType::Enum) users[m.result->enumName].insert(m.name);
    for (const ParamDesc& p : m.params)
      if (p.type.base == BaseType::Enum) users[p.type.enumName].insert(m.name);
  }
  size_t known = 0;
  for (const Use& u : uses) {
    const std::set<std::string>& names = users[u.enumeration];
    known += names.size();
    EXPECT_NE(FindEnumeration(u.enumeration), nullptr) << u.enumeration;
    EXPECT_EQ(names.size(), u.members) << u.enumeration;
    const std::vector<std::string> first(names.begin(), std::next(names.begin(), std::min(names.size(), u.firstByName.size())));
    EXPECT_EQ(first, u.firstByName) << u.enumeration;
  }
  size_t all = 0;
  for (const auto& [name, members] : users) all += members.size();
  EXPECT_EQ(known, all) << "a member uses an enumeration the library does not have";
}

TEST(MemberTable, MalformedTextIsRefused) {
  const char* cases[] = {
      "Foo()",                          // before any version line
      "@1.0\nFoo(nA)",                  // parameter without type
      "@1.0\nFoo(nA Long = x)",         // default that is no number
      "@1.0\nFoo(nA Byte = 300)",       // default out of range
      "@1.0\nFoo() Long",               // result without ':'
      "@1.0\nFoo\n",                    // no parameter list
      "@1.0\nFoo()\nfoo()",             // the same name twice
      "@9.9\nFoo()",                    // unknown version
  };
  for (const char* text : cases) EXPECT_THROW(MemberTable::Parse(text), std::invalid_argument) << text;
}

}  // namespace
}  // namespace vx::control
