// Compiled once per reader with VXFAKE_PREFIX (the reader's export prefix) and VXFAKE_VERSION.
#include "fake_reader.h"

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#define VXFAKE_EXPORT extern "C" __attribute__((visibility("default")))
#define VXFAKE_JOIN2(a, b) a##b
#define VXFAKE_JOIN(a, b) VXFAKE_JOIN2(a, b)
#define VXFAKE_NAME(name) VXFAKE_JOIN(VXFAKE_PREFIX, name)

namespace {

struct Barcode {
  std::string value;
  VxFakeBarcode fields{};
};

struct Scan {
  std::vector<uint8_t> input;
  int32_t performance = 0;
};

struct Scanner {
  int32_t performance = 0;
  const void* dib = nullptr;
  uint32_t bytes = 0;
  std::vector<Barcode> found;
};

struct State {
  int32_t version = VXFAKE_VERSION;
  std::deque<std::vector<Barcode>> queued;
  std::vector<Scan> scans;
  std::map<uint32_t, Scanner> scanners;
  uint32_t lastScanner = 0;
  int32_t clockStarts = 0;
  int32_t asksBeforeSpent = -1;  // never spent
};

State& The() {
  static State state;
  return state;
}

Scanner* FindScanner(uint32_t handle) {
  auto it = The().scanners.find(handle);
  return it == The().scanners.end() ? nullptr : &it->second;
}

// A barcode handle is its scanner's handle in the high half and its index + 1 in the low one.
const Barcode* FindBarcode(uint32_t handle) {
  Scanner* s = FindScanner(handle >> 16);
  const uint32_t index = (handle & 0xFFFF) - 1;
  return s == nullptr || index >= s->found.size() ? nullptr : &s->found[index];
}

}  // namespace

VXFAKE_EXPORT void VXFAKE_Reset(int32_t version) {
  The() = State{};
  The().version = version;
}
VXFAKE_EXPORT void VXFAKE_QueueScan(int32_t count, const VxFakeBarcode* barcodes) {
  std::vector<Barcode> list;
  for (int32_t i = 0; i < count; ++i) {
    Barcode b;
    b.value = barcodes[i].value == nullptr ? "" : barcodes[i].value;
    b.fields = barcodes[i];
    list.push_back(b);
  }
  The().queued.push_back(std::move(list));
}
VXFAKE_EXPORT int32_t VXFAKE_ScanCount(void) { return static_cast<int32_t>(The().scans.size()); }
VXFAKE_EXPORT const uint8_t* VXFAKE_ScanInput(int32_t index, uint32_t* bytes) {
  const Scan& scan = The().scans.at(static_cast<size_t>(index));
  *bytes = static_cast<uint32_t>(scan.input.size());
  return scan.input.data();
}
VXFAKE_EXPORT int32_t VXFAKE_ScanPerformance(int32_t index) {
  return The().scans.at(static_cast<size_t>(index)).performance;
}
VXFAKE_EXPORT void VXFAKE_SpendTimeAfter(int32_t asks) { The().asksBeforeSpent = asks; }
VXFAKE_EXPORT int32_t VXFAKE_ClockStarts(void) { return The().clockStarts; }
VXFAKE_EXPORT int32_t VXFAKE_NAME(StartScanClock)(uint32_t scanner) {
  if (FindScanner(scanner) == nullptr) return 0;
  ++The().clockStarts;
  return 1;
}
VXFAKE_EXPORT int32_t VXFAKE_NAME(ScanTimeSpent)(uint32_t scanner) {
  if (FindScanner(scanner) == nullptr || The().asksBeforeSpent < 0) return 0;
  if (The().asksBeforeSpent == 0) return 1;
  --The().asksBeforeSpent;
  return 0;
}
VXFAKE_EXPORT int32_t VXFAKE_LiveScanners(void) { return static_cast<int32_t>(The().scanners.size()); }

VXFAKE_EXPORT const char* VxPluginVersion(void) { return "1.0.5.0"; }
VXFAKE_EXPORT int32_t VXFAKE_NAME(GetVersion)(void) { return The().version; }
VXFAKE_EXPORT uint32_t VXFAKE_NAME(NewBarScanner)(void) {
  const uint32_t handle = ++The().lastScanner;
  The().scanners[handle] = Scanner{};
  return handle;
}
VXFAKE_EXPORT int32_t VXFAKE_NAME(SetPerformance)(uint32_t scanner, int32_t mode) {
  Scanner* s = FindScanner(scanner);
  if (s != nullptr) s->performance = mode;
  return s != nullptr;
}
VXFAKE_EXPORT int32_t VXFAKE_NAME(SetDibSource)(uint32_t scanner, const void* dib, uint32_t bytes) {
  Scanner* s = FindScanner(scanner);
  if (s == nullptr) return 0;
  s->dib = dib;
  s->bytes = bytes;
  return 1;
}
VXFAKE_EXPORT int32_t VXFAKE_NAME(ScanBar)(uint32_t scanner) {
  Scanner* s = FindScanner(scanner);
  if (s == nullptr) return 0;
  const auto* bytes = static_cast<const uint8_t*>(s->dib);
  The().scans.push_back(Scan{std::vector<uint8_t>(bytes, bytes + s->bytes), s->performance});
  s->found.clear();
  if (!The().queued.empty()) {
    s->found = std::move(The().queued.front());
    The().queued.pop_front();
  }
  return 1;
}
VXFAKE_EXPORT uint8_t VXFAKE_NAME(GetBarcodeCount)(uint32_t scanner) {
  Scanner* s = FindScanner(scanner);
  return s == nullptr ? 0 : static_cast<uint8_t>(s->found.size());
}
VXFAKE_EXPORT uint32_t VXFAKE_NAME(GetBarcode)(uint32_t scanner, int32_t index) {
  return (scanner << 16) | static_cast<uint32_t>(index + 1);
}
VXFAKE_EXPORT const char* VXFAKE_NAME(GetBarcodeValue)(uint32_t barcode) {
  const Barcode* b = FindBarcode(barcode);
  return b == nullptr ? nullptr : b->value.c_str();
}
#define VXFAKE_FIELD(name, type, expression)                    \
  VXFAKE_EXPORT type VXFAKE_NAME(name)(uint32_t barcode) {      \
    const Barcode* b = FindBarcode(barcode);                    \
    return b == nullptr ? type{} : static_cast<type>(expression); \
  }
VXFAKE_FIELD(GetBarcodeX1, int32_t, b->fields.corners[0])
VXFAKE_FIELD(GetBarcodeY1, int32_t, b->fields.corners[1])
VXFAKE_FIELD(GetBarcodeX2, int32_t, b->fields.corners[2])
VXFAKE_FIELD(GetBarcodeY2, int32_t, b->fields.corners[3])
VXFAKE_FIELD(GetBarcodeX3, int32_t, b->fields.corners[4])
VXFAKE_FIELD(GetBarcodeY3, int32_t, b->fields.corners[5])
VXFAKE_FIELD(GetBarcodeX4, int32_t, b->fields.corners[6])
VXFAKE_FIELD(GetBarcodeY4, int32_t, b->fields.corners[7])
VXFAKE_FIELD(GetBarcodeType, int32_t, b->fields.type)
VXFAKE_FIELD(GetSkewAngle, double, b->fields.skew)
VXFAKE_FIELD(HasCheckSum, int32_t, b->fields.checksum)
VXFAKE_FIELD(GetBarcodeRows, int32_t, b->fields.rows)
VXFAKE_FIELD(GetBarcodeColumns, int32_t, b->fields.columns)
VXFAKE_EXPORT int32_t VXFAKE_NAME(FreeBarScanner)(uint32_t scanner) {
  return static_cast<int32_t>(The().scanners.erase(scanner));
}
