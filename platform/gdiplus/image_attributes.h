// Image attributes of the imaging platform: the colour adjustments applied to the pixels of an
// image while it is drawn (remap table, colour key, output channel for colour separations).
//
// Settings are kept per adjustment category. A category with none of its own settings enabled
// borrows every setting of the default category; as soon as it has one of its own, the default
// category no longer applies to it at all (settings are not mixed between categories).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::gdiplus {

enum ColorAdjustType : INT {
  ColorAdjustTypeDefault = 0,
  ColorAdjustTypeBitmap = 1,
  ColorAdjustTypeBrush = 2,
  ColorAdjustTypePen = 3,
  ColorAdjustTypeText = 4,
  ColorAdjustTypeCount = 5,
  ColorAdjustTypeAny = 6,
};

enum ColorChannelFlags : INT {
  ColorChannelFlagsC = 0,
  ColorChannelFlagsM = 1,
  ColorChannelFlagsY = 2,
  ColorChannelFlagsK = 3,
  ColorChannelFlagsLast = 4,
};

struct ColorMap {
  ARGB oldColor = 0;
  ARGB newColor = 0;
};

// An sRGB to CMYK conversion through an output profile; shared by clones, never changed.
class CmykConversion;

// The settings of one adjustment category.
struct ColorAdjustments {
  bool remapEnabled = false;
  std::vector<ColorMap> remap;  // sorted by old colour; the first entry given for a colour wins
  bool keyEnabled = false;
  ARGB keyLow = 0;
  ARGB keyHigh = 0;
  bool channelEnabled = false;
  ColorChannelFlags channel = ColorChannelFlagsC;
  std::shared_ptr<const CmykConversion> profile;  // null: the plain complement rule

  bool HasAny() const { return remapEnabled || keyEnabled || channelEnabled || profile != nullptr; }
  bool ChangesPixels() const { return remapEnabled || keyEnabled || channelEnabled; }
};

class GpImageAttributes {
 public:
  std::array<ColorAdjustments, ColorAdjustTypeCount> categories;

  // The settings that apply to `type`: its own, or the default category's when it has none.
  const ColorAdjustments& Effective(ColorAdjustType type) const;
};

// Applies the adjustments to runs of straight (not premultiplied) ARGB pixels in place, in the
// order remap, colour key, output channel. One applier serves any number of rows; it keeps the
// scratch row the profile conversion needs, so rows cost no allocation once it has grown.
class ColorAdjustmentApplier {
 public:
  explicit ColorAdjustmentApplier(const ColorAdjustments& adjustments) : a_(adjustments) {}
  void Apply(uint32_t* px, size_t count);

 private:
  void Remap(uint32_t* px, size_t count) const;
  void ColorKey(uint32_t* px, size_t count) const;
  void OutputChannel(uint32_t* px, size_t count);

  const ColorAdjustments& a_;
  std::vector<uint8_t> cmyk_;
};

Status GdipCreateImageAttributes(GpImageAttributes** attributes);
Status GdipCloneImageAttributes(const GpImageAttributes* attributes, GpImageAttributes** clone);
Status GdipDisposeImageAttributes(GpImageAttributes* attributes);
// Pixels whose red, green and blue each lie within low .. high become transparent (alpha of the
// keys is not compared).
Status GdipSetImageAttributesColorKeys(GpImageAttributes* attributes, ColorAdjustType type, BOOL enableFlag,
                                       ARGB colorLow, ARGB colorHigh);
// Pixels equal to an old colour (all four channels) take its new colour. `map` holds `mapSize`
// entries; it may be null when the table is being disabled.
Status GdipSetImageAttributesRemapTable(GpImageAttributes* attributes, ColorAdjustType type, BOOL enableFlag,
                                        UINT mapSize, const ColorMap* map);
// Each pixel becomes the grey 255 - (its ink in the channel), keeping its alpha.
Status GdipSetImageAttributesOutputChannel(GpImageAttributes* attributes, ColorAdjustType type, BOOL enableFlag,
                                           ColorChannelFlags channelFlags);
// The CMYK output profile for the output channel (UTF-8 path). The profile is read when set:
// a missing file gives FileNotFound, a file that is not a CMYK output profile InvalidParameter,
// and the attributes keep what they had.
Status GdipSetImageAttributesOutputChannelColorProfile(GpImageAttributes* attributes, ColorAdjustType type,
                                                       BOOL enableFlag, const char* colorProfileFilename);

}  // namespace vx::gdiplus
