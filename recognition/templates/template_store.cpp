#include "recognition/templates/template_store.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <unordered_set>

#include "engine/image_access.h"
#include "engine/routines/random_generator.h"
#include "engine/routines/shared_routines.h"
#include "platform/gdiplus/image_io_file.h"
#include "platform/input_limits.h"
#include "platform/kernel/code_page.h"

namespace vexiro {
namespace {

constexpr double kIdentifierRange = 100000000.0;
constexpr size_t kRecordFixedBytes = 2070;  // identifier, bins, four numbers, tag length
constexpr size_t kMaxTagBytes = std::numeric_limits<uint16_t>::max();

// The running average of n samples: ((n - 1) x average + new) / n, halves to even. The numerator
// is taken in 64 bits: large pages folded in often pass 32 bits.
int32_t Fold(int32_t average, int32_t value, int32_t n) {
  const int64_t numerator = static_cast<int64_t>(n - 1) * average + value;
  return static_cast<int32_t>(std::nearbyint(static_cast<double>(numerator) / n));
}

// The smaller over the larger, x 100; 100 when both are 0.
double CountRatio(double image, double learned) {
  if (image == 0 && learned == 0) return 100;
  return image > learned ? learned / image * 100 : image / learned * 100;
}

void PutLittle(std::string& out, uint32_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetLittle(const uint8_t* at, size_t bytes) {
  uint32_t value = 0;
  for (size_t i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
  return value;
}

// What the store itself can make: identifiers above 0, counts and averages that are never
// negative and a sample count that one more fold cannot overflow. Anything else in a file would
// answer "no template" with a real one, divide by a zero count or score relevances far outside
// 0 .. 100.
bool RecordIsSound(const ArdTemplate& t) {
  const auto negative = [](int32_t v) { return v < 0; };
  return t.TemplateID > 0 && t.ImageCount >= 0 && t.ImageCount <= vx::limits::kMaxTemplateImageCount &&
         t.AvgArea >= 0 && t.AvgDarkCount >= 0 && t.AvgTopDarkCount >= 0 &&
         std::none_of(t.Histogram.begin(), t.Histogram.end(), negative);
}

}  // namespace

std::string EncodeTemplateFile(const std::vector<ArdTemplate>& templates) {
  std::string out;
  PutLittle(out, static_cast<uint32_t>(templates.size()), 4);
  for (const ArdTemplate& t : templates) {
    PutLittle(out, static_cast<uint32_t>(t.TemplateID), 4);
    for (int32_t bin : t.Histogram) PutLittle(out, static_cast<uint32_t>(bin), 4);
    for (int32_t field : {t.AvgArea, t.AvgDarkCount, t.AvgTopDarkCount, t.ImageCount})
      PutLittle(out, static_cast<uint32_t>(field), 4);
    const std::string tag = vx::Utf8ToAnsi(t.Tag);
    PutLittle(out, static_cast<uint32_t>(tag.size()), 2);
    out += tag;
  }
  return out;
}

// N records from the bytes, each checked against what is left and refused when the store could
// not have written it, or when its identifier is taken already; bytes after them are allowed.
bool DecodeTemplateFile(const std::vector<uint8_t>& bytes, std::vector<ArdTemplate>& templates) {
  if (bytes.size() < 4) return false;
  const auto count = static_cast<int32_t>(GetLittle(bytes.data(), 4));
  if (count < 1 || static_cast<uint64_t>(count) > (bytes.size() - 4) / kRecordFixedBytes) return false;
  templates.assign(static_cast<size_t>(count), ArdTemplate{});
  std::unordered_set<int32_t> identifiers;
  size_t at = 4;
  for (ArdTemplate& t : templates) {
    if (bytes.size() - at < kRecordFixedBytes) return false;
    const uint8_t* p = bytes.data() + at;
    t.TemplateID = static_cast<int32_t>(GetLittle(p, 4));
    for (size_t k = 0; k < kSignatureBins; ++k) t.Histogram[k] = static_cast<int32_t>(GetLittle(p + 4 + 4 * k, 4));
    t.AvgArea = static_cast<int32_t>(GetLittle(p + 2052, 4));
    t.AvgDarkCount = static_cast<int32_t>(GetLittle(p + 2056, 4));
    t.AvgTopDarkCount = static_cast<int32_t>(GetLittle(p + 2060, 4));
    t.ImageCount = static_cast<int32_t>(GetLittle(p + 2064, 4));
    const size_t tagBytes = GetLittle(p + 2068, 2);
    at += kRecordFixedBytes;
    if (bytes.size() - at < tagBytes) return false;
    t.Tag = vx::AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data() + at), tagBytes));
    at += tagBytes;
    if (!RecordIsSound(t) || !identifiers.insert(t.TemplateID).second) return false;
  }
  return true;
}

const ArdTemplate* cARD::Find(int32_t TemplateID) const {
  const int32_t index = GetTemplateIDX(TemplateID);
  return index < 0 ? nullptr : &Templates[static_cast<size_t>(index)];
}

int32_t cARD::GetTemplateIDX(int32_t TemplateID) const {
  for (size_t i = 0; i < Templates.size(); ++i)
    if (Templates[i].TemplateID == TemplateID) return static_cast<int32_t>(i);
  return -1;
}

int32_t cARD::GetTemplateID(int32_t TemplateNo) const {
  if (TemplateNo < 1 || TemplateNo > TemplateCount) return -1;
  return Templates[static_cast<size_t>(TemplateNo - 1)].TemplateID;
}

// Drawn again until non-zero and unused: two templates made within one clock tick must differ.
int32_t cARD::NewTemplateID() const {
  for (;;) {
    const auto id = static_cast<int32_t>(std::floor(vx::engine::RandomSingle() * kIdentifierRange));
    if (id != 0 && GetTemplateIDX(id) < 0) return id;
  }
}

int32_t cARD::NewTemplate() {
  ArdTemplate t;
  t.TemplateID = NewTemplateID();
  Templates.push_back(t);
  TemplateCount = static_cast<int32_t>(Templates.size());
  return t.TemplateID;
}

bool cARD::DeleteTemplate(int32_t TemplateID) {
  const int32_t index = GetTemplateIDX(TemplateID);
  if (index < 0) return false;
  Templates.erase(Templates.begin() + index);
  // The relevances stay with their templates.
  if (static_cast<size_t>(index) < Relevances.size()) Relevances.erase(Relevances.begin() + index);
  TemplateCount = static_cast<int32_t>(Templates.size());
  return true;
}

VexiroStatus cARD::AddImageToTemplate(int32_t TemplateID, int32_t ImageID) {
  const int32_t index = GetTemplateIDX(TemplateID);
  if (index < 0) return LastStatus = TemplateNotFound;
  if (ImageID == 0) return LastStatus = InvalidParameter;
  int32_t width = 0, height = 0;
  LastStatus = vx::engine::GetImageWidth(ImageID, width);
  if (LastStatus == OK) LastStatus = vx::engine::GetImageHeight(ImageID, height);
  if (LastStatus == OK) LastStatus = ComputeLayoutSignature(ImageID, width, height, Signature);
  if (LastStatus != OK) return LastStatus;

  ArdTemplate& t = Templates[static_cast<size_t>(index)];
  // At its largest the count stays put and the sample still weighs 1 / n: the file can hold it.
  if (t.ImageCount < vx::limits::kMaxTemplateImageCount) ++t.ImageCount;
  const int32_t n = t.ImageCount;
  const int32_t area = static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(width) * height,
                                                              std::numeric_limits<int32_t>::max()));
  t.AvgArea = Fold(t.AvgArea, area, n);
  t.AvgDarkCount = Fold(t.AvgDarkCount, Signature.DarkCount, n);
  t.AvgTopDarkCount = Fold(t.AvgTopDarkCount, Signature.TopDarkCount, n);
  for (size_t k = 0; k < kSignatureBins; ++k) t.Histogram[k] = Fold(t.Histogram[k], Signature.Bins[k], n);
  return OK;
}

int32_t cARD::GetTemplateImageCount(int32_t TemplateID) const {
  const ArdTemplate* t = Find(TemplateID);
  return t == nullptr ? 0 : t->ImageCount;
}

std::string cARD::GetTemplateTag(int32_t TemplateID) const {
  const ArdTemplate* t = Find(TemplateID);
  return t == nullptr ? "" : t->Tag;
}

bool cARD::SetTemplateTag(int32_t TemplateID, const std::string& Tag) {
  const int32_t index = GetTemplateIDX(TemplateID);
  if (index < 0 || vx::Utf8ToAnsi(Tag).size() > kMaxTagBytes) return false;
  Templates[static_cast<size_t>(index)].Tag = Tag;
  return true;
}

int32_t cARD::FindCloserTemplate(int32_t ImageID) {
  // A search that chooses nothing leaves no relevance of an earlier one behind.
  LastRelevance = 0;
  if (ImageID == 0) return 0;
  int32_t width = 0, height = 0;
  LastStatus = vx::engine::GetImageWidth(ImageID, width);
  if (LastStatus == OK) LastStatus = vx::engine::GetImageHeight(ImageID, height);
  if (LastStatus == OK) LastStatus = ComputeLayoutSignature(ImageID, width, height, Signature);
  if (LastStatus != OK) return 0;

  Relevances.assign(Templates.size(), 0.0);
  int32_t chosen = 0;
  const double area = static_cast<double>(width) * height;
  for (size_t i = 0; i < Templates.size(); ++i) {
    const ArdTemplate& t = Templates[i];
    const double similarity = CompareSignatures(Signature.Bins, t.Histogram);
    const double areaRatio = std::min(area, static_cast<double>(t.AvgArea)) /
                             std::max(area, static_cast<double>(t.AvgArea)) * 100;
    const double darkRatio = CountRatio(Signature.DarkCount, t.AvgDarkCount);
    const double topRatio = CountRatio(Signature.TopDarkCount, t.AvgTopDarkCount);
    const double relevance = similarity * 0.6 + areaRatio * 0.15 + darkRatio * 0.13 + topRatio * 0.12;
    Relevances[i] = relevance;
    if (i == 0 || relevance > LastRelevance) {
      chosen = t.TemplateID;
      LastRelevance = relevance;
    }
  }
  return chosen;
}

bool cARD::LoadTemplateConfig(const std::string& Path) {
  if (vx::engine::GetExistingFilePath(Path).empty()) return false;
  std::vector<uint8_t> bytes;
  std::vector<ArdTemplate> loaded;
  if (vx::gdiplus::ReadWholeFileBounded(Path, bytes, vx::limits::kMaxTemplateFileBytes) != vx::gdiplus::Ok ||
      !DecodeTemplateFile(bytes, loaded))
    return false;
  NewConfig();
  Templates = std::move(loaded);
  TemplateCount = static_cast<int32_t>(Templates.size());
  return true;
}

bool cARD::SaveTemplateConfig(const std::string& Path) {
  if (TemplateCount == 0) return false;
  const std::string encoded = EncodeTemplateFile(Templates);
  return vx::gdiplus::ReplaceFileAtomically(Path.c_str(), std::vector<uint8_t>(encoded.begin(), encoded.end())) ==
         vx::gdiplus::Ok;
}

void cARD::NewConfig() {
  TemplateCount = 0;
  FreeMemory();
}

void cARD::FreeMemory() {
  // The count never names more templates than are held.
  TemplateCount = 0;
  Templates.clear();
  Relevances.clear();
}

double cARD::GetlastTemplateRelevance(int32_t TemplateID) const {
  const int32_t index = GetTemplateIDX(TemplateID);
  if (index < 0 || static_cast<size_t>(index) >= Relevances.size()) return 0;
  return Relevances[static_cast<size_t>(index)];
}

}  // namespace vexiro
