// The one table of the imaging interface's members: name, version, vtable slot and dispatch
// identifiers on both interfaces, parameters with direction, optional flag and default, and result.
// Dispatch by name, type information, the IDL text and the script host all read it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control/variant.h"

namespace vx::control {

enum class BaseType : uint8_t { Long, Integer, Byte, Single, Double, Boolean, String, Picture, Unknown, Variant, Enum };

struct TypeDesc {
  BaseType base = BaseType::Long;
  bool isArray = false;
  std::string enumName;  // for BaseType::Enum

  // The table's spelling: "Long", "Byte[]", "VexiroStatus" ...
  std::string Name() const;
  // The variant type a value of this type travels as (arrays: their element type).
  VarType ValueType() const;
  bool operator==(const TypeDesc&) const = default;
};

struct ParamDesc {
  std::string name;
  TypeDesc type;
  bool byRef = false;
  bool optional = false;
  Variant defaultValue;     // for optional parameters
  std::string defaultText;  // the default as the table writes it ("75", "\"Arial\"", "False")
};

// Which of the two interfaces that publish the table: the engine's `_cImaging` or the control's
// `_Imaging` (same members, other slots and dispatch identifiers).
enum class Interface { Engine, Control };

struct MemberDesc {
  int index = 0;  // position in interface order, from 0
  std::string name;
  std::string version;  // "1.0" .. "1.14"
  int slot = 0;         // vtable slot in the engine interface
  int32_t dispidEngine = 0;
  int32_t dispidControl = 0;
  std::vector<ParamDesc> params;
  std::optional<TypeDesc> result;

  int Slot(Interface which) const { return which == Interface::Engine ? slot : slot + kControlSlotOffset; }
  int32_t Dispid(Interface which) const { return which == Interface::Engine ? dispidEngine : dispidControl; }
  // "(sFilePath As String, Optional nQuality As Long = 75) As VexiroStatus"
  std::string Signature() const;

  static constexpr int kControlSlotOffset = 482;
};

class MemberTable {
 public:
  static const MemberTable& Instance();

  const std::vector<MemberDesc>& Members() const { return members_; }
  size_t size() const { return members_.size(); }
  // Case-insensitive lookup; null when no member has the name.
  const MemberDesc* Find(std::string_view name) const;
  const MemberDesc* FindByDispid(Interface which, int32_t dispid) const;

  // Builds a table from text of the table's form; throws std::invalid_argument on a malformed line.
  static MemberTable Parse(std::string_view text);

 private:
  std::vector<MemberDesc> members_;
  std::vector<std::pair<std::string, int>> byName_;  // lower-case name → index, sorted
};

// Lower-case copy of an ASCII name, the key of every case-insensitive lookup.
std::string FoldCase(std::string_view name);

}  // namespace vx::control
