// The GIF89a file structure around the LZW data, and the preparation of an image for it.
#include "engine/save/gif89a_writer.h"


#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/pixel_formats.h"
#include "engine/save/image_buffers.h"
#include "platform/gdiplus/image_io_file.h"

namespace vx::engine {
namespace {

void PutWord(std::vector<uint8_t>& out, int32_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

// Exactly 2^bits entries, as the screen descriptor announces.
void PutColorTable(std::vector<uint8_t>& out, const GifImage& image) {
  const size_t entries = size_t{1} << image.bitsPerPixel;
  for (size_t i = 0; i < entries; ++i) {
    if (i < image.palette.size()) {
      out.insert(out.end(), image.palette[i].begin(), image.palette[i].begin() + 3);
    } else {
      out.insert(out.end(), 3, 0);
    }
  }
}

void PutGraphicControl(std::vector<uint8_t>& out, int32_t transparentIndex) {
  const bool transparent = transparentIndex >= 0;
  out.insert(out.end(), {0x21, 0xF9, 4, static_cast<uint8_t>(transparent ? 1 : 0), 0, 0,
                         static_cast<uint8_t>(transparent ? transparentIndex : 0), 0});
}

bool BufferHoldsRows(const GifImage& image) {
  if (image.width < 1 || image.height < 1 || !image.pixels) return false;
  if (image.bitsPerPixel < 1 || image.bitsPerPixel > 8) return false;
  if (image.bufferDepth != 1 && image.bufferDepth != 4 && image.bufferDepth != 8) return false;
  const uint64_t rowBytes = (static_cast<uint64_t>(image.width) * image.bufferDepth + 7) / 8;
  return image.pixelBytes / static_cast<uint64_t>(image.height) >= rowBytes;
}

}  // namespace

std::vector<uint8_t> GIFEncode(const GifImage& image) {
  std::vector<uint8_t> out;
  if (!BufferHoldsRows(image) || image.width > 0xFFFF || image.height > 0xFFFF) return out;
  const int32_t bits = image.bitsPerPixel;
  const int32_t codeSize = bits == 1 ? 2 : bits;
  const int32_t transparent =
      image.transparentIndex >= 0 && image.transparentIndex < (1 << bits) ? image.transparentIndex : -1;

  out.insert(out.end(), {'G', 'I', 'F', '8', '9', 'a'});
  PutWord(out, image.width);
  PutWord(out, image.height);
  out.push_back(static_cast<uint8_t>(0xF0 | (bits - 1)));
  out.push_back(0);  // background colour index
  out.push_back(0);  // pixel aspect ratio
  PutColorTable(out, image);
  PutGraphicControl(out, transparent);

  out.push_back(0x2C);
  PutWord(out, 0);
  PutWord(out, 0);
  PutWord(out, image.width);
  PutWord(out, image.height);
  out.push_back(static_cast<uint8_t>((bits - 1) | (image.interlace ? 0x40 : 0)));
  out.push_back(static_cast<uint8_t>(codeSize));
  GIFCompress(codeSize + 1, image, out);
  out.push_back(0);     // block terminator
  out.push_back(0x3B);  // trailer
  return out;
}

namespace {

// The entry that is transparent: the last one with alpha 0, as a later one always overrode an
// earlier one; its own index, so an opaque entry of the same colour stays opaque.
int32_t TransparentIndexOf(const std::vector<PaletteBytes>& palette) {
  int32_t index = -1;
  for (size_t i = 0; i < palette.size(); ++i)
    if (palette[i][3] == 0) index = static_cast<int32_t>(i);
  return index;
}

VexiroStatus WriteGif(int32_t id, const std::string& path, int32_t bits) {
  GifImage image;
  VexiroStatus s = GetImageWidth(id, image.width);
  if (s == vexiro::OK) s = GetImageHeight(id, image.height);
  if (s == vexiro::OK) s = ReadPaletteBytes(id, image.palette);
  if (s != vexiro::OK) return s;
  std::vector<uint8_t> pixels;
  s = ReadWholeImage(id, GetImagePixelFormatValue(id), bits, pixels);
  if (s != vexiro::OK) return s;
  image.bitsPerPixel = bits;
  image.bufferDepth = bits;
  image.pixels = pixels.data();
  image.pixelBytes = pixels.size();
  image.interlace = true;
  image.transparentIndex = TransparentIndexOf(image.palette);
  const std::vector<uint8_t> bytes = GIFEncode(image);
  if (bytes.empty()) return vexiro::GenericError;
  return gdiplus::ReplaceFileAtomically(path.c_str(), bytes) == gdiplus::Ok ? vexiro::OK : vexiro::GenericError;
}

}  // namespace

VexiroStatus SaveAsGIFiFile(int32_t id, const std::string& path) {
  return RunOwnWriter(
      id, [](int32_t bits) { return bits > 8; },
      [&path](int32_t source, int32_t bits, bool reduced) { return WriteGif(source, path, reduced ? 8 : bits); });
}

}  // namespace vx::engine
