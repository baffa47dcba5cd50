// What the engine's own writers read from an image before they write: its palette as bytes and
// its pixels as rows in one buffer, plus a guard for the reduced copy they may work from.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/image_store.h"
#include "engine/vexiro_status.h"
#include "platform/gdiplus/gdiplus_types.h"

namespace vx::engine {

// One palette entry as the writers take it: red, green, blue, alpha.
using PaletteBytes = std::array<uint8_t, 4>;

// The palette entries as R, G, B, A bytes, in palette order.
VexiroStatus ReadPaletteBytes(int32_t id, std::vector<PaletteBytes>& entries);

// The whole image as rows of `bits`-per-pixel pixels in `format`, each row ComputeStride bytes.
VexiroStatus ReadWholeImage(int32_t id, gdiplus::PixelFormat format, int32_t bits, std::vector<uint8_t>& buffer);

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
