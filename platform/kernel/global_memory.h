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

// Returns 0 when the block cannot be had (size above the supported limit or no memory).
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
HGLOBAL GlobalReAlloc(HGLOBAL block, size_t bytes, UINT flags);
void* GlobalLock(HGLOBAL block);    // nullptr for an unknown handle
BOOL GlobalUnlock(HGLOBAL block);   // FALSE once the lock count reaches 0
size_t GlobalSize(HGLOBAL block);   // 0 for an unknown handle
HGLOBAL GlobalFree(HGLOBAL block);  // 0 on success, the handle itself on failure

}  // namespace vx
