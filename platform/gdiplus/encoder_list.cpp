// The codec queries: the built-in decoders and encoders as ImageCodecInfo records. The records
// come first in the caller's buffer; their texts and signature bytes follow them in that buffer.
#include <cstring>

#include "platform/gdiplus/codecs/codec_table.h"
#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::gdiplus {

namespace codecs {

namespace {

std::vector<BYTE> Text(const char* s) { return std::vector<BYTE>(s, s + std::strlen(s)); }
std::vector<BYTE> Ones(size_t n) { return std::vector<BYTE>(n, 0xFF); }

constexpr ULONG kReadWrite = ImageCodecFlagsEncoder | ImageCodecFlagsDecoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
constexpr ULONG kReadBitmap = ImageCodecFlagsDecoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
constexpr ULONG kReadVector = ImageCodecFlagsDecoder | ImageCodecFlagsSupportVector | ImageCodecFlagsBuiltin;

std::vector<CodecEntry> MakeTable() {
  std::vector<BYTE> emfPattern(44, 0), emfMask(44, 0);
  emfPattern[0] = 1;  // the header record, and " EMF" at offset 40
  std::memcpy(&emfPattern[40], " EMF", 4);
  for (size_t i : {0, 1, 2, 3, 40, 41, 42, 43}) emfMask[i] = 0xFF;
  return {
      {EncoderClsidBMP, ImageFormatBMP, "Built-in BMP Codec", "BMP", "*.BMP;*.DIB;*.RLE", "image/bmp", kReadWrite,
       {{Text("BM"), Ones(2)}}, EncodeBmp},
      {EncoderClsidJPEG, ImageFormatJPEG, "Built-in JPEG Codec", "JPEG", "*.JPG;*.JPEG;*.JPE;*.JFIF", "image/jpeg",
       kReadWrite, {{{0xFF, 0xD8}, Ones(2)}}, EncodeJpeg},
      {EncoderClsidGIF, ImageFormatGIF, "Built-in GIF Codec", "GIF", "*.GIF", "image/gif", kReadWrite,
       {{Text("GIF89a"), Ones(6)}, {Text("GIF87a"), Ones(6)}}, EncodeGif},
      {MakeGuid(0x557cf403, 0x1a04, 0x11d3, 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e), ImageFormatEMF,
       "Built-in EMF Codec", "EMF", "*.EMF", "image/x-emf", kReadVector, {{emfPattern, emfMask}}, nullptr},
      {MakeGuid(0x557cf404, 0x1a04, 0x11d3, 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e), ImageFormatWMF,
       "Built-in WMF Codec", "WMF", "*.WMF", "image/x-wmf", kReadVector, {{{0xD7, 0xCD, 0xC6, 0x9A}, Ones(4)}}, nullptr},
      {EncoderClsidTIFF, ImageFormatTIFF, "Built-in TIFF Codec", "TIFF", "*.TIF;*.TIFF", "image/tiff", kReadWrite,
       {{{'I', 'I', 42, 0}, Ones(4)}, {{'M', 'M', 0, 42}, Ones(4)}}, nullptr},
      {EncoderClsidPNG, ImageFormatPNG, "Built-in PNG Codec", "PNG", "*.PNG", "image/png", kReadWrite,
       {{{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, Ones(8)}}, EncodePng},
      {MakeGuid(0x557cf407, 0x1a04, 0x11d3, 0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e), ImageFormatIcon,
       "Built-in ICO Codec", "ICO", "*.ICO", "image/x-icon", kReadBitmap, {{{0, 0, 1, 0}, Ones(4)}}, nullptr},
  };
}

}  // namespace

// Never destroyed: engines on a host's other threads may still look codecs up while it exits.
std::span<const CodecEntry> BuiltinCodecs() {
  static const auto* table = new std::vector<CodecEntry>(MakeTable());
  return *table;
}

const CodecEntry* FindEncoder(const CLSID& clsid) {
  for (const CodecEntry& c : BuiltinCodecs())
    if ((c.flags & ImageCodecFlagsEncoder) && c.clsid == clsid) return &c;
  return nullptr;
}

}  // namespace codecs

namespace {

using codecs::CodecEntry;

size_t TextBytes(const char* s) { return s ? std::strlen(s) + 1 : 0; }

size_t ExtraBytes(const CodecEntry& c) {
  size_t n = TextBytes(c.name) + TextBytes(c.description) + TextBytes(c.extensions) + TextBytes(c.mime);
  for (const codecs::Signature& s : c.signatures) n += s.pattern.size() + s.mask.size();
  return n;
}

std::vector<const CodecEntry*> Select(ULONG flag) {
  std::vector<const CodecEntry*> selected;
  for (const CodecEntry& c : codecs::BuiltinCodecs())
    if (c.flags & flag) selected.push_back(&c);
  return selected;
}

Status ListSize(ULONG flag, UINT* count, UINT* size) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!count || !size) return InvalidParameter;
  const auto selected = Select(flag);
  size_t bytes = selected.size() * sizeof(ImageCodecInfo);
  for (const CodecEntry* c : selected) bytes += ExtraBytes(*c);
  *count = static_cast<UINT>(selected.size());
  *size = static_cast<UINT>(bytes);
  return Ok;
}

// Copies bytes into the text area and returns where they landed.
template <class T>
const T* Place(BYTE*& cursor, const void* data, size_t size) {
  std::memcpy(cursor, data, size);
  const T* placed = reinterpret_cast<const T*>(cursor);
  cursor += size;
  return placed;
}

const char* PlaceText(BYTE*& cursor, const char* s) { return s ? Place<char>(cursor, s, std::strlen(s) + 1) : nullptr; }

Status FillList(ULONG flag, UINT count, UINT size, ImageCodecInfo* out) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!out) return InvalidParameter;
  UINT expectedCount = 0, expectedSize = 0;
  ListSize(flag, &expectedCount, &expectedSize);
  if (count != expectedCount || size != expectedSize) return GenericError;
  const auto selected = Select(flag);
  BYTE* cursor = reinterpret_cast<BYTE*>(out) + selected.size() * sizeof(ImageCodecInfo);
  for (size_t i = 0; i < selected.size(); ++i) {
    const CodecEntry& c = *selected[i];
    ImageCodecInfo info;
    info.Clsid = c.clsid;
    info.FormatID = c.format;
    info.CodecName = PlaceText(cursor, c.name);
    info.DllName = nullptr;  // built into the platform
    info.FormatDescription = PlaceText(cursor, c.description);
    info.FilenameExtension = PlaceText(cursor, c.extensions);
    info.MimeType = PlaceText(cursor, c.mime);
    info.Flags = c.flags;
    info.Version = 1;
    info.SigCount = static_cast<ULONG>(c.signatures.size());
    info.SigSize = static_cast<ULONG>(c.signatures.empty() ? 0 : c.signatures.front().pattern.size());
    BYTE* patterns = cursor;
    for (const codecs::Signature& s : c.signatures) Place<BYTE>(cursor, s.pattern.data(), s.pattern.size());
    BYTE* masks = cursor;
    for (const codecs::Signature& s : c.signatures) Place<BYTE>(cursor, s.mask.data(), s.mask.size());
    info.SigPattern = patterns;
    info.SigMask = masks;
    std::memcpy(static_cast<void*>(&out[i]), &info, sizeof info);
  }
  return Ok;
}

}  // namespace

Status GdipGetImageDecodersSize(UINT* numDecoders, UINT* size) { return ListSize(ImageCodecFlagsDecoder, numDecoders, size); }
Status GdipGetImageDecoders(UINT numDecoders, UINT size, ImageCodecInfo* decoders) {
  return FillList(ImageCodecFlagsDecoder, numDecoders, size, decoders);
}
Status GdipGetImageEncodersSize(UINT* numEncoders, UINT* size) { return ListSize(ImageCodecFlagsEncoder, numEncoders, size); }
Status GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders) {
  return FillList(ImageCodecFlagsEncoder, numEncoders, size, encoders);
}

}  // namespace vx::gdiplus
