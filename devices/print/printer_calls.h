// The three ways the printer component calls the printer objects: trapping their errors into a
// default result, ignoring them, or letting them reach the host as the run-time error they are.
#pragma once
#include <utility>

#include "engine/runtime_error.h"
#include "platform/printing/printing.h"

namespace vexiro::print_calls {

template <class T, class Call>
T OrDefault(Call call) {
  try {
    return call();
  } catch (const vx::printing::PrinterError&) {
    return T{};
  }
}

template <class Call>
void Ignoring(Call call) {
  try {
    call();
  } catch (const vx::printing::PrinterError&) {
  }
}

template <class Call>
auto Untrapped(Call call) {
  try {
    return call();
  } catch (const vx::printing::PrinterError& e) {
    throw vx::engine::RuntimeError(e.Number(), e.what());
  }
}

}  // namespace vexiro::print_calls
