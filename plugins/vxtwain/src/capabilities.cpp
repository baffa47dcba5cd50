#include "capabilities.h"

#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "session.h"

namespace vxtwain {

namespace {

Session& S() { return Session::Instance(); }

constexpr const char* kFeederEntry = "Automatic Document Feeder";
constexpr double kMmPerInch = 25.4;

// ---- Units: the device measures in millimetres, TWAIN in the session's units. ----

double UnitsPerMm(int32_t units) {
  switch (units) {
    case 0: return 1 / kMmPerInch;          // inches
    case 1: return 0.1;                     // centimetres
    case 2: return 6 / kMmPerInch;          // picas
    case 3: return 72 / kMmPerInch;         // points
    case 4: return 1440 / kMmPerInch;       // twips
    case 5: {                               // pixels at the current horizontal resolution
      const std::optional<double> dpi = CapCurrent(ICAP_XRESOLUTION);
      return dpi.value_or(0) / kMmPerInch;
    }
    case 6: return 1;                       // millimetres
    default: return 0;
  }
}

double ToUnits(double mm) { return mm * UnitsPerMm(S().unitsCode); }
std::optional<double> ToMm(double units) {
  const double factor = UnitsPerMm(S().unitsCode);
  if (factor <= 0) return std::nullopt;
  return units / factor;
}

double RangeMax(const char* option) {
  const SANE_Range* range = S().Range(option);
  if (range == nullptr) return 0;
  return S().IsFixed(option) ? FixedToDouble(range->max) : range->max;
}
double RangeMin(const char* option) {
  const SANE_Range* range = S().Range(option);
  if (range == nullptr) return 0;
  return S().IsFixed(option) ? FixedToDouble(range->min) : range->min;
}

// ---- Mode, depth and pixel type ----

bool ColorMode() { return S().Text("mode").value_or("") == "Color"; }
int32_t Channels() { return ColorMode() ? 3 : 1; }

std::optional<double> CurrentPixelType() {
  const std::optional<std::string> mode = S().Text("mode");
  if (!mode) return std::nullopt;
  if (*mode == "Lineart") return 0.0;
  if (*mode == "Color") return 2.0;
  return S().Number("depth").value_or(8) == 1 ? 0.0 : 1.0;
}

bool HasMode(const std::string& mode) {
  for (const std::string& choice : S().TextChoices("mode"))
    if (choice == mode) return true;
  return false;
}

bool SetPixelType(double type, bool& inexact) {
  if (type == 0) {
    if (HasMode("Lineart")) return S().SetText("mode", "Lineart", inexact);
    return HasMode("Gray") && S().SetText("mode", "Gray", inexact) && S().SetNumber("depth", 1, inexact);
  }
  const char* mode = type == 1 ? "Gray" : type == 2 ? "Color" : nullptr;
  if (mode == nullptr || !HasMode(mode) || !S().SetText("mode", mode, inexact)) return false;
  // Grey or colour at one bit per sample would still be black and white.
  if (S().Number("depth").value_or(8) == 1) return S().SetNumber("depth", 8, inexact);
  return true;
}

// ---- Resolution: x- and y-resolution where the device has them, else one resolution. ----

const char* ResolutionOption(bool vertical) {
  const char* own = vertical ? "y-resolution" : "x-resolution";
  return S().Find(own).Active() ? own : "resolution";
}

// Word lists and ranges as a list of values; a range is spelt out by its step.
std::vector<double> ChoicesOf(const char* option) {
  std::vector<double> values = S().NumberChoices(option);
  if (!values.empty()) return values;
  const SANE_Range* range = S().Range(option);
  if (range == nullptr) return values;
  const double lo = RangeMin(option), hi = RangeMax(option);
  double step = S().IsFixed(option) ? FixedToDouble(range->quant) : range->quant;
  constexpr double kMaxSpelled = 4096;
  if (step <= 0 || (hi - lo) / step >= kMaxSpelled) return {lo, hi};
  for (double v = lo; v <= hi + step / 2; v += step) values.push_back(v);
  return values;
}

std::optional<CapRange> RangeOf(const char* option, double scale = 1) {
  const SANE_Range* range = S().Range(option);
  if (range == nullptr) return std::nullopt;
  const double step = S().IsFixed(option) ? FixedToDouble(range->quant) : range->quant;
  return CapRange{RangeMin(option) * scale, RangeMax(option) * scale, step * scale};
}

// ---- Brightness and contrast: TWAIN's -1000..1000 over the option's own range. ----

std::optional<double> ScaledCurrent(const char* option) {
  const std::optional<double> value = S().Number(option);
  const double lo = RangeMin(option), hi = RangeMax(option);
  if (!value || hi <= lo) return std::nullopt;
  return (*value - lo) / (hi - lo) * 2000 - 1000;
}
bool ScaledSet(const char* option, double value, bool& inexact) {
  const double lo = RangeMin(option), hi = RangeMax(option);
  if (hi <= lo || value < -1000 || value > 1000) return false;
  return S().SetNumber(option, lo + (value + 1000) / 2000 * (hi - lo), inexact);
}

// ---- Feeder and duplex: entries of the "source" option. ----

bool SourceHas(const std::string& needle) {
  for (const std::string& choice : S().TextChoices("source"))
    if (choice.find(needle) != std::string::npos) return true;
  return false;
}
bool FeederSelected() { return S().Text("source").value_or("").find(kFeederEntry) != std::string::npos; }
bool SelectSource(bool feeder, bool& inexact) {
  for (const std::string& choice : S().TextChoices("source")) {
    const bool isFeeder = choice.find(kFeederEntry) != std::string::npos;
    if (isFeeder == feeder) return S().SetText("source", choice, inexact);
  }
  return false;
}

// ---- Paper sizes: TWAIN's TWSS codes with their sizes in millimetres. ----

struct Paper {
  int32_t code;
  double width, height;
};
constexpr Paper kPapers[] = {
    {1, 210, 297},      {2, 182, 257},      {3, 215.9, 279.4},  {4, 215.9, 355.6},  {5, 148, 210},
    {6, 250, 353},      {7, 125, 176},      {9, 279.4, 431.8},  {10, 184.15, 266.7}, {11, 297, 420},
    {12, 353, 500},     {13, 105, 148},     {14, 229, 324},     {15, 162, 229},     {16, 114, 162},
    {17, 1682, 2378},   {18, 1189, 1682},   {19, 841, 1189},    {20, 594, 841},     {21, 420, 594},
    {22, 74, 105},      {23, 52, 74},       {24, 37, 52},       {25, 26, 37},       {26, 1000, 1414},
    {27, 707, 1000},    {28, 500, 707},     {29, 176, 250},     {30, 88, 125},      {31, 62, 88},
    {32, 44, 62},       {33, 31, 44},       {34, 1030, 1456},   {35, 728, 1030},    {36, 515, 728},
    {37, 364, 515},     {38, 257, 364},     {39, 128, 182},     {40, 91, 128},      {41, 64, 91},
    {42, 45, 64},       {43, 32, 45},       {44, 917, 1297},    {45, 648, 917},     {46, 458, 648},
    {47, 324, 458},     {48, 81, 114},      {49, 57, 81},       {50, 40, 57},       {51, 28, 40},
    {52, 139.7, 215.9}, {53, 90, 55},
};

bool PaperFits(const Paper& paper) { return paper.width <= RangeMax("br-x") && paper.height <= RangeMax("br-y"); }

std::vector<double> SupportedSizes() {
  std::vector<double> sizes{0};
  if (!S().Find("br-x").Active()) return sizes;
  for (const Paper& paper : kPapers)
    if (PaperFits(paper)) sizes.push_back(paper.code);
  return sizes;
}

bool SetGeometryMm(double left, double top, double right, double bottom, bool& inexact) {
  if (right <= left || bottom <= top) return false;
  return S().SetNumber("tl-x", left, inexact) && S().SetNumber("tl-y", top, inexact) &&
         S().SetNumber("br-x", right, inexact) && S().SetNumber("br-y", bottom, inexact);
}

// ---- Software options some backends offer ----

std::optional<double> BoolOption(const char* option) {
  const std::optional<double> value = S().Number(option);
  if (!value) return std::nullopt;
  return *value != 0 ? 1.0 : 0.0;
}

// ---- The capability table ----

struct Handler {
  int32_t itemType;
  std::function<bool()> supported;
  std::function<std::vector<double>()> values;
  std::function<std::optional<double>()> current;
  std::function<bool(double, bool&)> set;  // nullptr: read-only
  std::function<std::optional<CapRange>()> range;
  std::function<bool(bool&)> reset;  // back to the source's default; nullptr exactly when read-only
};

// The device's own values of the options behind a capability, restored in order (a mode before
// the depth it governs); options this device lacks are passed over, but one must be there.
std::function<bool(bool&)> DeviceDefaults(std::vector<const char*> options) {
  return [options](bool& inexact) {
    bool restored = false;
    for (const char* option : options) {
      if (!S().Find(option).Active()) continue;
      if (!S().RestoreDefault(option, inexact)) return false;
      restored = true;
    }
    return restored;
  };
}

bool InList(const std::vector<double>& list, double value) {
  for (double v : list)
    if (v == value) return true;
  return false;
}

bool SourceOpen() { return S().state >= kSourceOpen; }
std::function<bool()> OptionPresent(const char* option) {
  return [option] { return SourceOpen() && S().Find(option).Active(); };
}

Handler ResolutionHandler(bool vertical) {
  return {TWTY_FIX32, [] { return SourceOpen() && (S().Find("resolution").Active() || S().Find("x-resolution").Active()); },
          [vertical] { return ChoicesOf(ResolutionOption(vertical)); },
          [vertical] { return S().Number(ResolutionOption(vertical)); },
          [vertical](double v, bool& inexact) { return v > 0 && S().SetNumber(ResolutionOption(vertical), v, inexact); },
          [vertical] { return RangeOf(ResolutionOption(vertical)); },
          [vertical](bool& inexact) { return S().RestoreDefault(ResolutionOption(vertical), inexact); }};
}

Handler PhysicalHandler(const char* option) {
  return {TWTY_FIX32, OptionPresent(option), [option] { return std::vector<double>{ToUnits(RangeMax(option))}; },
          [option]() -> std::optional<double> { return ToUnits(RangeMax(option)); }, nullptr, nullptr};
}

Handler ScaledHandler(const char* option) {
  return {TWTY_FIX32, OptionPresent(option), [] { return std::vector<double>{}; },
          [option] { return ScaledCurrent(option); },
          [option](double v, bool& inexact) { return ScaledSet(option, v, inexact); },
          [] { return std::optional<CapRange>(CapRange{-1000, 1000, 1}); }, DeviceDefaults({option})};
}

Handler SoftwareSwitch(const char* option) {
  return {TWTY_BOOL, OptionPresent(option), [] { return std::vector<double>{0, 1}; },
          [option] { return BoolOption(option); },
          [option](double v, bool& inexact) { return (v == 0 || v == 1) && S().SetNumber(option, v, inexact); },
          nullptr, DeviceDefaults({option})};
}

// A setting the plug-in keeps itself; `initial` is TWAIN's default for it.
Handler SessionValue(int32_t itemType, std::vector<double> choices, int32_t Session::*field, int32_t initial) {
  return {itemType, SourceOpen, [choices] { return choices; },
          [field]() -> std::optional<double> { return S().*field; },
          [choices, field](double v, bool&) {
            if (!InList(choices, v)) return false;
            S().*field = static_cast<int32_t>(v);
            return true;
          },
          nullptr, [field, initial](bool&) {
            S().*field = initial;
            return true;
          }};
}

const std::map<int32_t, Handler>& Handlers() {
  static const std::map<int32_t, Handler> handlers = {
      {ICAP_PIXELTYPE,
       {TWTY_UINT16, OptionPresent("mode"),
        [] {
          std::vector<double> types;
          if (HasMode("Lineart") || (HasMode("Gray") && InList(S().NumberChoices("depth"), 1))) types.push_back(0);
          if (HasMode("Gray")) types.push_back(1);
          if (HasMode("Color")) types.push_back(2);
          return types;
        },
        CurrentPixelType, SetPixelType, nullptr, DeviceDefaults({"mode", "depth"})}},
      {ICAP_BITDEPTH,
       {TWTY_UINT16, OptionPresent("depth"),
        [] {
          std::vector<double> depths;
          for (double d : S().NumberChoices("depth")) depths.push_back(d * Channels());
          return depths;
        },
        []() -> std::optional<double> {
          const std::optional<double> depth = S().Number("depth");
          if (!depth) return std::nullopt;
          return *depth * Channels();
        },
        [](double v, bool& inexact) {
          const double perSample = v / Channels();
          return InList(S().NumberChoices("depth"), perSample) && S().SetNumber("depth", perSample, inexact);
        },
        nullptr, DeviceDefaults({"depth"})}},
      {ICAP_XRESOLUTION, ResolutionHandler(false)},
      {ICAP_YRESOLUTION, ResolutionHandler(true)},
      {ICAP_UNITS, SessionValue(TWTY_UINT16, {0, 1, 2, 3, 4, 5, 6}, &Session::unitsCode, 0)},
      {ICAP_XFERMECH, SessionValue(TWTY_UINT16, {0, 1}, &Session::transferMode, 0)},
      {ICAP_IMAGEFILEFORMAT, SessionValue(TWTY_UINT16, {0, 2, 7}, &Session::fileFormat, 2)},
      {ICAP_COMPRESSION,
       {TWTY_UINT16, SourceOpen, [] { return std::vector<double>{0}; },
        []() -> std::optional<double> { return 0.0; }, [](double v, bool&) { return v == 0; }, nullptr,
        [](bool&) { return true; }}},
      {CAP_XFERCOUNT,
       {TWTY_INT16, SourceOpen, [] { return std::vector<double>{}; },
        []() -> std::optional<double> { return S().xferCount; },
        [](double v, bool&) {
          if (v == 0 || v < -1 || v > 32767) return false;
          S().xferCount = static_cast<int32_t>(v);
          return true;
        },
        nullptr, [](bool&) {
          S().xferCount = -1;
          return true;
        }}},
      {ICAP_PHYSICALWIDTH, PhysicalHandler("br-x")},
      {ICAP_PHYSICALHEIGHT, PhysicalHandler("br-y")},
      {ICAP_SUPPORTEDSIZES,
       {TWTY_UINT16, SourceOpen, SupportedSizes, []() -> std::optional<double> { return S().paperSize; },
        [](double v, bool&) { return SetPaper(static_cast<int32_t>(v)) && v == std::floor(v); }, nullptr,
        [](bool&) { return ResetLayout(); }}},
      {ICAP_BRIGHTNESS, ScaledHandler("brightness")},
      {ICAP_CONTRAST, ScaledHandler("contrast")},
      {ICAP_THRESHOLD,
       {TWTY_FIX32, OptionPresent("threshold"), [] { return ChoicesOf("threshold"); },
        [] { return S().Number("threshold"); },
        [](double v, bool& inexact) { return S().SetNumber("threshold", v, inexact); },
        [] { return RangeOf("threshold"); }, DeviceDefaults({"threshold"})}},
      {CAP_FEEDERENABLED,
       {TWTY_BOOL, [] { return SourceOpen() && SourceHas(kFeederEntry); }, [] { return std::vector<double>{0, 1}; },
        []() -> std::optional<double> { return FeederSelected() ? 1.0 : 0.0; },
        [](double v, bool& inexact) { return (v == 0 || v == 1) && SelectSource(v == 1, inexact); }, nullptr,
        DeviceDefaults({"source"})}},
      {CAP_FEEDERLOADED,
       {TWTY_BOOL, [] { return SourceOpen() && SourceHas(kFeederEntry); }, [] { return std::vector<double>{0, 1}; },
        []() -> std::optional<double> { return FeederSelected() && !S().feederEmpty ? 1.0 : 0.0; }, nullptr,
        nullptr}},
      {CAP_DEVICEONLINE,
       {TWTY_BOOL, SourceOpen, [] { return std::vector<double>{1}; },
        []() -> std::optional<double> { return 1.0; }, nullptr, nullptr}},
      {CAP_DUPLEX,
       {TWTY_UINT16, SourceOpen, [] { return std::vector<double>{SourceHas("Duplex") ? 1.0 : 0.0}; },
        []() -> std::optional<double> { return SourceHas("Duplex") ? 1.0 : 0.0; }, nullptr, nullptr}},
      {CAP_DUPLEXENABLED,
       {TWTY_BOOL, [] { return SourceOpen() && SourceHas("Duplex"); }, [] { return std::vector<double>{0, 1}; },
        []() -> std::optional<double> {
          return S().Text("source").value_or("").find("Duplex") != std::string::npos ? 1.0 : 0.0;
        },
        [](double v, bool& inexact) {
          for (const std::string& choice : S().TextChoices("source"))
            if ((choice.find("Duplex") != std::string::npos) == (v == 1)) return S().SetText("source", choice, inexact);
          return false;
        },
        nullptr, DeviceDefaults({"source"})}},
      {ICAP_AUTOMATICDESKEW, SoftwareSwitch("swdeskew")},
      {ICAP_AUTOMATICBORDERDETECTION, SoftwareSwitch("swcrop")},
      {ICAP_AUTODISCARDBLANKPAGES,
       {TWTY_INT32, OptionPresent("swskip"), [] { return std::vector<double>{-2, -1}; },
        []() -> std::optional<double> {
          const std::optional<double> skip = S().Number("swskip");
          if (!skip) return std::nullopt;
          return *skip > 0 ? -1.0 : -2.0;
        },
        [](double v, bool& inexact) {
          if (v < -2) return false;
          const double percent = v == -2 ? 0 : v == -1 ? 1 : v;
          return S().SetNumber("swskip", percent, inexact);
        },
        nullptr, DeviceDefaults({"swskip"})}},
  };
  return handlers;
}

const Handler* Supported(int32_t cap) {
  const auto found = Handlers().find(cap);
  if (found == Handlers().end() || !found->second.supported()) {
    S().Fail(TWCC_CAPUNSUPPORTED);
    return nullptr;
  }
  return &found->second;
}

}  // namespace

int32_t PackFix32(double value) {
  constexpr double kLimit = 32768.0;
  if (value >= kLimit) value = kLimit - 1.0 / 65536;
  if (value < -kLimit) value = -kLimit;
  const int64_t scaled = static_cast<int64_t>(std::nearbyint(value * 65536.0));
  const int32_t whole = static_cast<int32_t>(scaled >> 16);
  const uint32_t frac = static_cast<uint32_t>(scaled & 0xFFFF);
  return static_cast<int32_t>((static_cast<uint32_t>(whole) & 0xFFFFu) | (frac << 16));
}

double UnpackFix32(int32_t packed) {
  const auto whole = static_cast<int16_t>(static_cast<uint32_t>(packed) & 0xFFFFu);
  const uint32_t frac = static_cast<uint32_t>(packed) >> 16;
  return whole + frac / 65536.0;
}

int32_t CapItemType(int32_t cap) {
  if (cap == CAP_SUPPORTEDCAPS) return S().state >= kSourceOpen ? TWTY_UINT16 : TWTY_INVALID;
  const Handler* handler = Supported(cap);
  if (handler == nullptr) return TWTY_INVALID;
  S().Succeed();
  return handler->itemType;
}

bool CapValues(int32_t cap, std::vector<double>& values) {
  values.clear();
  if (cap == CAP_SUPPORTEDCAPS && S().state >= kSourceOpen) {
    for (const auto& [code, handler] : Handlers())
      if (handler.supported()) values.push_back(code);
    values.push_back(CAP_SUPPORTEDCAPS);
    return S().Succeed();
  }
  const Handler* handler = Supported(cap);
  if (handler == nullptr) return false;
  values = handler->values();
  return S().Succeed();
}

std::optional<double> CapCurrent(int32_t cap) {
  const Handler* handler = Supported(cap);
  if (handler == nullptr) return std::nullopt;
  std::optional<double> value = handler->current();
  if (!value) S().Fail(TWCC_BUMMER);
  else S().Succeed();
  return value;
}

std::optional<CapRange> CapRangeOf(int32_t cap) {
  const Handler* handler = Supported(cap);
  if (handler == nullptr) return std::nullopt;
  std::optional<CapRange> range = handler->range ? handler->range() : std::nullopt;
  if (!range) S().Fail(TWCC_BADVALUE);
  else S().Succeed();
  return range;
}

bool CapSet(int32_t cap, double value) {
  const Handler* handler = Supported(cap);
  if (handler == nullptr) return false;
  if (!handler->set) return S().Fail(TWCC_BADVALUE);
  if (S().state > kSourceOpen) return S().Fail(TWCC_SEQERROR);
  bool inexact = false;
  if (!handler->set(value, inexact)) return S().Fail(TWCC_BADVALUE);
  return S().Succeed(inexact);
}

bool CapReset(int32_t cap) {
  const Handler* handler = Supported(cap);
  if (handler == nullptr) return false;
  if (!handler->reset) return S().Fail(TWCC_BADVALUE);
  if (S().state > kSourceOpen) return S().Fail(TWCC_SEQERROR);
  bool inexact = false;
  if (!handler->reset(inexact)) return S().Fail(TWCC_BADVALUE);
  return S().Succeed(inexact);
}

bool SetLayout(double left, double top, double right, double bottom) {
  if (S().state != kSourceOpen) return S().Fail(TWCC_SEQERROR);
  const std::optional<double> l = ToMm(left), t = ToMm(top), r = ToMm(right), b = ToMm(bottom);
  bool inexact = false;
  if (!l || !t || !r || !b || *l < 0 || *t < 0 || !SetGeometryMm(*l, *t, *r, *b, inexact))
    return S().Fail(TWCC_BADVALUE);
  return S().Succeed(inexact);
}

bool GetLayout(double& left, double& top, double& right, double& bottom) {
  const std::optional<double> l = S().Number("tl-x"), t = S().Number("tl-y"), r = S().Number("br-x"),
                              b = S().Number("br-y");
  if (!l || !t || !r || !b) return S().Fail(TWCC_CAPUNSUPPORTED);
  left = ToUnits(*l);
  top = ToUnits(*t);
  right = ToUnits(*r);
  bottom = ToUnits(*b);
  return S().Succeed();
}

// The device's own frame; the whole bed where the device gave none.
bool ResetLayout() {
  if (S().state != kSourceOpen) return S().Fail(TWCC_SEQERROR);
  bool inexact = false;
  const bool restored = DeviceDefaults({"tl-x", "tl-y", "br-x", "br-y"})(inexact);
  if (!restored && !SetGeometryMm(RangeMin("tl-x"), RangeMin("tl-y"), RangeMax("br-x"), RangeMax("br-y"), inexact))
    return S().Fail(TWCC_BADVALUE);
  S().paperSize = 0;
  return S().Succeed(inexact);
}

bool SetPaper(int32_t size) {
  if (S().state != kSourceOpen) return S().Fail(TWCC_SEQERROR);
  if (size == 0) {
    S().paperSize = 0;
    return S().Succeed();
  }
  for (const Paper& paper : kPapers) {
    if (paper.code != size) continue;
    bool inexact = false;
    if (!PaperFits(paper) || !SetGeometryMm(0, 0, paper.width, paper.height, inexact)) break;
    S().paperSize = size;
    return S().Succeed(inexact);
  }
  return S().Fail(TWCC_BADVALUE);
}

}  // namespace vxtwain
