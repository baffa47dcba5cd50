// The document skeleton: starting a file, its header and document-level objects, the objects'
// byte offsets, and the resources, page tree, cross-reference table and trailer at the end.
#include "pdf/pdf_writer.h"

#include <cmath>

#include "engine/routines/random_generator.h"
#include "pdf/pdf_text.h"
#include "pdf/rc4_stage.h"
#include "platform/kernel/files.h"
#include "platform/kernel/local_time.h"

namespace vexiro {

using namespace vx::pdf;

namespace {

PdfTimestamp LocalNow() {
  const vx::LocalTimeNow now = vx::GetLocalTimeNow();
  return {now.year, now.month, now.day, now.hour, now.minute, now.second, now.utcOffsetMinutes};
}

std::string TwoDigits(int32_t v) { return (v < 10 ? "0" : "") + std::to_string(v); }

// "D:yyyymmddhhmmss+hh'mm'", the instant the header was written.
std::string PdfDate(const PdfTimestamp& t) {
  const int32_t offset = std::abs(t.UtcOffsetMinutes);
  return "D:" + std::to_string(t.Year) + TwoDigits(t.Month) + TwoDigits(t.Day) + TwoDigits(t.Hour) +
         TwoDigits(t.Minute) + TwoDigits(t.Second) + (t.UtcOffsetMinutes < 0 ? "-" : "+") + TwoDigits(offset / 60) +
         "'" + TwoDigits(offset % 60) + "'";
}

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

cPDF::cPDF() : clock_(LocalNow), random_(vx::engine::RandomSingle) {}

cPDF::~cPDF() { ClosePdfFile(); }

void cPDF::CompressLevel(int32_t level) {
  if (level >= 0 && level <= 9) compressLevel_ = level;
}

void cPDF::JpegQuality(int32_t quality) {
  if (quality >= 0 && quality <= 100) jpegQuality_ = quality;
}

void cPDF::PaperWidth(float points) {
  paperWidth_ = points;
  paperSize_ = 255;
}

void cPDF::PaperHeight(float points) {
  paperHeight_ = points;
  paperSize_ = 255;
}

void cPDF::PaperSize(int32_t code) {
  static constexpr float kSizes[4][2] = {{595.2f, 842}, {842, 1190.5f}, {612, 792}, {612, 864}};
  paperSize_ = code;
  if (code >= 0 && code < 4) {
    paperWidth_ = kSizes[code][0];
    paperHeight_ = kSizes[code][1];
  }
}

std::string cPDF::RandomHexDigits(int count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (int i = 0; i < count; ++i) {
    const int digit = static_cast<int>(random_() * 16.0f);
    out += kDigits[digit < 0 ? 0 : digit > 15 ? 15 : digit];
  }
  return out;
}

std::string cPDF::RandomUuid() {
  return RandomHexDigits(8) + "-" + RandomHexDigits(4) + "-" + RandomHexDigits(4) + "-" + RandomHexDigits(4) + "-" +
         RandomHexDigits(12);
}

std::string cPDF::Producer() const { return "Vexiro ActiveX 5.13.07 edition. - https://vexiro.org"; }

bool cPDF::NewPdf(const std::string& path, const std::string& title, const std::string& author,
                  const std::string& creator, const std::string& keywords, const std::string& subject,
                  int32_t encryption, int32_t rights, const std::string& userPassword,
                  const std::string& ownerPassword) {
  if (file_.IsOpen()) ClosePdfFile();
  std::string user, owner;
  if (encryption < 0 || encryption > 2 || !ExactAnsi(userPassword, user) || !ExactAnsi(ownerPassword, owner))
    return false;
  path_ = path;
  title_ = title;
  author_ = author;
  creator_ = creator;
  keywords_ = keywords;
  subject_ = subject;
  encryption_ = encryption;
  rights_ = rights;
  userPassword_ = user;
  ownerPassword_ = owner;
  fileId1_.clear();
  fileId2_.clear();
  for (int i = 0; i < 32; ++i) {
    fileId1_ += RandomHexDigits(1);
    fileId2_ += RandomHexDigits(1);
  }
  return file_.Create(path);
}

// ---- Serialisation primitives ----

void cPDF::WriteLine(std::string_view text) {
  file_.Write(text);
  file_.Write(kCrLf);
}

void cPDF::WriteBytes(std::string_view bytes) { WriteLine(bytes); }

uint32_t cPDF::BeginObj(uint32_t number) {
  if (!file_.IsOpen()) return 0;
  if (number == 0) number = lastObject_ + 1;
  if (number > lastObject_) lastObject_ = number;
  offsets_.resize(lastObject_, 0);
  offsets_[number - 1] = file_.Position();
  WriteLine(std::to_string(number) + " 0 obj");
  return number;
}

void cPDF::EndObj() { WriteLine("endobj"); }

void cPDF::AppendContent(std::string_view text) {
  if (!pageOpen_) return;
  content_ += text;
  content_ += kCrLf;
}

std::string cPDF::Encrypted(uint32_t objectNumber, std::string data) const {
  if (encryption_ == 0) return data;
  return RC4Bytes(ObjectKey(security_, objectNumber), data);
}

void cPDF::WriteStreamObject(uint32_t number, std::string_view dictionaryHead, std::string_view dictionaryTail,
                             std::string data) {
  data = Encrypted(number, std::move(data));
  WriteLine(std::string(dictionaryHead) + "/Length " + std::to_string(data.size()) + std::string(dictionaryTail) +
            ">>stream");
  WriteBytes(data);
  WriteLine("endstream");
  EndObj();
}

// An Info value: a PDF text string, encrypted under object 1's key when the document is, and
// escaped so that neither a delimiter nor a line-end byte is altered on the way to a reader.
std::string cPDF::InfoValue(const std::string& utf8) const {
  return EscapeString(Encrypted(1, PdfTextStringBytes(utf8)));
}

// ---- The document's first objects ----

void cPDF::InitPdfFile() {
  if (headerDone_ || !file_.IsOpen()) return;
  headerDone_ = true;
  created_ = clock_();
  images_.clear();
  if (encryption_ != 0) {
    pdfA_ = false;
    security_ = ComputeSecurityKeys(rights_, encryption_, ownerPassword_, userPassword_, fileId1_);
  }
  WriteHeader();
  lastObject_ = 0;
  WriteInfo();
  WriteCatalog();
  lastObject_ = 4;
  offsets_.resize(4, 0);
  if (!xmp_.empty() || pdfA_) WriteMetadata();
  if (pdfA_) WriteOutputIntent();
  if (encryption_ != 0) WriteEncryptDictionary();
}

void cPDF::WriteHeader() {
  if (encryption_ == 0 && pdfA_) {
    WriteLine("%PDF-1.4\r%\xE2\xE3\xCF\xD3");
    return;
  }
  WriteLine(std::string(encryption_ == 2 ? "%PDF-1.4" : "%PDF-1.3") + "\r%" + Producer());
}

void cPDF::WriteInfo() {
  BeginObj(1);
  WriteLine("<</Title(" + InfoValue(title_) + ")/Author(" + InfoValue(author_) + ")/Creator(" + InfoValue(creator_) +
            ")/Producer(" + InfoValue(Producer()) + ")/Subject(" + InfoValue(subject_) + ")/Keywords(" +
            InfoValue(keywords_) + ")/CreationDate(" + InfoValue(PdfDate(created_)) + ")>>");
  EndObj();
}

void cPDF::WriteCatalog() {
  BeginObj(2);
  std::string line = "<</PageMode/UseNone/ViewerPreferences<</HideWindowUI false/DisplayDocTitle true/HideToolbar false>>";
  if (!xmp_.empty() || pdfA_) line += "/Metadata 5 0 R";
  line += "/Pages 3 0 R/PageLayout/OneColumn/Type/Catalog";
  if (pdfA_) line += "/OutputIntents 6 0 R";
  WriteLine(line + ">>");
  EndObj();
}

void cPDF::WriteEncryptDictionary() {
  encryptObject_ = BeginObj();
  WriteLine("<< /Filter /Standard \r/O (" + EscapeString(security_.O) + ")\r/U (" + EscapeString(security_.U) +
            ")\r/P " + std::to_string(security_.P) + "\r" +
            (encryption_ == 1 ? "/V 1 /R 2 >>" : "/V 2 /R 3 /Length 128 >>"));
  EndObj();
}

// ---- The end of the document ----

bool cPDF::ClosePdfFile() {
  if (!file_.IsOpen()) return false;
  InitPdfFile();
  if (pages_ == 0) BeginPage();
  if (pageOpen_) EndPage();
  WriteResources();
  WritePageTree();
  WriteCrossReference();
  if (file_.Close()) return true;
  // A document cut short is no PDF: nothing of it stays behind to be taken for one.
  vx::DeleteFile(path_);
  return false;
}

void cPDF::WriteResources() {
  BeginObj(4);
  std::string line = "<<";
  if (!fonts_.empty()) line += "/Font<<" + fontResources_ + ">>";
  line += "/ProcSet [/PDF/Text";
  if (!images_.empty()) line += "/ImageB/ImageC/ImageI";
  line += " ]";
  if (!images_.empty()) line += "/XObject <<" + imageResources_ + ">>";
  WriteLine(line + ">>");
  EndObj();
}

void cPDF::WritePageTree() {
  BeginObj(3);
  WriteLine("<</Type/Pages/Count " + std::to_string(pages_) + "/Kids [" + kids_ + "]/Resources 4 0 R>>");
  EndObj();
}

void cPDF::WriteCrossReference() {
  const uint64_t xrefOffset = file_.Position();
  WriteLine("xref");
  WriteLine("0 " + std::to_string(lastObject_ + 1));
  WriteLine("0000000000 65535 f");
  for (uint64_t offset : offsets_) {
    std::string digits = std::to_string(offset);
    WriteLine(std::string(digits.size() < 10 ? 10 - digits.size() : 0, '0') + digits + " 00000 n");
  }
  WriteLine("trailer");
  std::string trailer = "<</Size " + std::to_string(lastObject_ + 1) + "/Root 2 0 R/Info 1 0 R";
  if (encryption_ != 0) {
    const std::string id = HexString(fileId1_);
    trailer += "/Encrypt " + std::to_string(encryptObject_) + " 0 R /ID [<" + id + "><" + id + ">]";
  }
  if (pdfA_) trailer += "/ID[<" + fileId1_ + "><" + fileId2_ + ">]";
  WriteLine(trailer + ">>");
  WriteLine("startxref");
  WriteLine(std::to_string(xrefOffset));
  WriteLine("%%EOF");
}

}  // namespace vexiro
