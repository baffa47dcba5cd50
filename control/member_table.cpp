#include "control/member_table.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>

#include "control/member_table_text.h"

namespace vx::control {

namespace {

// Where each version of the interface starts: its first vtable slot and first engine DISPID.
// Versions append after a gap of empty slots, so neither follows from the previous version.
struct VersionStart {
  const char* version;
  int firstSlot;
  int32_t firstDispid;
};
constexpr VersionStart kVersionStarts[] = {
    {"1.0", 7, 0x60030000},    {"1.1", 553, 0x60030223},  {"1.2", 605, 0x60030259},
    {"1.3", 622, 0x6003026E},  {"1.4", 629, 0x60030272},  {"1.5", 643, 0x60030281},
    {"1.6", 675, 0x600302A2},  {"1.7", 710, 0x600302C9},  {"1.8", 732, 0x600302E1},
    {"1.9", 748, 0x600302F3},  {"1.10", 754, 0x600302FA}, {"1.11", 762, 0x6003030A},
    {"1.12", 782, 0x60030321}, {"1.14", 803, 0x60030338},
};

// Engine DISPIDs count up by one from a version's first member, except before these members,
// where the given number of values was left unused.
struct DispidGap {
  const char* member;
  int skipped;
};
constexpr DispidGap kDispidGaps[] = {
    {"DrawImageTransparency", 1},
    {"ConvertToPixelFormatCR", 3},
    {"DrawImageTransparencyColorEx", 1},
    {"GetImageStride", 3},
    {"SaveAsTIFFjpgEx", 3},
    {"ADRCreateTemplateEmpty", 1},
    {"SetColorKey", 3},
    {"GifCreateMultiPageFromFile", 1},
    {"GetPixelArray8bpp1D", 3},
    {"DrawFillClosedCurves", 2},
    {"OCRTesseractGetCharConfidence", 3},
    {"TwainGetAvailableBarCodeTypeCount", 3},
    {"SaveAsPDFEx", 3},
    {"OCRTesseractGetOrientation", 3},
    {"PdfCreateRights", 1},
    {"ConvertTo32BppPARGB", 5},
    {"TwainSetDSMPath", 1},
    {"RemoveAllImage", 1},
};

// In the control's interface the DISPID is tied to the engine slot.
constexpr int32_t kDispidBase = 0x60030000;
constexpr int kControlDispidSlotOffset = -4;

int GapBefore(std::string_view member) {
  for (const DispidGap& g : kDispidGaps)
    if (member == g.member) return g.skipped;
  return 0;
}

const VersionStart& StartOf(std::string_view version) {
  for (const VersionStart& v : kVersionStarts)
    if (version == v.version) return v;
  throw std::invalid_argument("member table: unknown version " + std::string(version));
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

[[noreturn]] void Malformed(std::string_view line, const char* why) {
  throw std::invalid_argument("member table: " + std::string(why) + ": " + std::string(line));
}

TypeDesc ParseType(std::string_view text, std::string_view line) {
  static constexpr std::pair<std::string_view, BaseType> kBase[] = {
      {"Long", BaseType::Long},     {"Integer", BaseType::Integer}, {"Byte", BaseType::Byte},
      {"Single", BaseType::Single}, {"Double", BaseType::Double},   {"Boolean", BaseType::Boolean},
      {"String", BaseType::String}, {"Picture", BaseType::Picture}, {"Unknown", BaseType::Unknown},
      {"Variant", BaseType::Variant}};
  TypeDesc t;
  if (text.size() > 2 && text.substr(text.size() - 2) == "[]") {
    t.isArray = true;
    text.remove_suffix(2);
  }
  if (text.empty()) Malformed(line, "missing type");
  for (auto [name, base] : kBase)
    if (text == name) {
      t.base = base;
      return t;
    }
  t.base = BaseType::Enum;
  t.enumName = std::string(text);
  return t;
}

Variant ParseDefault(std::string_view text, const TypeDesc& type, std::string_view line) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return Variant::Str(std::string(text.substr(1, text.size() - 2)));
  if (text == "True" || text == "False") return Variant::Bool(text == "True");
  double value = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || p != text.data() + text.size()) Malformed(line, "bad default");
  Variant number = Variant::R8(value), typed;
  if (FAILED(number.ChangeType(type.ValueType(), typed))) Malformed(line, "default out of range");
  return typed;
}

ParamDesc ParseParam(std::string_view text, std::string_view line) {
  ParamDesc p;
  text = Trim(text);
  const size_t eq = text.find(" = ");
  std::string_view decl = Trim(text.substr(0, eq));
  if (!decl.empty() && decl.front() == '&') {
    p.byRef = true;
    decl.remove_prefix(1);
  }
  const size_t space = decl.find(' ');
  if (space == std::string_view::npos) Malformed(line, "parameter without type");
  p.name = std::string(decl.substr(0, space));
  p.type = ParseType(Trim(decl.substr(space + 1)), line);
  if (p.type.isArray) p.byRef = true;
  if (eq != std::string_view::npos) {
    p.optional = true;
    p.defaultText = std::string(Trim(text.substr(eq + 3)));
    p.defaultValue = ParseDefault(p.defaultText, p.type, line);
  }
  return p;
}

// Splits a parameter list at the commas outside quoted defaults.
std::vector<std::string_view> SplitParams(std::string_view list) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  size_t start = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] == '"') quoted = !quoted;
    if (list[i] == ',' && !quoted) {
      parts.push_back(list.substr(start, i - start));
      start = i + 1;
    }
  }
  if (!Trim(list.substr(start)).empty()) parts.push_back(list.substr(start));
  return parts;
}

MemberDesc ParseMember(std::string_view line) {
  MemberDesc m;
  const size_t open = line.find('('), close = line.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open)
    Malformed(line, "missing parameter list");
  m.name = std::string(Trim(line.substr(0, open)));
  for (std::string_view part : SplitParams(line.substr(open + 1, close - open - 1)))
    m.params.push_back(ParseParam(part, line));
  std::string_view rest = Trim(line.substr(close + 1));
  if (!rest.empty()) {
    if (rest.front() != ':') Malformed(line, "expected ':' before the result type");
    m.result = ParseType(Trim(rest.substr(1)), line);
  }
  return m;
}

void AssignLayout(MemberDesc& m, const VersionStart& start, int positionInVersion, int32_t previousDispid) {
  m.slot = start.firstSlot + positionInVersion;
  m.dispidEngine = positionInVersion == 0 ? start.firstDispid : previousDispid + 1 + GapBefore(m.name);
  m.dispidControl = kDispidBase + m.slot + kControlDispidSlotOffset;
}

}  // namespace

std::string FoldCase(std::string_view name) {
  std::string s(name);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string TypeDesc::Name() const {
  static constexpr const char* kNames[] = {"Long",    "Integer", "Byte",    "Single",  "Double", "Boolean",
                                           "String",  "Picture", "Unknown", "Variant", ""};
  std::string n = base == BaseType::Enum ? enumName : kNames[static_cast<int>(base)];
  return isArray ? n + "[]" : n;
}

VarType TypeDesc::ValueType() const {
  switch (base) {
    case BaseType::Long:
    case BaseType::Enum: return VarType::I4;
    case BaseType::Integer: return VarType::I2;
    case BaseType::Byte: return VarType::UI1;
    case BaseType::Single: return VarType::R4;
    case BaseType::Double: return VarType::R8;
    case BaseType::Boolean: return VarType::Bool;
    case BaseType::String: return VarType::BStr;
    case BaseType::Picture: return VarType::Dispatch;
    case BaseType::Unknown: return VarType::Unknown;
    case BaseType::Variant: return VarType::Variant;
  }
  return VarType::Empty;
}

std::string MemberDesc::Signature() const {
  std::string s = "(";
  for (size_t i = 0; i < params.size(); ++i) {
    const ParamDesc& p = params[i];
    if (i) s += ", ";
    if (p.optional) s += "Optional ";
    if (p.byRef) s += "ByRef ";
    s += p.name;
    if (p.type.isArray) s += "()";
    s += " As ";
    TypeDesc element = p.type;
    element.isArray = false;
    s += element.Name();
    if (p.optional) s += " = " + p.defaultText;
  }
  s += ")";
  if (result) s += " As " + result->Name();
  return s;
}

MemberTable MemberTable::Parse(std::string_view text) {
  MemberTable table;
  const VersionStart* version = nullptr;
  int position = 0;
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    std::string_view line = Trim(text.substr(0, eol));
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
    if (line.empty()) continue;
    if (line.front() == '@') {
      version = &StartOf(line.substr(1));
      position = 0;
      continue;
    }
    if (!version) Malformed(line, "member before the first version line");
    MemberDesc m = ParseMember(line);
    m.index = static_cast<int>(table.members_.size());
    m.version = version->version;
    AssignLayout(m, *version, position++, table.members_.empty() ? 0 : table.members_.back().dispidEngine);
    table.members_.push_back(std::move(m));
  }
  for (const MemberDesc& m : table.members_) table.byName_.emplace_back(FoldCase(m.name), m.index);
  std::sort(table.byName_.begin(), table.byName_.end());
  for (size_t i = 1; i < table.byName_.size(); ++i)
    if (table.byName_[i].first == table.byName_[i - 1].first)
      throw std::invalid_argument("member table: duplicate member " + table.byName_[i].first);
  return table;
}

const MemberTable& MemberTable::Instance() {
  static const MemberTable table = Parse(MemberTableText());
  return table;
}

const MemberDesc* MemberTable::Find(std::string_view name) const {
  const std::string key = FoldCase(name);
  auto it = std::lower_bound(byName_.begin(), byName_.end(), std::make_pair(key, -1));
  if (it == byName_.end() || it->first != key) return nullptr;
  return &members_[static_cast<size_t>(it->second)];
}

const MemberDesc* MemberTable::FindByDispid(Interface which, int32_t dispid) const {
  // DISPIDs grow strictly with the slot, so the table is sorted on both.
  auto it = std::lower_bound(members_.begin(), members_.end(), dispid,
                             [which](const MemberDesc& m, int32_t id) { return m.Dispid(which) < id; });
  if (it == members_.end() || it->Dispid(which) != dispid) return nullptr;
  return &*it;
}

}  // namespace vx::control
