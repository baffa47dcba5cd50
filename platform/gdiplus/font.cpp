#include "platform/gdiplus/font.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <set>

#include "platform/gdi/font_caches.h"
#include "platform/gdi/font_metrics.h"
#include "platform/gdiplus/flat_call.h"

namespace vx::gdiplus {
namespace {

struct FontSetDeleter {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
using FontSetPtr = std::unique_ptr<FcFontSet, FontSetDeleter>;

// Every installed face of `family` (all families when empty) with the given properties.
FontSetPtr ListFaces(const std::string& family) {
  gdi::LoadFontConfiguration();
  FcPattern* pattern = family.empty() ? FcPatternCreate()
                                      : FcPatternBuild(nullptr, FC_FAMILY, FcTypeString,
                                                       reinterpret_cast<const FcChar8*>(family.c_str()), nullptr);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_WEIGHT, FC_SLANT, nullptr);
  FontSetPtr set(FcFontList(nullptr, pattern, objects));
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return set;
}

// The family value of a face that equals `name` ignoring case, as fontconfig spells it.
std::string MatchingFamily(const FcPattern* face, const std::string& name) {
  FcChar8* value = nullptr;
  for (int i = 0; FcPatternGetString(face, FC_FAMILY, i, &value) == FcResultMatch; ++i)
    if (strcasecmp(reinterpret_cast<const char*>(value), name.c_str()) == 0) return reinterpret_cast<const char*>(value);
  return {};
}

std::string FindFamily(const std::string& name) {
  if (name.empty()) return {};
  FontSetPtr faces = ListFaces(name);
  for (int i = 0; faces && i < faces->nfont; ++i) {
    std::string found = MatchingFamily(faces->fonts[i], name);
    if (!found.empty()) return found;
  }
  return {};
}

bool FaceHasStyle(const FcPattern* face, INT style) {
  int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  FcPatternGetInteger(face, FC_WEIGHT, 0, &weight);
  FcPatternGetInteger(face, FC_SLANT, 0, &slant);
  const bool bold = weight >= FC_WEIGHT_BOLD, italic = slant != FC_SLANT_ROMAN;
  return bold == ((style & FontStyleBold) != 0) && italic == ((style & FontStyleItalic) != 0);
}

bool ValidAlignment(StringAlignment a) { return a >= StringAlignmentNear && a <= StringAlignmentFar; }

GpFontCollection g_installedFonts;

}  // namespace

std::vector<std::string> InstalledFontFamilies() {
  std::set<std::string> names;
  FontSetPtr faces = ListFaces({});
  for (int i = 0; faces && i < faces->nfont; ++i) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(faces->fonts[i], FC_FAMILY, 0, &value) == FcResultMatch)
      names.insert(reinterpret_cast<const char*>(value));
  }
  return {names.begin(), names.end()};
}

std::string ResolveFontFamily(const std::string& name) {
  std::string found = FindFamily(name);
  if (!found.empty()) return found;
  const char* standIn = gdi::MetricCompatibleFamily(name);
  return standIn ? FindFamily(standIn) : std::string();
}

bool FamilyHasStyle(const std::string& family, INT style) {
  FontSetPtr faces = ListFaces(family);
  for (int i = 0; faces && i < faces->nfont; ++i)
    if (FaceHasStyle(faces->fonts[i], style)) return true;
  return false;
}

Status GdipNewInstalledFontCollection(GpFontCollection** collection) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!collection) return InvalidParameter;
  *collection = &g_installedFonts;
  return Ok;
}

Status GdipGetFontCollectionFamilyCount(GpFontCollection* collection, INT* count) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!count) return InvalidParameter;
  *count = static_cast<INT>(InstalledFontFamilies().size());
  return Ok;
}

Status GdipGetFontCollectionFamilyList(GpFontCollection* collection, INT wanted, GpFontFamily** families, INT* found) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!families || !found || wanted < 0) return InvalidParameter;
  const std::vector<std::string> names = InstalledFontFamilies();
  *found = 0;
  for (INT i = 0; i < wanted && static_cast<size_t>(i) < names.size(); ++i) {
    families[i] = new (std::nothrow) GpFontFamily{names[static_cast<size_t>(i)]};
    if (!families[i]) return OutOfMemory;
    ++*found;
  }
  return Ok;
}

Status GdipCreateFontFamilyFromName(const std::string& name, GpFontCollection* collection, GpFontFamily** family) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!family) return InvalidParameter;
  *family = nullptr;
  std::string resolved = ResolveFontFamily(name);
  if (resolved.empty()) return FontFamilyNotFound;
  *family = new (std::nothrow) GpFontFamily{std::move(resolved)};
  return *family ? Ok : OutOfMemory;
}

Status GdipDeleteFontFamily(GpFontFamily* family) { return DeleteOwned(family); }

Status GdipGetFamilyName(const GpFontFamily* family, std::string& name) {
  return OnObject(family, [&](const GpFontFamily& f) {
    name = f.name;
    return Ok;
  });
}

Status GdipIsStyleAvailable(const GpFontFamily* family, INT style, BOOL* available) {
  return OnObject(family, [&](const GpFontFamily& f) {
    if (!available) return InvalidParameter;
    *available = FamilyHasStyle(f.name, style & FontStyleBoldItalic) ? 1 : 0;
    return Ok;
  });
}

Status GdipCreateFont(const GpFontFamily* family, REAL size, INT style, Unit unit, GpFont** font) {
  return OnObject(family, [&](const GpFontFamily& f) {
    if (!font || !std::isfinite(size) || size <= 0 || unit < UnitWorld || unit > UnitMillimeter || unit == UnitDisplay)
      return InvalidParameter;
    *font = new (std::nothrow) GpFont{f.name, size, style, unit};
    return *font ? Ok : OutOfMemory;
  });
}

Status GdipDeleteFont(GpFont* font) { return DeleteOwned(font); }

Status GdipCreateStringFormat(INT flags, WORD language, GpStringFormat** format) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!format) return InvalidParameter;
  *format = new (std::nothrow) GpStringFormat{flags, StringAlignmentNear, StringAlignmentNear};
  return *format ? Ok : OutOfMemory;
}

Status GdipDeleteStringFormat(GpStringFormat* format) { return DeleteOwned(format); }

Status GdipSetStringFormatFlags(GpStringFormat* format, INT flags) {
  return OnObject(format, [flags](GpStringFormat& f) {
    f.flags = flags;
    return Ok;
  });
}

Status GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align) {
  return OnObject(format, [align](GpStringFormat& f) {
    if (!ValidAlignment(align)) return InvalidParameter;
    f.align = align;
    return Ok;
  });
}

Status GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align) {
  return OnObject(format, [align](GpStringFormat& f) {
    if (!ValidAlignment(align)) return InvalidParameter;
    f.lineAlign = align;
    return Ok;
  });
}

}  // namespace vx::gdiplus
