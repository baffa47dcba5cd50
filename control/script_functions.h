// The functions of Basic that batch scripts need, with Basic's rules: texts counted in characters
// from 1, Null passed through where Basic passes it, and Basic's run-time errors 5 (invalid
// argument), 6 (overflow), 13 (type mismatch) and 94 (invalid use of Null) as failures of the line.
//   Len Left Right Mid InStr Replace LCase UCase Trim CStr CLng CDbl Dir
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "control/script_folder_walk.h"
#include "control/variant.h"

namespace vx::control {

// Whether the name (any case) is one of the functions.
bool IsScriptFunction(std::string_view name);
// Their names as Basic spells them, for spelling help.
const std::vector<std::string>& ScriptFunctionNames();

// Calls the function `name` with its arguments' values; Dir reads and moves `walk`.
// Throws LineError for a wrong number of arguments or a run-time error.
Variant CallScriptFunction(std::string_view name, const std::vector<Variant>& args, FolderWalk& walk);

// Basic's run-time error `number` raised by `function`, as a failure of the line:
// "Left: run-time error 5: Invalid procedure call or argument".
[[noreturn]] void RaiseRuntimeError(std::string_view function, int number, std::string_view detail = "");

}  // namespace vx::control
