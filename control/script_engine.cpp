#include "control/script_engine.h"

#include "vexiro/imaging.h"

namespace vx::control {

struct ScriptEngine::Impl {
  vexiro::cImaging engine;
  Dispatch dispatch{engine};
};

ScriptEngine::ScriptEngine() : impl_(std::make_unique<Impl>()) {}
ScriptEngine::~ScriptEngine() = default;
const Dispatch& ScriptEngine::Dispatcher() const { return impl_->dispatch; }

}  // namespace vx::control
