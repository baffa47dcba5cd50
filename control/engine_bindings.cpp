// Bindings of the engine members that have no file of their own to carry their VX_BIND line
// (members defined inline in the engine's header), and the engine's run-time error type.
#include "control/binding.h"
#include "control/dispatch.h"
#include "engine/runtime_error.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(GetStat, &vexiro::cImaging::GetStat);

[[maybe_unused]] static const bool kEngineErrorsKnown = [] {
  RegisterRuntimeErrorType<vx::engine::RuntimeError>();
  return true;
}();

}  // namespace vx::control
