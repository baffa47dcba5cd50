// The scripts of examples/scripts, each run by the built host (with --strict where the script says so) in a scratch folder
// whose in/ holds inputs made by outside tools, and each output judged by an outside tool.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/cups_sandbox.h"
#include "support/required_tool.h"
#include "support/test_servers.h"

namespace {

using vxtest::CommandOutput;

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// A command run in the scratch folder, and a text its output must hold.
struct Check {
  std::string command;
  std::string holds;
};

struct Example {
  const char* script;
  std::vector<const char*> tools;  // outside tools the inputs and checks need
  std::string makeInputs;          // shell commands run in the scratch folder first
  std::string environment;         // set for the host only
  bool strict;                     // run with --strict
  std::vector<std::string> printed;  // texts the script prints
  std::vector<Check> checks;
};

const std::string kResources = std::string(VEXIRO_SOURCE_DIR) + "/resources";

std::vector<Example> Examples() {
  return {
      {"folder-to-g4.vxs",
       {"convert", "tiffinfo", "pdfinfo"},
       "convert -size 120x80 gradient:red-blue in/a.png && convert rose: in/b.jpg && "
       "convert -size 90x60 xc:gray70 -fill black -draw 'rectangle 10,10 50,40' in/c.gif",
       "", true,
       {"converted a.png", "converted b.jpg", "converted c.gif", "pages 3"},
       {{"tiffinfo out/b.tif", "CCITT Group 4"},
        {"tiffinfo out/all.tif | grep -c 'TIFF Directory'", "3"},
        {"pdfinfo out/all.pdf", "Pages:           3"}}},
      {"thumbnails.vxs",
       {"convert", "identify"},
       "convert -size 640x240 gradient:white-navy in/wide.png && convert rose: in/rose.jpg",
       "", true,
       {"wide.png 160x120", "rose.jpg 160x120"},
       {{"identify -format '%m %wx%h' out/wide.png-thumb.jpg", "JPEG 160x120"}}},
      {"ocr-to-pdfa.vxs",
       {"pdftotext", "pdfinfo", "tesseract"},
       "cp " + Quoted(kResources + "/demo/page.png") + " in/page.png",
       "", true,
       {"recognised:", "2026-117"},
       {{"pdftotext out/page.pdf -", "Thank you for your order."},
        {"pdfinfo -meta out/page.pdf", "pdfaid:part"}}},
      {"scan-feeder-to-pdf.vxs",
       {"pdfinfo", "scanimage"},
       "",
       "SANE_CONFIG_DIR=" + Quoted(kResources + "/demo/sane"), false,
       {"scanned 10 sheets"},
       {{"pdfinfo out/scan.pdf", "Pages:           10"}}},
      {"exif.vxs",
       {"convert", "exiftool"},
       "convert -size 64x48 xc:steelblue in/photo.jpg && exiftool -q -overwrite_original "
       "-Make=Vexiro -ExposureTime=1/125 -FNumber=5.6 -ExposureCompensation=-1/3 in/photo.jpg",
       "", true,
       {"Make: Vexiro", "tags"},
       {{"exiftool -s3 -Artist -ImageDescription -Make -ExposureTime -ExposureCompensation out/photo.jpg",
         "A. Photographer\nHarbour at dawn\nVexiro\n1/125\n-1/3\n"}}},
      {"split-merge-tiff.vxs",
       {"convert", "tiffinfo", "identify"},
       "convert -size 100x50 xc:red -size 80x40 xc:lime -size 60x30 xc:blue in/document.tif",
       "", true,
       {"split into 3 pages and merged back reversed"},
       {{"identify -format '%wx%h ' out/reversed.tif", "60x30 80x40 100x50 "},
        {"identify -format '%wx%h' out/page-2.tif", "80x40"}}},
      {"deskew-trim.vxs",
       {"tiffinfo", "identify"},
       "cp " + Quoted(kResources + "/demo/page.png") + " in/scan.png",
       "", true,
       {"skew 2 degrees", "cleaned 558x630"},
       {{"tiffinfo out/clean.tif", "CCITT Group 4"}}},
      {"stamp-and-read.vxs",
       {"convert", "zbarimg"},
       "convert -size 400x200 xc:white -size 400x200 xc:white -monochrome in/pages.tif",
       "", true,
       {"page 1 reads DOC-1", "page 2 reads DOC-2"},
       {{"zbarimg -q out/stamped.tif", "CODE-128:DOC-1\n"}, {"zbarimg -q out/stamped.tif", "CODE-128:DOC-2\n"}}},
      {"cmyk-icc.vxs",
       {"convert", "identify", "exiftool"},
       "convert -size 80x60 gradient:cyan-yellow in/picture.png && cp " + Quoted(kResources + "/srgb-v2.icc") +
           " in/profile.icc",
       "", true,
       {"separated and converted, profile embedded: True"},
       {{"identify -format '%wx%h ' out/cyan.png out/magenta.png out/yellow.png out/black.png",
         "80x60 80x60 80x60 80x60 "},
        {"exiftool -s3 -ProfileClass out/converted.tif", "Display Device Profile"}}},
  };
}

TEST(Examples, EveryScriptRunsAndWritesWhatItSays) {
  for (const Example& e : Examples()) {
    SCOPED_TRACE(e.script);
    for (const char* tool : e.tools) VX_REQUIRE_TOOL(tool);
    vxtest::TempFolder work;
    const std::string dir = Quoted(work.path().string());
    ASSERT_EQ(std::system(("cd " + dir + " && mkdir in out").c_str()), 0);
    if (!e.makeInputs.empty()) ASSERT_EQ(std::system(("cd " + dir + " && " + e.makeInputs).c_str()), 0);
    const std::string script = std::string(VEXIRO_SOURCE_DIR) + "/examples/scripts/" + e.script;
    const std::string log = CommandOutput("cd " + dir + " && env " + e.environment + " " + VEXIRO_HOST_PATH +
                                          (e.strict ? " --strict " : " ") + Quoted(script) + " 2>&1; echo \"exit $?\"");
    ASSERT_NE(log.find("exit 0\n"), std::string::npos) << log;
    for (const std::string& text : e.printed) EXPECT_NE(log.find(text), std::string::npos) << text << "\n" << log;
    for (const Check& c : e.checks) {
      const std::string out = CommandOutput("cd " + dir + " && " + c.command + " 2>&1");
      EXPECT_NE(out.find(c.holds), std::string::npos) << c.command << "\n" << out;
    }
  }
}

}  // namespace
