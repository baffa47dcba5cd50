#include "control/script_engine.h"

namespace vx::control {

namespace {
// Until the engine class is part of the library, scripts run against an object with no bound
// member, so every call answers "not implemented".
struct EngineNotYetBuilt {};
}  // namespace

struct ScriptEngine::Impl {
  EngineNotYetBuilt engine;
  Dispatch dispatch{engine};
};

ScriptEngine::ScriptEngine() : impl_(std::make_unique<Impl>()) {}
ScriptEngine::~ScriptEngine() = default;
const Dispatch& ScriptEngine::Dispatcher() const { return impl_->dispatch; }

}  // namespace vx::control
