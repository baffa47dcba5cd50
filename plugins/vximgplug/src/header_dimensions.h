// Picture sizes read straight from the headers of formats whose FreeImage loaders cannot stop
// after the header (DDS, SGI): a damaged header claiming an absurd size is refused before the
// loader allocates for it.
#pragma once
#include <FreeImage.h>

#include <string>

namespace vximgplug {

// False only when the header is readable and claims a size the plug-in refuses.
bool ClaimedSizeAcceptable(FREE_IMAGE_FORMAT fif, const std::string& path);

}  // namespace vximgplug
