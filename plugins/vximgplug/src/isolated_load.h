// Loading through a backing decoder in a child process. Some of FreeImage's decoders loop
// forever or crash on damaged files (truncated PICT, XBM and EXR files hang; damaged PICT
// files crash; damaged DDS and SGI headers ask for absurd allocations). Formats whose decoders
// carry no metadata are decoded in a forked child that hands the pixels back through a pipe;
// a child that crashes or overruns its time limit is a failed load. Pixels, palette,
// transparency, resolution and the ICC profile come back; other metadata stays behind.
#pragma once
#include <FreeImage.h>

#include <functional>

namespace vximgplug {

// Runs `decode` in a child process and rebuilds its bitmap here; nullptr on any failure.
FIBITMAP* LoadInChildProcess(const std::function<FIBITMAP*()>& decode);

}  // namespace vximgplug
