// Work done in a decoding helper process, started once and reused, whose answer comes back
// through a memory file the host made. FreeImage's decoders crash or hang on damaged files;
// running them apart keeps the host alive without paying a fork per file. A helper that crashes,
// overruns the time limit or reports failure fails that call and is replaced at once, and its
// death is never reported as the host's: crash handlers the host (or a fuzzing harness)
// installed are reset in the helper, which leaves only through _exit.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vximgplug {

using Deadline = std::chrono::steady_clock::time_point;

bool WriteAll(int fd, const void* data, size_t size);

// Reads exactly `size` bytes before the deadline.
bool ReadAll(int fd, void* data, size_t size, Deadline deadline);

// Defined by the requests' dispatcher, run in the helper: answers `request` by writing to `reply`,
// reading the file `source` and writing rows into `pixelFile` (-1 when the request has none).
// False fails the call; the helper then leaves, taking whatever its decoders leaked with it.
bool ServeRequest(const std::vector<uint8_t>& request, int reply, int source, int pixelFile);

// Has a helper serve `request`, then runs `consume` here over what it wrote to the reply. True
// when both succeeded. `consume` runs even when the helper died part way, so that it may keep
// what arrived before.
bool RunInHelper(const std::vector<uint8_t>& request, int source, int pixelFile,
                 const std::function<bool(int fd, Deadline)>& consume);

}  // namespace vximgplug
