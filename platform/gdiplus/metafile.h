// Metafile images: the records of an enhanced (EMF) or Windows (WMF) metafile held as an image
// of type ImageTypeMetafile, sized from its header and drawn by playing its records.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/gdi_types.h"
#include "platform/gdiplus/image_object.h"

namespace vx::gdiplus {

#pragma pack(push, 2)
struct PWMFRect16 {
  int16_t Left, Top, Right, Bottom;
};
// The header an Aldus placeable metafile file starts with.
struct WmfPlaceableFileHeader {
  uint32_t Key;  // kWmfPlaceableKey
  int16_t Hmf;
  PWMFRect16 BoundingBox;
  int16_t Inch;  // logical units per inch
  uint32_t Reserved;
  int16_t Checksum;
};
#pragma pack(pop)
static_assert(sizeof(WmfPlaceableFileHeader) == 22);
constexpr uint32_t kWmfPlaceableKey = 0x9AC6CDD7;

// The rectangle of the metafile's own space that a drawing maps onto its destination.
struct MetafileFrame {
  double left = 0, top = 0, right = 0, bottom = 0;
};

class GpMetafile : public GpImage {
 public:
  GpMetafile() { type = ImageTypeMetafile; }
  ~GpMetafile() override;
  bool enhanced = false;
  std::vector<uint8_t> records;  // EMF bytes, or WMF bytes without a placeable header
  MetafileFrame frame;           // EMF: reference-device pixels; WMF: logical units
  UINT width = 0, height = 0;    // pixels at the resolution below
  REAL dpiX = 96, dpiY = 96;
  UINT objectSlots = 0;          // size of the object table the records index
  HANDLE32 ownedHandle = 0;      // metafile handle deleted with the image

  Status Describe(ImageDescription& out) const override;
  Status Duplicate(std::unique_ptr<GpImage>& out) const override;
};

Status GdipCreateMetafileFromFile(const char* path, GpMetafile** metafile);
// The metafile is built from a copy of the handle's records; with deleteWmf / deleteEmf the image
// takes the handle over and deletes it when disposed (on failure the caller keeps it).
Status GdipCreateMetafileFromWmf(HMETAFILE hmf, BOOL deleteWmf, const WmfPlaceableFileHeader* placeable,
                                 GpMetafile** metafile);
Status GdipCreateMetafileFromEmf(HENHMETAFILE hemf, BOOL deleteEmf, GpMetafile** metafile);

// EMF, placeable WMF or plain WMF bytes; the decoder registered with the codecs' loader.
Status LoadMetafileFromMemory(const uint8_t* data, size_t size, GpImage** image);

// Width and height in pixels and resolution of a metafile image; false for other images.
bool MetafileDimensions(const GpImage* image, UINT* width, UINT* height, REAL* dpiX, REAL* dpiY);

}  // namespace vx::gdiplus
