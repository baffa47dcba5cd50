#include "jpeg2000_writer.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace vximgplug {
namespace {

constexpr int kDefaultRate = 16;
constexpr int kMaxRate = 512;
constexpr int kMaxResolutions = 6;

struct ImageDeleter {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
struct CodecDeleter {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct DibDeleter {
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};

void Quiet(const char*, void*) {}

// The codestream's destination: every write is checked, so a full disk fails the save rather
// than leaving a truncated file (OpenJPEG's own file stream ignores its final flush and close).
struct CheckedOutput {
  FILE* file = nullptr;
  bool failed = false;
};

OPJ_SIZE_T WriteToOutput(void* buffer, OPJ_SIZE_T bytes, void* user) {
  auto* out = static_cast<CheckedOutput*>(user);
  if (!out->failed && std::fwrite(buffer, 1, bytes, out->file) == bytes) return bytes;
  out->failed = true;
  return static_cast<OPJ_SIZE_T>(-1);
}

OPJ_OFF_T SkipInOutput(OPJ_OFF_T bytes, void* user) {
  auto* out = static_cast<CheckedOutput*>(user);
  if (out->failed || std::fseek(out->file, static_cast<long>(bytes), SEEK_CUR) != 0) {
    out->failed = true;
    return -1;
  }
  return bytes;
}

OPJ_BOOL SeekInOutput(OPJ_OFF_T position, void* user) {
  auto* out = static_cast<CheckedOutput*>(user);
  if (out->failed || std::fseek(out->file, static_cast<long>(position), SEEK_SET) != 0) {
    out->failed = true;
    return OPJ_FALSE;
  }
  return OPJ_TRUE;
}

std::unique_ptr<opj_stream_t, StreamDeleter> OutputStream(CheckedOutput& out) {
  std::unique_ptr<opj_stream_t, StreamDeleter> stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
  if (!stream) return nullptr;
  opj_stream_set_write_function(stream.get(), WriteToOutput);
  opj_stream_set_skip_function(stream.get(), SkipInOutput);
  opj_stream_set_seek_function(stream.get(), SeekInOutput);
  opj_stream_set_user_data(stream.get(), &out, nullptr);
  return stream;
}

// A bitmap with 8-bit samples the writer takes: grey 8-bit, RGB 24-bit or RGBA 32-bit.
std::unique_ptr<FIBITMAP, DibDeleter> EightBitSamples(FIBITMAP* dib) {
  if (FreeImage_GetImageType(dib) == FIT_BITMAP) {
    const unsigned bpp = FreeImage_GetBPP(dib);
    if (bpp == 8 && FreeImage_GetColorType(dib) == FIC_MINISBLACK) return std::unique_ptr<FIBITMAP, DibDeleter>(FreeImage_Clone(dib));
    if (bpp == 32 && FreeImage_IsTransparent(dib)) return std::unique_ptr<FIBITMAP, DibDeleter>(FreeImage_Clone(dib));
  }
  return std::unique_ptr<FIBITMAP, DibDeleter>(FreeImage_ConvertTo24Bits(dib));
}

int ResolutionLevels(unsigned width, unsigned height) {
  unsigned side = std::min(width, height);
  int levels = 1;
  while (levels < kMaxResolutions && side >= 2) {
    side /= 2;
    ++levels;
  }
  return levels;
}

std::unique_ptr<opj_image_t, ImageDeleter> ToOpenJpegImage(FIBITMAP* dib, bool topRowFirst) {
  const unsigned width = FreeImage_GetWidth(dib);
  const unsigned height = FreeImage_GetHeight(dib);
  const unsigned bpp = FreeImage_GetBPP(dib);
  const int components = static_cast<int>(bpp / 8);
  opj_image_cmptparm_t params[4] = {};
  for (int c = 0; c < components; ++c) {
    params[c].dx = params[c].dy = 1;
    params[c].w = width;
    params[c].h = height;
    params[c].prec = 8;
    params[c].sgnd = 0;
  }
  std::unique_ptr<opj_image_t, ImageDeleter> image(
      opj_image_create(static_cast<OPJ_UINT32>(components), params, components == 1 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
  if (!image) return nullptr;
  image->x0 = image->y0 = 0;
  image->x1 = width;
  image->y1 = height;
  if (components == 4) image->comps[3].alpha = 1;
  // FreeImage keeps colour samples in blue, green, red (, alpha) order.
  const int channelOf[4] = {components == 1 ? 0 : FI_RGBA_RED, FI_RGBA_GREEN, FI_RGBA_BLUE, FI_RGBA_ALPHA};
  for (unsigned y = 0; y < height; ++y) {
    const BYTE* line = FreeImage_GetScanLine(dib, static_cast<int>(topRowFirst ? y : height - 1 - y));
    for (int c = 0; c < components; ++c) {
      OPJ_INT32* target = image->comps[c].data + static_cast<size_t>(y) * width;
      const int offset = channelOf[c];
      for (unsigned x = 0; x < width; ++x) target[x] = line[x * components + offset];
    }
  }
  return image;
}

}  // namespace

bool WriteJpeg2000(FIBITMAP* source, bool topRowFirst, bool fileFormat, int rate, FILE* file) {
  auto dib = EightBitSamples(source);
  if (!dib) return false;
  auto image = ToOpenJpegImage(dib.get(), topRowFirst);
  if (!image) return false;

  opj_cparameters_t parameters;
  opj_set_default_encoder_parameters(&parameters);
  parameters.tcp_numlayers = 1;
  parameters.cp_disto_alloc = 1;
  const int clamped = std::clamp(rate == 0 ? kDefaultRate : rate, 1, kMaxRate);
  parameters.tcp_rates[0] = clamped <= 1 ? 0.0f : static_cast<float>(clamped);  // 0: lossless
  parameters.numresolution = ResolutionLevels(FreeImage_GetWidth(dib.get()), FreeImage_GetHeight(dib.get()));
  parameters.tcp_mct = image->numcomps >= 3 ? 1 : 0;

  std::unique_ptr<opj_codec_t, CodecDeleter> codec(opj_create_compress(fileFormat ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!codec) return false;
  opj_set_error_handler(codec.get(), Quiet, nullptr);
  opj_set_warning_handler(codec.get(), Quiet, nullptr);
  opj_set_info_handler(codec.get(), Quiet, nullptr);
  if (!opj_setup_encoder(codec.get(), &parameters, image.get())) return false;
  CheckedOutput out{file};
  auto stream = OutputStream(out);
  if (!stream) return false;
  const bool encoded = opj_start_compress(codec.get(), image.get(), stream.get()) &&
                       opj_encode(codec.get(), stream.get()) && opj_end_compress(codec.get(), stream.get());
  stream.reset();  // whatever OpenJPEG still held is written before the failure flag is read
  return encoded && !out.failed;
}

}  // namespace vximgplug
