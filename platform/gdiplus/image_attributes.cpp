#include "platform/gdiplus/image_attributes.h"

#include <lcms2.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <filesystem>
#include <new>
#include <system_error>

#include "platform/gdiplus/gdiplus_flat.h"

namespace vx::gdiplus {

// Pixels are handed to the colour engine as the bytes of 32-bit ARGB words: B, G, R, A.
static_assert(std::endian::native == std::endian::little, "the profile conversion reads ARGB words as BGRA bytes");

class CmykConversion {
 public:
  explicit CmykConversion(cmsHTRANSFORM transform) : transform_(transform) {}
  ~CmykConversion() { cmsDeleteTransform(transform_); }
  CmykConversion(const CmykConversion&) = delete;
  CmykConversion& operator=(const CmykConversion&) = delete;

  // Without the colour engine's one-pixel cache the transform can run on several threads at once.
  void Run(const uint32_t* px, uint8_t* cmyk, size_t count) const {
    cmsDoTransform(transform_, px, cmyk, static_cast<cmsUInt32Number>(count));
  }

 private:
  cmsHTRANSFORM transform_;
};

namespace {

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using ProfilePtr = std::unique_ptr<void, ProfileCloser>;

Status CheckAttributes(const GpImageAttributes* attributes, ColorAdjustType type) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!attributes || type < ColorAdjustTypeDefault || type >= ColorAdjustTypeCount) return InvalidParameter;
  return Ok;
}

Status LoadCmykConversion(const char* path, std::shared_ptr<const CmykConversion>& out) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return FileNotFound;
  ProfilePtr output(cmsOpenProfileFromFile(path, "r"));
  if (!output || cmsGetColorSpace(output.get()) != cmsSigCmykData ||
      !cmsIsIntentSupported(output.get(), INTENT_PERCEPTUAL, LCMS_USED_AS_OUTPUT))
    return InvalidParameter;
  ProfilePtr srgb(cmsCreate_sRGBProfile());
  if (!srgb) return OutOfMemory;
  cmsHTRANSFORM transform =
      cmsCreateTransform(srgb.get(), TYPE_BGRA_8, output.get(), TYPE_CMYK_8, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
  if (!transform) return InvalidParameter;
  try {
    out = std::make_shared<const CmykConversion>(transform);
  } catch (const std::bad_alloc&) {
    cmsDeleteTransform(transform);
    return OutOfMemory;
  }
  return Ok;
}

// Sorted by old colour for lookup; among entries for the same colour the first given wins.
std::vector<ColorMap> LookupTable(const ColorMap* map, UINT size) {
  std::vector<ColorMap> table(map, map + size);
  auto byOld = [](const ColorMap& a, const ColorMap& b) { return a.oldColor < b.oldColor; };
  std::stable_sort(table.begin(), table.end(), byOld);
  table.erase(std::unique(table.begin(), table.end(),
                          [](const ColorMap& a, const ColorMap& b) { return a.oldColor == b.oldColor; }),
              table.end());
  return table;
}

constexpr uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xff; }

constexpr bool WithinKey(uint32_t c, uint32_t low, uint32_t high) {
  for (int shift : {16, 8, 0}) {
    const uint32_t v = Channel(c, shift);
    if (v < Channel(low, shift) || v > Channel(high, shift)) return false;
  }
  return true;
}

// Ink of the plain rule: complements of red, green and blue, with the grey they share moved
// to black so that neutral colours print with black ink alone.
uint32_t PlainInk(uint32_t c, ColorChannelFlags channel) {
  const uint32_t cyan = 255 - Channel(c, 16), magenta = 255 - Channel(c, 8), yellow = 255 - Channel(c, 0);
  const uint32_t black = std::min({cyan, magenta, yellow});
  switch (channel) {
    case ColorChannelFlagsC: return cyan - black;
    case ColorChannelFlagsM: return magenta - black;
    case ColorChannelFlagsY: return yellow - black;
    default: return black;
  }
}

constexpr uint32_t GreyForInk(uint32_t alpha, uint32_t ink) {
  const uint32_t g = 255 - ink;
  return (alpha << 24) | (g << 16) | (g << 8) | g;
}

}  // namespace

const ColorAdjustments& GpImageAttributes::Effective(ColorAdjustType type) const {
  const ColorAdjustments& own = categories[static_cast<size_t>(type)];
  return own.HasAny() ? own : categories[ColorAdjustTypeDefault];
}

void ColorAdjustmentApplier::Apply(uint32_t* px, size_t count) {
  if (a_.remapEnabled) Remap(px, count);
  if (a_.keyEnabled) ColorKey(px, count);
  if (a_.channelEnabled) OutputChannel(px, count);
}

// Runs of one colour are common in images, so the last answer is kept.
void ColorAdjustmentApplier::Remap(uint32_t* px, size_t count) const {
  const auto begin = a_.remap.begin(), end = a_.remap.end();
  bool known = false;
  uint32_t lastIn = 0, lastOut = 0;
  for (size_t i = 0; i < count; ++i) {
    if (known && px[i] == lastIn) {
      px[i] = lastOut;
      continue;
    }
    lastIn = px[i];
    const auto it = std::lower_bound(begin, end, lastIn, [](const ColorMap& m, uint32_t c) { return m.oldColor < c; });
    if (it != end && it->oldColor == lastIn) px[i] = it->newColor;
    lastOut = px[i];
    known = true;
  }
}

void ColorAdjustmentApplier::ColorKey(uint32_t* px, size_t count) const {
  for (size_t i = 0; i < count; ++i) {
    if (WithinKey(px[i], a_.keyLow, a_.keyHigh)) px[i] &= 0x00FFFFFFu;
  }
}

void ColorAdjustmentApplier::OutputChannel(uint32_t* px, size_t count) {
  if (!a_.profile) {
    for (size_t i = 0; i < count; ++i) px[i] = GreyForInk(px[i] >> 24, PlainInk(px[i], a_.channel));
    return;
  }
  cmyk_.resize(count * 4);
  a_.profile->Run(px, cmyk_.data(), count);
  const size_t offset = static_cast<size_t>(a_.channel);
  for (size_t i = 0; i < count; ++i) px[i] = GreyForInk(px[i] >> 24, cmyk_[i * 4 + offset]);
}

Status GdipCreateImageAttributes(GpImageAttributes** attributes) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!attributes) return InvalidParameter;
  *attributes = new (std::nothrow) GpImageAttributes;
  return *attributes ? Ok : OutOfMemory;
}

Status GdipCloneImageAttributes(const GpImageAttributes* attributes, GpImageAttributes** clone) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!attributes || !clone) return InvalidParameter;
  try {
    *clone = new GpImageAttributes(*attributes);
    return Ok;
  } catch (const std::bad_alloc&) {
    *clone = nullptr;
    return OutOfMemory;
  }
}

Status GdipDisposeImageAttributes(GpImageAttributes* attributes) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!attributes) return InvalidParameter;
  delete attributes;
  return Ok;
}

Status GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, ColorAdjustType type, BOOL enableFlag,
                                       ARGB colorLow, ARGB colorHigh) {
  if (Status s = CheckAttributes(attributes, type); s != Ok) return s;
  ColorAdjustments& a = attributes->categories[static_cast<size_t>(type)];
  a.keyEnabled = enableFlag != 0;
  a.keyLow = colorLow;
  a.keyHigh = colorHigh;
  return Ok;
}

Status GdipSetImageAttributesRemapTable(GpImageAttributes* attributes, ColorAdjustType type, BOOL enableFlag,
                                        UINT mapSize, const ColorMap* map) {
  if (Status s = CheckAttributes(attributes, type); s != Ok) return s;
  ColorAdjustments& a = attributes->categories[static_cast<size_t>(type)];
  if (!enableFlag) {
    a.remapEnabled = false;
    a.remap.clear();
    return Ok;
  }
  // A size beyond INT_MAX is a negative count that went through an unsigned parameter.
  if (!map || mapSize == 0 || mapSize > UINT(INT_MAX)) return InvalidParameter;
  try {
    a.remap = LookupTable(map, mapSize);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  a.remapEnabled = true;
  return Ok;
}

Status GdipSetImageAttributesOutputChannel(GpImageAttributes* attributes, ColorAdjustType type, BOOL enableFlag,
                                           ColorChannelFlags channelFlags) {
  if (Status s = CheckAttributes(attributes, type); s != Ok) return s;
  ColorAdjustments& a = attributes->categories[static_cast<size_t>(type)];
  if (!enableFlag) {
    a.channelEnabled = false;
    return Ok;
  }
  if (channelFlags < ColorChannelFlagsC || channelFlags >= ColorChannelFlagsLast) return InvalidParameter;
  a.channelEnabled = true;
  a.channel = channelFlags;
  return Ok;
}

Status GdipSetImageAttributesOutputChannelColorProfile(GpImageAttributes* attributes, ColorAdjustType type,
                                                       BOOL enableFlag, const char* colorProfileFilename) {
  if (Status s = CheckAttributes(attributes, type); s != Ok) return s;
  ColorAdjustments& a = attributes->categories[static_cast<size_t>(type)];
  if (!enableFlag) {
    a.profile.reset();
    return Ok;
  }
  if (!colorProfileFilename || !*colorProfileFilename) return InvalidParameter;
  std::shared_ptr<const CmykConversion> conversion;
  if (Status s = LoadCmykConversion(colorProfileFilename, conversion); s != Ok) return s;
  a.profile = std::move(conversion);
  return Ok;
}

}  // namespace vx::gdiplus
