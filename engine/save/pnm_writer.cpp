// Portable anymaps: a text header, then rows top to bottom with no padding.
#include "engine/save/pnm_writer.h"

#include <array>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/save/image_buffers.h"
#include "platform/gdiplus/image_io_file.h"

namespace vx::engine {

int32_t PNMRowBytes(int32_t width, int32_t bitsPerPixel) {
  const int64_t bits = static_cast<int64_t>(width) * bitsPerPixel;
  return static_cast<int32_t>(((bits + 31) & ~int64_t{31}) / 8);
}

PaletteBytes ColorToBytes(uint32_t color) {
  return {static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8), static_cast<uint8_t>(color >> 16),
          static_cast<uint8_t>(color >> 24)};
}

namespace {

enum class PnmForm { Bitmap, Grey, Colour };

PnmForm FormOf(const PnmImage& image) {
  if (image.bitsPerPixel == 1) return PnmForm::Bitmap;
  if (image.bitsPerPixel <= 8 && IsFlagSet(image.flags, kPnmAllowGrey)) return PnmForm::Grey;
  return PnmForm::Colour;
}

void PutHeader(std::vector<uint8_t>& out, PnmForm form, int32_t width, int32_t height) {
  const char* magic = form == PnmForm::Bitmap ? "P4" : form == PnmForm::Grey ? "P5" : "P6";
  std::string text = std::string(magic) + "\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
  if (form != PnmForm::Bitmap) text += "255\n";
  out.insert(out.end(), text.begin(), text.end());
}

// PBM writes 1 for black: an entry counts as dark when its luminance is below the middle.
bool IsDark(const PaletteBytes& e) { return e[0] * 299 + e[1] * 587 + e[2] * 114 < 128 * 1000; }

const PaletteBytes& EntryOf(const std::vector<PaletteBytes>& palette, uint8_t index) {
  static const PaletteBytes kBlack{0, 0, 0, 255};
  return index < palette.size() ? palette[index] : kBlack;
}

using DarkTable = std::array<bool, 256>;

DarkTable DarkEntries(const std::vector<PaletteBytes>& palette) {
  DarkTable dark{};
  for (size_t i = 0; i < dark.size(); ++i) dark[i] = IsDark(EntryOf(palette, static_cast<uint8_t>(i)));
  return dark;
}

void PutBitmapRow(std::vector<uint8_t>& out, const uint8_t* src, const PnmImage& image, const DarkTable& dark) {
  const size_t start = out.size();
  out.resize(start + static_cast<size_t>((image.width + 7) / 8), 0);
  for (int32_t x = 0; x < image.width; ++x)
    if (dark[src[x]]) out[start + static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
}

void PutGreyRow(std::vector<uint8_t>& out, const uint8_t* src, const PnmImage& image) {
  const bool indexed = !image.palette.empty();
  for (int32_t x = 0; x < image.width; ++x)
    out.push_back(indexed ? EntryOf(image.palette, src[x])[1] : src[static_cast<size_t>(x) * 3]);
}

void PutColourRow(std::vector<uint8_t>& out, const uint8_t* src, const PnmImage& image) {
  if (!image.palette.empty()) {
    for (int32_t x = 0; x < image.width; ++x) {
      const PaletteBytes& e = EntryOf(image.palette, src[x]);
      out.insert(out.end(), {e[0], e[1], e[2]});
    }
    return;
  }
  for (int32_t x = 0; x < image.width; ++x, src += 3) out.insert(out.end(), {src[2], src[1], src[0]});
}

}  // namespace

std::vector<uint8_t> EncodePNM(const PnmImage& image) {
  std::vector<uint8_t> out;
  if (image.width < 1 || image.height < 1 || !image.pixels) return out;
  const int32_t rowBytes = PNMRowBytes(image.width, image.palette.empty() ? 24 : 8);
  if (static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(image.height) > image.pixelBytes) return out;
  const PnmForm form = FormOf(image);
  const DarkTable dark = DarkEntries(image.palette);
  const size_t outRow = form == PnmForm::Bitmap ? (static_cast<size_t>(image.width) + 7) / 8
                        : form == PnmForm::Grey ? static_cast<size_t>(image.width)
                                                : static_cast<size_t>(image.width) * 3;
  out.reserve(32 + outRow * static_cast<size_t>(image.height));
  PutHeader(out, form, image.width, image.height);
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* src = image.pixels + static_cast<size_t>(y) * static_cast<size_t>(rowBytes);
    switch (form) {
      case PnmForm::Bitmap:
        PutBitmapRow(out, src, image, dark);
        break;
      case PnmForm::Grey:
        PutGreyRow(out, src, image);
        break;
      case PnmForm::Colour:
        PutColourRow(out, src, image);
        break;
    }
  }
  return out;
}

bool WritePNM(const std::string& path, const PnmImage& image) {
  const std::vector<uint8_t> bytes = EncodePNM(image);
  return !bytes.empty() && gdiplus::ReplaceFileAtomically(path.c_str(), bytes) == gdiplus::Ok;
}

namespace {

// Writes `source` (8-bit indexed, or anything deeper) at the given working depth.
VexiroStatus WriteFrom(int32_t source, const std::string& path, int32_t workingBits) {
  PnmImage image;
  image.bitsPerPixel = workingBits;
  VexiroStatus s = GetImageWidth(source, image.width);
  if (s == vexiro::OK) s = GetImageHeight(source, image.height);
  if (s == vexiro::OK && workingBits <= 8) s = ReadPaletteBytes(source, image.palette);
  if (s != vexiro::OK) return s;
  const bool indexed = workingBits <= 8;
  std::vector<uint8_t> pixels;
  s = ReadWholeImage(source, indexed ? gdiplus::PixelFormat8bppIndexed : gdiplus::PixelFormat24bppRGB,
                     indexed ? 8 : 24, pixels);
  if (s != vexiro::OK) return s;
  // A palette of no entries would read the rows as 24-bit; one black entry keeps them indexed.
  if (indexed && image.palette.empty()) image.palette.push_back({0, 0, 0, 255});
  image.pixels = pixels.data();
  image.pixelBytes = pixels.size();
  return WritePNM(path, image) ? vexiro::OK : vexiro::GenericError;
}

}  // namespace

VexiroStatus SaveAsPNMFile(int32_t id, const std::string& path) {
  // Below 8 bits the rows are read from the 8-bit copy: a 1-bit image still writes a bitmap.
  return RunOwnWriter(id, [](int32_t bits) { return bits < 8; },
                      [&path](int32_t source, int32_t bits, bool reduced) {
                        const int32_t working = reduced ? (bits == 1 ? 1 : 8) : (bits == 8 ? 8 : 24);
                        return WriteFrom(source, path, working);
                      });
}

}  // namespace vx::engine
