// What the script host says about one call of a member: why a failed call failed, in words and
// with the member's signature where the arguments did not fit it; the files a call was given;
// and the line that --trace writes for it.
#pragma once
#include <string>
#include <vector>

#include "control/dispatch.h"
#include "control/member_table.h"
#include "control/script_lexer.h"

namespace vx::control {

struct CallArguments {
  const std::vector<Variant>& positional;
  const std::vector<NamedArgument>& named;
};

// Throws LineError for a named argument the member has no parameter for, or one given twice:
// caught before the call, so that the message can name it.
void CheckArgumentNames(const MemberDesc& m, const CallArguments& args);

// The failure of a call that dispatch refused or a member raised, as the line's error.
LineError CallFailure(const MemberDesc& m, HRESULT hr, unsigned argErr, const CallArguments& args,
                      const ExceptionInfo& error);

// The position of the member's parameter of that name (any case), or -1.
int ParamIndex(const MemberDesc& m, const std::string& name);

// The file and folder arguments of the call, as ` (sFilePath "in/a.png")`, or "".
std::string FileArguments(const MemberDesc& m, const CallArguments& args);

// `Member("a.png", nQuality:=90)`, texts cut short where they are long.
std::string CallText(const MemberDesc& m, const CallArguments& args);

// A value as a message shows it: a text in quotes, an array by its size, Empty by name.
std::string ValueText(const Variant& value);

}  // namespace vx::control
