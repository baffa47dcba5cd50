#include "engine/escaped_errors.h"

#include "engine/runtime_error.h"

namespace vexiro {

// Out of memory gives OutOfMemory, any other run-time error GenericError, as a trapped error does.
void cImaging::KeepRuntimeError() {
  escapedError = std::current_exception();
  try {
    std::rethrow_exception(escapedError);
  } catch (const std::exception& e) {
    nStat = static_cast<VexiroStatus>(vx::engine::StatusOfRuntimeError(vx::engine::ToRuntimeError(e)));
  } catch (...) {
    nStat = GenericError;
  }
}

}  // namespace vexiro
