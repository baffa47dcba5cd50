// Writing a finished encoding to its destination without ever leaving a half-written file.
#pragma once
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus_types.h"
#include "platform/ole/istream.h"

namespace vx::gdiplus {

// Writes the bytes to a new file beside `path` and renames it over `path` when complete. On any
// failure the temporary file is removed and an existing file at `path` is left as it was. A file
// without any write permission is not replaced (AccessDenied).
Status ReplaceFileAtomically(const char* path, const std::vector<uint8_t>& bytes);

// Reads the regular file at `path` whole, within the bound on files read whole: FileNotFound when
// it cannot be opened, OutOfMemory when it is larger, Win32Error for a read error.
Status ReadWholeFileBounded(const std::string& path, std::vector<uint8_t>& bytes);

// Writes all bytes at the stream's current position.
Status WriteToStream(ole::IStream* stream, const std::vector<uint8_t>& bytes);

}  // namespace vx::gdiplus
