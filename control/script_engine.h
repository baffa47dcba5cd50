// The one engine a script runs against, reached through dispatch by name.
#pragma once
#include <memory>

#include "control/dispatch.h"

namespace vx::control {

class ScriptEngine {
 public:
  ScriptEngine();
  ~ScriptEngine();
  const Dispatch& Dispatcher() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx::control
