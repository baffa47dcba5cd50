// The registry, kept in one registration-format text file: the file named by VEXIRO_REGISTRY, by
// default ~/.local/share/vexiro/registry.reg. Only string values are written. Every change is
// written to a new file beside it that then replaces it, under an advisory lock on its folder,
// so that a reader never sees half a file and two writers never lose each other's keys.
#pragma once
#include <memory>
#include <string>

#include "platform/kernel/last_error.h"
#include "platform/kernel/win_types.h"

namespace vx {

using HKEY = HANDLE32;
using REGSAM = DWORD;
using LSTATUS = LONG;

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_BADDB = 1009;  // the registry file is not of the format
constexpr DWORD ERROR_CANTREAD = 1012;
constexpr DWORD ERROR_CANTWRITE = 1013;
constexpr DWORD ERROR_UNSUPPORTED_TYPE = 1630;

// Subkey names are relative to `key`, parts separated by '\'. Handles are closed with RegCloseKey.
LSTATUS RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* keyClass, DWORD options, REGSAM desired,
                       void* security, HKEY* result, DWORD* disposition);
LSTATUS RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM desired, HKEY* result);
LSTATUS RegCloseKey(HKEY key);
// REG_SZ only: `data` holds `size` bytes of text, a final NUL included or not.
LSTATUS RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
// The string with its final NUL; with `data` null or too small only `size` is set (ERROR_MORE_DATA
// for a buffer too small). ERROR_UNSUPPORTED_TYPE for a value of another type.
LSTATUS RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
// The subkey and everything below it; with a null subkey, the values and subkeys of `key`.
LSTATUS RegDeleteTree(HKEY key, const char* subKey);

// The path of the registry file in use.
std::string RegistryFilePath();

// Makes the changes of the calling thread one replacement of the file: opening it reads and locks
// the file, the calls made while it lives work on that copy, and Commit writes it once. Without
// a commit nothing is written. A file that cannot be read or is not of the format makes every
// call of the batch fail with the batch's status, and leaves the file as it is.
class RegistryBatch {
 public:
  RegistryBatch();
  ~RegistryBatch();
  RegistryBatch(const RegistryBatch&) = delete;
  RegistryBatch& operator=(const RegistryBatch&) = delete;

  LSTATUS Status() const;
  LSTATUS Commit();

  struct Session;

 private:
  std::unique_ptr<Session> session_;
  Session* outer_;
};

}  // namespace vx
