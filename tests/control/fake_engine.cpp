#include "fake_engine.h"

#include "control/binding.h"

namespace vx::control::testing {

using FE = FakeEngine;
VX_BIND(SaveAsJPEG, &FE::SaveAsJPEG);
VX_BIND(SaveAsTIFF, &FE::SaveAsTIFF);
VX_BIND(IsBlank, &FE::IsBlank);
VX_BIND(HistogramGetRed, &FE::HistogramGetRed);
VX_BIND(CropBordersEX2, &FE::CropBordersEX2);
VX_BIND(CreateImageFromByteArray, &FE::CreateImageFromByteArray);
VX_BIND(ColorPaletteSet, &FE::ColorPaletteSet);
VX_BIND(GetPixelArray2D, &FE::GetPixelArray2D);
VX_BIND(Encode64String, &FE::Encode64String);
VX_BIND(GetWidth, &FE::GetWidth);
VX_BIND(GetHeight, &FE::GetHeight);
VX_BIND(GetPixelDepth, &FE::GetPixelDepth);
VX_BIND(SetNativeImage, &FE::SetNativeImage);
VX_BIND(GetStat, &FE::GetStat);

}  // namespace vx::control::testing
