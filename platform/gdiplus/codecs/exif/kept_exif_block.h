// The EXIF block a picture was read with, written again as the camera wrote it while the items
// still say what it says: a rebuilt block moves values, and camera makers keep data that no item
// stands for (previews past a maker note's count, private directories, uncompressed thumbnails)
// at offsets only the original layout honours. Depends on the standard library only.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/gdiplus/codecs/exif/ifd_writer.h"

namespace vx::gdiplus::codecs::ifd {

// The TIFF structure of the EXIF block the picture was read with, bytes as the file held them.
constexpr uint32_t kExifBlockItem = 0x5F7D;

// True when the EXIF items among `tags` (those an EXIF block holds: not the platform's own items,
// nor those JPEG files keep in segments of their own) are exactly the items `block` gives, each
// with its type and value: none changed, none added, none taken away.
bool BlockHoldsExactly(const std::vector<uint8_t>& block, const std::vector<Tag>& tags);

// The bytes a camera keeps right past its maker note's count in `block` (a preview directory and
// its image, a value that runs past the count): from the note's end to the next directory or
// value of the block, or its end. Empty when the block holds no note, or another one.
std::vector<uint8_t> BytesPastMakerNote(const std::vector<uint8_t>& block, const std::vector<uint8_t>& note);

}  // namespace vx::gdiplus::codecs::ifd
