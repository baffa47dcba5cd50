// The engine's layer over the format plug-in: format numbers and names, file-type detection,
// loading with multi-page open, saving by format number, resolution in dots per metre, palette
// and metadata transfer, and the conversions between plug-in bitmaps and registered images.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/plugin/seam.h"  // IsVximgplugAvailable, which the bridge answers
#include "engine/vexiro_status.h"
#include "platform/gdi/gdi_types.h"
#include "plugins/vximgplug/vximgplug.h"

namespace vx::engine {

// The plug-in's image and colour types that the bridge tells apart.
enum PluginImageType : int32_t {
  ImageTypePlain = 1,
  ImageTypeUint16 = 2,
  ImageTypeRGB16 = 9,
  ImageTypeRGBA16 = 10,
  ImageTypeRGBF = 11,
  ImageTypeRGBAF = 12,
};
constexpr int32_t kColorTypeMinIsWhite = 0;
constexpr int32_t kColorTypeMinIsBlack = 1;
constexpr int32_t kColorTypeRGBAlpha = 4;
constexpr int32_t kColorTypeCMYK = 5;

// Format numbers the engine tests by name.
enum PluginFormat : int32_t {
  PluginFormatUnknown = -1,
  PluginFormatBMP = 0,
  PluginFormatICO = 1,
  PluginFormatJPEG = 2,
  PluginFormatPBM = 7,
  PluginFormatPNG = 13,
  PluginFormatTARGA = 17,
  PluginFormatTIFF = 18,
  PluginFormatWBMP = 19,
  PluginFormatXPM = 23,
  PluginFormatGIF = 25,
  PluginFormatEXR = 29,
  PluginFormatJ2K = 30,
  PluginFormatJP2 = 31,
  PluginFormatJBIG = 35,
};

// Metadata models the engine reads and writes.
enum PluginMetadataModel : int32_t {
  PluginModelMain = 1,
  PluginModelExif = 2,
  PluginModelGps = 3,
  PluginModelIptc = 6,
  PluginModelXmp = 7,
  PluginModelCustom = 10,  // the plug-in's own tags, such as the colour space a file stores
  PluginModelExifRaw = 11,  // a JPEG's EXIF segment as it stands
};

// "UNKNOWN" for -1, "BMP" .. "JBIG" for 0 .. 35, "" for any other number.
std::string PluginFormatName(int32_t format);

// The format by content; where the name says TIFF and the content says otherwise, TIFF.
// -1 when the content is not recognised, whatever the name says.
int32_t VximgplugGetFileFormat(const std::string& path);

// A TIFF or GIF of several pages comes back as an open multi-page handle (multiPage set, the
// open file in fileHandle, both the caller's to close); anything else as a single bitmap, 0 on
// failure. JPEG and TIFF files keep their CMYK samples, which PluginBitmapToImage turns into RGB
// through the file's own profile.
uint32_t VximgplugLoad(int32_t& format, const std::string& path, bool& multiPage, uint32_t& fileHandle);

// The status of a load through VximgplugLoad that gave nothing: OutOfMemory, unless the plug-in's
// decoding helper could not be started (its program missing: VximgplugDllRequired; the system
// refusing it a process or descriptors: Win32Error).
VexiroStatus VximgplugLoadFailure();
bool VximgplugSave(int32_t format, uint32_t bitmap, const std::string& path, int32_t flags);

// Whole dots per inch from dots per metre and back, each rounded by adding one half and
// truncating.
int32_t PluginGetDpiX(uint32_t bitmap);
int32_t PluginGetDpiY(uint32_t bitmap);
void PluginSetDpiX(uint32_t bitmap, int32_t dpi);
void PluginSetDpiY(uint32_t bitmap, int32_t dpi);
int32_t DotsPerMeterToDpi(uint32_t dotsPerMeter);
uint32_t DpiToDotsPerMeter(int32_t dpi);

// Copies as many ARGB entries as the bitmap's palette holds (and the list offers) into it;
// returns the bitmap's palette size.
int32_t PluginSetPalette(uint32_t bitmap, const std::vector<uint32_t>& colors);
// The tags of one model; `tags` is left untouched when there are none. The records point into
// the bitmap's metadata and stay valid while it lives unchanged.
int32_t PluginEnumerateMetadata(int32_t model, uint32_t bitmap, std::vector<VximgplugTagRecord>& tags);

// A DIB section holding a copy of the bitmap's pixels, 0 on failure. Without a device context
// the screen's is borrowed. With `unload` the plug-in bitmap is unloaded afterwards.
HBITMAP PluginBitmapToHBitmap(uint32_t bitmap, HDC dc, bool unload);

// Registers a GDI+ image made from a plug-in bitmap (converted first where the engine cannot
// show it as it is). `bitmap` may be replaced by a converted one. `released` tells the caller
// whether it must unload `bitmap` (set) or hand it to the new image's record, whose pixels are
// the bitmap's (cleared). A locked page (lockedPage set) replaced by a conversion is unlocked
// in `multiBitmap` and the flag cleared.
VexiroStatus PluginBitmapToImage(uint32_t& bitmap, int32_t& id, bool& released, bool& lockedPage,
                                 uint32_t multiBitmap, int32_t format);
// IPTC tags into the record's list, EXIF, GPS, main and XMP tags into property items; reports
// the resolution the tags give (0 where they give none).
void PluginMetadataToImage(int32_t id, uint32_t bitmap, float& verticalDpi, float& horizontalDpi);

// A plug-in bitmap copied from an image of up to 32 bits per pixel, with its palette,
// transparent index, property items and resolution. The caller unloads it.
VexiroStatus ImageToPluginBitmap(int32_t id, uint32_t& bitmap);
void ImageMetadataToPlugin(int32_t id, uint32_t& bitmap);

}  // namespace vx::engine
