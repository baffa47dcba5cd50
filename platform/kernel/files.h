// Files by path: exclusive creation, deletion and attributes, as the kernel's file calls give them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/kernel/win_types.h"

namespace vx {

constexpr DWORD ERROR_DISK_FULL = 112;
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

// A new folder that only its owner may enter, named `prefix` followed by six random characters;
// "" with the last error set when none could be made.
std::string CreateUniqueFolder(const std::string& prefix);
// Removes an empty folder.
BOOL RemoveDirectory(const std::string& path);

// FILE_ATTRIBUTE_NORMAL for a regular file, FILE_ATTRIBUTE_DIRECTORY for a folder,
// FILE_ATTRIBUTE_DEVICE for anything else (pipes, sockets, devices); INVALID_FILE_ATTRIBUTES when
// the path names nothing, and also, with ERROR_ACCESS_DENIED, for a file this process may not read.
DWORD GetFileAttributes(const std::string& path);

// A file made for writing with CREATE_NEW (readable by everyone, writable by its owner), closed
// when the object goes. Every write is checked: a short or failed write, and a failed close, make
// the call report FALSE, so a caller knows whether all its bytes reached the file.
class NewFileForWriting {
 public:
  NewFileForWriting() = default;
  ~NewFileForWriting() { CloseHandle(); }
  NewFileForWriting(const NewFileForWriting&) = delete;
  NewFileForWriting& operator=(const NewFileForWriting&) = delete;

  // FALSE, with the last error set, when the name is taken or cannot be made; an open file
  // is never replaced by another.
  BOOL Create(const std::string& path);
  bool IsOpen() const { return descriptor_ >= 0; }
  // The system's number for the open file plus one, so that 0 means no file.
  int32_t NativeHandle() const { return descriptor_ + 1; }
  // Writes all `size` bytes, resuming after interruptions.
  BOOL WriteFile(const void* data, size_t size);
  BOOL CloseHandle();

 private:
  int descriptor_ = -1;
};

}  // namespace vx
