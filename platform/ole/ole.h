// COM and OLE helpers: GUID texts and streams over global memory.
#pragma once
#include <string>

#include "platform/kernel/win_types.h"
#include "platform/ole/istream.h"

namespace vx::ole {

constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);
constexpr HRESULT STG_E_FILENOTFOUND = static_cast<HRESULT>(0x80030002u);
constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005u);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case (the registry form).
std::string StringFromGUID2(const GUID& id);
// Parses the registry form (hexadecimal digits in either case); CO_E_CLASSSTRING for any other
// text, E_INVALIDARG for a null output. A failed parse leaves *id untouched.
HRESULT CLSIDFromString(const std::string& text, CLSID* id);

// A stream over a global memory block. With block 0 a new growable block is made.
// With deleteOnRelease the block is freed when the stream's last reference goes.
// The stream's size starts at the block's size; writing past the end grows the block.
HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, IStream** stream);
HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* block);

// A read-only stream over memory the caller keeps alive, and a stream over a file (a file opened
// for writing is created or truncated, and can be read back through the same stream).
HRESULT CreateStreamOnMemory(const void* data, size_t size, IStream** stream);
HRESULT CreateStreamOnFile(const std::string& path, bool forWriting, IStream** stream);

// Reads a whole stream from its current position to its end.
HRESULT ReadStreamToEnd(IStream* stream, std::string& bytes);

}  // namespace vx::ole
