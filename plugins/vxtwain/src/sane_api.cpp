#include "sane_api.h"

#include <dlfcn.h>

namespace vxtwain {

namespace {

template <class Function>
bool BindEntry(void* library, const char* name, Function& slot) {
  slot = reinterpret_cast<Function>(dlsym(library, name));
  return slot != nullptr;
}

}  // namespace

bool BindSane(const std::string& path, SaneApi& api) {
  void* library = dlopen(path.empty() ? "libsane.so.1" : path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return false;
  SaneApi bound;
  const bool complete = BindEntry(library, "sane_init", bound.init) && BindEntry(library, "sane_exit", bound.exit) &&
                        BindEntry(library, "sane_get_devices", bound.get_devices) &&
                        BindEntry(library, "sane_open", bound.open) && BindEntry(library, "sane_close", bound.close) &&
                        BindEntry(library, "sane_get_option_descriptor", bound.get_option_descriptor) &&
                        BindEntry(library, "sane_control_option", bound.control_option) &&
                        BindEntry(library, "sane_get_parameters", bound.get_parameters) &&
                        BindEntry(library, "sane_start", bound.start) && BindEntry(library, "sane_read", bound.read) &&
                        BindEntry(library, "sane_cancel", bound.cancel);
  // An incomplete library is left mapped: libraries loaded in a process stay loaded.
  if (complete) api = bound;
  return complete;
}

}  // namespace vxtwain
