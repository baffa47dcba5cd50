#include "control/wildcards.h"

#include <cctype>

namespace vx::control {

namespace {

bool SameLetter(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

// Iterative, with one point to return to after the last *: a pattern of many stars cannot make
// the match take exponential time.
bool MatchesWildcards(std::string_view name, std::string_view pattern) {
  size_t n = 0, p = 0, starPattern = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || (pattern[p] != '*' && SameLetter(pattern[p], name[n])))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starPattern = p++;
      starName = n;
    } else if (starPattern != std::string_view::npos) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace vx::control
