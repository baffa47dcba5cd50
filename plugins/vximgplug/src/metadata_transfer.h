// A bitmap's metadata tags, every model, carried from the decoding helper process to the host
// through a reply file: written as records (model, key, description, id, type, count, length, value)
// and rebuilt on the host's bitmap. The reader trusts nothing it is sent: sizes, counts and
// value lengths are bounded and checked before anything is allocated.
#pragma once
#include <FreeImage.h>

#include "child_process.h"

namespace vximgplug {

// Runs in the decoding helper only: tags FreeImage left broken are skipped under a fault guard.
bool WriteMetadata(int fd, FIBITMAP* dib);

// In the helper only: whether every tag's key, description and value can be read without a fault.
bool EveryTagReadable(FIBITMAP* dib);

bool ReadMetadata(int fd, Deadline deadline, FIBITMAP* dib);

}  // namespace vximgplug
