// IPTC tags of an image, as the format plug-in read them when the image was loaded. There is no
// other store of them: the platform's property items hold none. Tag numbers are 1-based.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/vexiro_status.h"

namespace vx::engine {

// Each needs the format plug-in (VximgplugDllRequired without it). An unknown image counts no
// tags and answers OK; the other routines answer PropertyNotFound for it and for a number
// outside 1 .. count.
VexiroStatus GetIptcTagCount(int32_t id, int32_t& count);
VexiroStatus GetIptcTagID(int32_t id, int32_t n, int32_t& tagId);
VexiroStatus GetIptcTagType(int32_t id, int32_t n, int32_t& type);
VexiroStatus GetIptcTagLength(int32_t id, int32_t n, int32_t& length);
VexiroStatus GetIptcTagValueString(int32_t id, int32_t n, std::string& text);
VexiroStatus GetIptcTagValueBytes(int32_t id, int32_t n, std::vector<uint8_t>& bytes);

}  // namespace vx::engine
