// Installed TrueType fonts measured for PDF: the Windows names of the metric-compatible faces
// (Arial, Times New Roman, Courier New) count as installed when their stand-ins are, and metrics
// are given at 1000 units per em.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vx::pdf {

struct FontRecord {
  std::string baseName;  // "TimesNewRoman,Bold": spaces removed, style appended
  int32_t firstChar = 32;
  int32_t lastChar = 255;
  std::array<int32_t, 256> widths{};  // advance of each Windows-1252 code, first to last
  int32_t missingWidth = 0;
  int32_t averageWidth = 0;
  int32_t maximumWidth = 0;
  int32_t descent = 0;  // positive
  int32_t ascent = 0;
  int32_t italicAngle = 0;
  int32_t capHeight = 0;
  int32_t stemV = 0;
  int32_t flags = 32;  // 32 non-symbolic; 4 for a font with only a symbol character map
};

// The installed name matching `name` upper-cased and without spaces, spelled as installed.
std::optional<std::string> PrepareFontName(const std::string& name);
// The face's metrics; nothing when no font file can be opened for it.
std::optional<FontRecord> GetFontMetrics(const std::string& installedName, bool bold, bool italic);

}  // namespace vx::pdf
