// How a decoding helper is started. The helper is a program of its own, vximgplug-helper, which
// lies beside the plug-in and loads the plug-in beside it to serve (so the decoders live in one
// place). It is spawned, not forked: it starts from a clean image, holding none of the host's locks,
// memory or descriptors but its socket, with default signal dispositions and without LD_PRELOAD.
// The process spawned only starts the helper proper in a child of its own and exits; the host
// waits for it alone, by a pidfd, so the helper is never the host's child: no wait of the host's
// sees it, and no reaping by the host frees its pid. The helper then sends a pidfd of its own
// (the only handle the host ever signals it through) and the window of memory the two share.
#pragma once
#include <cstddef>
#include <cstdint>

#include "child_process.h"
#include "helper_socket.h"

namespace vximgplug {

struct LaunchedHelper {
  Fd socket;
  Fd process;  // the helper's pidfd
  uint8_t* window = nullptr;  // kSharedBytes mapped here
};

HelperStart LaunchHelper(LaunchedHelper& launched);

// In the helper, before it serves: its pidfd and the window, to the host.
bool GreetHost(int socket, int window);

}  // namespace vximgplug
