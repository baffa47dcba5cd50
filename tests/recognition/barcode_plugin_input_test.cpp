// The reader plug-ins take the bitmap they are handed as untrusted: every header that does not fit
// its block is refused without a read past it, and a 1-bit bitmap is read through its palette.
#include <cstring>
#include <vector>

#include "platform/kernel/environment.h"
#include "plugins/vxbarcode/vxbarcode.h"
#include "recognition_test_support.h"

namespace {

using namespace vxtest::recognition;
namespace gp = vx::gdiplus;

struct Reader {
  uint32_t (*NewBarScanner)();
  int32_t (*SetDibSource)(uint32_t, const void*, uint32_t);
  int32_t (*ScanBar)(uint32_t);
  uint8_t (*GetBarcodeCount)(uint32_t);
  int32_t (*FreeBarScanner)(uint32_t);
};

template <class F>
void BindTo(vx::HMODULE module, const std::string& name, F& slot) {
  slot = reinterpret_cast<F>(vx::GetProcAddress(module, name.c_str()));
  ASSERT_NE(slot, nullptr) << name;
}

Reader Bind(const char* module, const std::string& prefix) {
  Reader r{};
  vx::HMODULE m = vx::LoadLibrary(module);
  EXPECT_NE(m, nullptr) << module;
  BindTo(m, prefix + "NewBarScanner", r.NewBarScanner);
  BindTo(m, prefix + "SetDibSource", r.SetDibSource);
  BindTo(m, prefix + "ScanBar", r.ScanBar);
  BindTo(m, prefix + "GetBarcodeCount", r.GetBarcodeCount);
  BindTo(m, prefix + "FreeBarScanner", r.FreeBarScanner);
  return r;
}

std::vector<uint8_t> Header(int32_t width, int32_t height, uint16_t bits, uint32_t colours = 0, size_t extra = 0) {
  std::vector<uint8_t> dib(40 + extra, 0xFF);
  auto put = [&](size_t at, auto value) { std::memcpy(dib.data() + at, &value, sizeof value); };
  put(0, uint32_t{40});
  put(4, width);
  put(8, height);
  put(12, uint16_t{1});
  put(14, bits);
  put(16, uint32_t{0});
  put(32, colours);
  return dib;
}

TEST(BarcodePluginInput, MalformedBitmapsAreRefused) {
  const struct {
    const char* name;
    std::vector<uint8_t> dib;
  } cases[] = {
      {"header cut short", std::vector<uint8_t>(39, 0)},
      {"rows beyond the block", Header(1000, 1000, 24, 0, 100)},
      {"sides whose product passes 32 bits", Header(32767, 32767, 24, 0, 16)},
      {"too wide", Header(1 << 20, 1, 24, 0, 4000)},
      {"8-bit rows beyond the block", Header(100, 100, 8, 0, 1024 + 100)},
      {"an 8-bit colour table of 257 entries", Header(4, 4, 8, 257, 1028 + 16)},
      {"no rows", Header(4, 0, 24, 0, 16)},
      {"rows from the top", Header(4, -4, 24, 0, 64)},
      {"a colour table too large", Header(8, 1, 1, 0x40000000u, 12)},
      {"a colour table of one entry", Header(8, 1, 1, 1, 8)},
      // Its rows fit the block, but widened to grey it would take more than a picture holds.
      {"more pixels than a picture holds", Header(16400, 16400, 1, 2, 8 + size_t{2052} * 16400)},
  };
  const Reader readers[] = {Bind("vxbarcode.1dreader.dll", "VXBARCODE1DREADER_"),
                            Bind("vxbarcode.dmreader.dll", "VXBARCODEDMREADER_")};
  for (const Reader& r : readers) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      const uint32_t scanner = r.NewBarScanner();
      ASSERT_NE(scanner, 0u);
      EXPECT_EQ(r.SetDibSource(scanner, c.dib.data(), static_cast<uint32_t>(c.dib.size())), 1);
      EXPECT_EQ(r.ScanBar(scanner), 0);
      EXPECT_EQ(r.GetBarcodeCount(scanner), 0);
      EXPECT_EQ(r.FreeBarScanner(scanner), 1);
    }
    // 8 bits per pixel: the DataMatrix reader takes them, the linear reader not.
    const std::vector<uint8_t> indexed = Header(4, 4, 8, 0, 1024 + 16);
    const uint32_t reader = r.NewBarScanner();
    EXPECT_EQ(r.SetDibSource(reader, indexed.data(), static_cast<uint32_t>(indexed.size())), 1);
    EXPECT_EQ(r.ScanBar(reader), &r == &readers[1] ? 1 : 0);
    EXPECT_EQ(r.GetBarcodeCount(reader), 0);
    r.FreeBarScanner(reader);
    EXPECT_EQ(r.ScanBar(0), 0) << "an unknown scanner";
    const uint32_t scanner = r.NewBarScanner();
    EXPECT_EQ(r.ScanBar(scanner), 0) << "no source";
    r.FreeBarScanner(scanner);
    EXPECT_EQ(r.FreeBarScanner(scanner), 0) << "freed once";
  }
}

class BilevelSymbolsTest : public EngineTest {
 protected:
  // The current image as 1 bit per pixel whose index 0 is white: when the conversion put black
  // there, the palette entries and the bits are swapped, so the picture looks the same.
  void MakeBilevelWithSwappedPalette() {
    int32_t bilevel = 0;
    ASSERT_EQ(vx::engine::ConvertImagePixelFormat(current_, gp::PixelFormat1bppIndexed, true, bilevel), vexiro::OK);
    engine_->CloseImage(current_);
    current_ = bilevel;
    engine_->SetNativeImage(current_);
    if (static_cast<uint32_t>(engine_->ColorPaletteGetEntrie(0)) == 0xFFFFFFFFu) return;
    ASSERT_EQ(engine_->ColorPaletteSwapEntries(0, 1), vexiro::OK);
    ASSERT_EQ(static_cast<uint32_t>(engine_->ColorPaletteGetEntrie(0)), 0xFFFFFFFFu);
    int32_t width = 0, height = 0;
    vx::engine::GetImageWidth(current_, width);
    vx::engine::GetImageHeight(current_, height);
    for (int32_t y = 0; y < height; ++y) {
      gp::BitmapData data;
      gp::PixelFormat format = gp::PixelFormat1bppIndexed;
      ASSERT_EQ(vx::engine::LockImageBits(current_, {0, y, width, 1}, gp::ImageLockModeRead | gp::ImageLockModeWrite,
                                          format, data),
                vexiro::OK);
      auto* row = static_cast<uint8_t*>(data.Scan0);
      for (int32_t i = 0; i < (width + 7) / 8; ++i) row[i] = static_cast<uint8_t>(~row[i]);
      ASSERT_EQ(vx::engine::UnlockImageBits(current_, data), vexiro::OK);
    }
  }
  int32_t current_ = 0;
  ScratchFolder scratch_;
};

TEST_F(BilevelSymbolsTest, BothReadersReadOneBitImagesThroughTheirPalette) {
  VX_REQUIRE_TOOL("zint");
  VX_REQUIRE_TOOL("dmtxwrite");
  const std::string linear = scratch_ / "linear.png", matrix = scratch_ / "matrix.png";
  ASSERT_EQ(std::system(("zint -b 20 -d 'Bilevel-128' -o " + Quote(linear) + " >/dev/null").c_str()), 0);
  ASSERT_EQ(std::system(("printf %s 'Bilevel DM' | dmtxwrite -o " + Quote(matrix)).c_str()), 0);

  const struct {
    std::string file;
    bool linear;
    const char* value;
  } symbols[] = {{linear, true, "Bilevel-128"}, {matrix, false, "Bilevel DM"}};
  for (const auto& s : symbols) {
    SCOPED_TRACE(s.value);
    current_ = engine_->CreateImageFromFile(s.file);
    MakeBilevelWithSwappedPalette();
    if (s.linear) {
      ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
      ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
      EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), s.value);
    } else {
      ASSERT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestSpeed), vexiro::OK);
      ASSERT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 1);
      EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeValue(1), s.value);
    }
    engine_->CloseImage(current_);
  }
}

}  // namespace

namespace {

class ReaderSizesTest : public EngineTest {
 protected:
  // Both readers answer "nothing found" for the picture or rectangle; the process goes on.
  void ExpectNothingFound() {
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderDoScan(vexiro::BestQuality), vexiro::OK);
    EXPECT_EQ(engine_->BarcodeDataMatrixReaderGetBarcodeCount(), 0);
    EXPECT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestQuality), vexiro::OK);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 0);
  }
};

// Smaller than the DataMatrix library takes: it would assert and end the host.
TEST_F(ReaderSizesTest, PicturesAndRectanglesOfAPixelOrTwoFindNothing) {
  const struct {
    int32_t width, height;
    gp::PixelFormat format;
  } pictures[] = {{1, 1, gp::PixelFormat24bppRGB}, {2, 2, gp::PixelFormat24bppRGB}, {1, 2, gp::PixelFormat1bppIndexed},
                  {2, 1, gp::PixelFormat8bppIndexed}, {2, 2, gp::PixelFormat1bppIndexed}};
  for (const auto& p : pictures) {
    SCOPED_TRACE(std::to_string(p.width) + "x" + std::to_string(p.height));
    const int32_t id = MakeImage(p.width, p.height, p.format);
    engine_->SetNativeImage(id);
    ExpectNothingFound();
    engine_->CloseImage(id);
  }
  const int32_t page = MakeImage(200, 100, gp::PixelFormat24bppRGB);
  engine_->SetNativeImage(page);
  for (const int32_t side : {1, 2}) {
    SCOPED_TRACE(side);
    vexiro::ImagingTestAccess::SetRegion(*engine_, 10, 10, side, side);
    ExpectNothingFound();
  }
  vexiro::ImagingTestAccess::SetWholeImageRegion(*engine_);
  engine_->CloseImage(page);
}

// A strip longer than 32768 pixels, as a long scanned form or a label roll gives, is read whole:
// the symbol lies beyond the 32768th column, in colour and in 1 bit.
TEST_F(ReaderSizesTest, PictureOverThirtyTwoThousandPixelsWideIsRead) {
  const int32_t id = engine_->CreateNewImage(33000, 40, 24, -1);
  ASSERT_NE(id, 0);
  ASSERT_EQ(engine_->BarCodeDraw128("Wide-128", 32800, 5, 30), vexiro::OK);
  for (const bool bilevel : {false, true}) {
    SCOPED_TRACE(bilevel ? "1 bit" : "24 bits");
    if (bilevel) ASSERT_EQ(engine_->ConvertTo1Bpp(), vexiro::OK);
    ASSERT_EQ(engine_->Barcode1DReaderDoScan(vexiro::BestSpeed), vexiro::OK);
    ASSERT_EQ(engine_->Barcode1DReaderGetBarcodeCount(), 1);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeValue(1), "Wide-128");
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeX1(1), 32800);
    EXPECT_EQ(engine_->Barcode1DReaderGetBarcodeY1(1), 5);
  }
  engine_->CloseImage(id);
}

}  // namespace
