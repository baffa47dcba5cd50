// Drives the host's PDF members with arbitrary arguments (raw single-precision values, so NaN,
// infinities and 1E+38 come up at once) and checks the finished file: every number of every page
// content lies within the ±32767 of PDF 1.3/1.4 reals, and every page's boxes are within PDF's
// page limits with the crop box inside the media box. A violation aborts, which libFuzzer reports.
#include <unistd.h>
#include <zlib.h>

#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gdi/font_caches.h"
#include "vexiro/imaging.h"

namespace {

constexpr int kMaxCalls = 200;
constexpr double kMaxReal = 32767;

// The fuzz input read as arguments; zeros once it runs out.
class Arguments {
 public:
  Arguments(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool More() const { return at_ < size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  int32_t Long() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t{Byte()} << (8 * i);
    return static_cast<int32_t>(v);
  }
  float Single() {
    const int32_t bits = Long();
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

void Call(vexiro::cImaging& e, Arguments& a, int32_t font) {
  switch (a.Byte() % 20) {
    case 0: e.PdfDrawLine(a.Single(), a.Single(), a.Single(), a.Single(), a.Single(), a.Long()); break;
    case 1: e.PdfDrawRectangle(a.Single(), a.Single(), a.Single(), a.Single(), a.Single(), a.Long(), a.Single()); break;
    case 2: e.PdfDrawFillRectangle(a.Single(), a.Single(), a.Single(), a.Single(), a.Single(), a.Long(), a.Single()); break;
    case 3: e.PdfDrawCircle(a.Single(), a.Single(), a.Single(), a.Single(), a.Long()); break;
    case 4: e.PdfDrawFillCircle(a.Single(), a.Single(), a.Single(), a.Single(), a.Long()); break;
    case 5:
      e.PdfDrawCurve(a.Single(), a.Single(), a.Single(), a.Single(), a.Single(), a.Single(), a.Single(), a.Long());
      break;
    case 6:
      e.PdfDrawArc(a.Single(), a.Single(), a.Single(), a.Single(), a.Long(), a.Long(), a.Single(), a.Byte() & 1, a.Long());
      break;
    case 7: e.PdfSetLineDash(a.Single(), a.Single()); break;
    case 8: e.PdfSetCharSpacing(a.Single()); break;
    case 9: e.PdfSetWordSpacing(a.Single()); break;
    case 10: e.PdfSetTextHorizontalScaling(a.Single()); break;
    case 11: e.PdfSetPageDimensions(a.Single(), a.Single()); break;
    case 12: e.PdfSetPageMargin(a.Single()); break;
    case 13: e.PdfSetMeasurementUnits(a.Byte() % 5); break;
    case 14: e.PdfNewPage(); break;
    case 15: e.PdfDrawText(a.Single(), a.Single(), "Ab(1)", font, a.Long(), a.Long()); break;
    case 16: e.PdfDrawTextAlign(a.Single(), a.Single(), "x 2", font, a.Long(), a.Long()); break;
    case 17: e.PdfSetPageOrientation(a.Long()); break;
    case 18: e.PdfSetLineJoin(a.Long()); e.PdfSetLineCap(a.Long()); break;
    default: e.PdfSetTextColor(a.Long()); e.PdfSetTextMode(a.Long()); break;
  }
}

[[noreturn]] void Violation(const char* what, const std::string& where) {
  std::fprintf(stderr, "PDF number out of bounds: %s in \"%s\"\n", what, where.substr(0, 200).c_str());
  std::abort();
}

// Every number of a content stream, skipping strings and names.
void CheckContent(const std::string& content) {
  for (size_t i = 0; i < content.size();) {
    const char c = content[i];
    if (c == '(') {
      int depth = 0;
      for (; i < content.size(); ++i) {
        if (content[i] == '\\') ++i;
        else if (content[i] == '(') ++depth;
        else if (content[i] == ')' && --depth == 0) break;
      }
      ++i;
    } else if (c == '/') {
      while (++i < content.size() && !std::isspace(static_cast<unsigned char>(content[i])) && content[i] != '/' &&
             content[i] != '[' && content[i] != '(') {
      }
    } else if (c == '-' || c == '.' || std::isdigit(static_cast<unsigned char>(c))) {
      size_t end = i;
      while (end < content.size() && (content[end] == '-' || content[end] == '.' || std::isdigit(static_cast<unsigned char>(content[end]))))
        ++end;
      const std::string number = content.substr(i, end - i);
      const double value = std::strtod(number.c_str(), nullptr);
      if (!(std::fabs(value) <= kMaxReal)) Violation("content number", number);
      i = end;
    } else {
      const bool letter = std::isalpha(static_cast<unsigned char>(c));
      size_t end = i;
      while (end < content.size() && std::isalpha(static_cast<unsigned char>(content[end]))) ++end;
      const std::string word = content.substr(i, end - i);
      if (letter && (word == "nan" || word == "inf" || word == "e" || word == "E")) Violation("not a number", word);
      i = letter ? end : i + 1;
    }
  }
}

std::string Inflate(const std::string& deflated) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return {};
  std::string out;
  char buffer[1 << 16];
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  z.avail_in = static_cast<uInt>(deflated.size());
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    status = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
  }
  inflateEnd(&z);
  if (status != Z_STREAM_END) Violation("undecodable content stream", "");
  return out;
}

// Reads the numbers after `key` up to the closing bracket.
std::vector<double> BoxAfter(const std::string& text, size_t at, const char* key) {
  std::vector<double> numbers;
  const size_t start = text.find(key, at);
  const size_t end = text.find(']', start);
  if (start == std::string::npos || end == std::string::npos) Violation("box missing", key);
  char* cursor = const_cast<char*>(text.c_str()) + text.find('[', start) + 1;
  while (cursor < text.c_str() + end) {
    char* next = nullptr;
    const double v = std::strtod(cursor, &next);
    if (next == cursor) break;
    numbers.push_back(v);
    cursor = next;
  }
  if (numbers.size() != 4) Violation("box without four numbers", key);
  return numbers;
}

void CheckPage(const std::string& file, size_t at) {
  const std::vector<double> media = BoxAfter(file, at, "/MediaBox");
  const std::vector<double> crop = BoxAfter(file, at, "/CropBox");
  if (media[0] != 0 || media[1] != 0 || !(media[2] >= 3 && media[2] <= 14400) || !(media[3] >= 3 && media[3] <= 14400))
    Violation("media box", file.substr(at, 120));
  if (!(crop[0] >= 0 && crop[1] >= 0 && crop[0] < crop[2] && crop[1] < crop[3] && crop[2] <= media[2] && crop[3] <= media[3]))
    Violation("crop box", file.substr(at, 120));
}

void CheckFile(const std::string& file) {
  for (size_t page = file.find("/Type/Page/"); page != std::string::npos; page = file.find("/Type/Page/", page + 1)) {
    CheckPage(file, page);
    // The page's content stream is the next object.
    const size_t dictionary = file.find("<</Length ", page);
    const size_t begin = file.find("stream\r\n", dictionary);
    if (dictionary == std::string::npos || begin == std::string::npos) Violation("content stream missing", "");
    const size_t length = std::strtoul(file.c_str() + dictionary + 10, nullptr, 10);
    const std::string raw = file.substr(begin + 8, length);
    const bool deflated = file.substr(dictionary, begin - dictionary).find("FlateDecode") != std::string::npos;
    CheckContent(deflated ? Inflate(raw) : raw);
  }
}

std::string DocumentPath() {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/fuzz_pdf_members." + std::to_string(getpid()) + ".pdf";
}

}  // namespace

// Fontconfig keeps its caches behind offsets the leak checker cannot follow: they are handed back
// once the run ends.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::atexit(vx::gdi::ReleaseFontCaches);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vexiro::cImaging engine;
  static const std::string path = DocumentPath();
  std::remove(path.c_str());
  if (!engine.PdfNewPdf(path)) return 0;
  engine.PdfSetMeasurementUnits(0);
  const int32_t font = engine.PdfAddFont("Arial");
  Arguments arguments(data, size);
  for (int i = 0; i < kMaxCalls && arguments.More(); ++i) Call(engine, arguments, font);
  engine.PdfSavePdf();
  std::ifstream in(path, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!file.empty()) CheckFile(file);
  std::remove(path.c_str());
  return 0;
}
