// Searchable PDF: the saving routes of pdf/saving/ with a text layer that recognises each page
// image through the OCR bridge and lays its characters invisibly over the picture.
#include <string>
#include <vector>

#include "engine/escaped_errors.h"
#include "pdf/pdf_writer.h"
#include "pdf/saving/save_request.h"
#include "platform/kernel/files.h"
#include "recognition/ocr/ocr_bridge.h"
#include "recognition/ocr/ocr_pdf_layer.h"
#include "recognition/ocr/ocr_text.h"
#include "vexiro/imaging.h"

namespace vexiro {
namespace {

OcrCharInfo ToRecord(const vx::pdf::PageCharacter& c) {
  OcrCharInfo r;
  r.CharCode = c.CharCode;
  r.Line = c.Line;
  r.Left = c.Left;
  r.Right = c.Right;
  r.Top = c.Top;
  r.Bottom = c.Bottom;
  r.Confidence = c.Confidence;
  r.Spaces = c.Spaces;
  return r;
}

}  // namespace

vx::pdf::PageCharacters ToPageCharacters(std::span<const OcrCharInfo> records) {
  vx::pdf::PageCharacters characters;
  characters.reserve(records.size());
  for (const OcrCharInfo& r : records)
    characters.push_back({r.CharCode, r.Line, r.Left, r.Right, r.Top, r.Bottom, r.Confidence, r.Spaces});
  return characters;
}

vx::pdf::TextLayerPainter OcrLayerPainter() {
  return [](const vx::pdf::PageCharacters& characters, cPDF& writer, int32_t imageNumber) {
    std::vector<OcrCharInfo> records;
    records.reserve(characters.size());
    for (const vx::pdf::PageCharacter& c : characters) records.push_back(ToRecord(c));
    return DrawOcrTextLayer(records, writer, imageNumber);
  };
}

vx::pdf::PdfTextLayer OcrTextLayer(const OcrRequest& ocr) {
  vx::pdf::PdfTextLayer layer;
  layer.recognise = [request = ocr](
                        int32_t imageId, int32_t width, int32_t height, vx::pdf::PageCharacters& characters) {
    std::vector<OcrCharInfo> records;
    const VexiroStatus s = OcrImageArea(imageId, OcrArea{0, 0, width, height}, request, records);
    characters = ToPageCharacters(records);
    return s;
  };
  layer.paint = OcrLayerPainter();
  return layer;
}

namespace {

// Runs a saving route with the OCR text layer, as PDF/A. A run-time error inside it (a missing
// plug-in) takes the file the route had begun with it, so that no document cut short is left
// at the path.
template <class Route>
std::string SaveSearchable(const std::string& path, const OcrRequest& ocr, vx::pdf::PdfDocumentInfo info,
                           Route route) {
  const vx::pdf::PdfTextLayer layer = OcrTextLayer(ocr);
  const vx::pdf::PdfSaveRequest request = vx::pdf::PdfARequest(path, std::move(info), &layer);
  const bool existed = vx::GetFileAttributes(path) != vx::INVALID_FILE_ATTRIBUTES;
  try {
    std::string text;
    return route(request, text) ? text : std::string();
  } catch (...) {
    if (!existed) vx::DeleteFile(path);
    throw;
  }
}

}  // namespace

std::string cImaging::SaveAsPDFOCR(const std::string& sFilePath, EnumArg<TesseractDictionary> nDictionary,
                                   const std::string& sDictionaryPath, const std::string& sCharWhiteList,
                                   const std::string& sTitle, const std::string& sCreator, const std::string& sAuthor,
                                   const std::string& /*sProducer*/) {
  if (RefusesCutPath(sFilePath) || RefusesCutPath(sDictionaryPath)) return "";
  return SaveAsPDFOCREx(sFilePath, nDictionary, sDictionaryPath, sCharWhiteList, sTitle, sAuthor, "", "", sCreator);
}

std::string cImaging::SaveAsPDFOCREx(const std::string& sFilePath, EnumArg<TesseractDictionary> nDictionary,
                                     const std::string& sDictionaryPath, const std::string& sCharWhiteList,
                                     const std::string& sTitle, const std::string& sAuthor,
                                     const std::string& sSubject, const std::string& sKeywords,
                                     const std::string& sCreator, EnumArg<PdfEncryption> nPdfEncryption,
                                     EnumArg<PdfRight> nPDFRight,
                                     const std::string& sUserpassWord, const std::string& sOwnerPassword) {
  if (RefusesCutPath(sFilePath) || RefusesCutPath(sDictionaryPath)) return "";
  if (nNativeImage == 0) {
    nStat = InvalidParameter;
    return "";
  }
  nStat = OK;
  // The page keeps its picture when recognition fails; the text is then empty.
  return AnswerRuntimeErrors(std::string(), [&] {
    return SaveSearchable(sFilePath, {nDictionary, sDictionaryPath, sCharWhiteList},
                          {sTitle, sAuthor, sSubject, sKeywords, sCreator, nPdfEncryption, nPDFRight, sUserpassWord,
                           sOwnerPassword},
                          [this](const vx::pdf::PdfSaveRequest& request, std::string& text) {
                            return SaveCurrentImageToPdf(request, text) == OK && nStat == OK;
                          });
  });
}

std::string cImaging::PdfOCRCreateFromMultipageTIFF(int32_t nImageID, const std::string& sFilePath,
                                                    EnumArg<TesseractDictionary> nDictionary,
                                                    const std::string& sDictionaryPath,
                                                    const std::string& sCharWhiteList, const std::string& sTitle,
                                                    const std::string& sCreator, const std::string& sAuthor,
                                                    const std::string& /*sProducer*/) {
  if (RefusesCutPath(sFilePath) || RefusesCutPath(sDictionaryPath)) return "";
  return PdfOCRCreateFromMultipageTIFFEx(nImageID, sFilePath, nDictionary, sDictionaryPath, sCharWhiteList, sTitle,
                                         sAuthor, "", "", sCreator);
}

std::string cImaging::PdfOCRCreateFromMultipageTIFFEx(
    int32_t nImageID, const std::string& sFilePath, EnumArg<TesseractDictionary> nDictionary,
    const std::string& sDictionaryPath, const std::string& sCharWhiteList, const std::string& sTitle,
    const std::string& sAuthor, const std::string& sSubject, const std::string& sKeywords,
    const std::string& sCreator, EnumArg<PdfEncryption> nPdfEncryption, EnumArg<PdfRight> nPDFRight,
    const std::string& sUserpassWord,
    const std::string& sOwnerPassword) {
  if (RefusesCutPath(sFilePath) || RefusesCutPath(sDictionaryPath)) return "";
  return AnswerRuntimeErrors(std::string(), [&] {
    return SaveSearchable(sFilePath, {nDictionary, sDictionaryPath, sCharWhiteList},
                          {sTitle, sAuthor, sSubject, sKeywords, sCreator, nPdfEncryption, nPDFRight, sUserpassWord,
                           sOwnerPassword},
                          [this, nImageID](const vx::pdf::PdfSaveRequest& request, std::string& text) {
                            return SaveTiffPagesToPdf(nImageID, request, text) == OK;
                          });
  });
}

}  // namespace vexiro
