// The benchmarks' ZXing-C++ peer for DataMatrix symbols: loads a PNG as grey through libpng's
// simple interface and prints the value of each DataMatrix symbol ZXing finds on it, one a line.
// usage: zxing_peer PICTURE.png
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zxing_peer PICTURE.png\n");
    return 2;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, argv[1])) {
    std::fprintf(stderr, "zxing_peer: %s\n", image.message);
    return 1;
  }
  image.format = PNG_FORMAT_GRAY;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    std::fprintf(stderr, "zxing_peer: %s\n", image.message);
    return 1;
  }
  const ZXing::ImageView view(pixels.data(), static_cast<int>(image.width), static_cast<int>(image.height),
                              ZXing::ImageFormat::Lum);
  const auto hints = ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::DataMatrix).setTryHarder(true);
  for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) std::printf("%s\n", result.text().c_str());
  return 0;
}
