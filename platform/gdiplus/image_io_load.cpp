// Loading: files and streams are read whole (bounded in size), then decoded from memory by the
// codec that recognises the content.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/decode_limits.h"
#include "platform/kernel/regular_file.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_io.h"
#include "platform/gdiplus/property_budget.h"

namespace vx::gdiplus {

namespace {

std::atomic<MetafileDecoder> g_metafileDecoder{nullptr};

using DecodeFunction = Status (*)(codecs::Bytes, codecs::DecodedImage&, const codecs::DecodeOptions&);

// Formats that carry no colour profile decode the same way under every option.
template <Status (*Decode)(codecs::Bytes, codecs::DecodedImage&)>
Status IgnoringOptions(codecs::Bytes data, codecs::DecodedImage& out, const codecs::DecodeOptions&) {
  return Decode(data, out);
}

bool StartsWith(codecs::Bytes data, std::initializer_list<uint8_t> prefix) {
  return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin());
}

bool IsEmf(codecs::Bytes data) {
  return data.size() >= 44 && StartsWith(data, {1, 0, 0, 0}) && std::memcmp(data.data() + 40, " EMF", 4) == 0;
}

bool IsWmf(codecs::Bytes data) {
  if (StartsWith(data, {0xD7, 0xCD, 0xC6, 0x9A})) return true;  // placeable header
  return data.size() >= 18 && (StartsWith(data, {1, 0, 9, 0}) || StartsWith(data, {2, 0, 9, 0})) &&
         (data[4] == 0 && (data[5] == 1 || data[5] == 3));
}

DecodeFunction DecoderFor(codecs::Bytes data) {
  if (StartsWith(data, {'B', 'M'})) return IgnoringOptions<codecs::DecodeBmp>;
  if (StartsWith(data, {0xFF, 0xD8, 0xFF})) return codecs::DecodeJpeg;
  if (StartsWith(data, {'G', 'I', 'F', '8'})) return IgnoringOptions<codecs::DecodeGif>;
  if (StartsWith(data, {0x89, 'P', 'N', 'G'})) return codecs::DecodePng;
  if (StartsWith(data, {'I', 'I'}) || StartsWith(data, {'M', 'M'})) return codecs::DecodeTiff;
  if (StartsWith(data, {0, 0, 1, 0})) return IgnoringOptions<codecs::DecodeIco>;
  return nullptr;
}

Status StatusOfOpenError(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
      return FileNotFound;
    case EACCES:
    case EPERM:
      return AccessDenied;
    default:
      return Win32Error;
  }
}

Status ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
  const int fd = kernel::OpenRegularFileForReading(path);
  if (fd < 0) return StatusOfOpenError(errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) return Win32Error;
  if (S_ISDIR(info.st_mode)) return FileNotFound;
  if (static_cast<uint64_t>(info.st_size) > codecs::kMaxEncodedBytes) return OutOfMemory;
  try {
    bytes.resize(static_cast<size_t>(info.st_size));
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Win32Error;
    if (n == 0) break;  // the file shrank while it was read
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return Ok;
}

Status ReadWholeStream(ole::IStream* stream, std::vector<uint8_t>& bytes) {
  constexpr ULONG kChunk = 1 << 16;
  bytes.clear();
  for (;;) {
    const size_t at = bytes.size();
    if (at >= codecs::kMaxEncodedBytes) return OutOfMemory;
    try {
      bytes.resize(at + kChunk);
    } catch (const std::bad_alloc&) {
      return OutOfMemory;
    }
    ULONG got = 0;
    const HRESULT hr = stream->Read(bytes.data() + at, kChunk, &got);
    if (FAILED(hr)) return GenericError;
    bytes.resize(at + std::min(got, kChunk));
    if (got == 0) return Ok;
  }
}

Status ToBitmap(GpImage* image, GpBitmap** bitmap) {
  auto* asBitmap = dynamic_cast<GpBitmap*>(image);
  if (!asBitmap) {
    GdipDisposeImage(image);
    return GenericError;
  }
  *bitmap = asBitmap;
  return Ok;
}

}  // namespace

void RegisterMetafileDecoder(MetafileDecoder decoder) { g_metafileDecoder.store(decoder); }

Status DecodeImageFromMemory(const uint8_t* data, size_t size, GpImage** image) {
  return DecodeImageFromMemory(data, size, codecs::DecodeOptions{}, image);
}

Status DecodeImageFromMemory(const uint8_t* data, size_t size, const codecs::DecodeOptions& options, GpImage** image) {
  if (!image || (!data && size)) return InvalidParameter;
  *image = nullptr;
  const codecs::Bytes bytes(data, size);
  if (IsEmf(bytes) || IsWmf(bytes)) {
    MetafileDecoder metafile = g_metafileDecoder.load();
    return metafile ? metafile(data, size, image) : UnknownImageFormat;
  }
  const DecodeFunction decode = DecoderFor(bytes);
  if (!decode) return UnknownImageFormat;
  try {
    codecs::DecodedImage decoded;
    if (Status s = decode(bytes, decoded, options); s != Ok) return s;
    if (decoded.frames.empty()) return GenericError;
    for (Frame& frame : decoded.frames) KeepPropertiesWithinBudget(frame.properties);
    auto bitmap = std::make_unique<GpBitmap>();
    bitmap->frames = std::move(decoded.frames);
    bitmap->rawFormat = decoded.rawFormat;
    bitmap->frameDimension = decoded.dimension;
    *image = bitmap.release();
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  return Ok;
}

namespace {

constexpr codecs::DecodeOptions kColourManaged{.applyEmbeddedProfile = true};

Status LoadFromFile(const char* path, const codecs::DecodeOptions& options, GpImage** image) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!path || !image) return InvalidParameter;
  *image = nullptr;
  std::vector<uint8_t> bytes;
  if (Status s = ReadWholeFile(path, bytes); s != Ok) return s;
  return DecodeImageFromMemory(bytes.data(), bytes.size(), options, image);
}

Status LoadFromStream(ole::IStream* stream, const codecs::DecodeOptions& options, GpImage** image) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!stream || !image) return InvalidParameter;
  *image = nullptr;
  std::vector<uint8_t> bytes;
  if (Status s = ReadWholeStream(stream, bytes); s != Ok) return s;
  return DecodeImageFromMemory(bytes.data(), bytes.size(), options, image);
}

Status BitmapFromFile(const char* path, const codecs::DecodeOptions& options, GpBitmap** bitmap) {
  if (!bitmap) return GdiplusIsRunning() ? InvalidParameter : GdiplusNotInitialized;
  *bitmap = nullptr;
  GpImage* image = nullptr;
  if (Status s = LoadFromFile(path, options, &image); s != Ok) return s;
  return ToBitmap(image, bitmap);
}

Status BitmapFromStream(ole::IStream* stream, const codecs::DecodeOptions& options, GpBitmap** bitmap) {
  if (!bitmap) return GdiplusIsRunning() ? InvalidParameter : GdiplusNotInitialized;
  *bitmap = nullptr;
  GpImage* image = nullptr;
  if (Status s = LoadFromStream(stream, options, &image); s != Ok) return s;
  return ToBitmap(image, bitmap);
}

}  // namespace

Status GdipLoadImageFromFile(const char* path, GpImage** image) { return LoadFromFile(path, {}, image); }
Status GdipLoadImageFromStream(ole::IStream* stream, GpImage** image) { return LoadFromStream(stream, {}, image); }
Status GdipLoadImageFromFileICM(const char* path, GpImage** image) { return LoadFromFile(path, kColourManaged, image); }
Status GdipLoadImageFromStreamICM(ole::IStream* stream, GpImage** image) {
  return LoadFromStream(stream, kColourManaged, image);
}

Status GdipCreateBitmapFromFile(const char* path, GpBitmap** bitmap) { return BitmapFromFile(path, {}, bitmap); }
Status GdipCreateBitmapFromStream(ole::IStream* stream, GpBitmap** bitmap) { return BitmapFromStream(stream, {}, bitmap); }
Status GdipCreateBitmapFromFileICM(const char* path, GpBitmap** bitmap) { return BitmapFromFile(path, kColourManaged, bitmap); }
Status GdipCreateBitmapFromStreamICM(ole::IStream* stream, GpBitmap** bitmap) {
  return BitmapFromStream(stream, kColourManaged, bitmap);
}

}  // namespace vx::gdiplus
