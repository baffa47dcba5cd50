// The XMP metadata stream, and for PDF/A-1 the output intent with its sRGB profile.
#include <cstdlib>

#include "pdf/deflate_stage.h"
#include "pdf/pdf_text.h"
#include "pdf/pdf_writer.h"
#include "pdf/resources.h"

namespace vexiro {

using namespace vx::pdf;

namespace {

void ReplaceAll(std::string& text, std::string_view placeholder, std::string_view value) {
  for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size()))
    text.replace(at, placeholder.size(), value);
}

std::string TwoDigits(int32_t v) { return (v < 10 ? "0" : "") + std::to_string(v); }

// "yyyy-mm-ddThh:mm:ss+hh:mm": the same instant as the Info dictionary's date.
std::string XmpDate(const PdfTimestamp& t) {
  const int32_t offset = std::abs(t.UtcOffsetMinutes);
  return std::to_string(t.Year) + "-" + TwoDigits(t.Month) + "-" + TwoDigits(t.Day) + "T" + TwoDigits(t.Hour) + ":" +
         TwoDigits(t.Minute) + ":" + TwoDigits(t.Second) + (t.UtcOffsetMinutes < 0 ? "-" : "+") +
         TwoDigits(offset / 60) + ":" + TwoDigits(offset % 60);
}

}  // namespace

// The packet is UTF-8 and its values XML text: a reader compares them with the Info strings,
// so they go in as the caller gave them, escaped only for XML.
void cPDF::WriteMetadata() {
  std::string packet = xmp_;
  if (pdfA_) {
    packet = std::string(PdfAXmpTemplate());
    const std::string date = XmpDate(created_);
    ReplaceAll(packet, "XXX_AUTHOR_XXX", XmlEscape(author_));
    ReplaceAll(packet, "XXX_TITLE_XXX", XmlEscape(title_));
    ReplaceAll(packet, "XXX_CREATOR_XXX", XmlEscape(creator_));
    ReplaceAll(packet, "XXX_SUBJECT_XXX", XmlEscape(subject_));
    ReplaceAll(packet, "XXX_KEYWORDS_XXX", XmlEscape(keywords_));
    ReplaceAll(packet, "XXX_CREATIONDATE_XXX", date);
    ReplaceAll(packet, "XXX_MODIFYDATE_XXX", date);
    ReplaceAll(packet, "XXX_METADATADATE_XXX", date);
    ReplaceAll(packet, "XXX_PRODUCER_XXX", XmlEscape(Producer()));
    ReplaceAll(packet, "XXX_DOCUMENTUUID_XXX", RandomUuid());
    ReplaceAll(packet, "XXX_SESSIONUUID_XXX", RandomUuid());
  }
  const uint32_t number = BeginObj();
  WriteStreamObject(number, "<</Subtype/XML", "/Type/Metadata", std::move(packet));
}

void cPDF::WriteOutputIntent() {
  const uint32_t number = BeginObj();
  WriteLine("[<</Info(sRGB IEC61966-2.1)/S/GTS_PDFA1/OutputConditionIdentifier(Custom)/OutputCondition()"
            "/DestOutputProfile " +
            std::to_string(number + 1) + " 0 R/Type/OutputIntent/RegistryName()>>]");
  EndObj();
  ByteSink sink;
  DeflateStage deflate(&sink, 9);
  RunThrough(deflate, AsBytes(SrgbIccProfile()));
  const uint32_t profile = BeginObj();
  WriteStreamObject(profile, "<<", "/Filter/FlateDecode/N 3",
                    std::string(sink.bytes().begin(), sink.bytes().end()));
}

}  // namespace vexiro
