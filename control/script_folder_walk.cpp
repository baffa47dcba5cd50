#include "control/script_folder_walk.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "control/script_functions.h"
#include "control/script_lexer.h"

namespace vx::control {

namespace {

bool SameLetter(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

// Iterative, with one point to return to after the last *: a mask of many stars cannot make the
// match take exponential time.
bool MatchesMask(std::string_view name, std::string_view mask) {
  size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && SameLetter(mask[m], name[n])))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::string FolderWalk::First(std::string_view pattern) {
  const size_t slash = pattern.rfind('/');
  const std::string folder = slash == std::string_view::npos ? "." : std::string(pattern.substr(0, slash + 1));
  std::string_view mask = slash == std::string_view::npos ? pattern : pattern.substr(slash + 1);
  if (mask.empty()) mask = "*";
  const bool dotted = mask.front() == '.';

  names_.clear();
  next_ = 0;
  walking_ = true;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if ((name.front() == '.' && !dotted) || !MatchesMask(name, mask)) continue;
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;  // follows links, as opening the file would
    if (names_.size() == kMaxMatches) {
      names_.clear();
      walking_ = false;
      throw LineError("Dir: more than " + std::to_string(kMaxMatches) + " files match " + std::string(pattern));
    }
    names_.push_back(name);
  }
  std::sort(names_.begin(), names_.end());
  return Take();
}

std::string FolderWalk::Next() {
  if (!walking_) RaiseRuntimeError("Dir", 5, "no Dir(pattern) under way");
  return Take();
}

std::string FolderWalk::Take() {
  if (next_ == names_.size()) {
    walking_ = false;
    names_.clear();
    return "";
  }
  return names_[next_++];
}

}  // namespace vx::control
