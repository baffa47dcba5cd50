// Picture sizes read straight from the headers of formats whose FreeImage loaders allocate
// before they check (DDS, SGI, JPEG 2000, and TIFF strips): a damaged header claiming an absurd
// size is refused before the loader allocates for it. Portable anymap headers must parse whole,
// since FreeImage's reader takes whatever digits it finds among garbage.
#pragma once
#include <FreeImage.h>

#include <string>

namespace vximgplug {

bool IsPortableAnymap(FREE_IMAGE_FORMAT fif);

// False only when the header is readable and claims a size the plug-in refuses.
bool ClaimedSizeAcceptable(FREE_IMAGE_FORMAT fif, const std::string& path);

}  // namespace vximgplug
