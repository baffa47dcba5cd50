// Feeds arbitrary text to the script host's lexer and parser without running a member: every line
// is tokenized, the whole script's blocks are matched (a first line that fails stops it before
// anything runs), and each line is parsed alone against an object that binds no member, so a
// call fails at once and no variable carries over from one line to the next.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "control/dispatch.h"
#include "control/script_host.h"
#include "control/script_lexer.h"

namespace {

// Nothing is bound for it: every call the parser reaches answers "not implemented".
struct NoMembers {};

void TokenizeEveryLine(std::string_view script) {
  size_t start = 0;
  while (start <= script.size()) {
    const size_t end = std::min(script.find('\n', start), script.size());
    try {
      vx::control::Tokenize(script.substr(start, end - start));
    } catch (const vx::control::LineError&) {
    }
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  TokenizeEveryLine(script);

  static NoMembers target;
  static const vx::control::Dispatch nothing(target);
  std::ostringstream out;
  // The blocks of the whole script are matched before its first line, which stops it, runs.
  vx::control::ScriptHost(nothing, out).Run("expect False\n" + std::string(script));

  size_t start = 0;
  int number = 1;
  while (start <= script.size()) {
    const size_t end = std::min(script.find('\n', start), script.size());
    vx::control::ScriptHost(nothing, out).RunLine(script.substr(start, end - start), number++);
    start = end + 1;
  }
  return 0;
}
