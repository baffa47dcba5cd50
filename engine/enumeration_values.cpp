#include "engine/enumeration_values.h"

#include <algorithm>
#include <iterator>

namespace vx::engine {

#define VEXIRO_ENUMERATION(Name)                          \
  template <>                                             \
  bool IsNamedValue<vexiro::Name>(int32_t value) {        \
    static constexpr int32_t kValues[] = {
#define VEXIRO_CONSTANT(Name, Value) static_cast<int32_t>(Value),
#define VEXIRO_END_ENUMERATION()                                                     \
  };                                                                                 \
  return std::find(std::begin(kValues), std::end(kValues), value) != std::end(kValues); \
  }
#define VEXIRO_ENUMERATION_SAME_AS(Name, Earlier)
#include "vexiro/enumeration_list.h"

}  // namespace vx::engine
