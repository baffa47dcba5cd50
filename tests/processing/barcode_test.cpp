#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include "engine/image_access.h"
#include "engine/saving_test_support.h"
#include "processing/barcode/barcode_encoder.h"

namespace vexiro {
namespace {

using namespace vx::engine;
using namespace vx::engine::saving_test;

TEST(BarcodeEncoder, TablesChecksAndPatterns) {
  const cBarCode e;
  // Code 128 of "A": start B, A (value 33), check (33 + 104) mod 103 = 34, stop.
  const std::string a = e.c128_Binaire("A");
  EXPECT_EQ(a.substr(0, 11), "11010010000");
  EXPECT_EQ(a.substr(11, 11), "10100011000") << "value 33";
  EXPECT_EQ(a.substr(22, 11), "10001011000") << "check value 34";
  EXPECT_EQ(a.substr(33), "1100011101011") << "stop";
  EXPECT_EQ(e.c128_Binaire("a\x01"), "") << "a control character refuses the text";
  EXPECT_EQ(e.c128_Binaire("").size(), 35u) << "start, check 1, stop";

  EXPECT_EQ(e.CalculNumControlCodeBarre("400638133393"), "4006381333931");
  EXPECT_TRUE(e.CheckSumValideEAN13("4006381333931"));
  EXPECT_FALSE(e.CheckSumValideEAN13("4006381333932"));
  const std::string ean = e.EAN13_Binaire("4006381333931");
  EXPECT_EQ(ean.substr(0, 4), "101-");
  EXPECT_EQ(ean.substr(4, 7), "0001101") << "first digit 4: L code of 0";
  EXPECT_EQ(std::count_if(ean.begin(), ean.end(), [](char c) { return c == '0' || c == '1'; }), 95);

  EXPECT_EQ(e.C39_Mod43("CODE39"), "W");
  EXPECT_EQ(e.Code39_Binaire("a"), e.Code39_Binaire(" ")) << "lower case is coded as a space";
  EXPECT_EQ(e.Code39_Binaire("0"), "1001011011010" "101001101101" "0" "100101101101");
  EXPECT_EQ(e.calculCheckSum2of5("1234567"), "0");
  // The stop's last element is a narrow space.
  EXPECT_EQ(e.Code25i_Binaire("00"), "1010" "10101100110010" "11010");
}

class BarcodeMembers : public test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  int32_t Canvas(int32_t w, int32_t h) {
    const int32_t id = MakeImage(w, h, vx::gdiplus::PixelFormat24bppRGB);
    SavingTestAccess::SetCurrent(E(), id);
    EXPECT_EQ(E().DrawFillRectangle(0, 0, w, h, -1), OK);
    return id;
  }
  ARGB Pixel(int32_t id, int32_t x, int32_t y) {
    ARGB c = 0;
    EXPECT_EQ(GetImagePixel(id, x, y, c), OK);
    return c;
  }
  // What zbarimg reads from the current image, "TYPE:text" lines.
  std::string Zbar() {
    ScratchFolder folder;
    const std::string file = folder.File("code.png");
    EXPECT_EQ(E().SaveAsPNG(file), OK);
    return Shell("zbarimg -q '" + file + "' 2>/dev/null");
  }
  // What ZXing-C++ reads from the current image.
  std::string Zxing(int32_t id, int32_t w, int32_t h) {
    std::vector<uint8_t> grey(size_t(w) * h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) grey[size_t(y) * w + x] = Pixel(id, x, y) & 0xFF;
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    const ZXing::Result r = ZXing::ReadBarcode(ZXing::ImageView(grey.data(), w, h, ZXing::ImageFormat::Lum), hints);
    return r.isValid() ? r.text() : std::string("(none)");
  }
};

TEST_F(BarcodeMembers, EachSymbologyIsReadBackAtTwoHeights) {
  struct Case {
    const char* name;
    std::function<VexiroStatus(cImaging&, int32_t)> draw;
    std::string zbar, zxing;
    int32_t readerType;
  };
  const Case cases[] = {
      {"Code 128", [](cImaging& e, int32_t h) { return e.BarCodeDraw128(" Vexiro-128 ", 30, 10, h); },
       "CODE-128:Vexiro-128", "Vexiro-128", vexiro::Barcode1DReaderCode128},
      {"EAN-13", [](cImaging& e, int32_t h) { return e.BarCodeDrawEAN13("400638133393", 30, 10, h, 12); },
       "EAN-13:4006381333931", "4006381333931", vexiro::Barcode1DReaderEAN13},
      {"Code 39", [](cImaging& e, int32_t h) { return e.BarCodeDraw39("CODE-39", 30, 10, h); }, "CODE-39:CODE-39",
       "CODE-39", vexiro::Barcode1DReaderCode39},
      {"Interleaved 2 of 5", [](cImaging& e, int32_t h) { return e.BarCodeDraw25i("12345", 30, 10, h, true); },
       "I2/5:123457", "123457", vexiro::Barcode1DReaderInterleaved2of5},
  };
  for (const Case& c : cases) {
    for (int32_t height : {70, 105}) {
      const int32_t w = 560, h = height + 40;
      const int32_t id = Canvas(w, h);
      ASSERT_EQ(c.draw(E(), height), OK) << c.name;
      EXPECT_NE(Zbar().find(c.zbar), std::string::npos) << c.name << " at " << height;
      EXPECT_EQ(Zxing(id, w, h), c.zxing) << c.name << " at " << height;
      // The library's own reader finds the same symbol with its type.
      ASSERT_EQ(E().Barcode1DReaderDoScan(vexiro::BestSpeed), OK) << c.name;
      ASSERT_EQ(E().Barcode1DReaderGetBarcodeCount(), 1) << c.name << " at " << height;
      EXPECT_EQ(E().Barcode1DReaderGetBarcodeValue(1), c.zxing) << c.name << " at " << height;
      EXPECT_EQ(E().Barcode1DReaderGetBarcodeType(1), c.readerType) << c.name << " at " << height;
    }
  }
}

TEST_F(BarcodeMembers, ModuleWidthsAndGuardBars) {
  Canvas(400, 120);
  // 52 / 35 rounds to 1, 53 / 35 to 2, 10 / 35 to 0 which becomes 1.
  const int32_t one = E().BarCodeGetWidth39("AB", 52);
  EXPECT_EQ(one, 13 + 2 * 13 + 12);
  EXPECT_EQ(E().BarCodeGetWidth39("AB", 53), 2 * one);
  EXPECT_EQ(E().BarCodeGetWidth39("AB", 10), one);
  EXPECT_EQ(E().BarCodeGetWidthEAN13("400638133393", 70), 95 * 2);
  EXPECT_EQ(E().BarCodeGetWidth25i("12345", 35), E().BarCodeGetWidth25i("012345", 35)) << "odd counts get a 0";

  // Without a font size every bar has the full height; with one the data bars leave room.
  for (int32_t fontSize : {0, 8}) {
    const int32_t id = Canvas(400, 120);
    ASSERT_EQ(E().BarCodeDrawEAN13("4006381333931", 20, 10, 70, fontSize), OK);
    // Modules 0 and 46 are guard bars, module 6 a bar of the first data code (0001101); two
    // pixels a module. Data bars end a tenth of the height (7 pixels) early with digits.
    EXPECT_EQ(Pixel(id, 20, 79) & 0xFFFFFF, 0u);
    EXPECT_EQ(Pixel(id, 20 + 2 * 46, 79) & 0xFFFFFF, 0u);
    EXPECT_EQ(Pixel(id, 20 + 2 * 6, 72) & 0xFFFFFF, 0u);
    EXPECT_EQ(Pixel(id, 20 + 2 * 6, 73) & 0xFFFFFF, fontSize ? 0xFFFFFFu : 0u) << fontSize;
  }
}

TEST_F(BarcodeMembers, RefusedTextsAndChecks) {
  const int32_t id = Canvas(300, 100);
  const struct {
    const char* what;
    std::function<VexiroStatus()> draw;
  } refused[] = {
      {"EAN-13 with letters", [&] { return E().BarCodeDrawEAN13("40063813339A", 0, 0, 70); }},
      {"EAN-13 of 11 digits", [&] { return E().BarCodeDrawEAN13("40063813339", 0, 0, 70); }},
      {"EAN-13 with a wrong check digit", [&] { return E().BarCodeDrawEAN13("4006381333932", 0, 0, 70); }},
      {"Code 128 of a control character", [&] { return E().BarCodeDraw128("A\tB", 0, 0, 70); }},
      {"empty Code 39", [&] { return E().BarCodeDraw39("   ", 0, 0, 70); }},
      {"Code 39 of 40 characters", [&] { return E().BarCodeDraw39(std::string(40, 'A'), 0, 0, 70); }},
      {"2 of 5 with a letter", [&] { return E().BarCodeDraw25i("12a4", 0, 0, 70); }},
  };
  for (const auto& r : refused) {
    SavingTestAccess::SetStat(E(), OK);
    EXPECT_EQ(r.draw(), InvalidBarCode) << r.what;
    EXPECT_EQ(E().GetStat(), InvalidBarCode) << r.what;
  }
  for (int32_t y = 0; y < 100; y += 7)
    for (int32_t x = 0; x < 300; x += 3) ASSERT_EQ(Pixel(id, x, y), 0xFFFFFFFFu) << "nothing drawn";
  EXPECT_EQ(E().BarCodeGetWidthEAN13("40063813339A", 70), 0);
  EXPECT_EQ(E().BarCodeGetWidth128("A\tB", 70), 0);

  for (const char* text : {"", "123", "40063813339311", "400638133393A", "4006381333932"})
    EXPECT_FALSE(E().BarCodeIsValidEAN13(text)) << text;
  EXPECT_TRUE(E().BarCodeIsValidEAN13(" 4006381333931 "));
  EXPECT_EQ(E().BarCodeGetChecksumEAN13("400638133393"), "1");
  EXPECT_EQ(E().BarCodeGetChecksumEAN13("12"), "");
  EXPECT_EQ(E().BarCodeGetChecksum39("CODE39"), "W");
  EXPECT_EQ(E().BarCodeGetChecksum25i("1234567"), "0");

  SavingTestAccess::SetCurrent(E(), 0);
  EXPECT_EQ(E().BarCodeDraw128("A", 0, 0, 70), GenericError);
  EXPECT_EQ(E().BarCodeGetWidth128("A", 70), 0);
}

}  // namespace
}  // namespace vexiro
