// PDFBox Preflight, the PDF/A-1b validator the tests hold our PDF/A files against.
#pragma once

#include <filesystem>
#include <string>

#include "support/required_tool.h"

namespace vxtest {

inline constexpr const char* kPreflightPackages =
    "default-jre-headless libpdfbox2-java libfontbox2-java libcommons-logging-java libactivation-java libjaxb-api-java";

inline const char* const kPreflightJars[] = {"preflight.jar",       "pdfbox2.jar",          "fontbox2.jar", "xmpbox.jar",
                                             "commons-logging.jar", "javax.activation.jar", "jaxb-api.jar"};

inline bool PreflightPresent() {
  if (!ToolOnPath("java")) return false;
  for (const char* jar : kPreflightJars)
    if (!std::filesystem::exists(std::string("/usr/share/java/") + jar)) return false;
  return true;
}

// The command that validates `quotedPath`; it exits 0 for a valid PDF/A-1b file.
inline std::string PreflightCommand(const std::string& quotedPath) {
  std::string classPath;
  for (const char* jar : kPreflightJars) classPath += (classPath.empty() ? "" : ":") + std::string("/usr/share/java/") + jar;
  return "java -cp " + classPath + " org.apache.pdfbox.preflight.Validator_A1b " + quotedPath;
}

}  // namespace vxtest

#define VX_REQUIRE_PREFLIGHT() VX_REQUIRE(::vxtest::PreflightPresent(), "PDFBox Preflight", ::vxtest::kPreflightPackages)
