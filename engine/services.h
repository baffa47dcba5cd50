// The engine's auxiliary objects, as the engine creates and releases them. Their real work
// arrives with the subsystems that own them (PDF writing, printing, network, recognition).
#pragma once
#include <cstdint>
#include <vector>

#include "recognition/barcodes/barcode_readers.h"

namespace vexiro {

class cInet;

// A PDF writer; one per open document.
class cPDF {};

// The printer object, created at the first print member.
class cPrinter {};

// The document-template store; starts with an empty configuration and cannot fail.
class cARD {
 public:
  cARD() { NewConfig(); }
  ~cARD() { FreeMemory(); }
  cARD(const cARD&) = delete;
  cARD& operator=(const cARD&) = delete;
  void NewConfig() {
    TemplateCount = 0;
    FreeMemory();
  }
  void FreeMemory() { Templates.clear(); }
  int32_t TemplateCount = 0;
  std::vector<std::vector<uint8_t>> Templates;
};

}  // namespace vexiro
