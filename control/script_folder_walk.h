// Basic's Dir: a walk over the files of one folder whose names match a pattern with the
// wildcards * and ?. Dir(pattern) starts a walk and gives its first name, Dir() the next one, ""
// once none is left.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vx::control {

class FolderWalk {
 public:
  // "in/*.tif", "in/" (every file), "page?.png" (the current folder). The names of the regular
  // files that match, without their folder, sorted; letters match in either case, and names
  // starting with "." only a pattern that starts with one. A folder that cannot be read has no
  // match. Throws LineError when more files match than a walk holds.
  std::string First(std::string_view pattern);
  // Throws LineError when no walk is under way: before the first Dir(pattern), or after "".
  std::string Next();

  static constexpr size_t kMaxMatches = size_t{1} << 20;

 private:
  std::string Take();

  std::vector<std::string> names_;
  size_t next_ = 0;
  bool walking_ = false;
};

// Whether `name` matches `mask` (* any run of characters, ? one character), letters in either case.
bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace vx::control
