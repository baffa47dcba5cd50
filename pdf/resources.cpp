#include "pdf/resources.h"

#include "platform/kernel/embedded_file.h"

// Part of this file's text, so that a compiler cache tells versions of the embedded files apart.
[[maybe_unused]] static constexpr char kEmbeddedDigest[] = VEXIRO_RESOURCE_DIGEST;

VX_EMBED(vx_pdfa_xmp, "pdfa-xmp.xml");
VX_EMBED(vx_srgb_icc, "srgb-v2.icc");

extern "C" const char vx_pdfa_xmp_begin[], vx_pdfa_xmp_end[], vx_srgb_icc_begin[], vx_srgb_icc_end[];

namespace vx::pdf {

std::string_view PdfAXmpTemplate() {
  return {vx_pdfa_xmp_begin, static_cast<size_t>(vx_pdfa_xmp_end - vx_pdfa_xmp_begin)};
}

std::string_view SrgbIccProfile() {
  return {vx_srgb_icc_begin, static_cast<size_t>(vx_srgb_icc_end - vx_srgb_icc_begin)};
}

}  // namespace vx::pdf
