// Global memory blocks addressed by 32-bit handles (process-wide, thread-safe).
#pragma once
#include <cstddef>

#include "platform/kernel/win_types.h"

namespace vx {

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;
constexpr UINT GMEM_LOCKCOUNT = 0x00FF;
constexpr UINT GMEM_INVALID_HANDLE = 0x8000;

// The largest block handed out: sizes cross the interface as 32-bit signed values.
constexpr size_t kMaxGlobalBlockBytes = 0x7FFFFFFF;

// Returns 0 when the block cannot be had (size above the supported limit or no memory).
// Blocks always start zero-filled, whether GMEM_ZEROINIT is given or not, so no stale data leaks.
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
// Keeps the handle. A block that may be in use through a pointer (locked, or fixed without
// GMEM_MOVEABLE in `flags`) is only resized where it lies; growth is zero-filled.
HGLOBAL GlobalReAlloc(HGLOBAL block, size_t bytes, UINT flags);
void* GlobalLock(HGLOBAL block);    // nullptr for an unknown handle
BOOL GlobalUnlock(HGLOBAL block);   // FALSE once the lock count reaches 0
size_t GlobalSize(HGLOBAL block);   // 0 for an unknown handle
HGLOBAL GlobalFree(HGLOBAL block);  // 0 on success, the handle itself on failure
// The lock count in the low byte and GMEM_MOVEABLE; GMEM_INVALID_HANDLE for an unknown handle.
UINT GlobalFlags(HGLOBAL block);

}  // namespace vx
