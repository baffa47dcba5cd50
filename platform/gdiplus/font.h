// Font families, fonts and string formats of the imaging platform. Families come from
// fontconfig: the exact family name first, then the metric-compatible stand-in of a common
// Windows family; faces and metrics come from FreeType through cairo.
#pragma once
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus_types.h"
#include "platform/gdiplus/graphics.h"

namespace vx::gdiplus {

enum FontStyle : INT {
  FontStyleRegular = 0,
  FontStyleBold = 1,
  FontStyleItalic = 2,
  FontStyleBoldItalic = 3,
  FontStyleUnderline = 4,
  FontStyleStrikeout = 8,
};

enum StringAlignment : INT { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };

enum StringFormatFlags : INT {
  StringFormatFlagsNoWrap = 0x1000,
  StringFormatFlagsMeasureTrailingSpaces = 0x0800,
  StringFormatFlagsNoClip = 0x4000,
  StringFormatFlagsLineLimit = 0x2000,
};

class GpFontCollection {};

class GpFontFamily {
 public:
  std::string name;  // the family fontconfig holds
};

class GpFont {
 public:
  std::string family;
  REAL size = 0;
  INT style = FontStyleRegular;
  Unit unit = UnitPoint;
};

class GpStringFormat {
 public:
  INT flags = 0;
  StringAlignment align = StringAlignmentNear;
  StringAlignment lineAlign = StringAlignmentNear;
};

// The design metrics of a face, in font units.
struct FaceMetrics {
  double emHeight = 2048, ascent = 0, descent = 0, lineSpacing = 0;
  double underlinePosition = 0, underlineThickness = 0, strikeoutPosition = 0, strikeoutThickness = 0;
};

// The installed families in fontconfig's order, each once.
std::vector<std::string> InstalledFontFamilies();
// The family that a requested name resolves to; "" when there is none.
std::string ResolveFontFamily(const std::string& name);
// Whether the family has a real face of that weight and slant (underline and strikeout are drawn).
bool FamilyHasStyle(const std::string& family, INT style);

// The system collection stands for every installed family; a null collection means it too.
Status GdipNewInstalledFontCollection(GpFontCollection** collection);
Status GdipGetFontCollectionFamilyCount(GpFontCollection* collection, INT* count);
// Fills up to `wanted` new families (each deleted by the caller) and says how many it made.
Status GdipGetFontCollectionFamilyList(GpFontCollection* collection, INT wanted, GpFontFamily** families, INT* found);
Status GdipCreateFontFamilyFromName(const std::string& name, GpFontCollection* collection, GpFontFamily** family);
Status GdipDeleteFontFamily(GpFontFamily* family);
Status GdipGetFamilyName(const GpFontFamily* family, std::string& name);
Status GdipIsStyleAvailable(const GpFontFamily* family, INT style, BOOL* available);
Status GdipCreateFont(const GpFontFamily* family, REAL size, INT style, Unit unit, GpFont** font);
Status GdipDeleteFont(GpFont* font);

Status GdipCreateStringFormat(INT flags, WORD language, GpStringFormat** format);
Status GdipDeleteStringFormat(GpStringFormat* format);
Status GdipSetStringFormatFlags(GpStringFormat* format, INT flags);
Status GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align);
Status GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align);

// `length` -1 means up to the end of the text. Layout rectangles of zero width or height do
// not wrap or clip in that direction.
Status GdipMeasureString(GpGraphics* graphics, const std::string& text, INT length, const GpFont* font,
                         const GpRectF* layoutRect, const GpStringFormat* format, GpRectF* boundingBox,
                         INT* codepointsFitted, INT* linesFilled);
Status GdipDrawString(GpGraphics* graphics, const std::string& text, INT length, const GpFont* font,
                      const GpRectF* layoutRect, const GpStringFormat* format, const GpBrush* brush);

}  // namespace vx::gdiplus
