// Outside tools the tests lean on, as oracles or to draw fixtures. Without one a test cannot say
// anything: on a developer's machine it is skipped with the reason, but under CI (CI=true) it
// fails, naming the Debian package that brings the tool, so that an oracle never vanishes from a
// green run unnoticed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace vxtest {

inline bool ToolOnPath(const std::string& tool) {
  return std::system(("command -v '" + tool + "' >/dev/null 2>&1").c_str()) == 0;
}

inline bool RunningUnderCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

// The Debian package (listed in debian-packages.txt) that brings a tool, named by file or path.
inline std::string PackageOfTool(const std::string& tool) {
  static const std::map<std::string, std::string> packages = {
      {"convert", "imagemagick"},   {"identify", "imagemagick"},
      {"tiffinfo", "libtiff-tools"}, {"tiffdump", "libtiff-tools"}, {"tiffcp", "libtiff-tools"}, {"tiff2rgba", "libtiff-tools"},
      {"exiftool", "libimage-exiftool-perl"}, {"giftext", "giflib-tools"},
      {"openssl", "openssl"},       {"Xvfb", "xvfb"},
      {"base64", "coreutils"},
      {"zint", "zint"},             {"zbarimg", "zbar-tools"},
      {"dmtxwrite", "dmtx-utils"},  {"dmtxread", "dmtx-utils"},
      {"scanimage", "sane-utils"},
      {"jpegtran", "libjpeg-turbo-progs"},
      {"transicc", "liblcms2-utils"}, {"tificc", "liblcms2-utils"},
      {"qpdf", "qpdf"},             {"pdfinfo", "poppler-utils"},
      {"pdftotext", "poppler-utils"}, {"pdftocairo", "poppler-utils"},
      {"compare", "imagemagick"},   {"java", "default-jre-headless"},
      {"pdfimages", "poppler-utils"}, {"pdftoppm", "poppler-utils"},
      {"ipptool", "cups-ipp-utils"}, {"lpstat", "cups-client"},      {"lpadmin", "cups-client"},
      {"cupsd", "cups-daemon"},      {"ps2pdf", "ghostscript"},
      {"tesseract", "tesseract-ocr"},
      {"clang++", "clang"},         {"python3", "python3"},
      {"c++", "build-essential"},   {"g++", "build-essential"},   {"pkg-config", "pkg-config"},
      {"cmake", "cmake"},
      {"vips", "libvips-tools"},
  };
  const auto found = packages.find(std::filesystem::path(tool).filename().string());
  return found == packages.end() ? "not listed" : found->second;
}

inline std::string MissingToolMessage(const std::string& what, const std::string& package) {
  return what + " is missing (Debian package " + package + ")";
}

// For a test that checks with a tool where it can and goes on without it: under CI the check it
// would have made is lost, which is a failure too.
inline bool OracleAvailable(const std::string& tool) {
  if (ToolOnPath(tool)) return true;
  if (RunningUnderCi()) ADD_FAILURE() << MissingToolMessage(tool, PackageOfTool(tool));
  return false;
}

}  // namespace vxtest

// Ends the test when `present` is false: skipped outside CI, failed under it. `what` names the
// missing tool or module, `package` the Debian package(s) listed in debian-packages.txt for it.
#define VX_REQUIRE(present, what, package)                                     \
  do {                                                                         \
    if (!(present)) {                                                          \
      if (::vxtest::RunningUnderCi()) {                                        \
        GTEST_FAIL() << ::vxtest::MissingToolMessage(what, package);           \
      } else {                                                                 \
        GTEST_SKIP() << ::vxtest::MissingToolMessage(what, package);           \
      }                                                                        \
    }                                                                          \
  } while (0)

#define VX_REQUIRE_TOOL(tool) VX_REQUIRE(::vxtest::ToolOnPath(tool), tool, ::vxtest::PackageOfTool(tool))
