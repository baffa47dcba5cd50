// The OCR text layer as the PDF saving routes take it: the bridge's records turned into the
// characters a page carries, and the painter that lays them invisibly over the page image.
// Shared by the searchable saves and the searchable scanned document.
#pragma once
#include <span>

#include "pdf/saving/page_text.h"
#include "recognition/ocr/ocr_bridge.h"
#include "vexiro/imaging.h"

namespace vexiro {

vx::pdf::PageCharacters ToPageCharacters(std::span<const OcrCharInfo> records);
// Draws a page's characters through DrawOcrTextLayer and returns the page's text.
vx::pdf::TextLayerPainter OcrLayerPainter();
// Recognises each whole page image with `ocr` and paints it with OcrLayerPainter.
vx::pdf::PdfTextLayer OcrTextLayer(const OcrRequest& ocr);

}  // namespace vexiro
