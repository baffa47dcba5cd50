// A bitmap's metadata tags, every model, carried from the decoding helper process to the host
// through a reply file: written as records (model, key, description, id, type, count, length, value)
// and rebuilt on the host's bitmap. The reader trusts nothing it is sent: sizes, counts and
// value lengths are bounded and checked before anything is allocated.
#pragma once
#include <FreeImage.h>

#include "child_process.h"

namespace vximgplug {

// How a bitmap's tags are read to be sent: under a fault guard in the decoding helper, where
// tags FreeImage's decoders left broken are skipped; directly in the host, whose bitmaps' tags
// were set whole (the guard's handlers must never be installed there).
enum class TagReading { kGuarded, kDirect };

bool WriteMetadata(int fd, FIBITMAP* dib, TagReading reading = TagReading::kGuarded);

// In the helper only: whether every tag's key, description and value can be read without a fault.
bool EveryTagReadable(FIBITMAP* dib);

bool ReadMetadata(int fd, Deadline deadline, FIBITMAP* dib);

}  // namespace vximgplug
