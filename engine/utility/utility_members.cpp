// Small members of the engine that belong to no one subject: the processing region, the image
// measures, versions, Base64 text, a physical distance, clearing and a few switches.
#include <cmath>

#include "engine/enumeration_values.h"
#include "engine/gdiplus_lifetime.h"
#include "engine/image_graphics.h"
#include "engine/image_store.h"
#include "engine/load/from_memory.h"
#include "engine/routines/shared_routines.h"
#include "platform/gdiplus/codecs/jpeg/lossless_transform.h"
#include "platform/gdiplus/graphics.h"
#include "platform/kernel/code_page.h"
#include "platform/user/windows.h"
#include "processing/filters/filter_engine.h"
#include "vexiro/imaging.h"

namespace vexiro {

using namespace vx::engine;
namespace filters = vx::processing;

void cImaging::SetROI(int32_t nLeft, int32_t nTop, int32_t nWidth, int32_t nHeight) {
  if (nLeft == 0 && nTop == 0 && nWidth == 0 && nHeight == 0) return;
  ROIArea = FilterArea{nLeft, nTop, nWidth, nHeight};
  nROIMode = 2;
}

void cImaging::ResetROI() {
  nROIMode = 1;
  ROIArea = FilterArea{};
}

void cImaging::FiltersToZone(int32_t nLeft, int32_t nTop, int32_t nWidth, int32_t nHeight) {
  SetROI(nLeft, nTop, nWidth, nHeight);
}

void cImaging::FiltersToImage() { ResetROI(); }

void cImaging::RemoveAllImage() { ReleaseAllImages(); }

// Runs one measure of the filter engine over `area`; false, with GenericError kept, without a
// current image.
bool cImaging::RunMeasure(int32_t filterId, double param, FilterArea area, double& result) {
  result = 0;
  if (nNativeImage == 0) {
    nStat = GenericError;
    return false;
  }
  nStat = filters::ApplyFilter(filterId, nNativeImage, 0, area, 0, 0, 0, param, 0, 0, result);
  return nStat == OK;
}

double cImaging::CountColor(int32_t nARGBColor) {
  InitROI();
  double count = 0;
  RunMeasure(filters::FilterIDCountColor, nARGBColor, ROIArea, count);
  return count;
}

int32_t cImaging::GetAverageColor() {
  InitROI();
  double colour = 0;
  RunMeasure(filters::FilterIDGetAverageColor, 0, ROIArea, colour);
  // The filter gives the colour as a Double holding an unsigned ARGB value; the member hands it
  // on as the signed 32-bit form every colour parameter takes.
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(std::nearbyint(colour))));
}

bool cImaging::IsGrayscale() {
  InitROI();
  double answer = 0;
  return RunMeasure(filters::FilterIDIsGrayscale, 0, ROIArea, answer) && answer == 1.0;
}

bool cImaging::IsBitonal() {
  InitROI();
  double answer = 0;
  return RunMeasure(filters::FilterIDIsBitonal, 0, ROIArea, answer) && answer == 1.0;
}

bool cImaging::IsBlank(float nConfidence) {
  if (nNativeImage == 0) {
    nStat = GenericError;
    return false;
  }
  InitROI();
  FilterArea area = ROIArea;
  if (nROIMode == 1) {
    // Scanners leave a dark strip at the left and bottom edges of many pages; a twentieth of the
    // size on those sides is not looked at.
    const auto a = static_cast<int32_t>(std::nearbyint(area.Width / 20.0));
    const auto b = static_cast<int32_t>(std::nearbyint(area.Height / 20.0));
    area = FilterArea{area.X + a, area.Y, area.Width - a, area.Height - b};
  }
  double answer = 0;
  return RunMeasure(filters::FilterIDIsBlank, nConfidence, area, answer) && answer == 1.0;
}

double cImaging::GetVersion() { return 5.9901307; }

std::string cImaging::GetGdiplusVersion() { return ThreadGdiplusState().GdiplusVersion; }

// Each character of the text counts as its ANSI code, so the encoded bytes are Windows-1252 ones.
std::string cImaging::Encode64String(const std::string& sStringToEncode) {
  return Base64Encode(vx::Utf8ToAnsi(sStringToEncode));
}

std::string cImaging::Decode64String(const std::string& sStringToDecode) {
  return vx::AnsiToUtf8(Base64Decode(sStringToDecode));
}

double cImaging::GetDistance(int32_t nLeft1, int32_t nTop1, int32_t nLeft2, int32_t nTop2) {
  const double horizontal = GetHorizontalResolution();
  const double vertical = GetVerticalResolution();
  // Without a resolution there is no physical size to speak of.
  if (!(horizontal > 0) || !(vertical > 0)) return 0;
  const double dx = (static_cast<double>(nLeft1) - nLeft2) / horizontal;
  const double dy = (static_cast<double>(nTop1) - nTop2) / vertical;
  return std::sqrt(dx * dx + dy * dy);
}

VexiroStatus cImaging::ClearImage(EnumArg<Colors> nColorARGB) {
  if (nNativeImage == 0) return nStat = GenericError;
  vx::gdiplus::GpGraphics* graphics = nullptr;
  VexiroStatus s = GetImageGraphics(nNativeImage, graphics);
  if (s == OK) {
    s = ToStatus(vx::gdiplus::GdipGraphicsClear(graphics, static_cast<vx::gdiplus::ARGB>(nColorARGB)));
    const VexiroStatus deleted = ToStatus(vx::gdiplus::GdipDeleteGraphics(graphics));
    if (s == OK) s = deleted;
  }
  if (s == OK) MarkImageModified(nNativeImage);
  return nStat = s;
}

void cImaging::DisableVximgplugCodecs(bool bDisable) { bDisableVximgplugCodecs = bDisable; }

VexiroStatus cImaging::ForceImageValidation(int32_t nImageID) {
  ForceValidation(nImageID);
  return OK;
}

VexiroStatus cImaging::TransformJPEG(const std::string& sInputFile, std::string& sOutputFile,
                                     EnumArg<JPEGTransformations> nTransformation) {
  if (RefusesValueOutside(nTransformation)) return InvalidParameter;
  if (RefusesCutPath(sInputFile) || RefusesCutPath(sOutputFile)) return InvalidParameter;
  return nStat = ToStatus(vx::gdiplus::codecs::TransformJpegFileLossless(NormalizePath(sInputFile),
                                                                          NormalizePath(sOutputFile), nTransformation));
}

int32_t cImaging::GetDesktopHwnd() { return static_cast<int32_t>(vx::GetDesktopWindow()); }

}  // namespace vexiro
