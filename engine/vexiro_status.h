// The engine's status type and its meeting point with the imaging platform's statuses.
#pragma once
#include "platform/gdiplus/gdiplus_types.h"
#include "vexiro/vexiro_status.h"

namespace vx::engine {

using vexiro::VexiroStatus;

// The status a loader gives for a run-time error while reading a stream; deliberately outside
// the enumeration, as callers have always seen it.
constexpr int32_t kStreamLoadRuntimeError = 23;

// Platform statuses 0..21 share their numbers with the engine's.
inline VexiroStatus ToStatus(gdiplus::Status s) { return static_cast<VexiroStatus>(s); }

}  // namespace vx::engine
