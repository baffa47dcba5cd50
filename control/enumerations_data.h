// The values of the type library's enumerations, one function per subject.
#pragma once
#include <vector>

#include "control/enumerations.h"

namespace vx::control {

std::vector<EnumerationDesc> BuildEnumerations();

}  // namespace vx::control
