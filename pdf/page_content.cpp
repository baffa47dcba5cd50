// Pages and their content operators. The open page's content is collected as text and written
// at EndPage, deflated when possible and encrypted when the document is.
#include <algorithm>
#include <cmath>

#include "pdf/deflate_stage.h"
#include "pdf/pdf_text.h"
#include "pdf/pdf_writer.h"
#include "platform/kernel/code_page.h"

namespace vexiro {

using namespace vx::pdf;

namespace {

constexpr double kPi = 3.141592;

// Every number of the content and the page boxes goes through here, so no value a host passes
// can make a number a reader refuses.
std::string Num(double v) { return FormatReal(ClampToPdfReal(v), 3); }
std::string Pair(double x, double y) { return Num(x) + " " + Num(y); }

// The page's boxes as readers take them: sides within PDF's page limits, and a margin that
// leaves at least one point of the crop box each way (a margin over half the page would turn
// it inside out).
std::string PageBoxes(double width, double height, double margin) {
  width = ClampPageSide(width);
  height = ClampPageSide(height);
  const double widest = (std::min(width, height) - 1) / 2;
  margin = std::isnan(margin) ? 0 : std::clamp(margin, 0.0, widest);
  return "/MediaBox [0 0 " + Pair(width, height) + "]/CropBox [" + Pair(margin, margin) + " " +
         Pair(width - margin, height - margin) + "]";
}

// A point computed in double precision as the single-precision operand of a path operator; the
// clamp keeps the conversion defined however large the shape.
float Pt(double v) { return static_cast<float>(ClampToPdfReal(v)); }

// One side of a box as its lower edge and a length that is not negative.
void FromLowerCorner(float& start, float& length) {
  if (length >= 0) return;
  start += length;
  length = -length;
}

}  // namespace

void cPDF::EnsurePage() {
  if (!pageOpen_) BeginPage();
}

int32_t cPDF::BeginPage() {
  if (!file_.IsOpen()) return 0;
  InitPdfFile();
  if (pageOpen_) EndPage();
  ++pages_;
  content_.clear();
  pageWidth_ = paperWidth_;
  pageHeight_ = paperHeight_;
  pageMargin_ = margin_;
  charSpacing_ = 0;
  wordSpacing_ = 0;
  horizontalScaling_ = 100;
  pageOpen_ = true;
  return pages_;
}

void cPDF::EndPage() {
  if (!pageOpen_) return;
  const uint32_t page = BeginObj();
  kids_ += std::to_string(page) + " 0 R ";
  std::string line = "<</Type/Page/Parent 3 0 R/Contents " + std::to_string(page + 1) + " 0 R" +
                     PageBoxes(pageWidth_, pageHeight_, pageMargin_);
  if (orientation_ == 1) line += "/Rotate 90";
  WriteLine(line + ">>");
  EndObj();

  const uint32_t stream = BeginObj();
  std::string data = content_, filter;
  ByteSink sink;
  DeflateStage deflate(&sink, 9);
  // An empty page stays unfiltered: deflating nothing fails.
  if (compressData_ && compressorAvailable_ && RunThrough(deflate, AsBytes(content_))) {
    data.assign(sink.bytes().begin(), sink.bytes().end());
    filter = "/Filter /FlateDecode";
  }
  data = Encrypted(stream, std::move(data));
  WriteLine("<</Length " + std::to_string(data.size()) + filter + ">>stream");
  WriteBytes(data);
  file_.Write("endstream\rendobj\r");
  content_.clear();
  pageOpen_ = false;
}

void cPDF::SetWordSpacing(float value) {
  EnsurePage();
  wordSpacing_ = value;
  AppendContent(Num(value) + " Tw");
}

void cPDF::SetCharSpacing(float value) {
  EnsurePage();
  charSpacing_ = value;
  AppendContent(Num(value) + " Tc");
}

void cPDF::SetTextHorizontalScaling(float percent) {
  EnsurePage();
  horizontalScaling_ = percent;
  AppendContent(Num(percent) + " Tz");
}

void cPDF::SetTextMode(int16_t mode) {
  EnsurePage();
  if (mode >= 0 && mode <= 3) AppendContent(std::to_string(mode) + " Tr");
}

void cPDF::DrawText(float x, float y, const std::string& text, int32_t fontNumber, float size, int32_t alignment,
                    float angle) {
  if (fontNumber < 1 || fontNumber > static_cast<int32_t>(fonts_.size())) return;
  EnsurePage();
  double left = x;
  if (alignment == 1) left -= TextWidth(text, fontNumber, size);
  if (alignment == 2) left -= TextWidth(text, fontNumber, size) / 2.0;
  const float xs = Pt(left);
  AppendContent("BT");
  AppendContent("/Font" + std::to_string(fontNumber) + " " + Num(size) + " Tf");
  if (angle != 0) {
    const double a = angle * (static_cast<double>(static_cast<float>(kPi)) / 180.0);
    const double c = std::cos(a), s = std::sin(a);
    AppendContent(Num(c) + " " + Num(s) + " " + Num(-s) + " " + Num(c) + " " + Pair(xs, y) + " Tm");
  } else {
    AppendContent(Pair(xs, y) + " Td");
  }
  AppendContent("(" + EscapeString(vx::Utf8ToAnsi(text)) + ") Tj");
  AppendContent("ET");
}

namespace {
// A grey from -255 (white) to 0 (black), else a COLORREF.
std::string ColorOperands(int32_t color) {
  if (color >= -255 && color <= 0) return Num(-color / 255.0);
  const auto c = static_cast<uint32_t>(color);
  return Num((c & 0xFF) / 255.0) + " " + Num(((c >> 8) & 0xFF) / 255.0) + " " + Num(((c >> 16) & 0xFF) / 255.0);
}
bool IsGrey(int32_t color) { return color >= -255 && color <= 0; }
}  // namespace

void cPDF::SetColorStroke(int32_t color) {
  EnsurePage();
  AppendContent(ColorOperands(color) + (IsGrey(color) ? " G" : " RG"));
}

void cPDF::SetColorFill(int32_t color) {
  EnsurePage();
  AppendContent(ColorOperands(color) + (IsGrey(color) ? " g" : " rg"));
}

void cPDF::SetDash(float on, float off) {
  EnsurePage();
  AppendContent(on == 0 && off == 0 ? std::string("[ ] 0 d") : "[" + Pair(on, off) + "] 0 d");
}

void cPDF::SetLineWidth(float width) {
  EnsurePage();
  AppendContent(Num(width) + " w");
}

void cPDF::SetLineCap(int16_t cap) {
  EnsurePage();
  if (cap >= 0 && cap <= 2) AppendContent(std::to_string(cap) + " J");
}

void cPDF::SetLineJoin(int16_t join) {
  EnsurePage();
  if (join >= 0 && join <= 2) AppendContent(std::to_string(join) + " j");
}

void cPDF::PaintPath(int32_t paint) {
  if ((paint & 7) == 7) {
    AppendContent("b");
  } else if ((paint & 5) == 5) {
    AppendContent("B");
  } else if (paint & 4) {
    AppendContent("f");
  } else {
    if (paint & 2) AppendContent("h");
    if (paint & 1) AppendContent("S");
  }
}

void cPDF::MoveTo(float x, float y) {
  EnsurePage();
  AppendContent(Pair(x, y) + " m");
}

void cPDF::LineTo(float x, float y, int32_t paint) {
  EnsurePage();
  AppendContent(Pair(x, y) + " l");
  PaintPath(paint);
}

void cPDF::Curve(float x1, float y1, float x2, float y2, float x3, float y3, int32_t paint) {
  EnsurePage();
  AppendContent(Pair(x1, y1) + " " + Pair(x2, y2) + " " + Pair(x3, y3) + " c");
  PaintPath(paint);
}

void cPDF::Rectangle(float& x, float& y, float& width, float& height, int32_t& paint, float& radius) {
  EnsurePage();
  AppendContent("n");
  if (radius <= 0) {
    AppendContent(Pair(x, y) + " " + Pair(width, height) + " re");
    PaintPath(paint);
    return;
  }
  // A box given from its other corner is the same box: its sides must be lengths before the
  // radius is cut to half of them, or the corners would bulge outward.
  FromLowerCorner(x, width);
  FromLowerCorner(y, height);
  if (radius > width / 2) radius = width / 2;
  if (radius > height / 2) radius = height / 2;
  const double r = radius, k = radius * 0.55, w = width, h = height, X = x, Y = y;
  MoveTo(Pt(X + r), Pt(Y));
  LineTo(Pt(X + w - r), Pt(Y), 0);
  Curve(Pt(X + w - r + k), Pt(Y), Pt(X + w), Pt(Y + r - k), Pt(X + w), Pt(Y + r), 0);
  LineTo(Pt(X + w), Pt(Y + h - r), 0);
  Curve(Pt(X + w), Pt(Y + h - r + k), Pt(X + w - r + k), Pt(Y + h), Pt(X + w - r), Pt(Y + h), 0);
  LineTo(Pt(X + r), Pt(Y + h), 0);
  Curve(Pt(X + r - k), Pt(Y + h), Pt(X), Pt(Y + h - r + k), Pt(X), Pt(Y + h - r), 0);
  LineTo(Pt(X), Pt(Y + r), 0);
  Curve(Pt(X), Pt(Y + r - k), Pt(X + r - k), Pt(Y), Pt(X + r), Pt(Y), 0);
  PaintPath(paint);
}

void cPDF::DrawCircle(float x, float y, float radius, int32_t paint) {
  EnsurePage();
  const double r = radius, k = radius * 0.55, X = x, Y = y;
  MoveTo(Pt(X), Pt(Y - r));
  Curve(Pt(X + k), Pt(Y - r), Pt(X + r), Pt(Y - k), Pt(X + r), Pt(Y), 0);
  Curve(Pt(X + r), Pt(Y + k), Pt(X + k), Pt(Y + r), Pt(X), Pt(Y + r), 0);
  Curve(Pt(X - k), Pt(Y + r), Pt(X - r), Pt(Y + k), Pt(X - r), Pt(Y), 0);
  Curve(Pt(X - r), Pt(Y - k), Pt(X - k), Pt(Y - r), Pt(X), Pt(Y - r), 0);
  PaintPath(paint);
}

void cPDF::Arc(float x, float y, float radius, float startAngle, float endAngle, float ratio, bool pie, float rotation,
               int16_t step, int32_t paint) {
  EnsurePage();
  AppendContent("n");
  MoveTo(x, y);
  if (paint & 4) pie = true;
  const double d = static_cast<double>(static_cast<float>(kPi)) / 180.0;
  const double sr = std::sin(-d * rotation), cr = std::cos(-d * rotation);
  // A step that does not move towards the end would never finish.
  const bool moves = step != 0 && ((step > 0) == (endAngle >= startAngle));
  bool first = true;
  for (float t = startAngle; moves && (step > 0 ? t <= endAngle : t >= endAngle); t += step) {
    if (t + step == t) break;  // beyond 2^24 a single-precision angle no longer advances
    const double px = radius * std::cos(d * t), py = std::sin(d * t) * radius * ratio;
    const double X = cr * px + sr * py, Y = -px * sr + cr * py;
    const float ex = Pt(x + X), ey = Pt(y + Y);
    if (first && !pie) MoveTo(ex, ey);
    first = false;
    LineTo(ex, ey, 0);
  }
  if (pie) LineTo(x, y, 0);
  PaintPath(paint);
}

}  // namespace vexiro
