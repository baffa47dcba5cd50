#include "format_detection.h"

#include <FreeImage.h>

#include <algorithm>
#include <cctype>
#include <cstring>
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

}  // namespace

int32_t DetectFormatByContent(const std::string& path, int32_t size) {
  const std::vector<uint8_t> start = ReadFileStart(path, kSignatureBytes);
  if (start.empty()) return kFormatUnknown;
  const FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(path.c_str(), size);
  if (fif == FIF_PBM) return PortableAnymapKind(start);
  if (fif != FIF_UNKNOWN) return FromFreeImageFormat(fif);
  if (LooksLikeJbig(start)) return kFormatJbig;
  if (LooksLikeRawG3(start)) return kFormatFaxG3;
  if (LooksLikeWbmp(start, FileSize(path))) return kFormatWbmp;
  if (LooksLikePhotoCd(path)) return kFormatPcd;
  return kFormatUnknown;
}

int32_t DetectFormatByName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == "jbg" || ext == "jbig" || ext == "bie") return kFormatJbig;
  if (ext == "g3" || ext == "fax") return kFormatFaxG3;
  return FromFreeImageFormat(FreeImage_GetFIFFromFilename(path.c_str()));
}

}  // namespace vximgplug
