// Bindings of the handle export and pixel-array members.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

VX_BIND(GetNativeImage, &vexiro::cImaging::GetNativeImage);
VX_BIND(GetHBitmap, &vexiro::cImaging::GetHBitmap);
VX_BIND(DeleteHBitmap, &vexiro::cImaging::DeleteHBitmap);
VX_BIND(GetHICON, &vexiro::cImaging::GetHICON);
VX_BIND(DeleteHICON, &vexiro::cImaging::DeleteHICON);
VX_BIND(GetDib, &vexiro::cImaging::GetDib);
VX_BIND(RemoveDib, &vexiro::cImaging::RemoveDib);
VX_BIND(GetImageStride, &vexiro::cImaging::GetImageStride);
VX_BIND(GetPicture, &vexiro::cImaging::GetPicture);
VX_BIND(GetPictureFromVexiroImage, &vexiro::cImaging::GetPictureFromVexiroImage);
VX_BIND(DeletePictureObject, &vexiro::cImaging::DeletePictureObject);
VX_BIND(GetVexiroImageDC, &vexiro::cImaging::GetVexiroImageDC);
VX_BIND(ReleaseVexiroImageDC, &vexiro::cImaging::ReleaseVexiroImageDC);
VX_BIND(PixelGetColor, &vexiro::cImaging::PixelGetColor);
VX_BIND(PixelSetColor, &vexiro::cImaging::PixelSetColor);
VX_BIND(GetPixelArray1D, &vexiro::cImaging::GetPixelArray1D);
VX_BIND(GetPixelArray2D, &vexiro::cImaging::GetPixelArray2D);
VX_BIND(SetPixelArray, &vexiro::cImaging::SetPixelArray);
VX_BIND(GetPixelArrayARGB, &vexiro::cImaging::GetPixelArrayARGB);
VX_BIND(SetPixelArrayARGB, &vexiro::cImaging::SetPixelArrayARGB);
VX_BIND(GetPixelArrayBytesARGB, &vexiro::cImaging::GetPixelArrayBytesARGB);
VX_BIND(SetPixelArrayBytesARGB, &vexiro::cImaging::SetPixelArrayBytesARGB);
VX_BIND(GetPixelArrayBytesRGB, &vexiro::cImaging::GetPixelArrayBytesRGB);
VX_BIND(SetPixelArrayBytesRGB, &vexiro::cImaging::SetPixelArrayBytesRGB);
VX_BIND(GetPixelArray8bpp1D, &vexiro::cImaging::GetPixelArray8bpp1D);
VX_BIND(SetPixelArray8bpp1D, &vexiro::cImaging::SetPixelArray8bpp1D);

}  // namespace vx::control
