// Fonts of a document: the TrueType font dictionary with its widths and the font descriptor,
// written when a font is loaded, and the text widths computed from the same measurements.
#include <cmath>

#include "pdf/pdf_text.h"
#include "pdf/pdf_writer.h"
#include "platform/kernel/code_page.h"

namespace vexiro {

using namespace vx::pdf;

int32_t cPDF::LoadFont(const std::string& fontName, bool bold, bool italic) {
  if (!file_.IsOpen()) return 0;
  InitPdfFile();
  const std::optional<std::string> installed = PrepareFontName(fontName);
  if (!installed) return 0;
  std::optional<FontRecord> measured = GetFontMetrics(*installed, bold, italic);
  if (!measured) return 0;
  fonts_.push_back(std::move(*measured));
  const FontRecord& f = fonts_.back();
  const std::string k = std::to_string(fonts_.size());
  const std::string baseName = EscapeName(vx::Utf8ToAnsi(f.baseName));

  const uint32_t number = BeginObj();
  std::string widths;
  for (int32_t c = f.firstChar; c <= f.lastChar; ++c) widths += FormatReal(f.widths[c], 3) + " ";
  WriteLine("<</Type/Font/Subtype/TrueType/Name/Font" + k + "/BaseFont/" + baseName + "/FirstChar " +
            std::to_string(f.firstChar) + "/LastChar " + std::to_string(f.lastChar) + "/FontDescriptor " +
            std::to_string(number + 1) + " 0 R/Encoding/WinAnsiEncoding/Widths [" + widths + "] >>");
  EndObj();
  fontResources_ += "/Font" + k + " " + std::to_string(number) + " 0 R \r";

  BeginObj();
  const auto rounded = [](double v) { return static_cast<int32_t>(std::nearbyint(v)); };
  const int32_t bboxLeft = rounded(-0.2 * f.maximumWidth);
  const int32_t bboxRight = f.maximumWidth - rounded(0.2 * f.maximumWidth);
  const std::string n = "\r";
  WriteLine("<<" + n + "/Type /FontDescriptor" + n + "/FontName /" + baseName + n + "/MissingWidth " +
            std::to_string(f.missingWidth) + n + "/Ascent " + std::to_string(f.ascent) + n + "/Descent " +
            std::to_string(-f.descent) + n + "/AvgWidth " + std::to_string(f.averageWidth) + n + "/CapHeight " +
            std::to_string(f.capHeight) + n + "/StemV " + std::to_string(f.stemV) + n + "/ItalicAngle " +
            std::to_string(f.italicAngle) + n + "/Flags " + std::to_string(f.flags) + n + "/MaxWidth  " +
            std::to_string(f.maximumWidth) + n + "/FontBBox [ " + std::to_string(bboxLeft) + " " +
            std::to_string(-f.descent) + " " + std::to_string(bboxRight) + " " + std::to_string(f.ascent) + "]" + n +
            ">>");
  EndObj();
  return static_cast<int32_t>(fonts_.size());
}

float cPDF::TextWidth(const std::string& text, int32_t fontNumber, float size) const {
  if (fontNumber < 1 || fontNumber > static_cast<int32_t>(fonts_.size())) return 0;
  const FontRecord& f = fonts_[static_cast<size_t>(fontNumber - 1)];
  double sum = 0;
  int64_t spaces = 0;
  const std::string ansi = vx::Utf8ToAnsi(text);
  for (unsigned char c : ansi) {
    sum += (c >= f.firstChar && c <= f.lastChar) ? f.widths[c] : f.missingWidth;
    if (c == ' ') ++spaces;
  }
  const double width = (sum * size / 1000.0 + static_cast<double>(spaces) * wordSpacing_ +
                        static_cast<double>(ansi.size()) * charSpacing_) *
                       horizontalScaling_ / 100.0;
  return static_cast<float>(width);
}

}  // namespace vexiro
