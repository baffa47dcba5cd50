// Texts made of OCR records, and the invisible text layer a searchable PDF page carries.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "vexiro/imaging.h"

namespace vexiro {

class cPDF;

// The character of a record's code as UTF-8: a Windows-1252 character up to 255, the code point
// above; nothing for 0, a negative code or one past Unicode.
std::string OcrCharText(int32_t charCode);

// The text OCRTesseractDoOCR returns: CR LF where the line number grows, `Spaces` blanks in
// front of a character.
std::string OcrResultText(std::span<const OcrCharInfo> records);
// The plain text of the records: CR LF at every change of line, one blank before each word but
// the first of its line.
std::string BuildOcrText(std::span<const OcrCharInfo> records);

// Draws one invisible word per run of records on the open page of `pdf`, over image
// `imageNumber` whose pixels the boxes count, and returns the page's text. Font 1 of the
// document is the layer's font.
std::string DrawOcrTextLayer(std::span<const OcrCharInfo> records, cPDF& pdf, int32_t imageNumber);
// The size in steps of 0.1 point at which the word starting at `first` reaches its box width;
// a resolution of 0 counts as 72 dpi.
float FitOcrFontSize(std::span<const OcrCharInfo> records, size_t first, int32_t dpi, const cPDF& pdf);
// The PDF y of the word's baseline: the mean bottom of its letters without descenders.
double GetOcrBaselineY(std::span<const OcrCharInfo> records, size_t first, int32_t dpi, const cPDF& pdf);

}  // namespace vexiro
