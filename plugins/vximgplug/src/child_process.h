// Work done in a forked child process whose result comes back through a pipe. FreeImage's
// decoders crash or hang on damaged files; running them apart keeps the host alive. A child
// that crashes, overruns the time limit or reports failure is a failed call, and its death is
// never reported as the host's: crash handlers the host (or a fuzzing harness) installed are
// reset in the child, which leaves only through _exit.
#pragma once
#include <chrono>
#include <cstddef>
#include <functional>

namespace vximgplug {

using Deadline = std::chrono::steady_clock::time_point;

bool WriteAll(int fd, const void* data, size_t size);

// Reads exactly `size` bytes before the deadline.
bool ReadAll(int fd, void* data, size_t size, Deadline deadline);

// Runs `produce` in a child writing to one end of a pipe and `consume` here reading the other
// end. True when both succeeded and the child exited cleanly. `consume` runs even when the
// child dies part way, so that it may keep what arrived before.
bool RunInChild(const std::function<bool(int fd)>& produce, const std::function<bool(int fd, Deadline)>& consume);

}  // namespace vximgplug
