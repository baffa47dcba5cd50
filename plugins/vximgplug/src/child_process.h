// Work done in a decoding helper process, started once and reused (helper_launch.h says how it
// starts). Pixel rows come back through a window of memory the host and helper share, the rest of
// the answer through a memory file. FreeImage's decoders crash or hang on damaged files; running
// them apart keeps the host alive without paying a process per file. A helper that crashes, overruns the time limit or reports
// failure fails that call and is replaced at once, and its death is never reported as the
// host's: crash handlers the host (or a fuzzing harness) installed are reset in the helper,
// which leaves only through _exit.
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

// Defined by the requests' dispatcher, run in the helper: answers `request` by writing to `reply`
// and reading the file `source`. False fails the call; the helper then leaves, taking whatever
// its decoders leaked with it.
bool ServeRequest(const std::vector<uint8_t>& request, int reply, int source);

// Memory the host and each helper both see for the helper's whole life (a memory file the helper
// makes and passes to the host): a window for bulk data the helper passes while serving, of which
// a note tells the host.
constexpr size_t kSharedBytes = size_t{2} << 20;

// In the helper, while serving: its window, and a short note (at most kMaxNoteBytes) to the
// host, which answers once it has acted on it. False when the host declined it or is gone.
uint8_t* SharedWithHost();
constexpr size_t kMaxNoteBytes = 120;
bool TellHost(const void* note, size_t size);
// The same, without waiting for the answer, which none comes to: for a note after which the helper
// writes nothing to the window the host still reads, so that a small picture costs one round trip
// to the host, not three. A host that declines it fails the call all the same.
bool NotifyHost(const void* note, size_t size);

// In the host: acts on a note the helper sent while serving, its window beside it; false fails
// the call.
using NoteHandler = std::function<bool(const uint8_t* note, size_t size, const uint8_t* shared)>;

// Has a helper serve `request`, answering its notes through `onNote` (none are taken without
// one), then runs `consume` here over what it wrote to the reply. True when both succeeded.
// `consume` runs even when the helper died part way, so that it may keep what arrived before.
bool RunInHelper(const std::vector<uint8_t>& request, int source,
                 const std::function<bool(int fd, Deadline)>& consume, const NoteHandler& onNote = nullptr);

// Whether a helper could be started, when one was needed.
enum class HelperStart : int32_t {
  kStarted = 0,
  kProgramMissing = 1,  // no helper program beside the plug-in
  kRefused = 2,         // the system refused a process, a descriptor or the helper's files
  kNoMemory = 3,        // the system had no memory for a process
};

// How the last start of a helper this thread needed went since ForgetHelperStart.
HelperStart LastHelperStart();
void ForgetHelperStart();

}  // namespace vximgplug
