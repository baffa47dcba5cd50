// Image objects as readers see them: the encoding per bit depth, the colours a renderer shows,
// the one-image layout, and the inputs that add nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "engine/engine_test_support.h"
#include "engine/load/loader.h"
#include "pdf_test_support.h"

namespace vx::pdf {
namespace {

using namespace test_support;
using namespace vx::engine::test_support;
namespace gp = vx::gdiplus;

using PixelRule = std::function<uint8_t(int x, int y)>;  // a palette index per pixel

// An indexed image whose pixel (x, y) takes the palette entry `rule` gives.
int32_t IndexedImage(int width, int height, gp::PixelFormat format, std::initializer_list<gp::ARGB> palette,
                     const PixelRule& rule) {
  const int32_t id = MakeImage(width, height, format);
  EXPECT_EQ(vx::engine::SetImagePalette(id, PaletteOf(palette)), vexiro::OK);
  const int bits = static_cast<int>(gp::GetPixelFormatSize(format));
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> row((width * bits + 7) / 8, 0);
    for (int x = 0; x < width; ++x) {
      const int bit = x * bits;
      row[bit / 8] |= static_cast<uint8_t>(rule(x, y) << (8 - bits - bit % 8));
    }
    WriteRow(id, y, row);
  }
  return id;
}

int32_t RgbImage(int width, int height) {
  const int32_t id = MakeImage(width, height, gp::PixelFormat24bppRGB);
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < width; ++x) {
      row.push_back(static_cast<uint8_t>(x * 255 / width));       // blue
      row.push_back(static_cast<uint8_t>(y * 255 / height));      // green
      row.push_back(static_cast<uint8_t>(x < width / 2 ? 200 : 40));  // red
    }
    WriteRow(id, y, row);
  }
  return id;
}

std::vector<gp::ARGB> GreyRamp() {
  std::vector<gp::ARGB> ramp;
  for (gp::ARGB i = 0; i < 256; ++i) ramp.push_back(0xFF000000u | i * 0x010101u);
  return ramp;
}

// The columns of `pdfimages -list` for the document's images: color, comp, bpc, enc.
std::vector<std::string> ListedImage(const std::string& path) {
  const Output list = RunTool("pdfimages -list " + Quoted(path));
  std::istringstream lines(list.text);
  std::string line;
  std::getline(lines, line);
  std::getline(lines, line);
  std::getline(lines, line);
  std::istringstream words(line);
  std::vector<std::string> w;
  for (std::string s; words >> s;) w.push_back(s);
  if (w.size() < 9) return {list.text};
  return {w[5], w[6], w[7], w[8]};
}

class PdfImagesTest : public vx::engine::test_support::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ASSERT_TRUE(ToolPresent("pdfimages", "poppler-utils"));
    ASSERT_TRUE(ToolPresent("pdftocairo", "poppler-utils"));
  }

  // One page of the image's size in points, covered by the image.
  std::string PageOf(int32_t id, const std::string& name, bool compress = true, bool compressor = true,
                     int32_t encryption = 0) {
    auto pdf = FixedWriter();
    pdf->CompressData(compress);
    pdf->SetCompressorAvailable(compressor);
    int32_t width = 0, height = 0;
    vx::engine::GetImageWidth(id, width);
    vx::engine::GetImageHeight(id, height);
    pdf->PaperWidth(static_cast<float>(width));
    pdf->PaperHeight(static_cast<float>(height));
    const std::string path = scratch_.File(name);
    EXPECT_TRUE(pdf->NewPdf(path, "", "", "", "", "", encryption, -1, "user", "owner"));
    int32_t image = pdf->PdfAddImage(id, 2);
    EXPECT_EQ(image, 1);
    pdf->DrawImg(image, 0, 0, static_cast<float>(width), static_cast<float>(height));
    EXPECT_TRUE(pdf->ClosePdfFile());
    return path;
  }

  // The page rendered at one pixel per point, as 32-bit pixels.
  std::vector<uint32_t> Rendered(const std::string& path, int width, int height) {
    const std::string base = scratch_.File("render");
    const Output r = RunTool("pdftocairo -upw user -png -singlefile -scale-to-x " + std::to_string(width) + " -scale-to-y " +
                             std::to_string(height) + " " + Quoted(path) + " " + Quoted(base));
    EXPECT_EQ(r.status, 0) << r.text;
    int32_t id = 0;
    EXPECT_EQ(vx::engine::LoadImageFromFile(id, base + ".png"), vexiro::OK);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    EXPECT_EQ(LockWholeArgb(id, pixels, gp::ImageLockModeRead), vexiro::OK);
    vx::engine::ReleaseImage(id);
    std::filesystem::remove(base + ".png");
    return pixels;
  }

  std::vector<uint32_t> Source(int32_t id) {
    int32_t width = 0, height = 0;
    vx::engine::GetImageWidth(id, width);
    vx::engine::GetImageHeight(id, height);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    EXPECT_EQ(LockWholeArgb(id, pixels, gp::ImageLockModeRead), vexiro::OK);
    return pixels;
  }

  Scratch scratch_;
};

double Psnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i)
    for (int shift : {0, 8, 16}) {
      const double d = static_cast<double>((a[i] >> shift) & 0xFF) - static_cast<double>((b[i] >> shift) & 0xFF);
      sum += d * d;
    }
  const double mse = sum / (3.0 * static_cast<double>(a.size()));
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST_F(PdfImagesTest, EachDepthIsEncodedAndRenderedAsItsSource) {
  const PixelRule checker = [](int x, int y) { return static_cast<uint8_t>(((x / 3) + (y / 2)) % 2); };
  const PixelRule stripes6 = [](int x, int y) { return static_cast<uint8_t>((x + y) % 6); };
  const PixelRule bands = [](int x, int y) { return static_cast<uint8_t>((x * 7 + y) % 256); };
  struct Case {
    const char* name;
    std::function<int32_t()> make;
    std::vector<std::string> listed;  // color, comp, bpc, enc
    bool exact;
  };
  const std::vector<Case> cases = {
      {"rgb24", [] { return RgbImage(64, 48); }, {"rgb", "3", "8", "jpeg"}, false},
      {"bw1", [&] { return IndexedImage(61, 40, gp::PixelFormat1bppIndexed, {0xFF000000, 0xFFFFFFFF}, checker); },
       {"gray", "1", "1", "ccitt"}, true},
      {"wb1", [&] { return IndexedImage(61, 40, gp::PixelFormat1bppIndexed, {0xFFFFFFFF, 0xFF000000}, checker); },
       {"gray", "1", "1", "ccitt"}, true},
      {"colour1", [&] { return IndexedImage(61, 40, gp::PixelFormat1bppIndexed, {0xFFFF0000, 0xFF0000FF}, checker); },
       {"index", "1", "1", "ccitt"}, true},
      {"palette4",
       [&] {
         return IndexedImage(30, 20, gp::PixelFormat4bppIndexed,
                             {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080, 0xFFFFFF00, 0xFF00FFFF}, stripes6);
       },
       {"index", "1", "4", "image"}, true},
      {"palette8",
       [&] {
         const int32_t id = MakeImage(30, 20, gp::PixelFormat8bppIndexed);
         gp::ColorPalette p;
         p.Count = 256;
         for (gp::UINT i = 0; i < 256; ++i) p.Entries[i] = 0xFF000000u | (i << 16) | ((255 - i) << 8) | (i / 2);
         vx::engine::SetImagePalette(id, p);
         for (int y = 0; y < 20; ++y) {
           std::vector<uint8_t> row;
           for (int x = 0; x < 30; ++x) row.push_back(bands(x, y));
           WriteRow(id, y, row);
         }
         return id;
       },
       {"index", "1", "8", "image"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t id = c.make();
    const std::string path = PageOf(id, std::string(c.name) + ".pdf");
    EXPECT_EQ(ListedImage(path), c.listed);
    int32_t width = 0, height = 0;
    vx::engine::GetImageWidth(id, width);
    vx::engine::GetImageHeight(id, height);
    const std::vector<uint32_t> shown = Rendered(path, width, height);
    const std::vector<uint32_t> source = Source(id);
    if (c.exact) {
      size_t differing = 0;
      for (size_t i = 0; i < shown.size(); ++i) differing += (shown[i] & 0xFFFFFF) != (source[i] & 0xFFFFFF);
      EXPECT_EQ(differing, 0u);
    } else {
      EXPECT_GE(Psnr(shown, source), 24.0);
    }
    vx::engine::ReleaseImage(id);
  }
}

TEST_F(PdfImagesTest, WithoutCompressionOrCompressorImagesAreRawAndStillShown) {
  const PixelRule checker = [](int x, int y) { return static_cast<uint8_t>((x + y) % 2); };
  const int32_t bw = IndexedImage(21, 9, gp::PixelFormat1bppIndexed, {0xFF000000, 0xFFFFFFFF}, checker);
  const int32_t palette4 = IndexedImage(21, 9, gp::PixelFormat4bppIndexed, {0xFFFF0000, 0xFF00FF00}, checker);
  const int32_t rgb = RgbImage(16, 8);
  struct Case {
    int32_t id;
    bool compress, compressor;
    std::vector<std::string> listed;
  };
  const Case cases[] = {{bw, false, true, {"gray", "1", "1", "image"}},
                        {rgb, false, true, {"rgb", "3", "8", "image"}},
                        {palette4, true, false, {"index", "1", "4", "image"}},
                        {rgb, true, false, {"rgb", "3", "8", "jpeg"}}};
  for (const Case& c : cases) {
    const std::string path = PageOf(c.id, "raw.pdf", c.compress, c.compressor);
    EXPECT_EQ(ListedImage(path), c.listed);
    EXPECT_EQ(ReadFile(path).find("/FlateDecode"), std::string::npos);
    const Output check = RunTool("qpdf --check " + Quoted(path));
    EXPECT_EQ(check.status, 0) << check.text;
    int32_t width = 0, height = 0;
    vx::engine::GetImageWidth(c.id, width);
    vx::engine::GetImageHeight(c.id, height);
    EXPECT_GE(Psnr(Rendered(path, width, height), Source(c.id)), c.id == rgb && c.compress ? 24.0 : 99.0);
    std::filesystem::remove(path);
  }
  for (int32_t id : {bw, palette4, rgb}) vx::engine::ReleaseImage(id);
}

TEST_F(PdfImagesTest, EncryptedImagesAndPalettesAreShownAsTheirSource) {
  const PixelRule checker = [](int x, int y) { return static_cast<uint8_t>((x * 3 + y) % 4); };
  const int32_t palette4 =
      IndexedImage(25, 11, gp::PixelFormat4bppIndexed, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080}, checker);
  for (int32_t encryption : {1, 2}) {
    const std::string path = PageOf(palette4, "encrypted.pdf", true, true, encryption);
    EXPECT_EQ(Psnr(Rendered(path, 25, 11), Source(palette4)), 99.0) << encryption;
    std::filesystem::remove(path);
  }
  vx::engine::ReleaseImage(palette4);
}

TEST_F(PdfImagesTest, AGreyImageKeepsItsGreyPalette) {
  const int32_t id = MakeImage(32, 16, gp::PixelFormat8bppIndexed);
  gp::ColorPalette p;
  const std::vector<gp::ARGB> ramp = GreyRamp();
  p.Count = 256;
  std::copy(ramp.begin(), ramp.end(), p.Entries);
  vx::engine::SetImagePalette(id, p);
  for (int y = 0; y < 16; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < 32; ++x) row.push_back(static_cast<uint8_t>(x * 8));
    WriteRow(id, y, row);
  }
  const std::string path = PageOf(id, "grey.pdf");
  const std::vector<std::string> listed = ListedImage(path);
  ASSERT_EQ(listed.size(), 4u) << listed[0];
  EXPECT_EQ(listed[0], "index");
  EXPECT_EQ(listed[3], "jpeg") << "through the format plug-in";
  EXPECT_EQ(listed[2], "8");
  EXPECT_GE(Psnr(Rendered(path, 32, 16), Source(id)), 24.0);
  vx::engine::ReleaseImage(id);
}

TEST_F(PdfImagesTest, TheOneImageLayoutIsByteExact) {
  const PixelRule checker = [](int x, int y) { return static_cast<uint8_t>((x + y) % 2); };
  const int32_t id = IndexedImage(12, 6, gp::PixelFormat1bppIndexed, {0xFF000000, 0xFFFFFFFF}, checker);
  auto pdf = FixedWriter();
  pdf->CompressData(false);
  const std::string path = scratch_.File("one_image.pdf");
  ASSERT_TRUE(pdf->NewPdf(path, "One image", "", "", "", ""));
  int32_t image = pdf->PdfAddImage(id, 2);
  ASSERT_EQ(image, 1);
  EXPECT_EQ(pdf->ImageWidth(1), 12);
  EXPECT_EQ(pdf->ImageHeight(1), 6);
  EXPECT_EQ(pdf->ImageWidth(0), 0);
  EXPECT_EQ(pdf->ImageWidth(2), 0);
  pdf->DrawImg(image, 10, 20, 100.5f, 50);
  ASSERT_TRUE(pdf->ClosePdfFile());
  const std::string file = ReadFile(path);
  EXPECT_EQ(file, ReadFile(std::string(VEXIRO_TEST_DATA_DIR) + "/pdf/one_image.pdf"));
  size_t at = 0;
  for (const char* object : {"1 0 obj", "2 0 obj", "5 0 obj", "6 0 obj", "7 0 obj", "4 0 obj", "3 0 obj", "xref\r\n0 8\r\n"}) {
    const size_t next = file.find(object, at);
    EXPECT_NE(next, std::string::npos) << object;
    at = next;
  }
  EXPECT_NE(file.find("q\n100.50 0 0 50.00 10.00 20.00 cm\n/Img1 Do\nQ\n\r\n"), std::string::npos);
  vx::engine::ReleaseImage(id);
}

TEST_F(PdfImagesTest, BadInputAddsNothing) {
  const std::string png = scratch_.File("red.png");
  ASSERT_EQ(RunTool("convert -size 7x5 xc:red " + Quoted(png)).status, 0) << "ImageMagick (imagemagick) is needed";
  const std::string garbage = scratch_.File("garbage.png");
  std::ofstream(garbage) << "not an image";
  const int32_t id = RgbImage(4, 4);
  vexiro::cPDF closed;
  EXPECT_EQ(closed.PdfAddImage(id, 2), 0) << "no file open";
  auto pdf = FixedWriter();
  const std::string path = scratch_.File("bad.pdf");
  ASSERT_TRUE(pdf->NewPdf(path, "", "", "", "", ""));
  struct Case {
    vexiro::PdfImageSource source;
    int32_t kind;
  };
  const Case cases[] = {{id, 3}, {id, 0}, {png, 2}, {id, 1}, {garbage, 1}, {scratch_.File("none.png"), 1},
                        {0, 2},  {987654321, 2}};
  for (const Case& c : cases) EXPECT_EQ(pdf->PdfAddImage(c.source, c.kind), 0);
  EXPECT_EQ(pdf->ImageCount(), 0);
  EXPECT_EQ(pdf->PdfAddImage(png, 1), 1) << "a file is loaded for the call";
  EXPECT_EQ(pdf->ImageWidth(1), 7);
  EXPECT_EQ(pdf->ImageHeight(1), 5);
  int32_t image = 2;
  pdf->DrawImg(image, 0, 0, 1, 1);
  ASSERT_TRUE(pdf->ClosePdfFile());
  const std::string file = ReadFile(path);
  EXPECT_EQ(file.find("/Img2"), std::string::npos);
  vx::engine::ReleaseImage(id);
}

}  // namespace
}  // namespace vx::pdf
