// In-memory encodings: through a stream over a movable global memory block, with grey JPEG
// taking the route through a temporary file so that the format plug-in may write it.
#include "engine/save/in_memory_encoding.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <limits>
#include <new>

#include "engine/save/encoder_parameters.h"
#include "engine/save/encoder_table.h"
#include "engine/save/gdiplus_savers.h"
#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/routines/shared_routines.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/kernel/code_page.h"
#include "platform/ole/ole.h"

namespace vx::engine {
namespace {

constexpr int32_t kDefaultStreamJpegQuality = 75;
constexpr int32_t kMaxJpegQuality = 100;

std::string TrimSpaces(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool IsJpegName(const std::string& name) { return name == "jpg" || name == "jpeg"; }
bool IsTiffName(const std::string& name) { return name == "tif" || name == "tiff"; }

// The JPEG quality an encoder parameter stands for: 0 the encoder's default (-1), below 0 the
// usual 75.
int32_t JpegQualityOf(int32_t parameter) { return parameter == 0 ? -1 : parameter < 1 ? kDefaultStreamJpegQuality : parameter; }

VexiroStatus BuildStreamParameters(int32_t id, const std::string& name, int32_t parameter, EncoderParameterBlock& params) {
  if (parameter == 0) return vexiro::OK;
  if (IsJpegName(name)) {
    const int32_t quality = JpegQualityOf(parameter);
    if (quality > kMaxJpegQuality) return vexiro::InvalidParameter;
    params.Add(gdiplus::EncoderQuality, quality);
  } else if (IsTiffName(name)) {
    params.Add(gdiplus::EncoderCompression, EffectiveTiffCompression(parameter, 0, GetImageBitDepthStrict(id)));
  }
  return vexiro::OK;
}

// Reads a whole file; false when it cannot be read or is empty.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size <= 0 || size > std::numeric_limits<int32_t>::max()) return false;
  bytes.resize(static_cast<size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), size));
}

// Grey 8-bit JPEG goes through a file so that the format plug-in may write it; the file saver
// takes any quality (the encoders clamp it to 100). The file is removed whatever happens.
bool EncodeGreyJpegThroughFile(int32_t id, int32_t parameter, std::vector<uint8_t>& bytes) {
  const int32_t quality = JpegQualityOf(parameter);
  const std::string path = GetTempFilePath();
  if (path.empty()) return false;
  const bool ok = SaveAsJPEGFile(id, path, quality, false) == vexiro::OK && ReadWholeFile(path, bytes);
  DeleteFileQuietly(path);
  return ok;
}

bool IsGreyEightBit(int32_t id) { return GetImageBitDepthStrict(id) == 8 && IsGreyPalette(id); }

}  // namespace

VexiroStatus SaveToStream(int32_t id, ole::ComPtr<ole::IStream>& stream, const std::string& format, int32_t parameter) {
  std::string name = Lower(TrimSpaces(format));
  int32_t index = FindEncoderIndex("*." + name);
  if (index < 0) {
    name = "bmp";
    index = FindEncoderIndex("*.bmp");
    if (index < 0) return vexiro::UnknownImageFormat;
  }
  EncoderParameterBlock params;
  const VexiroStatus s = BuildStreamParameters(id, name, parameter, params);
  if (s != vexiro::OK) return s;
  ole::ComPtr<ole::IStream> created;
  if (FAILED(ole::CreateStreamOnHGlobal(0, TRUE_, created.put())) || !created) return vexiro::GenericError;
  ReapplyResolution(id);
  CLSID clsid{};
  GetEncoderClsid(clsid, index);
  stream = created;
  return ToStatus(gdiplus::GdipSaveImageToStream(GetGpImage(id), created.get(), &clsid,
                                                 params.Empty() ? nullptr : params.Get()));
}

VexiroStatus SaveImageToByteArray(int32_t id, int32_t& length, std::vector<uint8_t>& bytes, const std::string& format,
                                  int32_t parameter) {
  try {
    const std::string name = Lower(TrimSpaces(format));
    if (IsJpegName(name) && IsGreyEightBit(id) && EncodeGreyJpegThroughFile(id, parameter, bytes)) {
      length = static_cast<int32_t>(bytes.size());
      return vexiro::OK;
    }
    ole::ComPtr<ole::IStream> stream;
    const VexiroStatus s = SaveToStream(id, stream, format, parameter);
    if (s != vexiro::OK) return s;
    HGLOBAL block = 0;
    if (FAILED(ole::GetHGlobalFromStream(stream.get(), &block)) || block == 0) return vexiro::GenericError;
    ole::STATSTG stat;
    if (FAILED(stream->Stat(&stat, 0)) || stat.cbSize == 0) return vexiro::GenericError;
    if (stat.cbSize > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return vexiro::OutOfMemory;
    if (FAILED(stream->Seek(0, ole::STREAM_SEEK_SET, nullptr))) return vexiro::GenericError;
    std::vector<uint8_t> read(static_cast<size_t>(stat.cbSize));
    ULONG got = 0;
    if (FAILED(stream->Read(read.data(), static_cast<ULONG>(read.size()), &got)) || got != read.size())
      return vexiro::GenericError;
    bytes = std::move(read);
    length = static_cast<int32_t>(bytes.size());
    return vexiro::OK;
  } catch (const std::bad_alloc&) {
    return vexiro::OutOfMemory;
  }
}

VexiroStatus SaveImageToString(int32_t id, std::string& text, const std::string& format, int32_t parameter) {
  int32_t length = 0;
  std::vector<uint8_t> bytes;
  const VexiroStatus s = SaveImageToByteArray(id, length, bytes, format, parameter);
  if (s == vexiro::OK) text = AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return s;
}

}  // namespace vx::engine
