// The engine's side of the barcode readers against a scripted plug-in that records what it is
// handed: the packed bitmap, the second attempt and its enlargement, the conversion of results,
// the plug-in check, and what a read leaves behind.
#include <cstring>
#include <string>
#include <vector>

#include "platform/kernel/environment.h"
#include "platform/user/user.h"
#include "plugins/vxbarcode/fake/fake_reader.h"
#include "recognition_test_support.h"

namespace {

using namespace vxtest::recognition;
using vexiro::ImagingTestAccess;
namespace gp = vx::gdiplus;

// The scripting calls of the fake module the engine loads under one reader's name.
struct FakeModule {
  void (*Reset)(int32_t) = nullptr;
  void (*QueueScan)(int32_t, const VxFakeBarcode*) = nullptr;
  int32_t (*ScanCount)() = nullptr;
  const uint8_t* (*ScanInput)(int32_t, uint32_t*) = nullptr;
  int32_t (*ScanPerformance)(int32_t) = nullptr;
  int32_t (*LiveScanners)() = nullptr;
  void (*SpendTimeAfter)(int32_t) = nullptr;
  int32_t (*ClockStarts)() = nullptr;

  void Bind(const char* moduleName) {
    vx::HMODULE module = vx::LoadLibrary(moduleName);
    EXPECT_NE(module, nullptr) << moduleName;
    Reset = reinterpret_cast<decltype(Reset)>(vx::GetProcAddress(module, "VXFAKE_Reset"));
    QueueScan = reinterpret_cast<decltype(QueueScan)>(vx::GetProcAddress(module, "VXFAKE_QueueScan"));
    ScanCount = reinterpret_cast<decltype(ScanCount)>(vx::GetProcAddress(module, "VXFAKE_ScanCount"));
    ScanInput = reinterpret_cast<decltype(ScanInput)>(vx::GetProcAddress(module, "VXFAKE_ScanInput"));
    ScanPerformance = reinterpret_cast<decltype(ScanPerformance)>(vx::GetProcAddress(module, "VXFAKE_ScanPerformance"));
    LiveScanners = reinterpret_cast<decltype(LiveScanners)>(vx::GetProcAddress(module, "VXFAKE_LiveScanners"));
    SpendTimeAfter = reinterpret_cast<decltype(SpendTimeAfter)>(vx::GetProcAddress(module, "VXFAKE_SpendTimeAfter"));
    ClockStarts = reinterpret_cast<decltype(ClockStarts)>(vx::GetProcAddress(module, "VXFAKE_ClockStarts"));
  }
  std::vector<uint8_t> Input(int32_t scan) const {
    uint32_t bytes = 0;
    const uint8_t* data = ScanInput(scan, &bytes);
    return std::vector<uint8_t>(data, data + bytes);
  }
};

template <class T>
T Field(const std::vector<uint8_t>& dib, size_t offset) {
  T value{};
  std::memcpy(&value, dib.data() + offset, sizeof value);
  return value;
}

VxFakeBarcode Barcode(const char* value, std::array<int32_t, 8> corners = {}, double skew = 0, int32_t type = 0,
                      int32_t checksum = 0) {
  VxFakeBarcode b{};
  b.value = value;
  b.type = type;
  std::copy(corners.begin(), corners.end(), b.corners);
  b.skew = skew;
  b.checksum = checksum;
  b.rows = 12;
  b.columns = 36;
  return b;
}

class FakeReaderTest : public EngineTest {
 protected:
  void SetUp() override {
    const char* old = std::getenv("VEXIRO_PLUGIN_PATH");
    oldPath_ = old != nullptr ? old : "";
    setenv("VEXIRO_PLUGIN_PATH", VEXIRO_PLUGIN_DIR "/fakebarcode", 1);
    vx::SetMessageBoxSink([this](const std::string& text, const std::string& title, vx::UINT) {
      messages_.push_back(title + ": " + text);
      return vx::IDOK;
    });
    linear_.Bind("vxbarcode.1dreader.dll");
    matrix_.Bind("vxbarcode.dmreader.dll");
    ASSERT_TRUE(linear_.Reset != nullptr && matrix_.Reset != nullptr) << "the fake plug-ins are found first";
    linear_.Reset(105);
    matrix_.Reset(100);
    EngineTest::SetUp();
  }
  void TearDown() override {
    EngineTest::TearDown();
    EXPECT_EQ(linear_.LiveScanners(), 0) << "no scanner outlives its engine";
    EXPECT_EQ(matrix_.LiveScanners(), 0) << "no scanner outlives its engine";
    vx::SetMessageBoxSink(nullptr);
    setenv("VEXIRO_PLUGIN_PATH", oldPath_.c_str(), 1);
  }
  // The current image: a new one of that size, format and resolution.
  int32_t Current(int32_t width, int32_t height, gp::PixelFormat format, float dpi = 96) {
    const int32_t id = MakeImage(width, height, format, dpi);
    engine_->SetNativeImage(id);
    return id;
  }

  std::string oldPath_;
  std::vector<std::string> messages_;
  FakeModule linear_;
  FakeModule matrix_;
};

TEST_F(FakeReaderTest, PackedBitmapHeaderAndRows) {
  // An 8-bit image is handed over widened to 24 bits; a 1-bit one as it is, with its palette.
  const int32_t grey = Current(10, 7, gp::PixelFormat8bppIndexed, 96);
  ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  std::vector<uint8_t> dib = linear_.Input(0);
  ASSERT_GE(dib.size(), 40u);
  EXPECT_EQ(Field<uint32_t>(dib, 0), 40u);
  EXPECT_EQ(Field<int32_t>(dib, 4), 10);
  EXPECT_EQ(Field<int32_t>(dib, 8), 7);
  EXPECT_EQ(Field<uint16_t>(dib, 12), 1);
  EXPECT_EQ(Field<uint16_t>(dib, 14), 24);
  EXPECT_EQ(Field<uint32_t>(dib, 16), 0u);
  EXPECT_EQ(Field<uint32_t>(dib, 20), 32u * 7) << "stride of 30 bytes padded to 32";
  EXPECT_EQ(Field<int32_t>(dib, 24), 3780) << "96 dpi is 3779.53 pixels per metre";
  EXPECT_EQ(Field<uint32_t>(dib, 32), 0u);
  EXPECT_EQ(dib.size(), 40u + 32 * 7);
  engine_->CloseImage(grey);

  const int32_t bilevel = Current(33, 3, gp::PixelFormat1bppIndexed, 300);
  // Top row of index 0, the others of index 1, written in the image's own format.
  for (int32_t y = 0; y < 3; ++y) {
    gp::BitmapData data;
    gp::PixelFormat format = gp::PixelFormat1bppIndexed;
    ASSERT_EQ(vx::engine::LockImageBits(bilevel, {0, y, 33, 1}, gp::ImageLockModeWrite, format, data), vexiro::OK);
    std::memset(data.Scan0, y == 0 ? 0x00 : 0xFF, 5);
    ASSERT_EQ(vx::engine::UnlockImageBits(bilevel, data), vexiro::OK);
  }
  ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestQuality), vexiro::OK);
  dib = linear_.Input(1);
  EXPECT_EQ(Field<uint16_t>(dib, 14), 1);
  EXPECT_EQ(Field<uint32_t>(dib, 32), 2u);
  EXPECT_EQ(Field<int32_t>(dib, 24), 11811) << "300 dpi";
  EXPECT_EQ(linear_.ScanPerformance(1), 1);
  ASSERT_EQ(dib.size(), 40u + 8 + 8 * 3);
  EXPECT_EQ(dib[48 + 16], 0x00) << "the top row is stored last";
  EXPECT_EQ(dib[48], 0xFF) << "the bottom row is stored first";
}

struct SecondAttemptCase {
  const char* name;
  int32_t width, height;
  float dpi;
  std::array<int32_t, 4> region;  // all zero: whole-image mode
  vexiro::Barcode1DReaderScanMode mode;
  int32_t scans;
  int32_t enlargedWidth;  // of the second scan's bitmap
};

TEST_F(FakeReaderTest, SecondAttemptRule) {
  const SecondAttemptCase cases[] = {
      {"small region at 96 dpi doubles", 1000, 1000, 96, {10, 20, 200, 100}, vexiro::BestQuality, 2, 400},
      {"small region at 72 dpi triples", 1000, 1000, 72, {10, 20, 200, 100}, vexiro::BestQuality, 2, 600},
      {"150 dpi is not enlarged", 1000, 1000, 150, {10, 20, 200, 100}, vexiro::BestQuality, 1, 0},
      {"speed mode reads once", 1000, 1000, 96, {10, 20, 200, 100}, vexiro::BestSpeed, 1, 0},
      {"a quarter of the image is not less than a quarter", 1000, 1000, 96, {0, 0, 500, 500}, vexiro::BestQuality, 1, 0},
      {"a small whole image is enlarged", 500, 500, 96, {0, 0, 0, 0}, vexiro::BestQuality, 2, 1000},
      {"a region covering a small image counts as the whole", 500, 500, 96, {0, 0, 500, 500}, vexiro::BestQuality, 2, 1000},
      {"a large whole image is not", 700, 600, 96, {0, 0, 0, 0}, vexiro::BestQuality, 1, 0},
      {"enlarged sides beyond 16 bits", 12000, 40, 72, {0, 0, 11000, 10}, vexiro::BestQuality, 2, 33000},
  };
  for (const SecondAttemptCase& c : cases) {
    SCOPED_TRACE(c.name);
    linear_.Reset(105);
    const int32_t id = Current(c.width, c.height, gp::PixelFormat24bppRGB, c.dpi);
    if (c.region == std::array<int32_t, 4>{})
      ImagingTestAccess::SetWholeImageRegion(*engine_);
    else
      ImagingTestAccess::SetRegion(*engine_, c.region[0], c.region[1], c.region[2], c.region[3]);
    EXPECT_EQ(engine_->Barcode1DReaderDoScan(c.mode), vexiro::OK);
    ASSERT_EQ(linear_.ScanCount(), c.scans);
    if (c.scans == 2) {
      EXPECT_EQ(Field<int32_t>(linear_.Input(1), 4), c.enlargedWidth);
    }
    engine_->CloseImage(id);
    EXPECT_EQ(LiveImageCount(), 0) << "every working copy is released";
  }
  ImagingTestAccess::SetWholeImageRegion(*engine_);
}

TEST_F(FakeReaderTest, ResultsAreConvertedAfterTheEnlargedAttempt) {
  Current(1000, 1000, gp::PixelFormat24bppRGB, 96);
  ImagingTestAccess::SetRegion(*engine_, 100, 50, 200, 100);
  const VxFakeBarcode found[] = {
      Barcode("\xE9t\xE9", {5, 7, 9, 11, 3, 1, 0, 2}, 90, -32768, 1),
      Barcode("", {}, 0, 4, 2),
  };
  linear_.QueueScan(0, nullptr);
  linear_.QueueScan(2, found);
  const vexiro::VexiroStatus before = engine_->CloseImage(12345);
  ASSERT_NE(before, vexiro::OK);
  ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestQuality), vexiro::OK);
  EXPECT_EQ(engine_->GetStat(), before) << "in rectangle mode the scan leaves the last status alone";
  ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 2);
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), "\xC3\xA9t\xC3\xA9") << "Windows-1252 text";
  // Halves go to the even neighbour, and the region's left and top are not added.
  const int32_t corners[8] = {engine_->Barcode1DReaderGetBarcodeX1(1), engine_->Barcode1DReaderGetBarcodeY1(1),
                              engine_->Barcode1DReaderGetBarcodeX2(1), engine_->Barcode1DReaderGetBarcodeY2(1),
                              engine_->Barcode1DReaderGetBarcodeX3(1), engine_->Barcode1DReaderGetBarcodeY3(1),
                              engine_->Barcode1DReaderGetBarcodeX4(1), engine_->Barcode1DReaderGetBarcodeY4(1)};
  const int32_t expected[8] = {2, 4, 4, 6, 2, 0, 0, 1};
  EXPECT_TRUE(std::equal(corners, corners + 8, expected));
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeSkewAngle(1), 270);
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeSkewAngle(2), 0) << "an angle of 0 is no skew";
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeType(1), vexiro::Barcode1DReaderEAN13);
  EXPECT_TRUE(engine_->Barcode1DReaderBarcodeHasChecksum(1));
  EXPECT_FALSE(engine_->Barcode1DReaderBarcodeHasChecksum(2)) << "only 1 means a checksum";
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(2), "");
  for (int32_t outside : {0, 3, -1}) {
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(outside), "");
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeX1(outside), 0);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeType(outside), 0);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeSkewAngle(outside), 0);
    EXPECT_FALSE(engine_->Barcode1DReaderBarcodeHasChecksum(outside));
  }
  engine_->Barcode1DReaderClear();
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 0);
  ImagingTestAccess::SetWholeImageRegion(*engine_);
}

TEST_F(FakeReaderTest, DataMatrixReaderIsTheTwinWithRowsAndColumns) {
  Current(1000, 1000, gp::PixelFormat32bppARGB, 72);
  ImagingTestAccess::SetRegion(*engine_, 0, 0, 100, 100);
  const VxFakeBarcode one[] = {Barcode("one")};
  const VxFakeBarcode symbol[] = {Barcode("DM", {7, 5, 0, 0, 0, 0, 0, 0})};
  linear_.QueueScan(1, one);
  ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  matrix_.QueueScan(0, nullptr);
  matrix_.QueueScan(1, symbol);
  ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestQuality), vexiro::OK);
  EXPECT_EQ(matrix_.ScanCount(), 2);
  EXPECT_EQ(Field<uint16_t>(matrix_.Input(0), 14), 24) << "32-bit pixels widened to 24";
  EXPECT_EQ(Field<int32_t>(matrix_.Input(1), 4), 300) << "72 dpi enlarges three times";
  EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeX1(1), 2);
  EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeY1(1), 2);
  EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeRows(1), 12) << "rows are not divided";
  EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeColumns(1), 36);
  EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeRows(2), 0);
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1) << "the readers are independent";
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), "one");
  ImagingTestAccess::SetWholeImageRegion(*engine_);
}

// The plug-in's bound counts from the member's start: the clock is started once for both
// attempts, and a preparation the time runs out in (before it, or between bands of the rows it
// widens) hands nothing over and answers nothing found.
TEST_F(FakeReaderTest, SpentTimeEndsThePreparationWithNothingFound) {
  const struct {
    const char* name;
    int32_t asks;       // the time is spent after this many asks; -1 never
    int32_t clockStarts, scans;
  } cases[] = {
      {"time enough: both attempts, one clock", -1, 1, 2},
      {"spent before the first export", 0, 1, 0},
      {"spent between bands of rows widened to 24 bits", 2, 1, 0},
      {"spent before the enlarged attempt", 3, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    matrix_.Reset(100);
    const int32_t id = Current(600, 590, gp::PixelFormat8bppIndexed, 96);  // small: a second, enlarged attempt
    ImagingTestAccess::SetWholeImageRegion(*engine_);
    const VxFakeBarcode earlier[] = {Barcode("earlier")};
    matrix_.QueueScan(1, earlier);
    ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK);
    ASSERT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 1);
    matrix_.Reset(100);
    matrix_.SpendTimeAfter(c.asks);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestQuality), vexiro::OK);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 0);
    EXPECT_EQ(matrix_.ClockStarts(), c.clockStarts);
    EXPECT_EQ(matrix_.ScanCount(), c.scans);
    engine_->CloseImage(id);
    EXPECT_EQ(LiveImageCount(), 0) << "every working copy is released";
  }
}

struct VersionCase {
  bool linear;
  int32_t version;
  vexiro::VexiroStatus status;
  const char* message;
};

TEST_F(FakeReaderTest, PluginVersionCheckKeepsTheResults) {
  const VersionCase cases[] = {
      {true, 105, vexiro::OK, nullptr},
      {true, 104, vexiro::BarcodeReader1DPluginNotLoaded, "Error: Bad vxbarcode.1dreader.dll version."},
      {false, 100, vexiro::OK, nullptr},
      {false, 99, vexiro::BarcodeReaderDataMatrixPluginNotLoaded, "Error: Bad vxbarcode.dmreader.dll version."},
  };
  Current(20, 20, gp::PixelFormat24bppRGB);
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(c.version);
    FakeModule& fake = c.linear ? linear_ : matrix_;
    fake.Reset(c.linear ? 105 : 100);
    const VxFakeBarcode earlier[] = {Barcode("kept")};
    fake.QueueScan(1, earlier);
    auto scan = [&] {
      return c.linear ? engine_->Barcode1DReaderDoScan(vexiro::BestSpeed)
                      : engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed);
    };
    auto count = [&] {
      return c.linear ? engine_->Barcode1DReaderGetBarcodeCount() : engine_->BarcodeDataMatrixReaderGetBarcodeCount();
    };
    ASSERT_EQ(scan(), vexiro::OK);
    fake.Reset(c.version);
    messages_.clear();
    EXPECT_EQ(scan(), c.status);
    if (c.message != nullptr) {
      EXPECT_EQ(messages_, std::vector<std::string>{c.message});
      EXPECT_EQ(count(), 1) << "a failed check keeps the previous results";
    } else {
      EXPECT_TRUE(messages_.empty());
      EXPECT_EQ(count(), 0);
    }
  }
}

TEST_F(FakeReaderTest, BadInputLeavesNoImageAndNoResults) {
  const VxFakeBarcode earlier[] = {Barcode("earlier")};
  const int32_t id = Current(50, 40, gp::PixelFormat24bppRGB);
  linear_.QueueScan(1, earlier);
  ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
  ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);

  // A region outside the image: the crop's status, and its clone is not left registered.
  ImagingTestAccess::SetRegion(*engine_, 40, 30, 20, 20);
  EXPECT_NE(engine_->Barcode1DReaderDoScan(vexiro::BestQuality), vexiro::OK);
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 0);
  EXPECT_EQ(LiveImageCount(), 1);
  ImagingTestAccess::SetWholeImageRegion(*engine_);

  // Without a current image: InvalidParameter, the results gone, the last status from the region.
  engine_->CloseImage(id);
  linear_.QueueScan(1, earlier);
  EXPECT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::InvalidParameter);
}

}  // namespace
