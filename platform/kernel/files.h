// Files by path: exclusive creation, deletion and attributes, as the kernel's file calls give them.
#pragma once
#include <string>

#include "platform/kernel/win_types.h"

namespace vx {

constexpr DWORD ERROR_FILE_EXISTS = 80;

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x40;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// CreateFile with CREATE_NEW, closed at once: an empty file that only its owner may read or write,
// made only when no file of that name exists. FALSE otherwise, with the last error
// ERROR_FILE_EXISTS when the name is taken (another try with another name may succeed).
BOOL CreateNewFile(const std::string& path);

BOOL DeleteFile(const std::string& path);

// FILE_ATTRIBUTE_NORMAL for a regular file, FILE_ATTRIBUTE_DIRECTORY for a folder,
// FILE_ATTRIBUTE_DEVICE for anything else (pipes, sockets, devices); INVALID_FILE_ATTRIBUTES when
// the path names nothing, and also, with ERROR_ACCESS_DENIED, for a file this process may not read.
DWORD GetFileAttributes(const std::string& path);

}  // namespace vx
