#include "session.h"

#include <cstdlib>
#include <cstring>

namespace vxtwain {

Session& Session::Instance() {
  static Session session;
  return session;
}

const char* Session::Hand(std::string text) {
  std::string& slot = handed_[handedNext_];
  handedNext_ = (handedNext_ + 1) % 4;
  slot = std::move(text);
  return slot.c_str();
}

bool Session::Fail(int32_t condition) {
  resultCode = TWRC_FAILURE;
  conditionCode = condition;
  return false;
}

bool Session::Succeed(bool inexact) {
  resultCode = inexact ? TWRC_CHECKSTATUS : TWRC_SUCCESS;
  conditionCode = TWCC_SUCCESS;
  return true;
}

bool Session::LoadManager() {
  if (state >= kManagerLoaded) return Succeed();
  // A library bound before under the same path is bound still: loaded libraries stay loaded.
  if (!bound_ || boundPath_ != dsmPath) {
    SaneApi api;
    if (!BindSane(dsmPath, api)) return Fail(TWCC_BUMMER);
    api_ = api;
    bound_ = true;
    boundPath_ = dsmPath;
  }
  state = kManagerLoaded;
  return Succeed();
}

bool Session::OpenManager() {
  if (state >= kManagerOpen) return Succeed();
  if (!LoadManager()) return false;
  SANE_Int version = 0;
  if (OutsideLeakChecks([&] { return api_.init(&version, nullptr); }) != SANE_STATUS_GOOD) return Fail(TWCC_BUMMER);
  state = kManagerOpen;
  feederEmpty = false;
  deviceNames_.clear();
  const SANE_Device** devices = nullptr;
  if (OutsideLeakChecks([&] { return api_.get_devices(&devices, 1); }) == SANE_STATUS_GOOD && devices != nullptr) {
    for (; *devices != nullptr; ++devices) {
      if ((*devices)->name != nullptr) deviceNames_.emplace_back((*devices)->name);
    }
  }
  nextName = 0;
  return Succeed();
}

bool Session::CloseManager() {
  if (state < kManagerOpen) return Fail(TWCC_SEQERROR);
  if (state > kManagerOpen) return Fail(TWCC_SEQERROR);
  OutsideLeakChecks([&] {
    api_.exit();
    return 0;
  });
  deviceNames_.clear();
  defaults_.clear();
  state = kManagerLoaded;
  return Succeed();
}

bool Session::UnloadManager() {
  if (state != kManagerLoaded) return Fail(TWCC_SEQERROR);
  state = kPreSession;
  return Succeed();
}

bool Session::OpenSource(const std::string& name) {
  if (state >= kSourceOpen) return Fail(TWCC_SEQERROR);
  if (!OpenManager()) return false;
  bool known = false;
  for (const std::string& device : deviceNames_) known = known || device == name;
  if (name.empty() || !known) return Fail(TWCC_NODS);
  SANE_Handle handle = nullptr;
  if (OutsideLeakChecks([&] { return api_.open(name.c_str(), &handle); }) != SANE_STATUS_GOOD || handle == nullptr)
    return Fail(TWCC_NODS);
  device_ = handle;
  currentSource_ = name;
  lastSource_ = name;
  RecordDefaults();
  state = kSourceOpen;
  unitsCode = 0;
  paperSize = 0;
  return Succeed();
}

bool Session::OpenDefaultSource() {
  if (!OpenManager()) return false;
  const char* preferred = std::getenv("SANE_DEFAULT_DEVICE");
  if (preferred != nullptr && *preferred != '\0') {
    for (const std::string& device : deviceNames_)
      if (device == preferred) return OpenSource(device);
  }
  if (deviceNames_.empty()) return Fail(TWCC_NODS);
  return OpenSource(deviceNames_.front());
}

bool Session::CloseSource() {
  if (state < kSourceOpen) return Fail(TWCC_SEQERROR);
  if (state > kSourceOpen) api_.cancel(device_);
  api_.close(device_);
  device_ = nullptr;
  currentSource_.clear();
  state = kManagerOpen;
  return Succeed();
}

Option Session::Find(const char* name) const {
  Option found;
  if (device_ == nullptr) return found;
  for (SANE_Int i = 1;; ++i) {
    const SANE_Option_Descriptor* desc = api_.get_option_descriptor(device_, i);
    if (desc == nullptr) break;
    if (desc->name != nullptr && std::strcmp(desc->name, name) == 0) {
      found.index = i;
      found.desc = desc;
      break;
    }
  }
  return found;
}

std::optional<double> Session::Number(const char* name) const {
  const Option option = Find(name);
  if (!option.Active() || option.desc->type == SANE_TYPE_STRING || option.desc->size < 4) return std::nullopt;
  std::vector<SANE_Word> words(static_cast<size_t>(option.desc->size) / sizeof(SANE_Word) + 1);
  if (api_.control_option(device_, option.index, SANE_ACTION_GET_VALUE, words.data(), nullptr) != SANE_STATUS_GOOD)
    return std::nullopt;
  return option.desc->type == SANE_TYPE_FIXED ? FixedToDouble(words[0]) : static_cast<double>(words[0]);
}

std::optional<std::string> Session::Text(const char* name) const {
  const Option option = Find(name);
  if (!option.Active() || option.desc->type != SANE_TYPE_STRING || option.desc->size < 1) return std::nullopt;
  std::vector<char> text(static_cast<size_t>(option.desc->size) + 1, '\0');
  if (api_.control_option(device_, option.index, SANE_ACTION_GET_VALUE, text.data(), nullptr) != SANE_STATUS_GOOD)
    return std::nullopt;
  return std::string(text.data());
}

bool Session::SetNumber(const char* name, double value, bool& inexact) {
  const Option option = Find(name);
  if (!option.Active() || option.desc->type == SANE_TYPE_STRING || (option.desc->cap & SANE_CAP_SOFT_SELECT) == 0)
    return false;
  if (const SANE_Range* range = Range(name)) {
    const double lo = option.desc->type == SANE_TYPE_FIXED ? FixedToDouble(range->min) : range->min;
    const double hi = option.desc->type == SANE_TYPE_FIXED ? FixedToDouble(range->max) : range->max;
    if (value < lo || value > hi) return false;
  }
  SANE_Word word = option.desc->type == SANE_TYPE_FIXED ? DoubleToFixed(value) : static_cast<SANE_Word>(value);
  if (option.desc->type != SANE_TYPE_FIXED && static_cast<double>(word) != value) inexact = true;
  SANE_Int info = 0;
  if (api_.control_option(device_, option.index, SANE_ACTION_SET_VALUE, &word, &info) != SANE_STATUS_GOOD)
    return false;
  if ((info & SANE_INFO_INEXACT) != 0) inexact = true;
  return true;
}

bool Session::SetText(const char* name, const std::string& value, bool& inexact) {
  const Option option = Find(name);
  if (!option.Active() || option.desc->type != SANE_TYPE_STRING) return false;
  std::vector<char> text(static_cast<size_t>(option.desc->size) + value.size() + 1, '\0');
  std::memcpy(text.data(), value.c_str(), value.size());
  SANE_Int info = 0;
  if (api_.control_option(device_, option.index, SANE_ACTION_SET_VALUE, text.data(), &info) != SANE_STATUS_GOOD)
    return false;
  if ((info & SANE_INFO_INEXACT) != 0) inexact = true;
  return true;
}

namespace {

// No real option value comes near this; a descriptor claiming more is not believed.
constexpr SANE_Int kMaxOptionBytes = SANE_Int{1} << 16;

bool HoldsValue(const SANE_Option_Descriptor& desc) {
  return desc.name != nullptr && *desc.name != '\0' && desc.type >= SANE_TYPE_BOOL && desc.type <= SANE_TYPE_STRING &&
         desc.size > 0 && desc.size <= kMaxOptionBytes && (desc.cap & SANE_CAP_INACTIVE) == 0;
}

}  // namespace

// Backends keep what a caller set across a close and an open, until the manager closes: only
// the first open since then sees the device's own values.
void Session::RecordDefaults() {
  std::map<std::string, std::vector<uint8_t>>& values = defaults_[currentSource_];
  if (!values.empty()) return;
  for (SANE_Int i = 1;; ++i) {
    const SANE_Option_Descriptor* desc = api_.get_option_descriptor(device_, i);
    if (desc == nullptr) break;
    if (!HoldsValue(*desc)) continue;
    std::vector<uint8_t> value(static_cast<size_t>(desc->size));
    if (api_.control_option(device_, i, SANE_ACTION_GET_VALUE, value.data(), nullptr) == SANE_STATUS_GOOD)
      values.emplace(desc->name, std::move(value));
  }
}

const std::vector<uint8_t>* Session::RecordedDefault(const char* name) const {
  const auto device = defaults_.find(currentSource_);
  if (device == defaults_.end()) return nullptr;
  const auto found = device->second.find(name);
  return found == device->second.end() ? nullptr : &found->second;
}

bool Session::RestoreDefault(const char* name, bool& inexact) {
  const Option option = Find(name);
  if (!option.Active() || (option.desc->cap & SANE_CAP_SOFT_SELECT) == 0) return false;
  SANE_Int info = 0;
  SANE_Status status = SANE_STATUS_INVAL;
  if (const std::vector<uint8_t>* recorded = RecordedDefault(name)) {
    // The backend may read as many bytes as the option claims now.
    std::vector<uint8_t> value = *recorded;
    if (option.desc->size <= kMaxOptionBytes && value.size() < static_cast<size_t>(option.desc->size))
      value.resize(static_cast<size_t>(option.desc->size), 0);
    status = api_.control_option(device_, option.index, SANE_ACTION_SET_VALUE, value.data(), &info);
  } else if ((option.desc->cap & SANE_CAP_AUTOMATIC) != 0) {
    status = api_.control_option(device_, option.index, SANE_ACTION_SET_AUTO, nullptr, &info);
  }
  if (status != SANE_STATUS_GOOD) return false;
  if ((info & SANE_INFO_INEXACT) != 0) inexact = true;
  return true;
}

std::vector<std::string> Session::TextChoices(const char* name) const {
  std::vector<std::string> choices;
  const Option option = Find(name);
  if (!option.Active() || option.desc->constraint_type != SANE_CONSTRAINT_STRING_LIST) return choices;
  for (const char* const* entry = option.desc->constraint.string_list; *entry != nullptr; ++entry)
    choices.emplace_back(*entry);
  return choices;
}

std::vector<double> Session::NumberChoices(const char* name) const {
  std::vector<double> choices;
  const Option option = Find(name);
  if (!option.Active() || option.desc->constraint_type != SANE_CONSTRAINT_WORD_LIST) return choices;
  const SANE_Word* words = option.desc->constraint.word_list;
  for (SANE_Word i = 1; i <= words[0]; ++i)
    choices.push_back(option.desc->type == SANE_TYPE_FIXED ? FixedToDouble(words[i]) : words[i]);
  return choices;
}

const SANE_Range* Session::Range(const char* name) const {
  const Option option = Find(name);
  if (!option.Active() || option.desc->constraint_type != SANE_CONSTRAINT_RANGE) return nullptr;
  return option.desc->constraint.range;
}

bool Session::IsFixed(const char* name) const {
  const Option option = Find(name);
  return option.desc != nullptr && option.desc->type == SANE_TYPE_FIXED;
}

int32_t StoreNative(std::vector<uint8_t> block) {
  Session& session = Session::Instance();
  const int32_t handle = session.nextNative_++;
  if (session.nextNative_ <= 0) session.nextNative_ = 1;
  session.natives[handle] = std::move(block);
  return handle;
}

}  // namespace vxtwain
