// Feeds arbitrary bytes to the platform's metadata parsers: as an EXIF block (a TIFF structure of
// directories, as JPEG files carry it) read into property items, whose values are turned into
// text, bounded by the property budget and written back as an EXIF block that is read again;
// through the structure screens that run before libtiff and libpng see a file; and as the raw value of
// an item of a tag and type the first bytes choose (XMP packets and IPTC records reach the
// engine as such values).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/metadata/property_text.h"
#include "platform/gdiplus/codecs/decode_limits.h"
#include "platform/gdiplus/codecs/exif/ifd_properties.h"
#include "platform/gdiplus/codecs/memory_read.h"
#include "platform/gdiplus/codecs/png/png_data_census.h"
#include "platform/gdiplus/codecs/tiff/tiff_directory_census.h"
#include "platform/gdiplus/property_budget.h"

using namespace vx::gdiplus;

namespace {

constexpr uint64_t kFuzzDecodeBudget = uint64_t{8} << 20;

int32_t ValueCount(const PropertyRecord& item) {
  const size_t element = codecs::PropertyElementSize(item.type);
  if (item.type == 2) return 1;
  return element == 0 ? 0 : static_cast<int32_t>(item.value.size() / element);
}

void UseItems(std::vector<PropertyRecord>& items) {
  for (const PropertyRecord& item : items)
    vx::engine::PropertyValueToString(item.id, item.type, static_cast<int32_t>(item.value.size()), ValueCount(item),
                                      item.value);
  KeepPropertiesWithinBudget(items);
}

std::vector<PropertyRecord> ReadExifBlock(codecs::Bytes bytes) {
  std::vector<PropertyRecord> items;
  codecs::TiffLayout layout;
  if (!codecs::ParseTiffHeader(bytes, layout)) return items;
  codecs::DecodeBudget budget;
  codecs::ReadIfdProperties(layout, layout.firstIfd, budget, items);
  return items;
}

void Censuses(codecs::Bytes bytes) {
  codecs::CountSoundTiffDirectories(codecs::MemoryRead(bytes), 4096);
  codecs::PngDataCanHoldItsRows(codecs::MemoryRead(bytes), bytes.size());
}

void RawItem(codecs::Bytes bytes) {
  if (bytes.size() < 4) return;
  const uint32_t tag = bytes[0] | bytes[1] << 8;
  const uint16_t type = bytes[2] % 13;
  PropertyRecord item{tag, type, std::vector<uint8_t>(bytes.begin() + 4, bytes.end())};
  std::vector<PropertyRecord> items{item};
  UseItems(items);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  codecs::SetDecodeMemoryBudget(kFuzzDecodeBudget);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const codecs::Bytes bytes(data, size);
  Censuses(bytes);
  std::vector<PropertyRecord> items = ReadExifBlock(bytes);
  UseItems(items);
  const std::vector<uint8_t> written = codecs::BuildExifBlock(items, 65527);
  std::vector<PropertyRecord> again = ReadExifBlock(written);
  UseItems(again);
  RawItem(bytes);
  return 0;
}
