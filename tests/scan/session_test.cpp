// The TWAIN session over SANE's test backend: states, sources, file transfers, the feeder,
// failed reads and the capabilities the device's options give.
#include <regex>

#include "platform/kernel/global_memory.h"
#include "scan_test_support.h"

namespace vxtest::scan {
namespace {

TEST_F(ScanTest, TheStatesWalkFromPluginOnlyToReadingAndBack) {
  SaneTestConfig config;
  EXPECT_EQ(engine_->TwainGetState(), 1);
  EXPECT_TRUE(engine_->TwainIsAvailable());
  EXPECT_EQ(engine_->TwainGetState(), 2);
  EXPECT_EQ(engine_->TwainGetSourceCount(), 2);
  EXPECT_EQ(engine_->TwainGetState(), 3) << "counting opens the source manager";
  EXPECT_EQ(engine_->TwainGetSourceName(0), "test:0");
  EXPECT_EQ(engine_->TwainGetSourceName(2), "test:1");
  EXPECT_EQ(engine_->TwainGetSourceName(3), "");
  EXPECT_EQ(engine_->TwainGetDefaultSourceName(), "test:0");
  EXPECT_FALSE(engine_->TwainShowSetupDialogSource());
  EXPECT_EQ(engine_->GetStat(), vexiro::BadTwainState);
  ASSERT_TRUE(engine_->TwainOpenSource("  test:1 "));
  EXPECT_EQ(engine_->TwainGetState(), 4);
  EXPECT_EQ(engine_->TwainGetCurrentSourceName(), "test:1");
  EXPECT_FALSE(engine_->TwainOpenSource("test:0")) << "one source at a time";
  EXPECT_TRUE(engine_->TwainCloseSource());
  EXPECT_EQ(engine_->TwainGetState(), 3);
  EXPECT_TRUE(engine_->TwainCloseSourceManager());
  EXPECT_EQ(engine_->TwainGetState(), 2);
  EXPECT_TRUE(engine_->TwainUnloadSourceManager());
  EXPECT_EQ(engine_->TwainGetState(), 1);
}

TEST_F(ScanTest, ASourceManagerPathToNoLibraryLeavesScanningUnavailable) {
  SaneTestConfig config;
  engine_->TwainSetDSMPath("/nonexistent/libsane.so.1");
  EXPECT_FALSE(engine_->TwainIsAvailable());
  EXPECT_EQ(engine_->TwainGetSourceCount(), 0);
  EXPECT_EQ(engine_->TwainGetState(), 1);
  engine_->TwainSetDSMPath("");
  EXPECT_TRUE(engine_->TwainIsAvailable());
  EXPECT_EQ(engine_->TwainGetSourceCount(), 2);
}

TEST_F(ScanTest, UnknownOrBlankSourceNamesAreRefused) {
  SaneTestConfig config;
  for (const char* name : {"", "   ", "test:9", "nosuch"}) {
    EXPECT_FALSE(engine_->TwainOpenSource(name)) << name;
    EXPECT_LT(engine_->TwainGetState(), 4) << name;
  }
  EXPECT_EQ(engine_->TwainGetLastConditionCode(), 3) << "TWCC_NODS";
}

TEST_F(ScanTest, AcquiringWithNoSourceOpenOpensTheLastOneAndClosesItAfterwards) {
  SaneTestConfig config;
  OpenTestSource("test:1");
  ASSERT_TRUE(engine_->TwainSetImageLayout(0, 0, 10, 10));
  const int32_t first = engine_->TwainAcquireToVexiroImage();
  ASSERT_NE(first, 0);
  EXPECT_EQ(engine_->TwainGetState(), 3) << "closed: nothing was pending";
  const int32_t second = engine_->TwainAcquireToVexiroImage();
  ASSERT_NE(second, 0);
  EXPECT_EQ(engine_->TwainGetCurrentSourceName(), "") << "closed again";
  EXPECT_EQ(engine_->CloseImage(first), vexiro::OK);
  EXPECT_EQ(engine_->CloseImage(second), vexiro::OK);
}

TEST_F(ScanTest, AFileTransferLandsAtTheTargetAsABmpImageMagickReads) {
  VX_REQUIRE_TOOL("identify");
  SaneTestConfig config;
  ScratchFolder scratch;
  const std::string target = scratch.file("scan.bmp");
  EXPECT_EQ(engine_->TwainAcquireToFile(target), vexiro::BadTwainState) << "no source open";
  OpenTestSource();
  EXPECT_TRUE(engine_->TwainIsFileTransferModeAvailable());
  ASSERT_TRUE(engine_->TwainSetCurrentResolution(100));
  ASSERT_TRUE(engine_->TwainSetPaperSize(vxtest::scan::kPaperA5));
  EXPECT_EQ(engine_->TwainAcquireToFile(target), vexiro::OK);
  EXPECT_EQ(CommandOutput("identify -format '%m %w %h' '" + target + "'"), "BMP3 582 826");
}

struct FileCase {
  int32_t format;          // TWAIN's file format code
  const char* magick;      // what identify calls it
  int32_t pixelType, bitDepth;
  const char* options;     // scanimage's options for the same picture
  const char* depth;       // bits per sample in the file
};

const FileCase kFileCases[] = {
    {2, "BMP3", 2, 24, "--mode Color", "8"},
    {7, "PNG", 2, 24, "--mode Color", "8"},
    {7, "PNG", 1, 16, "--mode Gray --depth 16", "16"},
    {0, "TIFF", 2, 48, "--mode Color --depth 16", "16"},
    {0, "TIFF", 0, 1, "--mode Gray --depth 1", "1"},
};

class FileTransfer : public ScanTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(FileTransfer, TheFileHoldsScanimagesPictureInTheFormatAsked) {
  VX_REQUIRE_TOOL("scanimage");
  VX_REQUIRE_TOOL("compare");
  const FileCase& c = GetParam();
  SaneTestConfig config;
  ScratchFolder scratch;
  const std::string expected = scratch.file("expected.pnm");
  ASSERT_TRUE(RunScanimage(config, std::string("--format=pnm ") + c.options +
                                       " --resolution 50 -l 0 -t 0 -x 40 -y 30 > '" + expected + "' 2>/dev/null"));
  OpenTestSource();
  ASSERT_TRUE(engine_->TwainSetCurrentImageFileFormat(c.format));
  EXPECT_EQ(engine_->TwainGetCurrentImageFileFormat(), c.format);
  ASSERT_TRUE(engine_->TwainSetCurrentPixelType(c.pixelType));
  ASSERT_TRUE(engine_->TwainSetCurrentBitDepth(c.bitDepth));
  ASSERT_TRUE(engine_->TwainSetCurrentResolution(50));
  ASSERT_TRUE(engine_->TwainSetImageLayout(0, 0, 40, 30));
  const std::string target = scratch.file("scan");
  ASSERT_EQ(engine_->TwainAcquireToFile(target), vexiro::OK);
  EXPECT_EQ(CommandOutput("identify -format '%m %w %h' '" + target + "'"),
            std::string(c.magick) + " 78 59");
  EXPECT_EQ(CommandOutput("identify -format '%z' '" + target + "'"), c.depth);
  EXPECT_EQ(CommandOutput("compare -metric AE '" + target + "' '" + expected + "' null: 2>&1"), "0");
}

INSTANTIATE_TEST_SUITE_P(Formats, FileTransfer, ::testing::ValuesIn(kFileCases), [](const auto& info) {
  return std::string(info.param.magick) + "_" + std::to_string(info.param.bitDepth);
});

// Names in TMPDIR other than the suite's own folders.
std::vector<std::string> TemporaryFiles(const ScratchFolder& scratch) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(TempRoot()))
    if (entry.path() != scratch.path() && entry.path() != SuiteSaneFolder().path())
      names.push_back(entry.path().filename().string());
  return names;
}

TEST_F(ScanTest, AnImageFromAFileTransferOwnsItsFileUntilItCloses) {
  SaneTestConfig config;
  ScratchFolder scratch;
  OpenTestSource();
  ASSERT_TRUE(engine_->TwainSetCapCurrentNumeric(0x0103, kTwtyUint16, 1));  // ICAP_XFERMECH: file
  ASSERT_TRUE(engine_->TwainSetImageLayout(0, 0, 10, 10));
  const int32_t dib = engine_->TwainAcquireToDib();
  EXPECT_NE(dib, 0) << "the source is open: the member asks for memory";
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  vx::GlobalFree(static_cast<vx::HGLOBAL>(dib));
  // With the source closed the plug-in keeps its file mode: the picture comes as a file.
  ASSERT_TRUE(engine_->TwainOpenSource("test:0"));
  ASSERT_TRUE(engine_->TwainSetCapCurrentNumeric(0x0103, kTwtyUint16, 1));
  ASSERT_TRUE(engine_->TwainCloseSource());
  EXPECT_EQ(engine_->TwainAcquireToDib(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::TwainInvalidTransferMode);
  EXPECT_TRUE(TemporaryFiles(scratch).empty()) << "the file the member cannot use is removed";
  const int32_t id = engine_->TwainAcquireToVexiroImage();
  ASSERT_NE(id, 0) << engine_->GetStat();
  EXPECT_EQ(TemporaryFiles(scratch).size(), 1u) << "the image's own file";
  EXPECT_EQ(engine_->CloseImage(id), vexiro::OK);
  EXPECT_TRUE(TemporaryFiles(scratch).empty());
}

TEST_F(ScanTest, AFileTransferToABadTargetFailsAndLeavesNothing) {
  SaneTestConfig config;
  ScratchFolder scratch;
  std::ofstream(scratch.file("old.bmp")) << "old";
  for (const std::string& target : {std::string(""), scratch.file("missing/dir/x.bmp"), scratch.path().string()}) {
    engine_->TwainDisableAutoSourceClose(true);
    if (engine_->TwainGetState() < 4) OpenTestSource();
    ASSERT_TRUE(engine_->TwainSetImageLayout(0, 0, 10, 10));
    EXPECT_EQ(engine_->TwainAcquireToFile(target), vexiro::TwainError) << target;
  }
  size_t left = 0;
  for (const auto& entry : fs::directory_iterator(TempRoot())) left += entry.path() != scratch.path() &&
                                                                       entry.path().filename() != SuiteSaneFolder().path().filename();
  EXPECT_EQ(left, 0u) << "no temporary file stays behind";
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

TEST_F(ScanTest, TheFeederGivesTenSheetsThenReportsNoDocuments) {
  SaneTestConfig config;
  OpenTestSource();
  engine_->TwainDisableAutoSourceClose(true);
  EXPECT_TRUE(engine_->TwainHasFlatBed());
  EXPECT_TRUE(engine_->TwainHasFeeder());
  EXPECT_FALSE(engine_->TwainIsFeederSelected()) << "the probe restored the flatbed";
  ASSERT_TRUE(engine_->TwainSelectFeeder(true));
  EXPECT_TRUE(engine_->TwainIsFeederLoaded());
  ASSERT_TRUE(engine_->TwainSetImageLayout(0, 0, 5, 5));
  for (int sheet = 1; sheet <= 10; ++sheet) {
    const int32_t handle = engine_->TwainAcquireToDib();
    ASSERT_NE(handle, 0) << "sheet " << sheet;
    vx::GlobalFree(static_cast<vx::HGLOBAL>(handle));
  }
  EXPECT_EQ(engine_->TwainAcquireToDib(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::TwainError);
  EXPECT_FALSE(engine_->TwainIsFeederLoaded());
  EXPECT_TRUE(engine_->TwainHasFeeder());
  EXPECT_TRUE(engine_->TwainIsFeederSelected()) << "the probe restored the feeder";
}

struct FailedRead {
  const char* statusCode;  // what the test backend's reads end with
  vexiro::VexiroStatus expected;
};

const FailedRead kFailedReads[] = {
    {"SANE_STATUS_CANCELLED", vexiro::TwainTransferCanceled},
    {"SANE_STATUS_JAMMED", vexiro::TwainTransferError},
    {"SANE_STATUS_COVER_OPEN", vexiro::TwainTransferError},
    {"SANE_STATUS_IO_ERROR", vexiro::TwainTransferError},
};

class FailedReadTest : public ScanTest, public ::testing::WithParamInterface<FailedRead> {};

TEST_P(FailedReadTest, NoAcquisitionMakesAnImageAndTheCauseStaysKnown) {
  SaneTestConfig config(std::string("read-status-code ") + GetParam().statusCode + "\n");
  OpenTestSource();
  engine_->TwainDisableAutoSourceClose(true);
  EXPECT_EQ(engine_->TwainAcquireToDib(), 0);
  EXPECT_EQ(engine_->GetStat(), GetParam().expected);
  EXPECT_EQ(engine_->TwainAcquireToVexiroImage(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::TwainError) << "a native transfer that made no image";
  EXPECT_EQ(engine_->TwainUserClosedSource(), GetParam().expected == vexiro::TwainTransferCanceled);
  EXPECT_EQ(engine_->TwainLastXferFail(), GetParam().expected == vexiro::TwainTransferError);
  ScratchFolder scratch;
  EXPECT_EQ(engine_->TwainAcquireToFile(scratch.file("x.bmp")), GetParam().expected);
  EXPECT_FALSE(fs::exists(scratch.file("x.bmp")));
  EXPECT_EQ(engine_->TwainUserClosedSource(), GetParam().expected == vexiro::TwainTransferCanceled);
  EXPECT_EQ(engine_->TwainLastXferFail(), GetParam().expected == vexiro::TwainTransferError);
  // A closed source keeps the file mode, so the image member meets a file transfer: that one
  // reports the cause.
  ASSERT_TRUE(engine_->TwainCloseSource());
  EXPECT_EQ(engine_->TwainAcquireToVexiroImage(), 0);
  EXPECT_EQ(engine_->GetStat(), GetParam().expected) << "a file transfer that stopped";
  EXPECT_TRUE(TemporaryFiles(scratch).empty());
}

INSTANTIATE_TEST_SUITE_P(Reads, FailedReadTest, ::testing::ValuesIn(kFailedReads),
                         [](const auto& info) { return std::string(info.param.statusCode).substr(12); });

// The values scanimage -A lists for one option of test:0, e.g. "Gray|Color" for --mode.
std::string ScanimageChoices(const SaneTestConfig& config, const std::string& option) {
  const std::string listing = CommandOutput(ScanimageCommand(config, "-A 2>/dev/null"));
  std::smatch match;
  const std::regex line("\\s" + option + " ([^ \\[\\n]+)");
  return std::regex_search(listing, match, line) ? match[1].str() : "";
}

TEST_F(ScanTest, CapabilityListsFollowTheOptionsScanimageLists) {
  VX_REQUIRE_TOOL("scanimage");
  SaneTestConfig config;
  EXPECT_EQ(ScanimageChoices(config, "--mode"), "Gray|Color");
  EXPECT_EQ(ScanimageChoices(config, "--depth"), "1|8|16");
  EXPECT_EQ(ScanimageChoices(config, "--resolution"), "1..1200dpi");
  OpenTestSource();
  vexiro::BasicArray<int32_t> types;
  EXPECT_EQ(engine_->TwainGetAvailablePixelTypes(types), 3);
  EXPECT_EQ(types.Data(), (std::vector<int32_t>{0, 1, 2})) << "black and white is grey at depth 1";
  vexiro::BasicArray<int32_t> depths;
  EXPECT_EQ(engine_->TwainGetAvailableBitDepths(depths), 3);
  EXPECT_EQ(depths.Data(), (std::vector<int32_t>{3, 24, 48})) << "colour: depth times three channels";
  double low = -5, high = -5, step = -5;
  EXPECT_TRUE(engine_->TwainGetCapRangeNumeric(vxtest::scan::kCapXResolution, low, high, step));
  EXPECT_EQ(low, 1);
  EXPECT_EQ(high, 1200);
  EXPECT_EQ(step, 1);
  EXPECT_EQ(engine_->TwainGetAvailableXResolutionsCount(), 1200);
  EXPECT_EQ(engine_->TwainGetAvailableXResolutionNo(1200), 1200);
  EXPECT_EQ(engine_->TwainGetAvailableXResolutionNo(1201), 0);
  EXPECT_EQ(engine_->TwainGetPhysicalWidth(), 300) << "in millimetres";
  EXPECT_TRUE(engine_->TwainSetCapCurrentNumeric(vxtest::scan::kCapUnits, vxtest::scan::kTwtyUint16, 0));
  EXPECT_NEAR(engine_->TwainGetPhysicalWidth(), 300 / 25.4, 1e-4) << "in inches";
  vexiro::BasicArray<int32_t> sizes;
  const int32_t count = engine_->TwainGetAvailablePaperSize(sizes);
  ASSERT_GT(count, 2);
  const std::vector<int32_t>& list = sizes.Data();
  EXPECT_NE(std::find(list.begin(), list.end(), 1), list.end()) << "A4 fits a 300 mm bed";
  EXPECT_EQ(std::find(list.begin(), list.end(), 11), list.end()) << "A3 does not";
  EXPECT_EQ(engine_->TwainGetAvailableCompressionNo(1), 0);
  EXPECT_EQ(engine_->TwainGetAvailableCompressionNo(2), -1);
  vexiro::BasicArray<int32_t> formats;
  EXPECT_EQ(engine_->TwainGetAvailableImageFileFormat(formats), 3);
  EXPECT_EQ(formats.Data(), (std::vector<int32_t>{0, 2, 7})) << "TIFF, BMP, PNG";
}

TEST_F(ScanTest, SettingsReadBackAndBadValuesAreRefused) {
  SaneTestConfig config;
  OpenTestSource();
  EXPECT_EQ(engine_->TwainGetCurrentPixelType(), 2);
  ASSERT_TRUE(engine_->TwainSetCurrentPixelType(1));
  EXPECT_EQ(engine_->TwainGetCurrentPixelType(), 1);
  EXPECT_EQ(engine_->TwainGetCurrentBitDepth(), 8);
  ASSERT_TRUE(engine_->TwainSetCurrentResolution(75));
  EXPECT_EQ(engine_->TwainGetCurrentResolution(), 75);
  // FIX32 goes packed with the whole part in the low 16 bits.
  EXPECT_TRUE(engine_->TwainSetCapCurrentNumeric(vxtest::scan::kCapXResolution, vxtest::scan::kTwtyFix32, 120));
  EXPECT_EQ(engine_->TwainGetCurrentResolution(), 120);
  EXPECT_FALSE(engine_->TwainSetCapCurrentNumeric(vxtest::scan::kCapXResolution, vxtest::scan::kTwtyFix32, 70000));
  for (int32_t dpi : {0, -5, 5000}) EXPECT_FALSE(engine_->TwainSetCurrentResolution(dpi)) << dpi;
  EXPECT_EQ(engine_->TwainGetCurrentResolution(), 120);
  for (int32_t paper : {-1, 8, 54, 11}) EXPECT_FALSE(engine_->TwainSetPaperSize(paper)) << paper;
  EXPECT_FALSE(engine_->TwainSetImageLayout(20, 0, 10, 10)) << "right left of left";
  EXPECT_FALSE(engine_->TwainSetImageLayout(0, 10, 10, 10)) << "bottom on top";
  ASSERT_TRUE(engine_->TwainSetImageLayout(1, 2, 30, 40));
  double l = 0, t = 0, r = 0, b = 0;
  ASSERT_TRUE(engine_->TwainGetImageLayout(l, t, r, b));
  EXPECT_EQ(std::vector<double>({l, t, r, b}), std::vector<double>({1, 2, 30, 40}));
  EXPECT_TRUE(engine_->TwainSetImageLayout(0, 0, 10.5, 10)) << "the bed measures in whole millimetres";
  EXPECT_EQ(engine_->TwainGetLastResultCode(), 2) << "TWRC_CHECKSTATUS: the value was rounded";
  EXPECT_FALSE(engine_->TwainSetCurrentBitDepth(12));
  EXPECT_EQ(engine_->TwainGetCapItemType(0x1001), -1) << "CAP_CAPTION: SANE has no such thing";
  EXPECT_EQ(engine_->TwainGetAvailableCapValuesCount(0x1001), 0);
  EXPECT_EQ(engine_->TwainGetLastConditionCode(), 13) << "TWCC_CAPUNSUPPORTED";
  EXPECT_EQ(engine_->TwainGetAvailableBarCodeTypeCount(), 0);
  EXPECT_FALSE(engine_->TwainShowSetupDialogSource());
  EXPECT_FALSE(engine_->TwainSelectSource()) << "no selection dialog: the default provider cancels";
}

}  // namespace
}  // namespace vxtest::scan
