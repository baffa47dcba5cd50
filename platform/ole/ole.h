// COM and OLE helpers: GUID texts and streams over global memory.
#pragma once
#include <string>

#include "platform/kernel/win_types.h"
#include "platform/ole/istream.h"

namespace vx::ole {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case (the registry form).
std::string StringFromGUID2(const GUID& id);
// Parses the registry form; E_INVALIDARG ("CO_E_CLASSSTRING") for anything else.
HRESULT CLSIDFromString(const std::string& text, CLSID* id);

// A stream over a global memory block. With block 0 a new growable block is made.
// With deleteOnRelease the block is freed when the stream's last reference goes.
HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, IStream** stream);
HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* block);

// A read-only stream over memory the caller keeps alive, and a stream over a file.
HRESULT CreateStreamOnMemory(const void* data, size_t size, IStream** stream);
HRESULT CreateStreamOnFile(const std::string& path, bool forWriting, IStream** stream);

// Reads a whole stream from its current position to its end.
HRESULT ReadStreamToEnd(IStream* stream, std::string& bytes);

}  // namespace vx::ole
