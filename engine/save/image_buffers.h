// What the engine's own writers share before they write: the reduced copy they may work from and
// the prologue every one of them runs. The palette and pixel reads they take come from the image
// access layer.
#pragma once
#include <cstdint>
#include <functional>

#include "engine/image_access.h"
#include "engine/image_store.h"
#include "engine/vexiro_status.h"

namespace vx::engine {

// The own writers hold at most 8 bits per pixel: a deeper image is first reduced by the octree
// quantiser to an 8-bit copy with an adaptive palette of 256 colours, which `reduced` owns.
VexiroStatus ReduceToEightBits(int32_t id, ScopedImage& reduced);

// Writes from `source`, whose original depth is `bits`; `reduced` says `source` is the 8-bit copy.
using OwnWrite = std::function<VexiroStatus(int32_t source, int32_t bits, bool reduced)>;

// What every own writer does before it writes: the identifier is checked, the resolution put
// back, and an image whose depth `needsReduction` refuses is written from its reduced copy.
// Running out of memory anywhere on the way is a status.
VexiroStatus RunOwnWriter(int32_t id, bool (*needsReduction)(int32_t bits), const OwnWrite& write);

}  // namespace vx::engine
