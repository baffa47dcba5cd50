// The narrow interface every image format of the platform implements: a reader turns a whole
// encoded file held in memory into decoded frames, a writer streams frames out as encoded bytes.
// Readers never trust a header: sizes, counts and offsets are checked against the bytes given
// and against the decode limits before any memory is taken.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/gdiplus/byte_sink.h"
#include "platform/gdiplus/image_object.h"

namespace vx::gdiplus::codecs {

using Bytes = std::span<const uint8_t>;

struct DecodedImage {
  std::vector<Frame> frames;  // at least one on success
  GUID rawFormat = ImageFormatUndefined;
  GUID dimension = FrameDimensionPage;  // time for animated GIF, page otherwise
};

// How a decode treats what the file says beyond its pixels.
struct DecodeOptions {
  // The colour-managed loads: pixels described by an embedded ICC profile become sRGB. The
  // profile is reported as an item either way.
  bool applyEmbeddedProfile = false;
};

// Encoder parameters after validation; absent values mean "the encoder's default".
struct EncodeOptions {
  std::optional<ULONG> quality;      // JPEG 0..100
  std::optional<ULONG> compression;  // TIFF: an EncoderValueCompression* value
  std::optional<ULONG> colorDepth;   // TIFF: 1, 4, 8, 24, 32
  std::optional<ULONG> saveFlag;     // an EncoderValue* save flag
  std::optional<ULONG> transformation;  // JPEG: an EncoderValueTransform* value
};

Status DecodeBmp(Bytes data, DecodedImage& out);
Status DecodePng(Bytes data, DecodedImage& out, const DecodeOptions& options = {});
Status DecodeJpeg(Bytes data, DecodedImage& out, const DecodeOptions& options = {});
Status DecodeGif(Bytes data, DecodedImage& out);
Status DecodeTiff(Bytes data, DecodedImage& out, const DecodeOptions& options = {});
Status DecodeIco(Bytes data, DecodedImage& out);

// Encoders write the file's bytes to `out` as they make them.
Status EncodeBmp(const Frame& frame, const EncodeOptions& options, ByteSink& out);
Status EncodePng(const Frame& frame, const EncodeOptions& options, ByteSink& out);
Status EncodeJpeg(const Frame& frame, const EncodeOptions& options, ByteSink& out);
Status EncodeGif(const Frame& frame, const EncodeOptions& options, ByteSink& out);

}  // namespace vx::gdiplus::codecs
