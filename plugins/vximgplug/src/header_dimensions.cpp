#include "header_dimensions.h"

#include <cstdint>
#include <vector>

#include "bilevel_bitmap.h"
#include "file_io.h"

namespace vximgplug {
namespace {

uint32_t LittleEndian32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

uint32_t BigEndian16(const std::vector<uint8_t>& b, size_t at) { return uint32_t{b[at]} << 8 | b[at + 1]; }

}  // namespace

bool ClaimedSizeAcceptable(FREE_IMAGE_FORMAT fif, const std::string& path) {
  const std::vector<uint8_t> header = ReadFileStart(path, 20);
  if (fif == FIF_DDS && header.size() >= 20) {
    // "DDS ", header size, flags, then height and width.
    return DimensionsAcceptable(LittleEndian32(header, 16), LittleEndian32(header, 12));
  }
  if (fif == FIF_SGI && header.size() >= 10) {
    // Magic, storage, bytes per channel, dimension count, then width and height.
    return DimensionsAcceptable(BigEndian16(header, 6), BigEndian16(header, 8));
  }
  return true;
}

}  // namespace vximgplug
