// Installed TrueType fonts by the names Windows documents use, and their metrics for text in
// the ANSI code page. The metric-compatible faces installed under other names stand in for
// Arial, Times New Roman and Courier New, which count as installed when their stand-ins are.
// Metrics are unhinted, in 1000 units per em, halves rounded to even.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vx::gdi {

struct AnsiFontMetrics {
  std::array<int32_t, 256> advances{};  // of the glyph each Windows-1252 code shows (0 .. 255)
  int32_t missingAdvance = 0;           // of the .notdef glyph
  int32_t winAscent = 0;                // OS/2 usWinAscent, else the face's ascender
  int32_t winDescent = 0;               // OS/2 usWinDescent (positive), else the face's descender
  int32_t averageCharWidth = 0;         // OS/2 xAvgCharWidth; 0 without an OS/2 table
  int32_t maximumAdvance = 0;           // hhea advanceWidthMax
  bool symbolOnly = false;              // only a symbol character map, no Unicode one
};

// The installed family that stands in for a Windows family with the same advance widths
// ("Arial" -> "Liberation Sans"), matched ignoring case; nullptr for any other name.
const char* MetricCompatibleFamily(const std::string& windowsName);

// The installed family whose name equals `name` when both are upper-cased and stripped of
// spaces, spelled as installed (or as Windows spells an alias); nothing when none is.
std::optional<std::string> FindInstalledFont(const std::string& name);

// The metrics of the face `installedName` (as FindInstalledFont gives it) in the style; nothing
// when no font file of that family can be opened for it.
std::optional<AnsiFontMetrics> GetAnsiFontMetrics(const std::string& installedName, bool bold, bool italic);

}  // namespace vx::gdi
