// The colour space a JPEG or TIFF file stores its samples in, whatever the decoder turns them
// into: both the platform decoders and the format plug-in's helper classify a file by these
// rules, so that an image answers the same question the same way on either route. The plug-in
// hands the answer over by name; the platform keeps it as the image's colour-space flags.
#pragma once
#include <cstdint>
#include <iterator>
#include <string_view>

#include "platform/gdiplus/gdiplus_types.h"

namespace vx::gdiplus::codecs {

enum class StoredColourSpace { Unknown, Rgb, Cmyk, Grey, YCbCr, Ycck };

inline constexpr std::string_view kStoredColourSpaceNames[] = {"", "RGB", "CMYK", "Gray", "YCbCr", "YCCK"};

constexpr std::string_view StoredColourSpaceName(StoredColourSpace space) {
  return kStoredColourSpaceNames[static_cast<int>(space)];
}

constexpr StoredColourSpace StoredColourSpaceNamed(std::string_view name) {
  for (int i = 1; i < static_cast<int>(std::size(kStoredColourSpaceNames)); ++i)
    if (kStoredColourSpaceNames[i] == name) return static_cast<StoredColourSpace>(i);
  return StoredColourSpace::Unknown;
}

// YCCK samples are CMYK ones in another coding: such an image is flagged as both.
constexpr UINT ImageFlagsOf(StoredColourSpace space) {
  switch (space) {
    case StoredColourSpace::Rgb: return ImageFlagsColorSpaceRGB;
    case StoredColourSpace::Cmyk: return ImageFlagsColorSpaceCMYK;
    case StoredColourSpace::Grey: return ImageFlagsColorSpaceGRAY;
    case StoredColourSpace::YCbCr: return ImageFlagsColorSpaceYCBCR;
    case StoredColourSpace::Ycck: return ImageFlagsColorSpaceCMYK | ImageFlagsColorSpaceYCCK;
    default: return 0;
  }
}

constexpr UINT kColourSpaceFlags = ImageFlagsColorSpaceRGB | ImageFlagsColorSpaceCMYK | ImageFlagsColorSpaceGRAY |
                                   ImageFlagsColorSpaceYCBCR | ImageFlagsColorSpaceYCCK;

// By the JPEG colour space libjpeg reads from the frame header and its markers (its J_COLOR_SPACE
// numbers: 1 grey, 2 RGB, 3 YCbCr, 4 CMYK, 5 YCCK).
constexpr StoredColourSpace JpegStoredColourSpace(int jpegColourSpace) {
  switch (jpegColourSpace) {
    case 1: return StoredColourSpace::Grey;
    case 2: return StoredColourSpace::Rgb;
    case 3: return StoredColourSpace::YCbCr;
    case 4: return StoredColourSpace::Cmyk;
    case 5: return StoredColourSpace::Ycck;
    default: return StoredColourSpace::Unknown;
  }
}

// By a TIFF page's PhotometricInterpretation (0 and 1 grey, 2 RGB, 3 palette, 5 separated, 6
// YCbCr) and InkSet (1 CMYK). Other interpretations (CIE L*a*b*, LogLuv ...) are read as RGB.
constexpr StoredColourSpace TiffStoredColourSpace(uint16_t photometric, uint16_t inkSet) {
  switch (photometric) {
    case 0: case 1: return StoredColourSpace::Grey;
    case 5: return inkSet == 1 ? StoredColourSpace::Cmyk : StoredColourSpace::Unknown;
    case 6: return StoredColourSpace::YCbCr;
    default: return StoredColourSpace::Rgb;
  }
}

}  // namespace vx::gdiplus::codecs
