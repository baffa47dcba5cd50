// The decoding helper's memory between requests. Memory the decoders free is kept for the next
// request up to a bound (giving pages back and faulting them in again costs more than a small
// decode), and a helper whose memory grew past a bound while it served, by what the decoders
// leaked or cache, leaves once it has answered, so that a long-lived helper holds no more than a
// fresh one would, whatever it decoded.
#pragma once

namespace vximgplug {

// Set once, before the first request.
void KeepFreedMemoryBounded();

// After each request: the freed memory beyond the bound goes back to the system. True when the
// helper then still holds more than it may keep, and should leave.
bool GiveBackFreedMemory();

}  // namespace vximgplug
