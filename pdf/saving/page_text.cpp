#include "pdf/saving/page_text.h"

#include <cmath>

#include "pdf/pdf_writer.h"

namespace vx::pdf {

float PixelsToPoints(int32_t pixels, double dpi) {
  if (!(dpi > 0) || !std::isfinite(dpi)) dpi = 72;
  return static_cast<float>(static_cast<double>(pixels) * 72.0 / dpi);
}

PdfPageSize ImagePageSize(int32_t width, int32_t height, float resolutionX, float resolutionY) {
  return {PixelsToPoints(width, resolutionX), PixelsToPoints(height, resolutionY)};
}

PdfPageSize WriterImagePageSize(const vexiro::cPDF& writer, int32_t imageNumber) {
  return {PixelsToPoints(writer.ImageWidth(imageNumber), writer.ImageResX(imageNumber)),
          PixelsToPoints(writer.ImageHeight(imageNumber), writer.ImageResY(imageNumber))};
}

std::string WritePdfImagePage(vexiro::cPDF& writer, int32_t imageNumber, PdfPageSize size,
                              const PageCharacters* characters, const TextLayerPainter* painter) {
  writer.PaperWidth(size.width);
  writer.PaperHeight(size.height);
  writer.BeginPage();
  const bool withText = characters != nullptr && painter != nullptr && *painter;
  if (withText) writer.SetTextMode(3);
  // The image fills the page as the writer stored it, so a reader sees the same numbers.
  writer.DrawImg(imageNumber, 0, 0, writer.PaperWidth(), writer.PaperHeight());
  std::string text;
  if (withText) text = (*painter)(*characters, writer, imageNumber);
  writer.EndPage();
  return text;
}

}  // namespace vx::pdf
