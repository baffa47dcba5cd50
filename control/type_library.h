// Type information of the library, derived from the member table and the enumerations: what a
// host can ask at run time about the two interfaces, and the IDL text that describes them.
#pragma once
#include <string>
#include <vector>

#include "control/member_table.h"

namespace vx::control {

struct InterfaceInfo {
  std::string name;     // "_cImaging" or "_Imaging"
  int vtableSize = 0;   // 804 or 1286
  std::string guid;
};

class TypeInfo {
 public:
  explicit TypeInfo(Interface which) : which_(which) {}

  InterfaceInfo Describe() const;
  int FunctionCount() const { return static_cast<int>(MemberTable::Instance().size()); }
  const MemberDesc& Function(int index) const { return MemberTable::Instance().Members().at(static_cast<size_t>(index)); }
  int32_t MemberId(int index) const { return Function(index).Dispid(which_); }
  int VtableSlot(int index) const { return Function(index).Slot(which_); }
  // The member's name followed by its parameter names; empty for an unknown DISPID.
  std::vector<std::string> GetNames(int32_t dispid) const;

 private:
  Interface which_;
};

// The type library in interface description language: library, enumerations, both interfaces
// with every member and its attributes, the version aliases and the classes.
std::string GenerateIdl();

// The identifiers an interface of the library has had, oldest first, the current one last: 15 for
// "_cImaging", "_Imaging" and the control's source interface "__Imaging", one for "_dummy".
// Registry text without braces, as StableGuid gives it.
std::vector<std::string> InterfaceIdentifiers(const std::string& interfaceName);

// A fixed GUID derived from a name, so that every identifier of the library stays the same from
// build to build.
std::string StableGuid(const std::string& name);

}  // namespace vx::control
