// Images of the imaging platform handed to hosts that hold only 32-bit values (script hosts):
// each registered image answers to a handle of the process-wide table, so a host can pass an
// image back by number. The table does not own the images; disposing of an image revokes every
// handle naming it, so no handle outlives its image.
#pragma once
#include <cstdint>

#include "platform/gdiplus/image_object.h"
#include "platform/kernel/win_types.h"

namespace vx::gdiplus {

// Who holds the image a handle names, and what the handle stands for.
enum class ImageHandleUse : uint8_t {
  HostImage,     // the host made the image and may hand it over for adoption
  LentImage,     // an owner (the image store) keeps the image: it may be looked at, never adopted
  PixelAddress,  // the address of a lent image's first pixel row
};

struct ImageHandleEntry {
  GpImage* image = nullptr;
  ImageHandleUse use = ImageHandleUse::HostImage;
  intptr_t address = 0;  // PixelAddress only
};

// A host's image; 0 for a null image or a full table.
HANDLE32 RegisterImageHandle(GpImage* image);
// An image its owner keeps; the same image answers to the same handle while it lives.
HANDLE32 LendImageHandle(GpImage* image);
// The address of a lent image's first pixel row; 0 for a null image or address.
HANDLE32 LendPixelAddressHandle(GpImage* image, intptr_t address);
// The entry of a live handle; a null image for an unknown or revoked one.
ImageHandleEntry LookUpImageHandle(HANDLE32 handle);
// The image of a live handle that names a host's image (one that may be adopted), or null.
GpImage* FindImageHandle(HANDLE32 handle);
BOOL RevokeImageHandle(HANDLE32 handle);
// Called as the image goes away.
void RevokeHandlesOfImage(const GpImage* image);

}  // namespace vx::gdiplus
