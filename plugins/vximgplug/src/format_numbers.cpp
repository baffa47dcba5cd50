#include "format_numbers.h"

namespace vximgplug {
namespace {

constexpr int32_t kLastFreeImageShared = 34;  // 0..34 mean the same formats on both sides

// TIFF compression flags: the plug-in's 0x0200 is Adobe Deflate (code 8) and 0x0400 the old
// Deflate (code 32946); FreeImage has them the other way round.
constexpr int kPluginTiffDeflate = 0x0200;
constexpr int kPluginTiffAdobeDeflate = 0x0400;
constexpr int kTiffCompressionMask = 0xFF00;

int TranslateTiffFlags(int32_t flags) {
  // Callers pass 16-bit values; 0x8000 (JPEG) often arrives sign-extended as -32768.
  const int bits = flags & 0xFFFF;
  const int compression = bits & kTiffCompressionMask;
  int result = bits & ~kTiffCompressionMask;
  switch (compression) {
    case 0: break;
    case kPluginTiffDeflate: result |= TIFF_ADOBE_DEFLATE; break;
    case kPluginTiffAdobeDeflate: result |= TIFF_DEFLATE; break;
    case TIFF_PACKBITS:
    case TIFF_NONE:
    case TIFF_CCITTFAX3:
    case TIFF_CCITTFAX4:
    case TIFF_LZW:
    case TIFF_JPEG: result |= compression; break;
    default: result |= TIFF_LZW; break;  // a mixture names no one compression
  }
  return result;
}

}  // namespace

FREE_IMAGE_FORMAT ToFreeImageFormat(int32_t format) {
  if (format < 0 || format > kLastFreeImageShared || format == kFormatFaxG3) return FIF_UNKNOWN;
  return static_cast<FREE_IMAGE_FORMAT>(format);
}

int32_t FromFreeImageFormat(FREE_IMAGE_FORMAT fif) {
  const int n = static_cast<int>(fif);
  return (n >= 0 && n <= kLastFreeImageShared) ? n : kFormatUnknown;
}

bool LoadsTopRowFirst(int32_t format) {
  return format == kFormatJpeg || format == kFormatPng || format == kFormatJ2k || format == kFormatJp2;
}

int TranslateSaveFlags(int32_t format, int32_t flags) {
  if (format == kFormatTiff) return TranslateTiffFlags(flags);
  return flags;
}

}  // namespace vximgplug
