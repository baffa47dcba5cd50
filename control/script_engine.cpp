#include "control/script_engine.h"

#include "control/imaging_control.h"

namespace vx::control {

struct ScriptEngine::Impl {
  Imaging control;
  Dispatch dispatch{control, Interface::Control};
};

ScriptEngine::ScriptEngine() : impl_(std::make_unique<Impl>()) {}
ScriptEngine::~ScriptEngine() = default;
const Dispatch& ScriptEngine::Dispatcher() const { return impl_->dispatch; }
bool ScriptEngine::Implements(const MemberDesc& member) const { return impl_->control.EngineImplements(member); }

}  // namespace vx::control
