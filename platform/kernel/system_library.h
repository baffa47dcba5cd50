// A library of the system opened at its first use instead of at the process's start. The network
// and print stacks bring dozens of libraries with them (TLS, Kerberos, LDAP, D-Bus, Avahi) whose
// code every process would otherwise map and keep resident, though most never transfer or print.
#pragma once
#include <dlfcn.h>

namespace vx {

class SystemLibrary {
 public:
  // Opened by its run-time name ("libcurl.so.4") and never closed: callers keep pointers into it.
  explicit SystemLibrary(const char* soname) : handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  // Points `function` at the library's `name`; false when the library or the name is missing.
  template <class Function>
  bool Find(Function*& function, const char* name) const {
    function = handle_ != nullptr ? reinterpret_cast<Function*>(dlsym(handle_, name)) : nullptr;
    return function != nullptr;
  }

 private:
  void* handle_;
};

}  // namespace vx
