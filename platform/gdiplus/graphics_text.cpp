// Laying out, measuring and drawing strings. A string is split into lines at line feeds and,
// inside a layout rectangle of some width, at the last blank that fits (or inside a word that
// fits nowhere). As on the platform, each line is padded by a sixth of the em on both sides and
// lines follow at the face's line spacing; advances are the face's unhinted advances, so a
// string measures the same at every resolution and angle.
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "platform/gdi/font_caches.h"
#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/font.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/graphics_render.h"

namespace vx::gdiplus {
namespace {

constexpr double kPaddingEms = 1.0 / 6.0;
// FreeType scales a face to at most 65535 pixels an em. Past that cairo's font fails (keeping
// memory on that path, and failing one call while passing the next), so a larger em is refused
// before any font is made, by measuring and drawing alike.
constexpr double kMaxEmPixels = 65535;

struct FaceDeleter {
  void operator()(cairo_font_face_t* f) const { cairo_font_face_destroy(f); }
};
using FacePtr = std::unique_ptr<cairo_font_face_t, FaceDeleter>;
struct ScaledDeleter {
  void operator()(cairo_scaled_font_t* f) const { cairo_scaled_font_destroy(f); }
};
using ScaledPtr = std::unique_ptr<cairo_scaled_font_t, ScaledDeleter>;

// The installed face that fontconfig matches for the font's family, weight and slant.
FacePtr OpenFace(const GpFont& font) {
  gdi::LoadFontConfiguration();
  FcPattern* p = FcPatternBuild(nullptr, FC_FAMILY, FcTypeString, reinterpret_cast<const FcChar8*>(font.family.c_str()),
                                FC_WEIGHT, FcTypeInteger, (font.style & FontStyleBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR,
                                FC_SLANT, FcTypeInteger, (font.style & FontStyleItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN,
                                nullptr);
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult result;
  FcPattern* match = FcFontMatch(nullptr, p, &result);
  FcPatternDestroy(p);
  if (!match) return FacePtr(nullptr);
  FacePtr face(cairo_ft_font_face_create_for_pattern(match));
  FcPatternDestroy(match);
  if (cairo_font_face_status(face.get()) != CAIRO_STATUS_SUCCESS) return FacePtr(nullptr);
  return face;
}

cairo_font_options_t* TextOptions(bool aliased) {
  cairo_font_options_t* o = cairo_font_options_create();
  cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(o, aliased ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_GRAY);
  return o;
}

FaceMetrics ReadMetrics(cairo_scaled_font_t* scaled) {
  FaceMetrics m;
  FT_Face ft = cairo_ft_scaled_font_lock_face(scaled);
  if (!ft) return m;
  m.emHeight = ft->units_per_EM ? ft->units_per_EM : 2048;
  m.ascent = ft->ascender;
  m.descent = -ft->descender;
  m.lineSpacing = ft->height;
  m.underlinePosition = -ft->underline_position;
  m.underlineThickness = ft->underline_thickness;
  m.strikeoutPosition = m.ascent * 0.3;
  m.strikeoutThickness = m.underlineThickness;
  if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2))) {
    if (os2->usWinAscent) m.ascent = os2->usWinAscent;
    if (os2->usWinDescent) m.descent = os2->usWinDescent;
    m.strikeoutPosition = os2->yStrikeoutPosition;
    m.strikeoutThickness = os2->yStrikeoutSize;
  }
  cairo_ft_scaled_font_unlock_face(scaled);
  return m;
}

// Code points of UTF-8 text; malformed bytes count as one code point each.
std::vector<uint32_t> CodePoints(const std::string& text) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    uint32_t cp = extra ? (b & (0x3F >> extra)) : b;
    size_t k = 1;
    for (; k <= size_t(extra) && i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80; ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out.push_back(k == size_t(extra) + 1 ? cp : 0xFFFD);
    i += k;
  }
  return out;
}

struct Line {
  size_t begin = 0, end = 0;  // code point range, line feed excluded
  double width = 0;           // measured width without padding
};

// One string laid out in world units relative to the top-left of its text block.
struct Layout {
  std::vector<cairo_glyph_t> glyphs;  // one per code point; x is the advance-based offset in its line
  std::vector<double> advance;
  std::vector<Line> lines;
  double em = 0, pad = 0, lineSpacing = 0, ascent = 0, maxWidth = 0;
  FaceMetrics metrics;
};

bool IsBlank(uint32_t c) { return c == ' ' || c == '\t' || c == 0x3000; }

void BreakParagraph(const std::vector<uint32_t>& cp, size_t begin, size_t end, const Layout& l, double limit,
                    bool trailing, std::vector<Line>& lines) {
  size_t start = begin;
  do {
    size_t i = start, lastBreak = start;
    double x = 0;
    for (; i < end; ++i) {
      if (!IsBlank(cp[i]) && i > start && x + l.advance[i] > limit) break;
      x += l.advance[i];
      if (IsBlank(cp[i])) lastBreak = i + 1;
    }
    const size_t stop = i < end ? (lastBreak > start ? lastBreak : i) : end;
    Line line{start, stop, 0};
    size_t measured = stop;
    if (!trailing)
      while (measured > start && IsBlank(cp[measured - 1])) --measured;
    for (size_t k = start; k < measured; ++k) line.width += l.advance[k];
    lines.push_back(line);
    start = stop;
  } while (start < end);
}

Status BuildLayout(const GpGraphics& g, const std::string& text, const GpFont& font,
                   const GpRectF& box, const GpStringFormat& format, Layout& l, FacePtr& face) {
  const double fontPixels = g.PixelsPerUnit(font.unit, true);
  const double pagePixels = g.PixelsPerUnit(g.pageUnit, true) * g.pageScale;
  if (!(fontPixels > 0) || !(pagePixels > 0)) return InvalidParameter;
  l.em = font.size * fontPixels / (font.unit == UnitWorld ? fontPixels : pagePixels);
  if (!(l.em * pagePixels <= kMaxEmPixels)) return InvalidParameter;
  face = OpenFace(font);
  if (!face) return FontFamilyNotFound;
  cairo_matrix_t size, identity;
  cairo_matrix_init_scale(&size, l.em, l.em);
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = TextOptions(false);
  ScaledPtr scaled(cairo_scaled_font_create(face.get(), &size, &identity, options));
  cairo_font_options_destroy(options);
  if (cairo_scaled_font_status(scaled.get()) != CAIRO_STATUS_SUCCESS) return OutOfMemory;
  l.metrics = ReadMetrics(scaled.get());
  const double unit = l.em / l.metrics.emHeight;
  l.pad = l.em * kPaddingEms;
  l.lineSpacing = l.metrics.lineSpacing * unit;
  l.ascent = l.metrics.ascent * unit;

  const std::vector<uint32_t> cp = CodePoints(text);
  l.advance.assign(cp.size(), 0);
  l.glyphs.assign(cp.size(), cairo_glyph_t{0, 0, 0});
  FT_Face ft = cairo_ft_scaled_font_lock_face(scaled.get());
  for (size_t i = 0; i < cp.size(); ++i)
    if (ft && cp[i] != '\n' && cp[i] != '\r') l.glyphs[i].index = FT_Get_Char_Index(ft, cp[i]);
  if (ft) cairo_ft_scaled_font_unlock_face(scaled.get());
  for (size_t i = 0; i < cp.size(); ++i) {
    if (cp[i] == '\n' || cp[i] == '\r') continue;
    cairo_text_extents_t e;
    cairo_scaled_font_glyph_extents(scaled.get(), &l.glyphs[i], 1, &e);
    l.advance[i] = e.x_advance;
  }
  const bool wraps = box.Width > 0 && !(format.flags & StringFormatFlagsNoWrap);
  const double limit = wraps ? std::max(0.0, box.Width - 2 * l.pad) : HUGE_VAL;
  const bool trailing = format.flags & StringFormatFlagsMeasureTrailingSpaces;
  for (size_t begin = 0; begin < cp.size();) {
    size_t end = begin;
    while (end < cp.size() && cp[end] != '\n') ++end;
    size_t content = end;
    if (content > begin && cp[content - 1] == '\r') --content;
    BreakParagraph(cp, begin, content, l, limit, trailing, l.lines);
    begin = end + 1;
    // A line feed at the very end still opens an empty last line.
    if (end < cp.size() && begin == cp.size()) l.lines.push_back({begin, begin, 0});
  }
  for (Line& line : l.lines) {
    double x = 0;
    for (size_t k = line.begin; k < line.end; ++k) {
      l.glyphs[k].x = x;
      x += l.advance[k];
    }
    l.maxWidth = std::max(l.maxWidth, line.width);
  }
  return Ok;
}

// Where a block of `size` starts inside a layout span, by the alignment.
double Align(double origin, double span, double size, StringAlignment a) {
  if (a == StringAlignmentCenter) return origin + (span - size) / 2;
  if (a == StringAlignmentFar) return origin + span - size;
  return origin;
}

GpRectF BlockBounds(const Layout& l, const GpRectF& box, const GpStringFormat& f) {
  const double w = l.lines.empty() ? 0 : l.maxWidth + 2 * l.pad, h = l.lines.size() * l.lineSpacing;
  return {REAL(Align(box.X, box.Width, w, f.align)), REAL(Align(box.Y, box.Height, h, f.lineAlign)), REAL(w), REAL(h)};
}

// The left end of a line's ink (padding excluded).
double LineLeft(const Layout& l, const Line& line, const GpRectF& box, const GpStringFormat& f) {
  if (box.Width > 0 || f.align == StringAlignmentNear) return Align(box.X + l.pad, box.Width - 2 * l.pad, line.width, f.align);
  return Align(box.X, 0, line.width + 2 * l.pad, f.align) + l.pad;
}

const GpStringFormat kDefaultFormat;

// The first `length` code points of the text (all of it for a negative length).
std::string Prefix(const std::string& text, INT length) {
  if (length < 0) return text;
  size_t i = 0;
  for (INT n = 0; n < length && i < text.size(); ++n) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return text.substr(0, i);
}

}  // namespace

Status GpGraphics::MeasureString(const std::string& text, const GpFont& font, const GpRectF& layout,
                                 const GpStringFormat* format, StringLayoutResult& result) {
  const GpStringFormat& f = format ? *format : kDefaultFormat;
  Layout l;
  FacePtr face(nullptr);
  if (Status s = BuildLayout(*this, text, font, layout, f, l, face); s != Ok) return s;
  result.bounds = BlockBounds(l, layout, f);
  result.codepointsFitted = static_cast<INT>(l.glyphs.size());
  result.linesFilled = static_cast<INT>(l.lines.size());
  return Ok;
}

Status GpGraphics::DrawString(const std::string& text, const GpFont& font, const GpRectF& layout,
                              const GpStringFormat* format, const GpBrush& brush) {
  if (lentDc_) return ObjectBusy;
  const GpStringFormat& f = format ? *format : kDefaultFormat;
  Layout l;
  FacePtr face(nullptr);
  if (Status s = BuildLayout(*this, text, font, layout, f, l, face); s != Ok) return s;
  if (l.lines.empty()) return Ok;
  const GpRectF block = BlockBounds(l, layout, f);
  const bool clips = layout.Width > 0 && layout.Height > 0 && !(f.flags & StringFormatFlagsNoClip);
  const double unit = l.em / l.metrics.emHeight;
  // Glyphs may overhang their advances a little: the area reaches an em beyond the block.
  const GpRectF area{REAL(block.X - l.em), REAL(block.Y - l.em), REAL(block.Width + 2 * l.em),
                     REAL(block.Height + 2 * l.em)};
  const bool aliased = textHint == TextRenderingHintSingleBitPerPixel ||
                       textHint == TextRenderingHintSingleBitPerPixelGridFit;
  std::vector<cairo_glyph_t> placed;
  return Render(
      area, false,
      [&](cairo_t* cr) {
        Antialias(cr, true);
        if (clips) {
          cairo_rectangle(cr, layout.X, layout.Y, layout.Width, layout.Height);
          cairo_clip(cr);
        }
        cairo_set_font_face(cr, face.get());
        cairo_set_font_size(cr, l.em);
        cairo_font_options_t* options = TextOptions(aliased);
        cairo_set_font_options(cr, options);
        cairo_font_options_destroy(options);
        brush.SetSource(cr);
        for (size_t n = 0; n < l.lines.size(); ++n) {
          const Line& line = l.lines[n];
          const double left = LineLeft(l, line, layout, f), top = block.Y + n * l.lineSpacing;
          const double baseline = top + l.ascent;
          placed.assign(l.glyphs.begin() + line.begin, l.glyphs.begin() + line.end);
          for (cairo_glyph_t& gl : placed) gl.x += left, gl.y = baseline;
          cairo_show_glyphs(cr, placed.data(), static_cast<int>(placed.size()));
          if (font.style & FontStyleUnderline)
            cairo_rectangle(cr, left, baseline + l.metrics.underlinePosition * unit, line.width,
                            std::max(1.0, l.metrics.underlineThickness * unit));
          if (font.style & FontStyleStrikeout)
            cairo_rectangle(cr, left, baseline - l.metrics.strikeoutPosition * unit, line.width,
                            std::max(1.0, l.metrics.strikeoutThickness * unit));
          cairo_fill(cr);
        }
      },
      true);
}

Status GdipMeasureString(GpGraphics* graphics, const std::string& text, INT length, const GpFont* font,
                         const GpRectF* layoutRect, const GpStringFormat* format, GpRectF* boundingBox,
                         INT* codepointsFitted, INT* linesFilled) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!graphics || !font || !layoutRect || !boundingBox) return InvalidParameter;
  try {
    StringLayoutResult r;
    Status s = graphics->MeasureString(Prefix(text, length), *font, *layoutRect, format, r);
    if (s != Ok) return s;
    *boundingBox = r.bounds;
    if (codepointsFitted) *codepointsFitted = r.codepointsFitted;
    if (linesFilled) *linesFilled = r.linesFilled;
    return Ok;
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

Status GdipDrawString(GpGraphics* graphics, const std::string& text, INT length, const GpFont* font,
                      const GpRectF* layoutRect, const GpStringFormat* format, const GpBrush* brush) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!graphics || !font || !layoutRect || !brush) return InvalidParameter;
  try {
    return graphics->DrawString(Prefix(text, length), *font, *layoutRect, format, *brush);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

}  // namespace vx::gdiplus
