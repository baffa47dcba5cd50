#include "pdf/resources.h"

// The files are assembled into read-only data so that an installed library carries them.
#define VX_EMBED(name, file)                                             \
  asm(".section .rodata\n"                                               \
      ".balign 16\n"                                                     \
      ".hidden " #name "_begin\n.hidden " #name "_end\n"                 \
      #name "_begin:\n"                                                  \
      ".incbin \"" VEXIRO_RESOURCE_DIR "/" file "\"\n" #name "_end:\n"   \
      ".previous\n")

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
