// The IPTC record inside a JPEG APP13 segment: found among other image resources, written so
// that it is found again, and never followed past the segment whatever its lengths claim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdiplus/codecs/jpeg/iptc_segment.h"

namespace vx::codecs::iptc {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Signature() { return Bytes(std::begin(kPhotoshopSignature), std::end(kPhotoshopSignature)); }

// One resource: "8BIM", its ID, a Pascal name padded to even, a size (which may lie) and data.
void AddResource(Bytes& out, uint16_t id, const std::string& name, uint32_t claimedSize, const Bytes& data) {
  out.insert(out.end(), {'8', 'B', 'I', 'M', static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id)});
  out.push_back(static_cast<uint8_t>(name.size()));
  out.insert(out.end(), name.begin(), name.end());
  if ((name.size() + 1) & 1) out.push_back(0);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(claimedSize >> shift));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() & 1) out.push_back(0);
}

Bytes Found(const Bytes& payload) {
  const auto record = IptcOfPhotoshopSegment(payload);
  return Bytes(record.begin(), record.end());
}

TEST(IptcSegment, FindsTheRecordAmongOtherResources) {
  const Bytes record = {0x1C, 0x02, 0x19, 0x00, 0x05, 'a', 'l', 'p', 'h', 'a'};
  Bytes payload = Signature();
  AddResource(payload, 0x03ED, "named", 3, {1, 2, 3});  // odd data and an odd name, both padded
  AddResource(payload, kIptcResource, "", static_cast<uint32_t>(record.size()), record);
  EXPECT_EQ(Found(payload), record);
  EXPECT_EQ(Found(PhotoshopSegmentOfIptc(record)), record) << "what is written is found again";
  const Bytes odd(7, 0x1C);
  EXPECT_EQ(Found(PhotoshopSegmentOfIptc(odd)), odd);
}

TEST(IptcSegment, LengthsThatReachPastTheSegmentFindNothing) {
  const Bytes record = {0x1C, 0x02, 0x5A, 0x00, 0x01, 'P'};
  struct Case {
    const char* what;
    Bytes payload;
  };
  auto withResource = [&](uint16_t id, const std::string& name, uint32_t size, const Bytes& data) {
    Bytes p = Signature();
    AddResource(p, id, name, size, data);
    return p;
  };
  Bytes nameTooLong = withResource(kIptcResource, "", 6, record);
  nameTooLong[sizeof kPhotoshopSignature + 6] = 0xFF;  // a name longer than the segment
  Bytes cut = withResource(kIptcResource, "", 6, record);
  cut.resize(sizeof kPhotoshopSignature + 10);  // ends inside the size field
  const Case cases[] = {
      {"size beyond the segment", withResource(kIptcResource, "", 0xFFFFFFF0u, record)},
      {"a resource before it whose size is beyond the segment", [&] {
         Bytes p = withResource(0x03ED, "", 0x7FFFFFFFu, {1, 2});
         AddResource(p, kIptcResource, "", 6, record);
         return p;
       }()},
      {"name beyond the segment", nameTooLong},
      {"cut inside the resource header", cut},
      {"no signature", Bytes(record)},
      {"empty", {}},
  };
  for (const Case& c : cases) EXPECT_TRUE(Found(c.payload).empty()) << c.what;
}

}  // namespace
}  // namespace vx::codecs::iptc
