// `make demo`'s road from scanner to uploaded searchable PDF, run by scripts/run-demo.sh with its
// peers (SANE's test scanner, an FTP server on loopback and, as root, a private print queue) in a
// scratch working folder, and its files judged by outside tools.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/cups_sandbox.h"
#include "support/preflight.h"
#include "support/required_tool.h"
#include "support/test_servers.h"

namespace {

using vxtest::CommandOutput;

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

TEST(DemoRoad, ScansCleansRecognisesPrintsAndUploads) {
  for (const char* tool : {"qpdf", "pdftotext", "pdfinfo", "identify"}) VX_REQUIRE_TOOL(tool);
  VX_REQUIRE_PREFLIGHT();
  VX_REQUIRE(vxtest::fs::exists("/usr/lib/python3/dist-packages/pyftpdlib"), "pyftpdlib", "python3-pyftpdlib");
  const bool root = getuid() == 0;
  if (root) VX_REQUIRE_TOOL("/usr/sbin/cupsd");

  vxtest::TempFolder work;
  const std::string dir = work.path().string();
  ASSERT_EQ(std::system(("ln -s " + Quoted(std::string(VEXIRO_SOURCE_DIR) + "/resources") + " " + Quoted(dir + "/resources"))
                            .c_str()),
            0);
  const std::string run = "cd " + Quoted(dir) + " && env -u CUPS_SERVER -u SANE_CONFIG_DIR bash " +
                          Quoted(std::string(VEXIRO_SOURCE_DIR) + "/scripts/run-demo.sh") + " " +
                          Quoted(VEXIRO_BINARY_DIR) + " 2>&1; echo \"exit $?\"";
  const std::string log = CommandOutput(run);
  ASSERT_NE(log.find("\nexit 0\n"), std::string::npos) << log;
  for (const char* step : {"scanned 582 826", "page skew", "barcode DN-2026-117", "uploaded demo-searchable.pdf",
                           "upload identical", "done 0"})
    EXPECT_NE(log.find(step), std::string::npos) << step << "\n" << log;
  // The recognised text itself is printed, between its heading and the next step.
  const size_t recognised = log.find("recognised:\n");
  ASSERT_NE(recognised, std::string::npos) << log;
  EXPECT_NE(log.substr(recognised, log.find("uploaded", recognised) - recognised).find("2026-117"), std::string::npos)
      << log;

  const std::string out = dir + "/out/";
  EXPECT_EQ(CommandOutput("identify -format '%wx%h' " + Quoted(out + "demo-scan.png")), "582x826");
  const std::string pdf = Quoted(out + "demo-searchable.pdf");
  EXPECT_NE(CommandOutput("qpdf --check " + pdf + " 2>&1; echo \"exit $?\"").find("exit 0"), std::string::npos);
  EXPECT_NE(CommandOutput(vxtest::PreflightCommand(pdf) + " 2>&1; echo \"exit $?\"").find("exit 0"), std::string::npos);
  const std::string text = CommandOutput("pdftotext " + pdf + " -");
  for (const char* words : {"Delivery note 2026-117", "Thank you for your order."})
    EXPECT_NE(text.find(words), std::string::npos) << words << "\n" << text;
  EXPECT_EQ(vxtest::ReadFile(out + "ftp/demo-searchable.pdf"), vxtest::ReadFile(out + "demo-searchable.pdf"));
  if (root) {
    EXPECT_NE(CommandOutput("pdfinfo " + Quoted(out + "demo-printed.pdf")).find("Pages:           1"), std::string::npos);
  } else {
    EXPECT_NE(log.find("printing is left out"), std::string::npos);
  }
}

}  // namespace
