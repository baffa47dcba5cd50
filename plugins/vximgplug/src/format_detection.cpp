#include "format_detection.h"

#include <FreeImage.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

#include "fax_g3_reader.h"
#include "file_io.h"
#include "format_numbers.h"
#include "jbig_codec.h"

namespace vximgplug {
namespace {

constexpr size_t kSignatureBytes = 64;
constexpr int32_t kFormatPbm = 7;
constexpr int32_t kFormatPcd = 9;
constexpr int32_t kFormatWbmp = 19;
constexpr int32_t kFormatCut = 21;
constexpr size_t kPcdSignatureOffset = 2048;

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

uint64_t FileSize(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

// FreeImage names every portable anymap PBM; the magic number tells the six kinds apart.
int32_t PortableAnymapKind(const std::vector<uint8_t>& start) {
  if (start.size() < 2 || start[0] != 'P' || start[1] < '1' || start[1] > '6') return kFormatPbm;
  static constexpr int32_t kByMagic[] = {7, 11, 14, 8, 12, 15};  // P1 .. P6
  return kByMagic[start[1] - '1'];
}

// A multi-byte WBMP integer: 7 bits a byte, high bit set on every byte but the last.
bool ReadWbmpNumber(const std::vector<uint8_t>& bytes, size_t& at, uint64_t& value) {
  value = 0;
  for (int i = 0; i < 4 && at < bytes.size(); ++i) {
    const uint8_t b = bytes[at++];
    value = (value << 7) | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return false;
}

// WBMP has no signature: type 0, header 0, width and height, then exactly the rows.
bool LooksLikeWbmp(const std::vector<uint8_t>& start, uint64_t fileSize) {
  if (start.size() < 4 || start[0] != 0 || start[1] != 0) return false;
  size_t at = 2;
  uint64_t width = 0, height = 0;
  if (!ReadWbmpNumber(start, at, width) || !ReadWbmpNumber(start, at, height)) return false;
  return width > 0 && height > 0 && at + ((width + 7) / 8) * height == fileSize;
}

bool LooksLikePhotoCd(const std::string& path) {
  const std::vector<uint8_t> start = ReadFileStart(path, kPcdSignatureOffset + 8);
  return start.size() == kPcdSignatureOffset + 8 &&
         std::memcmp(start.data() + kPcdSignatureOffset, "PCD_IPI", 7) == 0;
}

// Dr. Halo CUT has no signature either: a width, a height, a zero word, then per row a length
// and run-length data that must fill exactly the width and end with a zero. Every row is
// walked, so random data does not pass.
bool LooksLikeHaloCut(const std::string& path) {
  constexpr uint64_t kMaxCutBytes = uint64_t{16} << 20;
  constexpr size_t kTrailingAllowed = 16;
  const auto bytes = ReadWholeFile(path, kMaxCutBytes);
  if (!bytes || bytes->size() < 6) return false;
  const std::vector<uint8_t>& b = *bytes;
  auto word = [&](size_t at) { return static_cast<uint32_t>(b[at] | (b[at + 1] << 8)); };
  const uint32_t width = word(0), height = word(2);
  if (width == 0 || height == 0 || word(4) != 0) return false;
  size_t at = 6;
  for (uint32_t row = 0; row < height; ++row) {
    if (at + 2 > b.size()) return false;
    const size_t end = at + 2 + word(at);
    if (end > b.size() || end == at + 2) return false;
    size_t p = at + 2;
    uint32_t filled = 0;
    while (p < end - 1) {
      const uint8_t count = b[p] & 0x7F;
      const bool run = (b[p] & 0x80) != 0;
      if (count == 0) return false;
      p += run ? 2 : 1 + count;
      filled += count;
    }
    if (p != end - 1 || b[p] != 0 || filled != width) return false;
    at = end;
  }
  return b.size() - at <= kTrailingAllowed;
}

// Many files begin with a dozen zero bits: raw fax data must also end its page with the
// return-to-control codes and decode.
bool DecodesAsRawG3(const std::string& path) {
  constexpr uint64_t kMaxFaxBytes = uint64_t{16} << 20;
  const auto bytes = ReadWholeFile(path, kMaxFaxBytes);
  if (!bytes || !EndsWithReturnToControl(*bytes)) return false;
  FIBITMAP* trial = DecodeRawG3(*bytes);
  if (!trial) return false;
  FreeImage_Unload(trial);
  return true;
}

}  // namespace

int32_t DetectFormatByContent(const std::string& path, int32_t size) {
  const std::vector<uint8_t> start = ReadFileStart(path, kSignatureBytes);
  if (start.empty()) return kFormatUnknown;
  const FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(path.c_str(), size);
  if (fif == FIF_PBM) return PortableAnymapKind(start);
  if (fif != FIF_UNKNOWN) return FromFreeImageFormat(fif);
  if (LooksLikeJbig(start)) return kFormatJbig;
  if (LooksLikeRawG3(start) && DecodesAsRawG3(path)) return kFormatFaxG3;
  if (LooksLikeWbmp(start, FileSize(path))) return kFormatWbmp;
  if (LooksLikePhotoCd(path)) return kFormatPcd;
  if (LooksLikeHaloCut(path)) return kFormatCut;
  return kFormatUnknown;
}

int32_t DetectFormatByName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == "jbg" || ext == "jbig" || ext == "bie") return kFormatJbig;
  if (ext == "g3" || ext == "fax") return kFormatFaxG3;
  // FreeImage walks its extension lists with strtok, whose place is shared by every thread: two
  // threads naming formats at once would read each other's freed copies.
  static std::mutex strtokLock;
  const std::lock_guard hold(strtokLock);
  return FromFreeImageFormat(FreeImage_GetFIFFromFilename(path.c_str()));
}

}  // namespace vximgplug
