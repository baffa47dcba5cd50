// The names of property tags as hosts know them. The table keeps every name exactly as hosts
// have always spelt it, odd spellings included, because hosts look tags up by these names.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vx::engine {

// The tag's name; a tag without one gives its number in upper-case hexadecimal ("8825").
std::string PropertyTagName(uint32_t tag);
// The tag a name stands for (exact spelling, case-sensitive); false for an unknown name.
bool PropertyTagFromName(std::string_view name, uint32_t& tag);
// How many tags have names.
int32_t PropertyTagNameCount();

}  // namespace vx::engine
