// The text members: strings written onto the current image plainly, on a background box, turned
// about their top-left corner, inside a box with alignment, or filled with a gradient or a
// texture; measuring; the unit of font sizes and the installed font families.
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "processing/draw/draw_frame.h"
#include "processing/draw/gdiplus_wrappers.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace draw = vx::draw;
namespace engine = vx::engine;
using namespace vx::gdiplus;
// The platform's names where the public enumerations reuse them (UnitPixel, FillMode ...).
namespace gp = vx::gdiplus;

namespace {

constexpr INT kMeasureTrailingSpaces = StringFormatFlagsMeasureTrailingSpaces;

// The family, graphics, font and format every text member starts with.
struct TextSetup {
  draw::FamilyPtr family;
  draw::GraphicsPtr graphics;
  draw::FontPtr font;
  draw::FormatPtr format;
};

VexiroStatus OpenFamilyAndGraphics(int32_t image, const std::string& fontName, TextSetup& t) {
  if (image == 0) return GenericError;
  if (VexiroStatus s = draw::MakeInto(t.family, [&](GpFontFamily** f) {
        return GdipCreateFontFamilyFromName(fontName, nullptr, f);
      });
      s != OK)
    return s;
  return draw::OpenGraphics(image, t.graphics);
}

VexiroStatus MakeFontAndFormat(TextSetup& t, int32_t size, int32_t style, int32_t unit, INT flags) {
  if (VexiroStatus s = draw::MakeInto(t.font, [&](GpFont** f) {
        return GdipCreateFont(t.family.get(), float(size), style, Unit(unit), f);
      });
      s != OK)
    return s;
  if (VexiroStatus s = draw::MakeInto(t.format, [](GpStringFormat** f) { return GdipCreateStringFormat(0, 0, f); });
      s != OK)
    return s;
  return engine::ToStatus(GdipSetStringFormatFlags(t.format.get(), flags));
}

void SetTextHint(GpGraphics* g, bool antiAlias) {
  GdipSetTextRenderingHint(g, antiAlias ? TextRenderingHintAntiAlias : TextRenderingHintSingleBitPerPixel);
}

VexiroStatus SolidBrush(int32_t colour, draw::BrushPtr& brush) {
  return draw::MakeInto(brush, [&](GpBrush** b) { return GdipCreateSolidFill(ARGB(colour), b); });
}

}  // namespace

struct cImaging::TextJob {
  enum class Fill { Solid, Gradient, TextureFile, TextureImage };
  std::string text, fontName;
  int32_t left = 0, top = 0, size = 0, style = 0;
  bool antiAlias = false;
  Fill fill = Fill::Solid;
  int32_t colour = -16777216, endColour = 0, textureImage = 0;
  std::string texturePath;
  bool backBox = false;
  int32_t backColour = -1;
  bool rotated = false, smoothing = false;
  float angle = 0;
};

VexiroStatus cImaging::RunTextJob(const TextJob& job) {
  TextSetup t;
  if (VexiroStatus s = OpenFamilyAndGraphics(nNativeImage, job.fontName, t); s != OK) return s;
  GpGraphics* g = t.graphics.get();
  SetTextHint(g, job.antiAlias);
  if (job.smoothing) draw::SetAntiAlias(g, job.antiAlias);
  draw::BrushPtr brush, back;
  if (job.fill == TextJob::Fill::Solid)
    if (VexiroStatus s = SolidBrush(job.colour, brush); s != OK) return s;
  if (job.backBox)
    if (VexiroStatus s = SolidBrush(job.backColour, back); s != OK) return s;
  if (VexiroStatus s = MakeFontAndFormat(t, job.size, job.style, nFontUnit, kMeasureTrailingSpaces); s != OK) return s;
  GpPointF origin{float(job.left), float(job.top)};
  if (job.rotated) {
    // The text turns about its top-left corner, which stays where the caller put it.
    engine::RotateWorldTransform(g, job.angle, MatrixOrderAppend);
    GdipTransformPoints(g, CoordinateSpaceWorld, CoordinateSpaceDevice, &origin, 1);
  }
  const GpRectF layout{origin.X, origin.Y, 0, 0};
  GpRectF box;
  if (VexiroStatus s = engine::ToStatus(
          GdipMeasureString(g, job.text, -1, t.font.get(), &layout, t.format.get(), &box, nullptr, nullptr));
      s != OK)
    return s;
  if (back)
    if (VexiroStatus s = engine::ToStatus(GdipFillRectangles(g, back.get(), &box, 1)); s != OK) return s;
  engine::ScopedImage texture;
  VexiroStatus s = OK;
  switch (job.fill) {
    case TextJob::Fill::Solid: break;
    case TextJob::Fill::Gradient:
      s = draw::MakeInto(brush, [&](GpBrush** b) {
        return GdipCreateLineBrushFromRect(&box, ARGB(job.colour), ARGB(job.endColour), LinearGradientModeHorizontal,
                                           WrapModeTile, b);
      });
      break;
    case TextJob::Fill::TextureFile:
      s = engine::LoadImageFromFile(*texture.put(), job.texturePath, {.DisablePlugin = bDisableVximgplugCodecs});
      if (s == OK)
        s = draw::MakeInto(brush, [&](GpBrush** b) { return draw::CreateTexture(texture.get(), WrapModeTile, *b); });
      break;
    case TextJob::Fill::TextureImage:
      s = draw::MakeInto(brush, [&](GpBrush** b) { return draw::CreateTexture(job.textureImage, WrapModeTile, *b); });
      break;
  }
  if (s != OK) return s;
  return engine::ToStatus(GdipDrawString(g, job.text, -1, t.font.get(), &layout, t.format.get(), brush.get()));
}

VexiroStatus cImaging::DrawText(const std::string& sText, int32_t nDstLeft, int32_t nDstTop, int32_t nFontSize,
                                EnumArg<FontStyle> nFontStyle, EnumArg<Colors> nTextARGBColor,
                                const std::string& sFontName,
                                bool bAntiAlias) {
  TextJob job{.text = sText, .fontName = sFontName, .left = nDstLeft, .top = nDstTop, .size = nFontSize,
              .style = nFontStyle, .antiAlias = bAntiAlias, .colour = nTextARGBColor};
  return nStat = RunTextJob(job);
}

VexiroStatus cImaging::DrawTextBackColor(const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                                         int32_t nFontSize, EnumArg<FontStyle> nFontStyle,
                                         EnumArg<Colors> nTextARGBColor,
                                         const std::string& sFontName, EnumArg<Colors> nBackColor, bool bAntiAlias) {
  TextJob job{.text = sText, .fontName = sFontName, .left = nDstLeft, .top = nDstTop, .size = nFontSize,
              .style = nFontStyle, .antiAlias = bAntiAlias, .colour = nTextARGBColor, .backBox = true,
              .backColour = nBackColor};
  return nStat = RunTextJob(job);
}

VexiroStatus cImaging::DrawRotatedText(float nAngle, const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                                       int32_t nFontSize, EnumArg<FontStyle> nFontStyle, EnumArg<Colors> nColorARGB,
                                       const std::string& sFontName, bool bAntiAlias) {
  TextJob job{.text = sText, .fontName = sFontName, .left = nDstLeft, .top = nDstTop, .size = nFontSize,
              .style = nFontStyle, .antiAlias = bAntiAlias, .colour = nColorARGB, .rotated = true, .angle = nAngle};
  return nStat = RunTextJob(job);
}

VexiroStatus cImaging::DrawRotatedTextBackColor(float nAngle, const std::string& sText, int32_t nDstLeft,
                                                int32_t nDstTop, int32_t nFontSize, EnumArg<FontStyle> nFontStyle,
                                                EnumArg<Colors> nColorARGB, const std::string& sFontName,
                                                EnumArg<Colors> nBackColor,
                                                bool bAntiAlias) {
  TextJob job{.text = sText, .fontName = sFontName, .left = nDstLeft, .top = nDstTop, .size = nFontSize,
              .style = nFontStyle, .antiAlias = bAntiAlias, .colour = nColorARGB, .backBox = true,
              .backColour = nBackColor, .rotated = true, .smoothing = true, .angle = nAngle};
  return nStat = RunTextJob(job);
}

VexiroStatus cImaging::DrawTextGradient(const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                                        EnumArg<Colors> nStartColor, EnumArg<Colors> nEndColor, int32_t nFontSize,
                                        EnumArg<FontStyle> nFontStyle,
                                        const std::string& sFontName, bool bAntiAlias) {
  TextJob job{.text = sText, .fontName = sFontName, .left = nDstLeft, .top = nDstTop, .size = nFontSize,
              .style = nFontStyle, .antiAlias = bAntiAlias, .fill = TextJob::Fill::Gradient, .colour = nStartColor,
              .endColour = nEndColor};
  return nStat = RunTextJob(job);
}

VexiroStatus cImaging::DrawTextTexture(const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                                       const std::string& sTextureFilePath, int32_t nFontSize,
                                       EnumArg<FontStyle> nFontStyle,
                                       const std::string& sFontName, bool bAntiAlias) {
  if (RefusesCutPath(sTextureFilePath)) return InvalidParameter;
  TextJob job{.text = sText, .fontName = sFontName, .left = nDstLeft, .top = nDstTop, .size = nFontSize,
              .style = nFontStyle, .antiAlias = bAntiAlias, .fill = TextJob::Fill::TextureFile,
              .texturePath = sTextureFilePath};
  return nStat = RunTextJob(job);
}

VexiroStatus cImaging::DrawTextTextureFromVexiroImage(const std::string& sText, int32_t nDstLeft, int32_t nDstTop,
                                                      int32_t nImageID, int32_t nFontSize,
                                                      EnumArg<FontStyle> nFontStyle,
                                                      const std::string& sFontName, bool bAntiAlias) {
  TextJob job{.text = sText, .fontName = sFontName, .left = nDstLeft, .top = nDstTop, .size = nFontSize,
              .style = nFontStyle, .antiAlias = bAntiAlias, .fill = TextJob::Fill::TextureImage,
              .textureImage = nImageID};
  return nStat = RunTextJob(job);
}

// The string's status comes first: a box outline drawn after a failed string does not hide it.
VexiroStatus cImaging::DrawTextBox(const std::string& sText, int32_t nLeft, int32_t nTop, int32_t nWidth,
                                   int32_t nHeight, int32_t nFontSize, int32_t nAlignment,
                                   EnumArg<FontStyle> nFontStyle,
                                   EnumArg<Colors> nTextARGBColor, const std::string& sFontName, bool bDrawTextBox,
                                   bool bAntiAlias) {
  TextSetup t;
  VexiroStatus s = OpenFamilyAndGraphics(nNativeImage, sFontName, t);
  if (s != OK) return nStat = s;
  GpGraphics* g = t.graphics.get();
  SetTextHint(g, bAntiAlias);
  draw::BrushPtr brush;
  if ((s = SolidBrush(nTextARGBColor, brush)) != OK) return nStat = s;
  if ((s = MakeFontAndFormat(t, nFontSize, nFontStyle, nFontUnit, 0)) != OK) return nStat = s;
  GdipSetStringFormatAlign(t.format.get(), StringAlignment(nAlignment));
  GdipSetStringFormatLineAlign(t.format.get(), StringAlignment(nAlignment));
  const GpRectF box{float(nLeft), float(nTop), float(nWidth), float(nHeight)};
  s = engine::ToStatus(GdipDrawString(g, sText, -1, t.font.get(), &box, t.format.get(), brush.get()));
  if (bDrawTextBox) {
    draw::PenPtr pen;
    VexiroStatus outline = draw::MakeInto(pen, [](GpPen** p) { return GdipCreatePen1(0xFF000000, 1, gp::UnitPixel, p); });
    if (outline == OK) outline = engine::ToStatus(GdipDrawRectangles(g, pen.get(), &box, 1));
    if (s == OK) s = outline;
  }
  return nStat = s;
}

namespace {

// The measured box of a string at the origin; its status in `status`.
GpRectF MeasureOnImage(int32_t image, const std::string& text, const std::string& fontName, int32_t size,
                       int32_t style, int32_t unit, VexiroStatus& status) {
  TextSetup t;
  GpRectF box;
  status = OpenFamilyAndGraphics(image, fontName, t);
  if (status == OK) status = MakeFontAndFormat(t, size, style, unit, kMeasureTrailingSpaces);
  const GpRectF origin{};
  if (status == OK)
    status = engine::ToStatus(
        GdipMeasureString(t.graphics.get(), text, -1, t.font.get(), &origin, t.format.get(), &box, nullptr, nullptr));
  return status == OK ? box : GpRectF{};
}

}  // namespace

float cImaging::GetTextWidth(const std::string& sText, const std::string& sFontName, int32_t nFontSize,
                             EnumArg<FontStyle> nFontStyle) {
  return MeasureOnImage(nNativeImage, sText, sFontName, nFontSize, nFontStyle, nFontUnit, nStat).Width;
}

float cImaging::GetTextHeight(const std::string& sText, const std::string& sFontName, int32_t nFontSize,
                              EnumArg<FontStyle> nFontStyle) {
  return MeasureOnImage(nNativeImage, sText, sFontName, nFontSize, nFontStyle, nFontUnit, nStat).Height;
}

void cImaging::FontSetUnit(EnumArg<UnitMode> nUnitMode) { nFontUnit = nUnitMode; }

int32_t cImaging::FontGetUnit() { return nFontUnit; }

int32_t cImaging::FontGetCount() { return static_cast<int32_t>(InstalledFontFamilies().size()); }

std::string cImaging::FontGetName(int32_t nFontNo) {
  const std::vector<std::string> names = InstalledFontFamilies();
  if (nFontNo < 1 || static_cast<size_t>(nFontNo) > names.size()) return {};
  return names[static_cast<size_t>(nFontNo) - 1];
}

bool cImaging::FontIsStyleAvailable(const std::string& sFontName, EnumArg<FontStyle> nFontStyle) {
  bool available = false;
  nStat = draw::IsFontStyleAvailable(sFontName, nFontStyle, available);
  return available;
}

}  // namespace vexiro
