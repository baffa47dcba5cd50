// A Basic run-time error raised inside a member: its number and description travel to whichever
// caller traps it (a status) or, untrapped, to the dispatch layer (a COM error).
#pragma once
#include <cstdint>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "platform/kernel/environment.h"
#include "vexiro/vexiro_status.h"

namespace vx::engine {

// Error numbers the engine raises itself.
constexpr int32_t kErrOutOfMemory = 7;
constexpr int32_t kErrSubscriptOutOfRange = 9;
constexpr int32_t kErrFileNotFound = 53;
constexpr int32_t kErrInvalidProcedureCall = 5;
constexpr int32_t kErrInternal = 51;

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int32_t number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}
  int32_t Number() const { return number_; }
  const std::string& Description() const { return description_; }

 private:
  int32_t number_;
  std::string description_;
};

// A companion plug-in that cannot be loaded, or lacks an entry, named by the file the user
// would look for on this system ("vxocrplug.tesseract.so"), not by its Windows module name.
constexpr int32_t kErrEntryPointNotFound = 453;
inline RuntimeError ModuleNotFoundError(const std::string& moduleName) {
  return RuntimeError(kErrFileNotFound, "File not found: " + SharedObjectName(moduleName));
}
inline RuntimeError EntryPointNotFoundError(const std::string& entry, const std::string& moduleName) {
  return RuntimeError(kErrEntryPointNotFound, "Can't find DLL entry point " + entry + " in " + SharedObjectName(moduleName));
}

// Any exception as the run-time error it stands for: an exhausted allocation is error 7, any
// other failure of the C++ runtime an internal error.
inline RuntimeError ToRuntimeError(const std::exception& e) {
  if (const auto* r = dynamic_cast<const RuntimeError*>(&e)) return *r;
  if (dynamic_cast<const std::bad_alloc*>(&e)) return RuntimeError(kErrOutOfMemory, "Out of memory");
  return RuntimeError(kErrInternal, e.what());
}

// The status a trapped run-time error becomes: OutOfMemory for error 7, GenericError otherwise.
inline int32_t StatusOfRuntimeError(const RuntimeError& e) { return e.Number() == kErrOutOfMemory ? 3 : 1; }

// Runs `work` as a procedure with an error trap runs: a run-time error, or a C++ failure standing
// for one, ends it with OutOfMemory for an exhausted allocation and GenericError for anything else.
template <class Work>
vexiro::VexiroStatus TrapRuntimeErrors(Work&& work) {
  try {
    return work();
  } catch (const RuntimeError& e) {
    return static_cast<vexiro::VexiroStatus>(StatusOfRuntimeError(e));
  } catch (const std::bad_alloc&) {
    return vexiro::OutOfMemory;
  } catch (const std::exception&) {
    return vexiro::GenericError;
  }
}

}  // namespace vx::engine
