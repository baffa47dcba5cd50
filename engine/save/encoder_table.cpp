#include "engine/save/encoder_table.h"

#include <cctype>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/runtime_error.h"
#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::engine {
namespace {

struct CaseInsensitiveLess {
  bool operator()(const std::string& a, const std::string& b) const {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
      const int ca = std::toupper(static_cast<unsigned char>(a[i]));
      const int cb = std::toupper(static_cast<unsigned char>(b[i]));
      if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
  }
};

struct EncoderTableState {
  std::vector<CLSID> EncoderClsids;
  std::optional<std::map<std::string, int32_t, CaseInsensitiveLess>> EncoderPatterns;
  int32_t EncoderCount = 0;
};

EncoderTableState& Table() {
  thread_local EncoderTableState table;
  return table;
}

std::string TrimSpaces(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(' ');
  return std::string(s.substr(first, last - first + 1));
}

// Pieces that end at a ";" are keys as they stand; the piece after the last ";" is trimmed
// and kept only when something remains.
std::vector<std::string> SplitMasks(std::string_view list) {
  std::vector<std::string> keys;
  size_t start = 0;
  for (size_t semi; (semi = list.find(';', start)) != std::string_view::npos; start = semi + 1)
    keys.emplace_back(list.substr(start, semi - start));
  std::string tail = TrimSpaces(list.substr(start));
  if (!tail.empty()) keys.push_back(std::move(tail));
  return keys;
}

}  // namespace

void BuildEncoderTableFrom(const gdiplus::ImageCodecInfo* codecs, uint32_t count) {
  EncoderTableState& t = Table();
  t.EncoderClsids.assign(count, CLSID{});
  t.EncoderCount = static_cast<int32_t>(count);
  t.EncoderPatterns.emplace();
  // Walked from the last encoder down, so where two encoders list one mask the earlier wins.
  for (uint32_t i = count; i-- > 0;) {
    t.EncoderClsids[i] = codecs[i].Clsid;
    const char* list = codecs[i].FilenameExtension;
    for (std::string& key : SplitMasks(list ? list : "")) (*t.EncoderPatterns)[std::move(key)] = static_cast<int32_t>(i);
  }
}

void BuildEncoderTable() {
  gdiplus::UINT count = 0, bytes = 0;
  gdiplus::Status s = gdiplus::GdipGetImageEncodersSize(&count, &bytes);
  if (s != gdiplus::Ok) throw RuntimeError(s, "The encoder list could not be read");
  if (static_cast<uint64_t>(count) * sizeof(gdiplus::ImageCodecInfo) > bytes)
    throw RuntimeError(gdiplus::InsufficientBuffer, "The encoder list is inconsistent");
  // Records first, then the texts they point at; the buffer is aligned for the records.
  std::vector<gdiplus::ImageCodecInfo> buffer((bytes + sizeof(gdiplus::ImageCodecInfo) - 1) / sizeof(gdiplus::ImageCodecInfo));
  s = gdiplus::GdipGetImageEncoders(count, bytes, buffer.data());
  if (s != gdiplus::Ok) throw RuntimeError(s, "The encoder list could not be read");
  BuildEncoderTableFrom(buffer.data(), count);
}

int32_t FindEncoderIndex(const std::string& pattern) {
  const EncoderTableState& t = Table();
  if (!t.EncoderPatterns) return -1;
  const auto it = t.EncoderPatterns->find(pattern);
  return it == t.EncoderPatterns->end() ? -1 : it->second;
}

void GetEncoderClsid(CLSID& clsid, int32_t index) {
  const EncoderTableState& t = Table();
  if (index >= 0 && index < static_cast<int32_t>(t.EncoderClsids.size())) clsid = t.EncoderClsids[static_cast<size_t>(index)];
}

int32_t EncoderCount() { return Table().EncoderCount; }

void ClearEncoderTable() { Table() = EncoderTableState{}; }

}  // namespace vx::engine
