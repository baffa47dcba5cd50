// Animation data of GIF documents (frame delays in hundredths of a second, disposals, loop
// count) and the writing of an editable GIF document as an animated GIF through the format
// plug-in. Page numbers are 1-based.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/vexiro_status.h"

namespace vx::engine {

constexpr int32_t kMaxGifLoopCount = 65536;
// The file holds the loop count in an unsigned 16-bit field.
constexpr int32_t kMaxWrittenGifLoopCount = 65535;

// Frames of a GIF image in the time dimension; 0 for any other image.
VexiroStatus GetImageFrameCount(int32_t id, int32_t& count);
// The delays of a GIF document; OK with the list untouched for an image that has none.
VexiroStatus GetGifFrameDelays(int32_t id, std::vector<int32_t>& delays);
int32_t GetGifLoopCount(int32_t id);
// 0 .. 65536; the count is kept as the file can hold it, 65536 as 65535.
VexiroStatus SetGifLoopCount(int32_t id, int32_t count);
VexiroStatus SetGifPageTime(int32_t id, int32_t page, int32_t delay);
// Disposal 1 (keep), 2 (background) or 3 (previous).
VexiroStatus SetGifPageDisposal(int32_t id, int32_t page, int32_t disposal);
// Writes a modified current page back to a new page file and selects it again.
void CommitCurrentGifPage(int32_t documentId);
// An editable GIF document as one animated GIF, written beside the path and put in its place
// only when whole.
VexiroStatus SaveMultiPageGifFile(int32_t documentId, const std::string& path);

}  // namespace vx::engine
