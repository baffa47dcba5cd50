// One image page of a saved or scanned PDF, with an optional layer of invisible text over the
// picture. Every route that turns images into PDF pages (saving an image, a multi-page TIFF, a
// scanned batch; plain, PDF/A or searchable) writes its pages through WritePdfImagePage, so the
// page size, the text mode and the order of drawing are decided in one place.
//
// Contract for a text layer:
// - the document's writer carries "Courier New" as font 1 (NewPdfSavingWriter with a layer);
// - WritePdfImagePage sets the page to the image's size, begins the page, sets text mode 3
//   (invisible), draws image `imageNumber` over the whole page from its lower-left corner, then
//   calls the painter, which draws on the open page and returns the page's text; then it ends
//   the page. Without a layer the page holds the image only and the result is "".
// - Character boxes are pixels of the page image from its top-left corner; the painter converts
//   them with the writer's whole-number resolutions of that image (ImageResX / ImageResY).
// - A recogniser reads one page image of the store (the page that was just added as an image
//   of the writer, width and height in pixels as the writer holds them) and answers a status:
//   OK with its characters (possibly none), or the status that stops the route.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vexiro/vexiro_status.h"

namespace vexiro {
class cPDF;
}

namespace vx::pdf {

// One recognised character, with the fields the OCR records carry.
struct PageCharacter {
  int32_t CharCode = 0;    // one character of the system ANSI code page
  int16_t Line = 0;        // text line, 1 for the first
  int16_t Left = 0;        // box edges in pixels of the page image, from its top-left corner
  int16_t Right = 0;
  int16_t Top = 0;
  int16_t Bottom = 0;
  int16_t Confidence = 0;  // 0 .. 255, lower is more certain
  int16_t Spaces = 0;      // blanks in front; above 0 starts a word
};
using PageCharacters = std::vector<PageCharacter>;

// Draws the characters as text on the writer's open page over image `imageNumber` and returns
// the page's text.
using TextLayerPainter =
    std::function<std::string(const PageCharacters& characters, vexiro::cPDF& writer, int32_t imageNumber)>;
// Recognises `width` x `height` pixels of the store image `imageId` from its top-left corner.
using PageRecogniser =
    std::function<vexiro::VexiroStatus(int32_t imageId, int32_t width, int32_t height, PageCharacters& characters)>;

// How a route gets and lays the text of its pages; routes without text pass none.
struct PdfTextLayer {
  PageRecogniser recognise;
  TextLayerPainter paint;
};

// A page size in points.
struct PdfPageSize {
  float width = 0;
  float height = 0;
};

// Pixels at a resolution in points, in single precision; a resolution not above 0 (or not a
// number) counts as 72 dpi, so a page is never infinite.
float PixelsToPoints(int32_t pixels, double dpi);
// The page of an image from its pixel size and its resolutions as the image reports them.
PdfPageSize ImagePageSize(int32_t width, int32_t height, float resolutionX, float resolutionY);
// The page of image `imageNumber` of the writer, from the whole-number resolutions it holds.
PdfPageSize WriterImagePageSize(const vexiro::cPDF& writer, int32_t imageNumber);

// Writes one page showing image `imageNumber` at `size`; with `characters` and `painter` both
// given, the invisible text layer too. Returns the painter's text, "" without a layer.
std::string WritePdfImagePage(vexiro::cPDF& writer, int32_t imageNumber, PdfPageSize size,
                              const PageCharacters* characters = nullptr, const TextLayerPainter* painter = nullptr);

}  // namespace vx::pdf
