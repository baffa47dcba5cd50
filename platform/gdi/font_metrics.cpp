#include "platform/gdi/font_metrics.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/gdi/font_caches.h"
#include "platform/kernel/code_page.h"

namespace vx::gdi {
namespace {

struct Alias {
  const char* windowsName;
  const char* family;
};
// Faces with the same advance widths as the Windows fonts documents ask for.
constexpr Alias kAliases[] = {
    {"Arial", "Liberation Sans"}, {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"}};

std::string Folded(std::string_view name) {
  std::string out;
  for (unsigned char c : name)
    if (c != ' ') out += static_cast<char>(std::toupper(c));
  return out;
}

std::vector<std::string> InstalledFamilies() {
  std::vector<std::string> families;
  LoadFontConfiguration();
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FONTFORMAT, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  for (int i = 0; set && i < set->nfont; ++i) {
    FcChar8* format = nullptr;
    if (FcPatternGetString(set->fonts[i], FC_FONTFORMAT, 0, &format) != FcResultMatch ||
        std::string_view(reinterpret_cast<char*>(format)) != "TrueType")
      continue;
    FcChar8* family = nullptr;
    if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch)
      families.emplace_back(reinterpret_cast<char*>(family));
  }
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  std::sort(families.begin(), families.end());
  families.erase(std::unique(families.begin(), families.end()), families.end());
  return families;
}

std::string FamilyOf(const std::string& installedName) {
  for (const Alias& a : kAliases)
    if (installedName == a.windowsName) return a.family;
  return installedName;
}

// The file fontconfig matches for the family in that style; "" when it offers another family.
std::string FontFile(const std::string& family, bool bold, bool italic) {
  LoadFontConfiguration();
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string path;
  FcChar8* file = nullptr;
  FcChar8* matchedFamily = nullptr;
  if (match && FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
      Folded(reinterpret_cast<char*>(matchedFamily)) == Folded(family) &&
      FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
    path = reinterpret_cast<char*>(file);
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return path;
}

struct FreeTypeDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};

// Font units to 1000 units per em, halves to even.
int32_t Scaled(long units, FT_UShort unitsPerEm) {
  return static_cast<int32_t>(std::nearbyint(static_cast<double>(units) * 1000.0 / unitsPerEm));
}

bool HasOnlySymbolMap(FT_Face face) {
  bool symbol = false;
  for (int i = 0; i < face->num_charmaps; ++i) {
    if (face->charmaps[i]->encoding == FT_ENCODING_UNICODE) return false;
    if (face->charmaps[i]->encoding == FT_ENCODING_MS_SYMBOL) symbol = true;
  }
  return symbol;
}

// The glyph a Windows-1252 code shows; 0 (.notdef) when the face has none.
FT_UInt GlyphOf(FT_Face face, int code, bool symbol) {
  if (symbol) {
    const FT_UInt g = FT_Get_Char_Index(face, 0xF000 + code);
    return g != 0 ? g : FT_Get_Char_Index(face, code);
  }
  const char byte = static_cast<char>(code);
  const std::string utf8 = AnsiToUtf8(std::string_view(&byte, 1));
  char32_t cp = 0;
  // One Windows-1252 character is at most three UTF-8 bytes.
  const auto* u = reinterpret_cast<const unsigned char*>(utf8.data());
  if (utf8.size() == 1) cp = u[0];
  else if (utf8.size() == 2) cp = ((u[0] & 0x1F) << 6) | (u[1] & 0x3F);
  else if (utf8.size() == 3) cp = ((u[0] & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F);
  return FT_Get_Char_Index(face, cp);
}

int32_t Advance(FT_Face face, FT_UInt glyph) {
  if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return 0;
  return Scaled(face->glyph->metrics.horiAdvance, face->units_per_EM);
}

}  // namespace

const char* MetricCompatibleFamily(const std::string& windowsName) {
  for (const Alias& a : kAliases)
    if (strcasecmp(a.windowsName, windowsName.c_str()) == 0) return a.family;
  return nullptr;
}

std::optional<std::string> FindInstalledFont(const std::string& name) {
  const std::string wanted = Folded(name);
  const std::vector<std::string> families = InstalledFamilies();
  for (const Alias& a : kAliases)
    if (Folded(a.windowsName) == wanted && std::binary_search(families.begin(), families.end(), a.family))
      return std::string(a.windowsName);
  for (const std::string& f : families)
    if (Folded(f) == wanted) return f;
  return std::nullopt;
}

std::optional<AnsiFontMetrics> GetAnsiFontMetrics(const std::string& installedName, bool bold, bool italic) {
  const std::string file = FontFile(FamilyOf(installedName), bold, italic);
  if (file.empty()) return std::nullopt;
  FT_Library rawLibrary = nullptr;
  if (FT_Init_FreeType(&rawLibrary) != 0) return std::nullopt;
  std::unique_ptr<FT_LibraryRec_, FreeTypeDeleter> library(rawLibrary);
  FT_Face rawFace = nullptr;
  if (FT_New_Face(library.get(), file.c_str(), 0, &rawFace) != 0) return std::nullopt;
  std::unique_ptr<FT_FaceRec_, FreeTypeDeleter> face(rawFace);
  if (face->units_per_EM == 0) return std::nullopt;

  AnsiFontMetrics m;
  m.symbolOnly = HasOnlySymbolMap(face.get());
  if (m.symbolOnly) FT_Select_Charmap(face.get(), FT_ENCODING_MS_SYMBOL);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_OS2));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face.get(), FT_SFNT_HHEA));
  const FT_UShort em = face->units_per_EM;
  m.winAscent = Scaled(os2 ? os2->usWinAscent : face->ascender, em);
  m.winDescent = Scaled(os2 ? os2->usWinDescent : -face->descender, em);
  m.averageCharWidth = os2 ? Scaled(os2->xAvgCharWidth, em) : 0;
  m.maximumAdvance = Scaled(hhea ? hhea->advance_Width_Max : face->max_advance_width, em);
  m.missingAdvance = Advance(face.get(), 0);
  for (int c = 0; c < static_cast<int>(m.advances.size()); ++c)
    m.advances[c] = Advance(face.get(), GlyphOf(face.get(), c, m.symbolOnly));
  return m;
}

}  // namespace vx::gdi
