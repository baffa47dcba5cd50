// Property values as text, in the plain number format hosts have always read them in.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vx::engine {

// A number as the scripting language's Str writes it: a blank before zero and positive values,
// no digit before the point below 1 (" .5", "-.5"), at most 15 significant digits.
std::string BasicStr(double value);
std::string BasicStr(int64_t value);

// The value of a property item as text, by its type: numbers joined by ", ", ASCII as its
// characters (terminating zero included), UNDEFINED bytes as two-digit hexadecimal, values of
// 10000 bytes or more as their length followed by " Byte".
// Whether PropertyValueToString writes the value as characters: ASCII items, and the tags that
// hold text whatever type they were stored with.
bool PropertyValueIsText(uint32_t tag, int32_t type);

std::string PropertyValueToString(uint32_t tag, int32_t type, int32_t length, int32_t count,
                                  const std::vector<uint8_t>& bytes);

}  // namespace vx::engine
