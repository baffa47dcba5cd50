// The engine's auxiliary objects, as the engine creates and releases them. Their real work
// arrives with the subsystems that own them (PDF writing, printing, network, recognition).
#pragma once
#include <cstdint>
#include <vector>

#include "devices/print/printer.h"
#include "recognition/barcodes/barcode_readers.h"
#include "recognition/templates/template_store.h"

namespace vexiro {

class cInet;
// The PDF writer, one per open document (pdf/pdf_writer.h).
class cPDF;

}  // namespace vexiro
