// The bridge to the OCR plug-in: one rectangle of a store image handed over, one record per
// recognised character brought back. Shared by the OCR members and the searchable-PDF routes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vexiro/imaging.h"

namespace vexiro {

struct OcrArea {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
};

struct OcrRequest {
  int32_t Dictionary = TesseractDictionaryEnglish;
  std::string Folder;
  std::string WhiteList;     // UTF-8; empty for no restriction
  bool SingleBlock = false;  // read the rectangle as one block instead of finding its layout
};

// "deu", "deu-f", "eng" ...: the language of a dictionary value; anything outside 0 .. 9 is "eng".
std::string GetTesseractLanguageCode(int32_t dictionary);
// The name of the language's data file without its extension ("frk" for "deu-f").
std::string TesseractDataName(int32_t dictionary);
// The data folder as the plug-in takes it: blanks trimmed, "\" turned into "/", ending in "/".
// An empty folder is TESSDATA_PREFIX, else the system's tesseract data.
std::string NormaliseDictionaryFolder(const std::string& folder);

// Recognises the rectangle of the image. OK with the records (none when nothing was read),
// OCRDictionaryNotFound for a missing or unusable data file, the lock's status for a rectangle
// outside the image, InvalidParameter for one over 32,767 pixels a side (the records' fields
// are 16 bits), GenericError when recognition fails. The records are the caller's: the
// plug-in's copy is freed before this returns. A missing plug-in raises a run-time error.
VexiroStatus OcrImageArea(int32_t imageId, const OcrArea& area, const OcrRequest& request,
                          std::vector<OcrCharInfo>& records);
// Resets the plug-in's engine; its last result goes.
void OcrReinit();

}  // namespace vexiro
