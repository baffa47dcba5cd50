// Help on the members of the table, for people at the prompt: one line on what each member does
// and the statuses it can answer, kept by subsystem under control/help/. Everything else a help
// page shows (signature, parameters, defaults, enumeration values) is read from the member table
// and the type library's enumerations, so it cannot drift from them.
#pragma once
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "control/member_table.h"
#include "vexiro/vexiro_status.h"

namespace vx::control {

using StatusList = std::span<const vexiro::VexiroStatus>;

struct MemberHelp {
  std::string_view member;  // the table's spelling
  std::string_view line;    // what it does, in one line
  StatusList statuses;      // every status it can leave, OK first
  // Draws through a graphics object, which the platform refuses on indexed and 16-bit grey
  // bitmaps (the member answers OutOfMemory there): such an image has to be widened first.
  bool needsWideImage = false;
};

// What a family of members does not do, which a user would otherwise find out by trying; the
// help page of each member it names carries it.
struct HelpNote {
  std::span<const std::string_view> members;
  std::string_view text;
};

struct HelpSubsystem {
  std::string_view name;  // "engine", "processing", "pdf", "devices", "recognition"
  std::span<const MemberHelp> entries;
};

// The subsystems in layer order, each with the help of its members.
std::span<const HelpSubsystem> HelpSubsystems();
// The help of a member by its exact table name; null when it has none.
const MemberHelp* FindMemberHelp(std::string_view member);
// The subsystem whose help holds the member; empty when none does.
std::string_view SubsystemOf(std::string_view member);

// The name of the member that converts an image to 32 bits, which the help of drawing members names.
inline constexpr std::string_view kWideningMember = "ConvertTo32BppARGB";

// The help page of one member.
std::string FormatMemberHelp(const MemberDesc& member, const MemberHelp& help);
// The member whose name lies closest to `name` (case-insensitive edit distance); empty when none
// lies close enough to be a likely misspelling.
std::string ClosestMemberName(std::string_view name);
// Case-insensitive match with `*` and `?`; a pattern without either matches as a substring.
bool MatchesMemberPattern(std::string_view pattern, std::string_view name);

// `vexiro --help MEMBER`: the page on `out`, exit 0; an unknown name on `err`, exit 2.
int PrintMemberHelp(std::string_view name, std::ostream& out, std::ostream& err);
// `vexiro --members PATTERN`: the matching members grouped by subsystem; exit 1 when none matches.
int PrintMatchingMembers(std::string_view pattern, const std::function<bool(const MemberDesc&)>& isBound,
                         std::ostream& out, std::ostream& err);

namespace help {
// The entries of each subsystem, one file each under control/help/.
std::span<const MemberHelp> EngineEntries();
std::span<const MemberHelp> ProcessingEntries();
std::span<const MemberHelp> PdfEntries();
std::span<const MemberHelp> DevicesEntries();
std::span<const MemberHelp> RecognitionEntries();
// The notes on what members do not do (control/help/limits.cpp).
std::span<const HelpNote> LimitNotes();
}  // namespace help

}  // namespace vx::control
