// Names matched against a pattern with the wildcards * (any run) and ? (any one character),
// letters in either case: folder walks in scripts and member lookups at the prompt.
#pragma once
#include <string_view>

namespace vx::control {

bool MatchesWildcards(std::string_view name, std::string_view pattern);

}  // namespace vx::control
