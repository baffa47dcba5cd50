// GIF files through giflib. An 8-bit indexed frame is written with its own palette (1- and 4-bit
// ones are widened to 8 bits); any other frame is reduced to the fixed 6x6x6 colour cube, with
// one extra transparent entry for pixels less than half opaque. A palette entry with alpha 0
// becomes the transparent colour.
#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/frame_tools.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr size_t kCubeEntries = 216;

int WriteToSink(GifFileType* gif, const GifByteType* data, int length) {
  return static_cast<ByteSink*>(gif->UserData)->Write(data, static_cast<size_t>(length)) ? length : 0;
}

std::vector<ARGB> CubePalette() {
  static constexpr uint8_t kLevels[6] = {0x00, 0x33, 0x66, 0x99, 0xcc, 0xff};
  std::vector<ARGB> palette;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) palette.push_back(OpaqueRgb(kLevels[r], kLevels[g], kLevels[b]));
  return palette;
}

// The frame as 8-bit indices plus the palette to write.
Status IndexedPicture(const Frame& source, Frame& out) {
  if (IsIndexedPixelFormat(source.format)) return ConvertFrame(source, PixelFormat8bppIndexed, source.palette, out);
  if (!IsAlphaPixelFormat(source.format)) return ConvertFrame(source, PixelFormat8bppIndexed, CubePalette(), out);
  Frame argb;
  if (Status s = ConvertFrame(source, PixelFormat32bppARGB, {}, argb); s != Ok) return s;
  if (Status s = ConvertFrame(argb, PixelFormat8bppIndexed, CubePalette(), out); s != Ok) return s;
  out.palette.push_back(0);  // transparent entry after the cube
  for (INT y = 0; y < out.height; ++y) {
    const auto* colours = reinterpret_cast<const ARGB*>(RowOf(argb, y));
    uint8_t* indices = RowOf(out, y);
    for (INT x = 0; x < out.width; ++x)
      if ((colours[x] >> 24) < 0x80) indices[x] = static_cast<uint8_t>(kCubeEntries);
  }
  return Ok;
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    if (gif) EGifCloseFile(gif, &error);
  }
};

struct ColorMapDeleter {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

int TransparentIndex(const std::vector<ARGB>& palette) {
  for (size_t i = 0; i < palette.size() && i < 256; ++i)
    if ((palette[i] >> 24) == 0) return static_cast<int>(i);
  return -1;
}

std::unique_ptr<ColorMapObject, ColorMapDeleter> MakeColorMap(const std::vector<ARGB>& palette) {
  int size = 2;
  while (size < static_cast<int>(std::min<size_t>(palette.size(), 256))) size *= 2;
  std::vector<GifColorType> colours(static_cast<size_t>(size), GifColorType{0, 0, 0});
  for (size_t i = 0; i < palette.size() && i < colours.size(); ++i)
    colours[i] = {static_cast<GifByteType>(palette[i] >> 16), static_cast<GifByteType>(palette[i] >> 8), static_cast<GifByteType>(palette[i])};
  return std::unique_ptr<ColorMapObject, ColorMapDeleter>(GifMakeMapObject(size, colours.data()));
}

Status WritePicture(GifFileType* gif, Frame& picture) {
  auto map = MakeColorMap(picture.palette);
  if (!map) return OutOfMemory;
  if (EGifPutScreenDesc(gif, picture.width, picture.height, 8, 0, map.get()) == GIF_ERROR) return GenericError;
  if (const int transparent = TransparentIndex(picture.palette); transparent >= 0) {
    const GifByteType control[4] = {0x01, 0, 0, static_cast<GifByteType>(transparent)};
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control) == GIF_ERROR) return GenericError;
  }
  if (EGifPutImageDesc(gif, 0, 0, picture.width, picture.height, false, nullptr) == GIF_ERROR) return GenericError;
  for (INT y = 0; y < picture.height; ++y)
    if (EGifPutLine(gif, RowOf(picture, y), picture.width) == GIF_ERROR) return GenericError;
  return Ok;
}

}  // namespace

Status EncodeGif(const Frame& source, const EncodeOptions&, ByteSink& out) {
  if (source.width > 65535 || source.height > 65535) return ValueOverflow;
  Frame picture;
  if (Status s = IndexedPicture(source, picture); s != Ok) return s;
  int error = 0;
  GifFileType* raw = EGifOpen(&out, WriteToSink, &error);
  if (!raw) return OutOfMemory;
  std::unique_ptr<GifFileType, GifCloser> gif(raw);
  EGifSetGifVersion(raw, true);
  if (Status s = WritePicture(raw, picture); s != Ok) return s;
  int closeError = 0;
  const int closed = EGifCloseFile(gif.release(), &closeError);
  return closed == GIF_OK ? Ok : GenericError;
}

}  // namespace vx::gdiplus::codecs
