#include "scanners.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace vxbarcode {
namespace {

struct Scanner {
  int32_t performance = 0;
  const uint8_t* dib = nullptr;  // the header with its colour table, and the rows after it when rows is null
  uint32_t dibBytes = 0;
  const uint8_t* rows = nullptr;
  uint32_t rowsBytes = 0;
  std::optional<ScanStart> start;
  std::vector<FoundSymbol> symbols;
  std::vector<uint32_t> handles;  // one per symbol
};

struct Symbol {
  uint32_t scanner = 0;
  size_t index = 0;
};

struct Registry {
  std::mutex mutex;
  uint32_t lastHandle = 0;
  std::map<uint32_t, std::unique_ptr<Scanner>> scanners;
  std::map<uint32_t, Symbol> symbols;

  // Handles are never reused while the plug-in stays loaded: a stale one names nothing.
  uint32_t NextHandle() {
    if (++lastHandle == 0) ++lastHandle;
    return lastHandle;
  }
  Scanner* Find(uint32_t handle) {
    auto it = scanners.find(handle);
    return it == scanners.end() ? nullptr : it->second.get();
  }
  void ForgetSymbols(Scanner& scanner) {
    for (uint32_t handle : scanner.handles) symbols.erase(handle);
    scanner.handles.clear();
    scanner.symbols.clear();
  }
};

Registry& TheRegistry() {
  static auto* registry = new Registry();  // callers may still free scanners while the process ends
  return *registry;
}

}  // namespace

uint32_t NewScanner() {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  const uint32_t handle = r.NextHandle();
  r.scanners.emplace(handle, std::make_unique<Scanner>());
  return handle;
}

bool SetPerformance(uint32_t scanner, int32_t mode) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  Scanner* s = r.Find(scanner);
  if (s == nullptr) return false;
  s->performance = mode;
  return true;
}

bool SetSource(uint32_t scanner, const void* dib, uint32_t bytes) { return SetSourceRows(scanner, dib, bytes, nullptr, 0); }

bool SetSourceRows(uint32_t scanner, const void* info, uint32_t infoBytes, const void* rows, uint32_t rowsBytes) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  Scanner* s = r.Find(scanner);
  if (s == nullptr) return false;
  s->dib = static_cast<const uint8_t*>(info);
  s->dibBytes = infoBytes;
  s->rows = static_cast<const uint8_t*>(rows);
  s->rowsBytes = rowsBytes;
  return true;
}

bool StartClock(uint32_t scanner) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  Scanner* s = r.Find(scanner);
  if (s == nullptr) return false;
  s->start = ScanStart::Now();
  return true;
}

bool StartOf(uint32_t scanner, ScanStart& start) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  Scanner* s = r.Find(scanner);
  if (s == nullptr) return false;
  start = s->start.value_or(ScanStart::Now());
  return true;
}

bool Scan(uint32_t scanner, Recogniser recognise, uint32_t depths) {
  Registry& r = TheRegistry();
  std::unique_lock lock(r.mutex);
  Scanner* s = r.Find(scanner);
  if (s == nullptr) return false;
  const ScanStart start = s->start.value_or(ScanStart::Now());
  r.ForgetSymbols(*s);
  DibPixels pixels;
  const bool read = s->rows == nullptr ? ReadPackedDib(s->dib, s->dibBytes, depths, pixels)
                                      : ReadDib(s->dib, s->dibBytes, s->rows, s->rowsBytes, true, depths, pixels);
  if (!read) return false;
  const int32_t performance = s->performance;
  // The source is the caller's and is only borrowed for this call.
  s->dib = s->rows = nullptr;
  s->dibBytes = s->rowsBytes = 0;
  lock.unlock();
  std::vector<FoundSymbol> found = recognise(pixels, performance, start);
  if (found.size() > kMaxSymbols) found.resize(kMaxSymbols);
  lock.lock();
  s = r.Find(scanner);  // freed meanwhile by another thread: the results have no owner
  if (s == nullptr) return false;
  s->symbols = std::move(found);
  for (size_t i = 0; i < s->symbols.size(); ++i) {
    const uint32_t handle = r.NextHandle();
    s->handles.push_back(handle);
    r.symbols.emplace(handle, Symbol{scanner, i});
  }
  return true;
}

uint8_t SymbolCount(uint32_t scanner) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  Scanner* s = r.Find(scanner);
  return s == nullptr ? 0 : static_cast<uint8_t>(s->symbols.size());
}

uint32_t SymbolHandle(uint32_t scanner, int32_t index) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  Scanner* s = r.Find(scanner);
  if (s == nullptr || index < 0 || static_cast<size_t>(index) >= s->handles.size()) return 0;
  return s->handles[static_cast<size_t>(index)];
}

const FoundSymbol* FindSymbol(uint32_t barcode) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  auto it = r.symbols.find(barcode);
  if (it == r.symbols.end()) return nullptr;
  Scanner* s = r.Find(it->second.scanner);
  return s == nullptr ? nullptr : &s->symbols[it->second.index];
}

bool FreeScanner(uint32_t scanner) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  Scanner* s = r.Find(scanner);
  if (s == nullptr) return false;
  r.ForgetSymbols(*s);
  r.scanners.erase(scanner);
  return true;
}

std::string Utf8ToLatin1(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (size_t k = 1; k < length && i + k < text.size(); ++k)
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    out.push_back(code <= 0xFF ? static_cast<char>(code) : '?');
    i += length;
  }
  return out;
}

}  // namespace vxbarcode
