// Paths cross from the member interface to the system's files here. A text holding a NUL names
// another file than the caller wrote (the file system reads a name up to its first NUL), so
// "name.png" NUL ".jpg" would pass a check for ".jpg" and write name.png. Dispatch refuses such
// a call before the member runs: every String parameter that names a file or folder takes part,
// by its name in the member table, so no member taking a path can be fooled.
#pragma once
#include <exception>
#include <functional>
#include <typeindex>
#include <vector>

#include "control/member_table.h"
#include "control/variant.h"

namespace vx::control {

// Whether the parameter is a path: a String named for a path, file, folder or destination file.
bool NamesAFile(const ParamDesc& param);

// Whether one of the call's path arguments holds a NUL.
bool HoldsCutPath(const MemberDesc& member, const std::vector<Variant>& args);

// What a refused call answers: InvalidParameter where the member answers a status, else its
// result type's empty value (0, False, "").
Variant RefusedResult(const MemberDesc& member);

// A class whose members keep a last status registers how a refused call sets it to
// InvalidParameter; dispatch refuses cut paths only for such classes (a forwarding class leaves
// the refusal to the object it forwards to, whose status it then is).
using RefusalMark = std::function<void(void* self)>;
void AddPathRefusal(std::type_index cls, RefusalMark mark);
const RefusalMark* PathRefusalOf(std::type_index cls);

// A class whose members stop a run-time error at their own boundary (so that no exception
// reaches a C++ caller) registers how dispatch takes the error a call left; dispatch raises it as
// that call's run-time error, as if it had escaped the member.
using EscapedErrorTake = std::function<std::exception_ptr(void* self)>;
void AddEscapedErrorSource(std::type_index cls, EscapedErrorTake take);
const EscapedErrorTake* EscapedErrorSourceOf(std::type_index cls);

}  // namespace vx::control
