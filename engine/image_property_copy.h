// Carries what a platform clone may not: the resolutions and every property item of an image.
#pragma once
#include <cstdint>

#include "engine/vexiro_status.h"

namespace vx::engine {

VexiroStatus CopyImageProperties(int32_t fromId, int32_t toId);

}  // namespace vx::engine
