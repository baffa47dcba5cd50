// Scans through the plug-in against SANE's test backend, checked pixel by pixel against
// scanimage with the same configuration and options.
#include <cstring>
#include <regex>

#include "platform/kernel/global_memory.h"
#include "scan_test_support.h"

namespace vxtest::scan {
namespace {

// One 8-bit sample of a PNM picture; line art's 1 is black.
int PnmSample(const Pnm& pnm, int x, int y, int channel) {
  if (pnm.kind == 4) {
    const size_t rowBytes = static_cast<size_t>((pnm.width + 7) / 8);
    const uint8_t byte = pnm.data[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x / 8)];
    return (byte >> (7 - x % 8)) & 1 ? 0 : 255;
  }
  const int channels = pnm.kind == 6 ? 3 : 1;
  const size_t sampleBytes = pnm.maxval > 255 ? 2 : 1;
  const size_t index = (static_cast<size_t>(y) * pnm.width + x) * channels + (channels == 3 ? channel : 0);
  return pnm.data[index * sampleBytes];  // the high byte of a big-endian sample
}

// One 8-bit sample of a packed DIB, through its palette where it has one.
struct Dib {
  int32_t width = 0, height = 0, bits = 0;
  const uint8_t* palette = nullptr;
  const uint8_t* rows = nullptr;
  int Sample(int x, int y, int channel) const {
    const int32_t stride = ((width * bits + 31) / 32) * 4;
    const uint8_t* row = rows + static_cast<size_t>(height - 1 - y) * stride;
    if (bits == 24) return row[x * 3 + 2 - channel];
    const int index = bits == 8 ? row[x] : (row[x / 8] >> (7 - x % 8)) & 1;
    return palette[index * 4 + 2 - channel];
  }
};

Dib ReadDib(const uint8_t* block) {
  Dib dib;
  std::memcpy(&dib.width, block + 4, 4);
  std::memcpy(&dib.height, block + 8, 4);
  uint16_t bits = 0;
  std::memcpy(&bits, block + 14, 2);
  dib.bits = bits;
  dib.palette = block + 40;
  dib.rows = block + 40 + (bits <= 8 ? (4 << bits) : 0);
  return dib;
}

// Samples of the part both pictures cover that differ.
int DifferingSamples(const Dib& dib, const Pnm& pnm) {
  int differing = 0;
  for (int y = 0; y < std::min(dib.height, pnm.height); ++y)
    for (int x = 0; x < std::min(dib.width, pnm.width); ++x)
      for (int channel = 0; channel < 3; ++channel) differing += dib.Sample(x, y, channel) != PnmSample(pnm, x, y, channel);
  return differing;
}

struct ScanCase {
  const char* name;
  const char* conf;       // extra lines of test.conf
  int32_t pixelType;
  int32_t bitDepth;       // 0: as the pixel type leaves it
  const char* options;    // scanimage's options for the same picture
};

const ScanCase kScanCases[] = {
    {"colour", "", 2, 0, "--mode Color"},
    {"grey", "", 1, 0, "--mode Gray"},
    {"grey16", "", 1, 16, "--mode Gray --depth 16"},
    {"colour16", "", 2, 48, "--mode Color --depth 16"},
    {"grid1bit", "test-picture Grid\n", 0, 0, "--mode Gray --depth 1"},
    {"threepass", "three-pass true\n", 2, 0, "--mode Color"},
    {"handscanner", "hand-scanner true\n", 1, 0, "--mode Gray"},
};

class ScanAgainstScanimage : public ScanTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ScanAgainstScanimage, PixelsEqualScanimagesPicture) {
  VX_REQUIRE_TOOL("scanimage");
  const ScanCase& c = GetParam();
  SaneTestConfig config(c.conf);
  ScratchFolder scratch;
  Pnm expected;
  ASSERT_TRUE(ScanimagePicture(config, std::string(c.options) + " --resolution 50 -l 0 -t 0 -x 40 -y 30",
                               scratch.file("expected.pnm"), expected));

  OpenTestSource();
  ASSERT_TRUE(engine_->TwainSetCurrentPixelType(c.pixelType));
  if (c.bitDepth != 0) ASSERT_TRUE(engine_->TwainSetCurrentBitDepth(c.bitDepth));
  ASSERT_TRUE(engine_->TwainSetCurrentResolution(50));
  ASSERT_TRUE(engine_->TwainSetImageLayout(0, 0, 40, 30));
  const int32_t handle = engine_->TwainAcquireToDib();
  ASSERT_NE(handle, 0) << engine_->GetStat();
  EXPECT_EQ(engine_->GetStat(), vexiro::OK);

  const auto* block = static_cast<const uint8_t*>(vx::GlobalLock(static_cast<vx::HGLOBAL>(handle)));
  const Dib dib = ReadDib(block);
  EXPECT_EQ(dib.width, expected.width);
  EXPECT_EQ(dib.height, expected.height);
  EXPECT_EQ(DifferingSamples(dib, expected), 0);
  vx::GlobalUnlock(static_cast<vx::HGLOBAL>(handle));
  vx::GlobalFree(static_cast<vx::HGLOBAL>(handle));
}

INSTANTIATE_TEST_SUITE_P(Pictures, ScanAgainstScanimage, ::testing::ValuesIn(kScanCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The default scanimage -A shows for one option of test:0, e.g. "Color" for --mode.
std::string ScanimageDefault(const SaneTestConfig& config, const std::string& option) {
  const std::string listing = CommandOutput(ScanimageCommand(config, "-A 2>/dev/null"));
  std::smatch match;
  const std::regex line("\\s" + option + " [^\\n]*\\[([^\\]]+)\\]");
  return std::regex_search(listing, match, line) ? match[1].str() : "";
}

constexpr int32_t kCapYResolution = 0x1119, kCapXferMech = 0x0103, kCapImageFileFormat = 0x110C,
                  kCapXferCount = 0x0001, kCapPhysicalWidth = 0x1111, kCapBrightness = 0x1101;

// Every capability a caller may set goes back to the source's default on reset: the settings
// scanimage lists for a fresh test:0, and the very picture scanimage scans with them, even after
// the source was closed and opened again with the changed settings.
TEST_F(ScanTest, ResetCapabilitiesScanWhatScanimageScansByDefault) {
  VX_REQUIRE_TOOL("scanimage");
  SaneTestConfig config;
  ScratchFolder scratch;
  ASSERT_EQ(ScanimageDefault(config, "--mode"), "Color");
  ASSERT_EQ(ScanimageDefault(config, "--depth"), "8");
  ASSERT_EQ(ScanimageDefault(config, "--source"), "Flatbed");
  Pnm expected;
  ASSERT_TRUE(ScanimagePicture(config, "-l 0 -t 0 -x 40 -y 30", scratch.file("default.pnm"), expected));

  OpenTestSource();
  ASSERT_TRUE(engine_->TwainSetCurrentPixelType(0));
  ASSERT_TRUE(engine_->TwainSetCurrentResolution(300));
  ASSERT_TRUE(engine_->TwainSelectFeeder(true));
  ASSERT_TRUE(engine_->TwainSetCapCurrentNumeric(kCapXferMech, kTwtyUint16, 1));
  ASSERT_TRUE(engine_->TwainSetCapCurrentNumeric(kCapImageFileFormat, kTwtyUint16, 7));
  ASSERT_TRUE(engine_->TwainSetXferCount(3));
  ASSERT_TRUE(engine_->TwainSetPaperSize(kPaperA5));
  ASSERT_TRUE(engine_->TwainCloseSource());
  OpenTestSource();
  ASSERT_EQ(engine_->TwainGetCurrentResolution(), 300) << "the backend kept the setting";

  for (int32_t cap : {kCapPixelType, kCapBitDepth, kCapXResolution, kCapYResolution, kCapFeederEnabled, kCapXferMech,
                      kCapImageFileFormat, kCapXferCount, kCapSupportedSizes})
    EXPECT_TRUE(engine_->TwainResetCap(cap)) << std::hex << cap;
  EXPECT_EQ(engine_->TwainGetPaperSize(), 0);
  double l = -1, t = -1, r = -1, b = -1;
  ASSERT_TRUE(engine_->TwainGetImageLayout(l, t, r, b));
  EXPECT_EQ(std::vector<std::string>({std::to_string(int(l)), std::to_string(int(t)), std::to_string(int(r)),
                                      std::to_string(int(b))}),
            std::vector<std::string>({ScanimageDefault(config, "-l"), ScanimageDefault(config, "-t"),
                                      ScanimageDefault(config, "-x"), ScanimageDefault(config, "-y")}))
      << "the device's own frame, in millimetres";
  EXPECT_TRUE(engine_->TwainResetCap(kCapUnits));
  EXPECT_EQ(engine_->TwainGetCurrentPixelType(), 2) << "colour";
  EXPECT_EQ(engine_->TwainGetCurrentBitDepth(), 24) << "8 bits of three channels";
  EXPECT_FALSE(engine_->TwainIsFeederSelected());
  EXPECT_EQ(engine_->TwainGetCurrentImageFileFormat(), 2) << "BMP";
  double value = -5;
  ASSERT_TRUE(engine_->TwainGetCapCurrentNumeric(kCapXferCount, value));
  EXPECT_EQ(value, -1);
  ASSERT_TRUE(engine_->TwainGetCapCurrentNumeric(kCapUnits, value));
  EXPECT_EQ(value, 0) << "inches";
  ASSERT_TRUE(engine_->TwainGetCapCurrentNumeric(kCapXferMech, value));
  EXPECT_EQ(value, 0) << "native";

  // What the source does not let a caller set has nothing to reset; what it lacks neither.
  for (int32_t cap : {kCapPhysicalWidth, kCapFeederLoaded, kCapBrightness}) {
    EXPECT_FALSE(engine_->TwainResetCap(cap)) << std::hex << cap;
    EXPECT_EQ(engine_->TwainGetLastConditionCode(), cap == kCapBrightness ? 13 : 10) << "TWCC_CAPUNSUPPORTED, BADVALUE";
  }

  ASSERT_TRUE(engine_->TwainSetImageLayout(0, 0, 40 / 25.4, 30 / 25.4));
  const int32_t handle = engine_->TwainAcquireToDib();
  ASSERT_NE(handle, 0) << engine_->GetStat();
  const auto* block = static_cast<const uint8_t*>(vx::GlobalLock(static_cast<vx::HGLOBAL>(handle)));
  const Dib dib = ReadDib(block);
  EXPECT_EQ(dib.bits, 24);
  EXPECT_EQ(dib.width, expected.width);
  EXPECT_EQ(dib.height, expected.height);
  EXPECT_EQ(DifferingSamples(dib, expected), 0);
  vx::GlobalUnlock(static_cast<vx::HGLOBAL>(handle));
  vx::GlobalFree(static_cast<vx::HGLOBAL>(handle));
}

TEST_F(ScanTest, AnA5PageAt100DpiBecomesTheCurrentImageWithItsSizeAndResolution) {
  SaneTestConfig config;
  OpenTestSource();
  ASSERT_TRUE(engine_->TwainSetCurrentResolution(100));
  ASSERT_TRUE(engine_->TwainSetPaperSize(kPaperA5));
  EXPECT_EQ(engine_->TwainGetPaperSize(), kPaperA5);
  const int32_t id = engine_->TwainAcquireToVexiroImage();
  ASSERT_NE(id, 0) << engine_->GetStat();
  EXPECT_EQ(engine_->GetWidth(), 582) << "the scan is the current image";
  EXPECT_EQ(engine_->GetWidth(), 582);
  EXPECT_EQ(engine_->GetHeight(), 826);
  EXPECT_EQ(engine_->GetHorizontalResolution(), 100.0f);
  EXPECT_EQ(engine_->GetPixelFormat(), 137224);  // 24-bit RGB
  EXPECT_EQ(engine_->CloseImage(id), vexiro::OK);
}

TEST_F(ScanTest, SixteenBitSamplesReachTheImageAs48BitRgb) {
  SaneTestConfig config;
  OpenTestSource();
  ASSERT_TRUE(engine_->TwainSetCurrentBitDepth(48));
  ASSERT_TRUE(engine_->TwainSetImageLayout(0, 0, 20, 10));
  const int32_t id = engine_->TwainAcquireToVexiroImage();
  ASSERT_NE(id, 0) << engine_->GetStat();
  EXPECT_EQ(engine_->GetPixelFormat(), 1060876);
  EXPECT_EQ(engine_->CloseImage(id), vexiro::OK);
}

}  // namespace
}  // namespace vxtest::scan
