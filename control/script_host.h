// The script host: runs a script of member calls, variables, expressions, `print`, `expect`,
// For … Next and Do While/Until … Loop loops and If … Then … Else … End If blocks against one
// engine through dispatch by name. A name is a word of the language or one of Basic's functions,
// else a variable, a member or a constant of the type library's enumerations; only a
// by-reference parameter makes a new variable of a name nobody knows. The blocks of the whole
// script are matched before its first line runs; a script stops at its first failing line.
#pragma once
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>

#include "control/dispatch.h"
#include "control/script_folder_walk.h"
#include "control/variant.h"

namespace vx::control {

struct ScriptOptions {
  // Stop at the first member call that leaves a non-zero last status, as a failing line.
  bool strict = false;
  // Where each member call is written with its status and time; null writes nothing.
  std::ostream* trace = nullptr;
};

class ScriptHost {
 public:
  ScriptHost(const Dispatch& engine, std::ostream& out, ScriptOptions options = {})
      : engine_(engine), out_(out), options_(options) {}

  // Runs every line; true when all ran. On failure Error() is "line N: ...".
  bool Run(std::string_view script);
  // Runs one line (numbered for messages); false with Error() set when it failed.
  bool RunLine(std::string_view line, int lineNumber);
  const std::string& Error() const { return error_; }

 private:
  friend class ScriptLine;
  friend class ScriptProgram;
  bool RunNumberedFrom(std::string_view script, int firstNumber);

  const Dispatch& engine_;
  std::ostream& out_;
  ScriptOptions options_;
  std::map<std::string, Variant> variables_;  // by lower-case name
  FolderWalk folderWalk_;                     // the walk of Dir
  std::string error_;
};

}  // namespace vx::control
