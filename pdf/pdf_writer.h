// cPDF, the streaming PDF writer: one object writes one file from start to end. Pages, images
// and fonts go to the file as soon as they are complete; the page tree and the shared resource
// dictionary, whose numbers are reserved up front, are written last with the cross-reference
// table and the trailer. Every writing member does nothing while no file is open.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "pdf/fonts.h"
#include "pdf/pdf_file.h"
#include "pdf/security_handler.h"

namespace vexiro {

// A local date and time with its offset from UTC, as the writer stamps documents.
struct PdfTimestamp {
  int32_t Year = 1970, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
  int32_t UtcOffsetMinutes = 0;
};

// What PdfAddImage reads: a file path (kind 1) or an image identifier of the store (kind 2).
using PdfImageSource = std::variant<std::string, int32_t>;

class cPDF {
 public:
  using Clock = std::function<PdfTimestamp()>;
  using RandomSource = std::function<float()>;  // uniform in [0, 1)

  cPDF();
  ~cPDF();
  cPDF(const cPDF&) = delete;
  cPDF& operator=(const cPDF&) = delete;

  // Where dates and identifiers come from; by default the local clock and the thread's
  // generator. Tests fix both to get files byte for byte.
  void SetClock(Clock clock) { clock_ = std::move(clock); }
  void SetRandomSource(RandomSource random) { random_ = std::move(random); }
  // Whether a deflate implementation counts as present; without one, content is written plain
  // and images fall back to raw samples.
  void SetCompressorAvailable(bool available) { compressorAvailable_ = available; }

  bool PdfHeaderDone() const { return headerDone_; }
  void XMP(const std::string& packet) { xmp_ = packet; }
  void PdfA(bool on) { pdfA_ = on; }
  void CompressLevel(int32_t level);
  int32_t CompressLevel() const { return compressLevel_; }
  void JpegQuality(int32_t quality);
  int32_t JpegQuality() const { return jpegQuality_; }
  void CompressData(bool on) { compressData_ = on; }
  bool CompressData() const { return compressData_; }
  void Margin(float points) { margin_ = points; }
  float Margin() const { return margin_; }
  float ImageCount() const { return static_cast<float>(images_.size()); }
  int32_t FontCount() const { return static_cast<int32_t>(fonts_.size()); }
  void PaperWidth(float points);
  void PaperHeight(float points);
  float PaperWidth() const { return paperWidth_; }
  float PaperHeight() const { return paperHeight_; }
  int32_t Pages() const { return pages_; }
  void PaperSize(int32_t code);
  void Orientation(int32_t orientation) { orientation_ = orientation; }
  int32_t Orientation() const { return orientation_; }
  int32_t PdfGetNativePdf() const { return file_.Handle(); }
  // A write of the open document did not reach its file: whatever is added now cannot be kept.
  bool PdfWriteFailed() const { return file_.Failed(); }
  std::string PdfGetPath() const { return path_; }

  // Creates the file exclusively: false, and nothing created, for an empty path, an existing
  // file, an encryption outside 0 to 2 or a password Windows-1252 cannot hold.
  bool NewPdf(const std::string& path, const std::string& title, const std::string& author, const std::string& creator,
              const std::string& keywords, const std::string& subject, int32_t encryption = 0, int32_t rights = -1,
              const std::string& userPassword = "", const std::string& ownerPassword = "");
  // Finishes the document (a document without pages gets one empty page) and closes the file;
  // true only when every write succeeded, so a caller can remove a broken file.
  bool ClosePdfFile();
  void InitPdfFile();

  // ---- Page content ----
  int32_t BeginPage();
  void EndPage();
  void SetWordSpacing(float value);
  void SetCharSpacing(float value);
  void SetTextHorizontalScaling(float percent);
  void DrawText(float x, float y, const std::string& text, int32_t fontNumber, float size, int32_t alignment = 0,
                float angle = 0);
  void SetTextMode(int16_t mode);
  void SetColorStroke(int32_t color);
  void SetColorFill(int32_t color);
  void SetDash(float on, float off);
  void SetLineWidth(float width);
  void SetLineCap(int16_t cap);
  void SetLineJoin(int16_t join);
  void MoveTo(float x, float y);
  void LineTo(float x, float y, int32_t paint);
  void Rectangle(float& x, float& y, float& width, float& height, int32_t& paint, float& radius);
  void Curve(float x1, float y1, float x2, float y2, float x3, float y3, int32_t paint);
  void DrawCircle(float x, float y, float radius, int32_t paint);
  void Arc(float x, float y, float radius, float startAngle, float endAngle, float ratio, bool pie, float rotation,
           int16_t step, int32_t paint);

  // ---- Images ----
  int32_t PdfAddImage(const PdfImageSource& source, int32_t kind);
  int32_t ImageHeight(int32_t imageNumber) const;
  int32_t ImageWidth(int32_t imageNumber) const;
  int32_t ImageResX(int32_t imageNumber) const;
  int32_t ImageResY(int32_t imageNumber) const;
  void DrawImg(int32_t& imageNumber, float x, float y, float width, float height);

  // ---- Fonts ----
  int32_t LoadFont(const std::string& fontName, bool bold, bool italic);
  float TextWidth(const std::string& text, int32_t fontNumber, float size) const;

 private:
  struct ImageRecord {
    int32_t width = 0, height = 0, resX = 0, resY = 0;
  };
  struct ImageData;

  // Serialisation primitives.
  void WriteLine(std::string_view text);
  void WriteBytes(std::string_view bytes);
  uint32_t BeginObj(uint32_t number = 0);
  void EndObj();
  void AppendContent(std::string_view text);
  // One stream object: the dictionary line with /Length, the data (encrypted under the object's
  // key when the document is), "endstream" and "endobj". `dictionaryTail` follows /Length.
  void WriteStreamObject(uint32_t number, std::string_view dictionaryHead, std::string_view dictionaryTail,
                         std::string data);
  std::string Encrypted(uint32_t objectNumber, std::string data) const;
  std::string InfoValue(const std::string& utf8) const;

  void WriteHeader();
  void WriteInfo();
  void WriteCatalog();
  void WriteEncryptDictionary();
  void WriteMetadata();
  void WriteOutputIntent();
  void WriteResources();
  void WritePageTree();
  void WriteCrossReference();
  std::string RandomHexDigits(int count);
  std::string RandomUuid();
  std::string Producer() const;

  void PaintPath(int32_t paint);
  void EnsurePage();
  bool ReadImage(int32_t id, ImageData& image);
  bool WriteImageObject(ImageData& image);

  // Settings and document strings (UTF-8 as given).
  Clock clock_;
  RandomSource random_;
  bool compressorAvailable_ = true;
  bool compressData_ = true;
  bool pdfA_ = false;
  std::string xmp_;
  int32_t compressLevel_ = 9;
  int32_t jpegQuality_ = 75;
  int32_t orientation_ = 0;
  int32_t paperSize_ = 0;
  float paperWidth_ = 595.2f, paperHeight_ = 842.0f, margin_ = 0;
  std::string path_, title_, author_, creator_, keywords_, subject_;
  std::string fileId1_, fileId2_;
  int32_t encryption_ = 0;
  int32_t rights_ = -1;
  std::string userPassword_, ownerPassword_;  // Windows-1252 bytes
  vx::pdf::SecurityValues security_;
  uint32_t encryptObject_ = 0;
  PdfTimestamp created_;

  // The file and its objects.
  vx::pdf::PdfFile file_;
  bool headerDone_ = false;
  uint32_t lastObject_ = 0;
  std::vector<uint64_t> offsets_;  // offset of object n at n - 1

  // Pages.
  int32_t pages_ = 0;
  bool pageOpen_ = false;
  std::string content_;  // Windows-1252 bytes of the open page
  float pageWidth_ = 0, pageHeight_ = 0, pageMargin_ = 0;
  float charSpacing_ = 0, wordSpacing_ = 0, horizontalScaling_ = 100;
  std::string kids_;

  std::vector<ImageRecord> images_;
  std::string imageResources_;
  std::vector<vx::pdf::FontRecord> fonts_;
  std::string fontResources_;
};

}  // namespace vexiro
