// Image XObjects: an image of the store, or of a file, becomes one stream object written at
// once (JPEG, deflate, CCITT Group 4 or raw samples), indexed images with their palette object,
// and a drawn image one placement on the page.
#include <cmath>
#include <limits>
#include <new>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "engine/plugin/seam.h"
#include "engine/save/in_memory_encoding.h"
#include "pdf/ccitt_stage.h"
#include "pdf/deflate_stage.h"
#include "pdf/pdf_text.h"
#include "pdf/pdf_writer.h"

namespace vexiro {

using namespace vx::pdf;
namespace gp = vx::gdiplus;

namespace {

enum Mode : int32_t { kRaw = 0, kDeflate = 1, kCcitt = 2, kJpeg = 3 };

// The number of colour components a JPEG's frame header declares; 0 when none is found.
int JpegComponents(const std::string& jpeg) {
  for (size_t i = 2; i + 9 < jpeg.size();) {
    if (static_cast<unsigned char>(jpeg[i]) != 0xFF) return 0;
    const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
    const size_t length = (static_cast<unsigned char>(jpeg[i + 2]) << 8) | static_cast<unsigned char>(jpeg[i + 3]);
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
      return static_cast<unsigned char>(jpeg[i + 9]);
    i += 2 + length;
  }
  return 0;
}

int32_t WholeDpi(float dpi) {
  if (!std::isfinite(dpi) || std::fabs(dpi) > 1e9f) return 0;
  return static_cast<int32_t>(std::nearbyint(dpi));
}

}  // namespace

struct cPDF::ImageData {
  int32_t width = 0, height = 0, depth = 0, bytesPerRow = 0;
  int32_t mode = kRaw;
  float resX = 0, resY = 0;
  std::string data;     // samples (rows top to bottom, whole bytes) or the JPEG
  std::string palette;  // 2^depth R, G, B entries for depths 1 to 8
  bool greyJpeg = false;
};

bool cPDF::ReadImage(int32_t id, ImageData& image) {
  using namespace vx::engine;
  if (GetImageWidth(id, image.width) != OK || GetImageHeight(id, image.height) != OK ||
      GetImageBitDepth(id, image.depth) != OK || GetImageHorizontalResolution(id, image.resX) != OK ||
      GetImageVerticalResolution(id, image.resY) != OK)
    return false;
  if (image.width <= 0 || image.height <= 0 || image.depth <= 0) return false;
  const bool indexed = image.depth <= 8;
  if (!indexed) image.depth = 24;
  const bool grey = image.depth == 8 && IsGreyPalette(id);
  if (!compressData_) image.mode = kRaw;
  else if (image.depth == 1) image.mode = kCcitt;
  else if (image.depth == 4 || (image.depth == 8 && !grey)) image.mode = kDeflate;
  else if (image.depth == 8) image.mode = IsVximgplugAvailable() ? kJpeg : kRaw;
  else image.mode = kJpeg;

  if (image.mode == kJpeg) {
    int32_t length = 0;
    std::vector<uint8_t> bytes;
    if (SaveImageToByteArray(id, length, bytes, "JPG", jpegQuality_) != OK || bytes.empty()) return false;
    image.data.assign(bytes.begin(), bytes.end());
    // A grey JPEG keeps its grey ramp as palette only when it is one component.
    image.greyJpeg = grey && JpegComponents(image.data) == 1;
    if (grey && !image.greyJpeg) image.depth = 24;
  } else {
    const uint64_t rowBits = static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.depth);
    const uint64_t rowBytes = (rowBits + 7) / 8;
    if (rowBytes > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return false;
    image.bytesPerRow = static_cast<int32_t>(rowBytes);
    const uint64_t total = rowBytes * static_cast<uint64_t>(image.height);
    if (total > image.data.max_size()) return false;
    image.data.assign(static_cast<size_t>(total), '\0');
    const gp::PixelFormat formats[] = {gp::PixelFormat1bppIndexed, gp::PixelFormat4bppIndexed,
                                       gp::PixelFormat8bppIndexed, gp::PixelFormat24bppRGB};
    gp::PixelFormat format = formats[image.depth == 1 ? 0 : image.depth == 4 ? 1 : image.depth == 8 ? 2 : 3];
    gp::BitmapData locked;
    locked.Width = static_cast<gp::UINT>(image.width);
    locked.Height = static_cast<gp::UINT>(image.height);
    locked.Stride = image.bytesPerRow;
    locked.PixelFormat = format;
    locked.Scan0 = image.data.data();
    const gp::GpRect whole{0, 0, image.width, image.height};
    if (LockImageBits(id, whole, gp::ImageLockModeRead | gp::ImageLockModeUserInputBuf, format, locked) != OK) return false;
    if (UnlockImageBits(id, locked) != OK) return false;
    if (image.depth == 24)
      for (size_t i = 0; i + 2 < image.data.size(); i += 3) std::swap(image.data[i], image.data[i + 2]);
  }

  if (image.depth <= 8) {
    int32_t size = 0;
    gp::ColorPalette palette;
    if (GetImagePaletteSize(id, size) != OK || GetImagePalette(id, palette, size) != OK) return false;
    const size_t entries = size_t{1} << image.depth;
    image.palette.assign(entries * 3, '\0');
    for (size_t i = 0; i < entries && i < palette.Count; ++i) {
      const gp::ARGB e = palette.Entries[i];
      image.palette[3 * i] = static_cast<char>((e >> 16) & 0xFF);
      image.palette[3 * i + 1] = static_cast<char>((e >> 8) & 0xFF);
      image.palette[3 * i + 2] = static_cast<char>(e & 0xFF);
    }
  }
  return true;
}

int32_t cPDF::PdfAddImage(const PdfImageSource& source, int32_t kind) {
  if (!file_.IsOpen()) return 0;
  vx::engine::ScopedImage loaded;
  int32_t id = 0;
  if (kind == 1 && std::holds_alternative<std::string>(source)) {
    if (vx::engine::LoadImageFromFile(*loaded.put(), std::get<std::string>(source)) != OK) return 0;
    id = loaded.get();
  } else if (kind == 2 && std::holds_alternative<int32_t>(source)) {
    id = std::get<int32_t>(source);
  } else {
    return 0;
  }
  ImageData image;
  try {
    if (!ReadImage(id, image)) return 0;
  } catch (const std::bad_alloc&) {
    return 0;
  }
  loaded.Release();
  // An image is counted only once its bytes are in the file, not just in the buffer.
  if (!WriteImageObject(image) || !file_.Flush()) return 0;
  images_.push_back({image.width, image.height, WholeDpi(image.resX), WholeDpi(image.resY)});
  return static_cast<int32_t>(images_.size());
}

bool cPDF::WriteImageObject(ImageData& image) {
  std::string filter;
  int32_t mode = image.mode;
  if (mode == kJpeg) {
    filter = "/Filter/DCTDecode";
  } else if (mode != kRaw) {
    ByteSink sink;
    DeflateStage deflate(&sink, compressLevel_);
    CcittG4Stage ccitt(&sink, image.width, image.height, image.bytesPerRow);
    Stage& head = mode == kDeflate ? static_cast<Stage&>(deflate) : ccitt;
    const bool available = mode == kCcitt || compressorAvailable_;
    if (available && RunThrough(head, AsBytes(image.data))) {
      image.data.assign(sink.bytes().begin(), sink.bytes().end());
      filter = mode == kDeflate ? "/Filter/FlateDecode"
                                : "/Filter/CCITTFaxDecode/DecodeParms<</K -1/Columns " + std::to_string(image.width) + ">>";
    } else {
      mode = kRaw;
    }
  }
  InitPdfFile();
  if (!file_.IsOpen()) return false;
  const std::string name = "Img" + std::to_string(images_.size() + 1);
  const uint32_t number = BeginObj();
  const std::string head = "<</Subtype/Image";
  const std::string size = "/Width " + std::to_string(image.width) + "/Height " + std::to_string(image.height) +
                           "/Type/XObject";
  const std::string black_white = std::string("\0\0\0\xFF\xFF\xFF", 6);
  const std::string white_black = std::string("\xFF\xFF\xFF\0\0\0", 6);
  // CCITT data decodes 1 bits (coded black) to 0: every Decode array flips in that mode.
  const bool inverted = mode == kCcitt;
  bool withPalette = false;
  std::string tail;
  if (image.depth == 1 && (image.palette == black_white || image.palette == white_black)) {
    const bool dark0 = image.palette == black_white;
    tail = "/Name/" + name + "/BitsPerComponent 1/ColorSpace/DeviceGray/Decode " +
           (dark0 != inverted ? "[ 0 1 ]" : "[ 1 0 ]") + size;
  } else if (image.depth <= 8) {
    withPalette = true;
    tail = "/Name/" + name + "/BitsPerComponent " + std::to_string(image.depth) + "/ColorSpace [/Indexed/DeviceRGB " +
           std::to_string((1 << image.depth) - 1) + " " + std::to_string(number + 1) + " 0 R]" +
           (inverted ? "/Decode [ 1 0 ]" : "") + size;
  } else {
    tail = "/Name/" + name + "/BitsPerComponent 8/ColorSpace/DeviceRGB" + size;
  }
  WriteStreamObject(number, head, filter + tail, std::move(image.data));
  imageResources_ += "/" + name + " " + std::to_string(number) + " 0 R\r";
  if (withPalette) {
    const uint32_t paletteObject = BeginObj();
    WriteStreamObject(paletteObject, "<<", "", image.palette);
  }
  return true;
}

int32_t cPDF::ImageWidth(int32_t n) const { return n >= 1 && n <= static_cast<int32_t>(images_.size()) ? images_[n - 1].width : 0; }
int32_t cPDF::ImageHeight(int32_t n) const { return n >= 1 && n <= static_cast<int32_t>(images_.size()) ? images_[n - 1].height : 0; }
int32_t cPDF::ImageResX(int32_t n) const { return n >= 1 && n <= static_cast<int32_t>(images_.size()) ? images_[n - 1].resX : 0; }
int32_t cPDF::ImageResY(int32_t n) const { return n >= 1 && n <= static_cast<int32_t>(images_.size()) ? images_[n - 1].resY : 0; }

void cPDF::DrawImg(int32_t& imageNumber, float x, float y, float width, float height) {
  if (imageNumber < 1 || imageNumber > static_cast<int32_t>(images_.size())) return;
  EnsurePage();
  const auto number = [](float v) { return FormatNumber(ClampToPdfReal(v), 2); };
  AppendContent("q\n" + number(width) + " 0 0 " + number(height) + " " + number(x) + " " + number(y) + " cm\n/Img" +
                std::to_string(imageNumber) + " Do\nQ\n");
}

}  // namespace vexiro
