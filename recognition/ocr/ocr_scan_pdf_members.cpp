// Scan-to-PDF with OCR: the searchable scanned document. It runs through the same start, add,
// stop and abandon steps as the plain one (devices/scan/scan_to_pdf.cpp) on its own writer;
// what it adds is the recognition of each image as it is added and the text layer of its page.
#include <string>
#include <vector>

#include "pdf/pdf_writer.h"
#include "pdf/saving/save_request.h"
#include "recognition/ocr/ocr_bridge.h"
#include "recognition/ocr/ocr_pdf_layer.h"
#include "recognition/ocr/ocr_text.h"
#include "vexiro/imaging.h"

namespace vexiro {

void cImaging::AbandonScanPdfOCR() {
  AbandonScanPdf(oTwainPDFOCR, nTwainPdfOCRHandle);
  // The pages belong to the document: a new one must not inherit their text.
  arTwainPdfOCRPages.clear();
}

VexiroStatus cImaging::TwainPdfOCRStart(const std::string& sFilePath, const std::string& sTitle,
                                        const std::string& sCreator, const std::string& sAuthor,
                                        const std::string& /*sProducer*/) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  return TwainPdfOCRStartEx(sFilePath, sTitle, sAuthor, "", "", sCreator);
}

VexiroStatus cImaging::TwainPdfOCRStartEx(const std::string& sFilePath, const std::string& sTitle,
                                          const std::string& sAuthor, const std::string& sSubject,
                                          const std::string& sKeywords, const std::string& sCreator,
                                          EnumArg<PdfEncryption> nPdfEncryption, EnumArg<PdfRight> nPDFRight,
                                          const std::string& sUserpassWord, const std::string& sOwnerPassword) {
  if (RefusesCutPath(sFilePath)) return InvalidParameter;
  AbandonScanPdfOCR();
  // Only the painter is needed up front: it makes the writer carry the layer's font. Each
  // image brings its own language when it is added.
  const vx::pdf::PdfTextLayer layer{nullptr, OcrLayerPainter()};
  return StartScanPdf(oTwainPDFOCR, nTwainPdfOCRHandle,
                      vx::pdf::PdfARequest(sFilePath, {sTitle, sAuthor, sSubject, sKeywords, sCreator, nPdfEncryption,
                                                       nPDFRight, sUserpassWord, sOwnerPassword},
                                           &layer));
}

std::string cImaging::TwainAddVexiroImageToPdfOCR(int32_t nImageID, EnumArg<TesseractDictionary> nDictionary,
                                                  const std::string& sDictionaryPath,
                                                  const std::string& sCharWhiteList) {
  if (RefusesCutPath(sDictionaryPath)) return "";
  nStat = AddImageToScanPdf(oTwainPDFOCR.get(), nTwainPdfOCRHandle, nImageID);
  if (nStat != OK) return "";
  cPDF& writer = *oTwainPDFOCR;
  const auto page = static_cast<int32_t>(writer.ImageCount());
  arTwainPdfOCRPages.resize(page);
  std::vector<OcrCharInfo> records;
  try {
    // The whole image as the writer holds it, so the boxes count the pixels the page shows.
    nStat = OcrImageArea(nImageID, OcrArea{0, 0, writer.ImageWidth(page), writer.ImageHeight(page)},
                         OcrRequest{nDictionary, sDictionaryPath, sCharWhiteList}, records);
  } catch (...) {
    // The host sees the error; the document it was building is not left half-made on disk.
    AbandonScanPdfOCR();
    KeepRuntimeError();
    return "";
  }
  if (nStat != OK) records.clear();
  arTwainPdfOCRPages[page - 1] = std::move(records);
  return BuildOcrText(arTwainPdfOCRPages[page - 1]);
}

VexiroStatus cImaging::TwainPdfOCRStop() {
  std::vector<vx::pdf::PageCharacters> characters;
  characters.reserve(arTwainPdfOCRPages.size());
  for (const std::vector<OcrCharInfo>& records : arTwainPdfOCRPages) characters.push_back(ToPageCharacters(records));
  const vx::pdf::ScanPdfPages pages{&characters, OcrLayerPainter()};
  const VexiroStatus status = StopScanPdf(oTwainPDFOCR, nTwainPdfOCRHandle, &pages);
  arTwainPdfOCRPages.clear();
  return status;
}

}  // namespace vexiro
