// Colour management of decoded frames: pixels described by a profile embedded in the file
// become sRGB through lcms2 (perceptual intent, alpha kept). An unusable profile (too large,
// malformed, of another colour space than the pixels) changes nothing: the caller keeps the
// plain decode.
#pragma once
#include <cstddef>
#include <memory>

#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/decode_limits.h"

namespace vx::gdiplus::codecs {

// Profiles larger than this are ignored; real ones are kilobytes, a few megabytes at most.
constexpr size_t kMaxProfileBytes = size_t{16} << 20;

// Converts the frame to sRGB in place through `profile`: RGB frames (24, 32 ARGB, 48, 64 ARGB
// bits, or indexed through their palette) with an RGB profile, grey frames with a grey profile.
// False, with the frame untouched, when the profile or the frame does not qualify.
bool ConvertFrameToSrgb(Frame& frame, Bytes profile);

// Turns CMYK rows into 24bppRGB (B, G, R) rows through a CMYK profile, for the readers that
// would otherwise use the complement rule. One transform serves every row of a frame.
struct TransformDeleter {
  void operator()(void* transform) const;
};

class CmykToSrgb {
 public:
  // `inverted`: the samples are stored complemented (0 is full ink), as Adobe's JPEG files do.
  // The converter is empty when the profile is unusable or not a CMYK profile.
  CmykToSrgb(Bytes profile, bool inverted);

  explicit operator bool() const { return transform_ != nullptr; }
  void ConvertRow(const uint8_t* cmyk, uint8_t* bgr, INT width) const;

 private:
  std::unique_ptr<void, TransformDeleter> transform_;
};

// True when the bytes are a profile lcms2 can open that describes a device's pixels, within
// the size bound.
bool IsUsableProfile(Bytes profile);

// Turns sRGB pixels into the colour space of an RGB profile (perceptual intent), as a display
// or printer with that profile would take them. Straight 32bppARGB pixels, alpha kept. Empty
// when the profile is unusable (too large, malformed, a link profile) or not an RGB profile.
class SrgbToRgbProfile {
 public:
  explicit SrgbToRgbProfile(Bytes profile);

  explicit operator bool() const { return transform_ != nullptr; }
  void ConvertRow(uint32_t* argb, size_t count) const;

 private:
  std::unique_ptr<void, TransformDeleter> transform_;
};

// True when the bytes are a profile of CMYK data (by its header, usable or not).
bool IsCmykProfile(Bytes profile);

// No decoder hands out CMYK pixels: a CMYK profile among a frame's items would describe pixels
// the frame does not hold (savers would write it beside RGB samples), so it goes.
void ForgetCmykProfileItem(Frame& frame);

// Adds the embedded profile to the frame's items as the ICC profile item (undefined bytes, kept
// exactly), unless the frame already has one or the budget is spent.
void AddProfileItem(Frame& frame, Bytes profile, DecodeBudget& budget);

}  // namespace vx::gdiplus::codecs
