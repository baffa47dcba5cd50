#include "pdf/fonts.h"

#include <algorithm>

#include "platform/gdi/font_metrics.h"

namespace vx::pdf {
namespace {

// "TimesNewRoman,Bold": the installed name without spaces, the style after a comma.
std::string BaseFontName(const std::string& installedName, bool bold, bool italic) {
  std::string name = installedName;
  if (bold || italic) name += ",";
  if (bold) name += "Bold";
  if (italic) name += "Italic";
  name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
  return name;
}

}  // namespace

std::optional<std::string> PrepareFontName(const std::string& name) { return gdi::FindInstalledFont(name); }

std::optional<FontRecord> GetFontMetrics(const std::string& installedName, bool bold, bool italic) {
  const std::optional<gdi::AnsiFontMetrics> m = gdi::GetAnsiFontMetrics(installedName, bold, italic);
  if (!m) return std::nullopt;
  FontRecord r;
  r.baseName = BaseFontName(installedName, bold, italic);
  r.flags = m->symbolOnly ? 4 : 32;
  r.ascent = m->winAscent;
  r.descent = m->winDescent;
  r.capHeight = r.ascent;
  r.averageWidth = m->averageCharWidth;
  r.maximumWidth = m->maximumAdvance;
  r.italicAngle = italic ? -11 : 0;
  r.missingWidth = m->missingAdvance;
  for (int c = r.firstChar; c <= r.lastChar; ++c) r.widths[c] = m->advances[c];
  return r;
}

}  // namespace vx::pdf
