// The plug-in's format numbers and save flags, and how they map onto FreeImage's.
#pragma once
#include <FreeImage.h>

#include <cstdint>

namespace vximgplug {

constexpr int32_t kFormatUnknown = -1;
constexpr int32_t kFormatJpeg = 2;
constexpr int32_t kFormatPng = 13;
constexpr int32_t kFormatTiff = 18;
constexpr int32_t kFormatGif = 25;
constexpr int32_t kFormatFaxG3 = 27;
constexpr int32_t kFormatJ2k = 30;
constexpr int32_t kFormatJp2 = 31;
constexpr int32_t kFormatJbig = 35;

// FreeImage's number for a plug-in format FreeImage handles itself; FIF_UNKNOWN otherwise
// (JBIG, FAXG3 and numbers outside the table).
FREE_IMAGE_FORMAT ToFreeImageFormat(int32_t format);
// The plug-in number of a format FreeImage found; formats outside the table give -1.
int32_t FromFreeImageFormat(FREE_IMAGE_FORMAT fif);

// Formats whose bitmaps are handed over with their top row first.
bool LoadsTopRowFirst(int32_t format);

// FreeImage's save flags for the plug-in's flags of a format.
int TranslateSaveFlags(int32_t format, int32_t flags);

}  // namespace vximgplug
