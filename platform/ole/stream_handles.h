// Streams that cross the library's interface travel as 32-bit handles. A registered stream holds
// one reference of the table until its handle is released.
#pragma once
#include "platform/kernel/win_types.h"
#include "platform/ole/istream.h"

namespace vx::ole {

// Takes a reference of the stream and returns its handle; 0 for a null stream or a full table.
HANDLE32 RegisterStream(IStream* stream);
// A new reference to the stream of a live handle, empty for an unknown handle.
ComPtr<IStream> LookupStream(HANDLE32 handle);
// Drops the table's reference; false for an unknown handle.
bool ReleaseStreamHandle(HANDLE32 handle);

}  // namespace vx::ole
