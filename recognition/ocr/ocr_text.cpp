#include "recognition/ocr/ocr_text.h"

#include "pdf/pdf_writer.h"
#include "platform/kernel/code_page.h"

namespace vexiro {
namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr int32_t kLayerFont = 1;

// Points of a pixel length; a resolution of 0 or less counts as 72 dpi, so nothing divides by 0.
double PixelsToPoints(double pixels, int32_t dpi) { return pixels / (dpi > 0 ? dpi : 72) * 72.0; }

bool HasDescender(int32_t charCode) { return charCode == 'p' || charCode == 'q' || charCode == 'j' || charCode == 'g'; }

// One past the last record of the word that starts at `first`: the same line, no blanks in front.
size_t WordEnd(std::span<const OcrCharInfo> records, size_t first) {
  size_t end = first + 1;
  while (end < records.size() && records[end].Line == records[first].Line && records[end].Spaces == 0) ++end;
  return end;
}

std::string WordText(std::span<const OcrCharInfo> records, size_t first, size_t end) {
  std::string word;
  for (size_t i = first; i < end; ++i) word += OcrCharText(records[i].CharCode);
  return word;
}

}  // namespace

std::string OcrCharText(int32_t charCode) {
  std::string text;
  if (charCode <= 0) return text;
  if (charCode <= 0xFF) return vx::AnsiToUtf8(std::string(1, static_cast<char>(charCode)));
  const auto cp = static_cast<char32_t>(charCode);
  if (cp <= kLastCodePoint && (cp < 0xD800 || cp > 0xDFFF)) vx::AppendUtf8(text, cp);
  return text;
}

std::string OcrResultText(std::span<const OcrCharInfo> records) {
  std::string text;
  int32_t line = 1;
  for (const OcrCharInfo& r : records) {
    if (r.Line > line) {
      text += "\r\n";
      line = r.Line;
    }
    if (r.Spaces > 0) text.append(static_cast<size_t>(r.Spaces), ' ');
    text += OcrCharText(r.CharCode);
  }
  return text;
}

std::string BuildOcrText(std::span<const OcrCharInfo> records) {
  std::string text;
  int32_t line = 1;
  for (const OcrCharInfo& r : records) {
    if (r.Line != line) {
      text += "\r\n";
      line = r.Line;
    }
    if (r.Spaces > 0) text += ' ';
    text += OcrCharText(r.CharCode);
  }
  return text;
}

float FitOcrFontSize(std::span<const OcrCharInfo> records, size_t first, int32_t dpi, const cPDF& pdf) {
  const size_t end = WordEnd(records, first);
  const std::string word = WordText(records, first, end);
  const auto boxPixels = static_cast<int16_t>(records[end - 1].Right - records[first].Left);
  const double target = PixelsToPoints(boxPixels, dpi);
  float size = 0.1f;
  float previous = -1;
  for (;;) {
    const float width = pdf.TextWidth(word, kLayerFont, size);
    if (width == previous) break;
    previous = width;
    size += 0.1f;
    if (width >= target) break;
  }
  return size;
}

double GetOcrBaselineY(std::span<const OcrCharInfo> records, size_t first, int32_t dpi, const cPDF& pdf) {
  const size_t end = WordEnd(records, first);
  double sum = 0;
  int32_t counted = 0;
  for (size_t i = first; i < end; ++i) {
    if (HasDescender(records[i].CharCode)) continue;
    sum += records[i].Bottom;
    ++counted;
  }
  const double bottom = counted > 0 ? sum / counted : records[first].Bottom;
  return pdf.PaperHeight() - PixelsToPoints(bottom, dpi);
}

std::string DrawOcrTextLayer(std::span<const OcrCharInfo> records, cPDF& pdf, int32_t imageNumber) {
  const int32_t resX = pdf.ImageResX(imageNumber);
  const int32_t resY = pdf.ImageResY(imageNumber);
  const size_t count = records.size();
  std::string text, pending;
  size_t wordFirst = 0;
  float x = 0;
  int32_t line = 1;
  bool lineChanged = false;

  const auto drawPending = [&] {
    const double y = GetOcrBaselineY(records, wordFirst, resY, pdf);
    const float size = FitOcrFontSize(records, wordFirst, resX, pdf);
    pdf.DrawText(x, static_cast<float>(y), pending, kLayerFont, size, 0, 0);
    text += pending;
  };

  for (size_t i = 0; i < count; ++i) {
    const OcrCharInfo& r = records[i];
    bool newWord = i == 0 || r.Spaces > 0;
    if (r.Line != line) {
      lineChanged = true;
      newWord = true;
    }
    if (newWord && i > 0) {
      if (i + 1 < count - 1 && records[i + 1].Line == r.Line) pending += ' ';
      drawPending();
      if (!text.empty()) text += ' ';
    }
    if (newWord) {
      pending = OcrCharText(r.CharCode);
      wordFirst = i;
      x = static_cast<float>(PixelsToPoints(r.Left, resX));
    } else {
      pending += OcrCharText(r.CharCode);
    }
    line = r.Line;
    if (i + 1 < count && lineChanged) {
      if (!text.empty()) {
        const size_t begin = text.find_first_not_of(' ');
        text = begin == std::string::npos ? "" : text.substr(begin, text.find_last_not_of(' ') - begin + 1);
        text += "\r\n";
      }
      lineChanged = false;
    } else if (i + 1 == count && !pending.empty()) {
      drawPending();
    }
  }
  return text;
}

}  // namespace vexiro
