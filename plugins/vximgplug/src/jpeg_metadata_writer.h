// JPEG files from bitmaps the host made, with the host's tags: FreeImage's JPEG writer takes EXIF
// only as a raw APP1 block and IPTC only from its own parsed model, and a host's bitmap carries
// neither, only the tags of its property items (the profile it writes from the bitmap's own).
#pragma once
#include <FreeImage.h>

#include <cstdio>

namespace vximgplug {

// EXIF as one APP1 segment (the largest tags left out when they do not all fit), the XMP packet of
// tag 700 as an APP1 segment of its own and the IPTC record of tag 33723 as an APP13 segment.
bool WriteJpegWithHostTags(FIBITMAP* dib, FILE* stream, int flags);

}  // namespace vximgplug
