// The metadata members bound to their rows of the member table: EXIF property items and IPTC tags.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(TagsSetPreserve, &vexiro::cImaging::TagsSetPreserve);
VX_BIND(ExifTagCount, &vexiro::cImaging::ExifTagCount);
VX_BIND(ExifTagGetID, &vexiro::cImaging::ExifTagGetID);
VX_BIND(ExifTagGetLength, &vexiro::cImaging::ExifTagGetLength);
VX_BIND(ExifTagGetType, &vexiro::cImaging::ExifTagGetType);
VX_BIND(ExifTagGetName, &vexiro::cImaging::ExifTagGetName);
VX_BIND(ExifTagGetValueString, &vexiro::cImaging::ExifTagGetValueString);
VX_BIND(ExifTagGetValueBytes, &vexiro::cImaging::ExifTagGetValueBytes);
VX_BIND(ExifTagDelete, &vexiro::cImaging::ExifTagDelete);
VX_BIND(ExifTagDeleteAll, &vexiro::cImaging::ExifTagDeleteAll);
VX_BIND(ExifTagSetValueBytes, &vexiro::cImaging::ExifTagSetValueBytes);
VX_BIND(ExifTagSetValueString, &vexiro::cImaging::ExifTagSetValueString);

VX_BIND(IPTCTagCount, &vexiro::cImaging::IPTCTagCount);
VX_BIND(IPTCTagGetID, &vexiro::cImaging::IPTCTagGetID);
VX_BIND(IPTCTagGetType, &vexiro::cImaging::IPTCTagGetType);
VX_BIND(IPTCTagGetLength, &vexiro::cImaging::IPTCTagGetLength);
VX_BIND(IPTCTagGetValueString, &vexiro::cImaging::IPTCTagGetValueString);
VX_BIND(IPTCTagGetValueBytes, &vexiro::cImaging::IPTCTagGetValueBytes);

}  // namespace vx::control
