// What a script runs against: one Imaging control, as a script page would hold it, so that every
// call of a script goes through the control's forwarding to its engine.
#pragma once
#include <memory>

#include "control/dispatch.h"

namespace vx::control {

class ScriptEngine {
 public:
  ScriptEngine();
  ~ScriptEngine();
  const Dispatch& Dispatcher() const;
  // Whether the control's engine implements the member (the control forwards every one).
  bool Implements(const MemberDesc& member) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vx::control
