// Member help: each member's page from the member table, the help table and the enumerations.
#include "control/member_help.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <vector>

#include "control/enumerations.h"
#include "control/script_names.h"
#include "control/wildcards.h"

namespace vx::control {

namespace {

constexpr int kExitNoMatch = 1;
constexpr int kExitUnknownMember = 2;
constexpr size_t kPageWidth = 100;  // lists of names wrap before this column

const std::array<HelpSubsystem, 5>& Subsystems() {
  static const std::array<HelpSubsystem, 5> all = {{
      {"engine", help::EngineEntries()},
      {"processing", help::ProcessingEntries()},
      {"pdf", help::PdfEntries()},
      {"devices", help::DevicesEntries()},
      {"recognition", help::RecognitionEntries()},
  }};
  return all;
}

std::string StatusNameOrQuestionMark(vexiro::VexiroStatus status) {
  const std::string_view name = vexiro::StatusName(status);
  return name.empty() ? "?" : std::string(name);
}

// Items separated by ", ", wrapped into lines that start with `indent`.
std::string WrappedList(const std::vector<std::string>& items, std::string_view indent) {
  std::string text, line(indent);
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string item = items[i] + (i + 1 < items.size() ? "," : "");
    if (line.size() > indent.size() && line.size() + 1 + item.size() > kPageWidth) {
      text += line + "\n";
      line = std::string(indent);
    }
    if (line.size() > indent.size()) line += ' ';
    line += item;
  }
  return text + line + "\n";
}

std::string ParameterLine(const ParamDesc& p, size_t nameWidth) {
  std::string line = "  " + p.name + std::string(nameWidth - p.name.size() + 2, ' ') + p.type.Name();
  if (p.optional) line += ", optional, default " + p.defaultText;
  if (p.byRef) line += ", by reference";
  return line + "\n";
}

std::string ParametersSection(const MemberDesc& member) {
  if (member.params.empty()) return "Parameters: none\n";
  size_t width = 0;
  for (const ParamDesc& p : member.params) width = std::max(width, p.name.size());
  std::string text = "Parameters:\n";
  for (const ParamDesc& p : member.params) text += ParameterLine(p, width);
  return text;
}

// The enumerations the member's parameters take and the one it returns, each named once, in
// parameter order. A status result is left out: the statuses section names what it can be.
std::vector<const EnumerationDesc*> MemberEnumerations(const MemberDesc& member) {
  std::vector<const TypeDesc*> types;
  for (const ParamDesc& p : member.params) types.push_back(&p.type);
  if (member.result && member.result->enumName != "VexiroStatus") types.push_back(&*member.result);
  std::vector<const EnumerationDesc*> found;
  for (const TypeDesc* t : types) {
    if (t->base != BaseType::Enum) continue;
    const EnumerationDesc* e = FindEnumeration(t->enumName);
    if (e && std::find(found.begin(), found.end(), e) == found.end()) found.push_back(e);
  }
  return found;
}

std::string EnumerationsSection(const MemberDesc& member) {
  std::string text;
  for (const EnumerationDesc* e : MemberEnumerations(member)) {
    std::vector<std::string> constants;
    for (const EnumConstant& c : e->constants)
      constants.push_back(std::string(c.name) + " = " + std::to_string(c.value));
    text += std::string(e->name) + ":\n" + WrappedList(constants, "  ");
  }
  return text;
}

std::string StatusesSection(const MemberHelp& help) {
  std::vector<std::string> names;
  for (vexiro::VexiroStatus s : help.statuses) names.push_back(std::to_string(s) + " " + StatusNameOrQuestionMark(s));
  return "Statuses:\n" + WrappedList(names, "  ");
}

std::string WideningNote(const MemberHelp& help) {
  if (!help.needsWideImage) return "";
  return "Note: on an 8-bit grey or 1-bit image this member cannot draw and answers " +
         StatusNameOrQuestionMark(vexiro::OutOfMemory) + ";\n  widen the image first with " +
         std::string(kWideningMember) + ".\n";
}

// Prose wrapped into lines before the page width, the first starting with `first`, the others
// with `indent`.
std::string WrappedText(std::string_view text, std::string_view first, std::string_view indent) {
  std::string wrapped, line(first);
  bool lineHasWord = false;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find(' ', start), text.size());
    const std::string_view word = text.substr(start, end - start);
    if (lineHasWord && line.size() + 1 + word.size() > kPageWidth) {
      wrapped += line + "\n";
      line = indent;
      lineHasWord = false;
    }
    if (lineHasWord) line += ' ';
    line += word;
    lineHasWord = true;
    start = end + 1;
  }
  return wrapped + line + "\n";
}

std::string LimitsSection(const MemberDesc& member) {
  std::string text;
  for (const HelpNote& note : help::LimitNotes())
    if (std::find(note.members.begin(), note.members.end(), member.name) != note.members.end())
      text += WrappedText(note.text, "Note: ", "  ");
  return text;
}

}  // namespace

std::span<const HelpSubsystem> HelpSubsystems() { return Subsystems(); }

const MemberHelp* FindMemberHelp(std::string_view member) {
  for (const HelpSubsystem& s : Subsystems())
    for (const MemberHelp& h : s.entries)
      if (h.member == member) return &h;
  return nullptr;
}

std::string_view SubsystemOf(std::string_view member) {
  for (const HelpSubsystem& s : Subsystems())
    for (const MemberHelp& h : s.entries)
      if (h.member == member) return s.name;
  return {};
}

std::string FormatMemberHelp(const MemberDesc& member, const MemberHelp& help) {
  return member.name + member.Signature() + "\n  " + std::string(help.line) + "\n" +
         "Subsystem: " + std::string(SubsystemOf(member.name)) + "\n" + ParametersSection(member) +
         EnumerationsSection(member) + StatusesSection(help) + WideningNote(help) + LimitsSection(member);
}

std::string ClosestMemberName(std::string_view name) {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> all;
    for (const MemberDesc& m : MemberTable::Instance().Members()) all.push_back(m.name);
    return all;
  }();
  return ClosestName(name, names);
}

bool MatchesMemberPattern(std::string_view pattern, std::string_view name) {
  if (pattern.find_first_of("*?") == std::string_view::npos)
    return FoldCase(name).find(FoldCase(pattern)) != std::string::npos;
  return MatchesWildcards(name, pattern);
}

int PrintMemberHelp(std::string_view name, std::ostream& out, std::ostream& err) {
  const MemberDesc* member = MemberTable::Instance().Find(name);
  const MemberHelp* help = member ? FindMemberHelp(member->name) : nullptr;
  if (!help) {
    err << "vexiro: no member " << name;
    if (const std::string closest = ClosestMemberName(name); !closest.empty())
      err << "; did you mean " << closest << "?";
    err << '\n';
    return kExitUnknownMember;
  }
  out << FormatMemberHelp(*member, *help);
  return 0;
}

int PrintMatchingMembers(std::string_view pattern, const std::function<bool(const MemberDesc&)>& isBound,
                         std::ostream& out, std::ostream& err) {
  size_t matched = 0;
  for (const HelpSubsystem& s : Subsystems()) {
    bool headed = false;
    for (const MemberHelp& h : s.entries) {
      const MemberDesc* m = MemberTable::Instance().Find(h.member);
      if (!m || !MatchesMemberPattern(pattern, m->name)) continue;
      if (!headed) out << (matched ? "\n" : "") << s.name << ":\n";
      headed = true;
      ++matched;
      out << "  " << m->name << ' ' << m->Signature() << ' ' << (isBound(*m) ? "bound" : "not bound") << '\n';
    }
  }
  if (matched == 0) {
    err << "vexiro: no member matches " << pattern << '\n';
    return kExitNoMatch;
  }
  err << matched << " of " << MemberTable::Instance().size() << " members match " << pattern << '\n';
  return 0;
}

}  // namespace vx::control
