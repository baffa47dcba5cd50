// Colour and depth as the file holds them, the same through the format plug-in and the platform:
// CMYK JPEGs and TIFFs from ImageMagick and Pillow (with and without their CMYK profile), 16-bit
// RGB and grey TIFFs. lcms2 (through Pillow's ImageCms) judges the RGB pixels of CMYK files,
// exiftool what the saved files declare, libtiff and ImageMagick the 16-bit samples.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "engine/loading_test_support.h"
#include "engine/saving_test_support.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace test_support;
using saving_test::Shell;

constexpr const char* kCmykProfile = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
constexpr const char* kSrgbProfile = "/usr/share/color/icc/ghostscript/srgb.icc";
constexpr int32_t k24bppRGB = 0x21808, k48bppRGB = 0x10300C, k8bppIndexed = 0x30803;

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// PSNR in dB of `ours` against what Pillow makes of `source`: through the file's own profile to
// sRGB with lcms2 where it embeds one, by Pillow's own conversion where it does not.
constexpr const char* kPsnrScript = R"(
import io, math, sys
from PIL import Image, ImageChops, ImageCms
source, ours = Image.open(sys.argv[1]), Image.open(sys.argv[2]).convert('RGB')
icc = source.info.get('icc_profile')
if icc:
    reference = ImageCms.profileToProfile(source, ImageCms.ImageCmsProfile(io.BytesIO(icc)),
                                          ImageCms.createProfile('sRGB'), outputMode='RGB')
else:
    reference = source.convert('RGB')
histogram = ImageChops.difference(reference, ours).histogram()
mse = sum((i % 256) ** 2 * n for i, n in enumerate(histogram)) / (3 * ours.size[0] * ours.size[1])
print(99 if mse == 0 else round(10 * math.log10(255 * 255 / mse), 1))
)";

struct FileCase {
  const char* name;
  const char* make;  // shell command writing the file to {} from photo.png in the folder
  int32_t pixelFormat;
  int32_t colourSpace;
  bool cmyk;
  bool wide;  // 16-bit samples, saved back exactly
};

const FileCase kFiles[] = {
    {"im-ycck.jpg", "convert photo.png -colorspace CMYK {}", k24bppRGB, 5, true, false},
    {"pillow-cmyk.jpg", "/usr/bin/python3 -c \"from PIL import Image; Image.open('photo.png').convert('CMYK').save('{}')\"",
     k24bppRGB, 2, true, false},
    {"profiled-ycck.jpg", "convert photo.png -profile {srgb} -profile {cmyk} {}", k24bppRGB, 5, true, false},
    {"profiled-cmyk.tif", "convert photo.png -profile {srgb} -profile {cmyk} -depth 8 {}", k24bppRGB, 2, true, false},
    {"plain-cmyk.tif", "convert photo.png -colorspace CMYK -depth 8 {}", k24bppRGB, 2, true, false},
    {"ycbcr.jpg", "convert photo.png {}", k24bppRGB, 4, false, false},
    {"rgb.jpg", "convert photo.png ppm:- | cjpeg -rgb > {}", k24bppRGB, 1, false, false},
    {"grey.jpg", "convert photo.png -colorspace Gray {}", k8bppIndexed, 3, false, false},
    {"ycbcr.tif", "convert photo.png -type TrueColor photo.tif && tiffcp -c jpeg photo.tif {}", k24bppRGB, 4, false, false},
    {"rgb16.tif", "convert photo.png -type TrueColor -depth 16 {}", k48bppRGB, 1, false, true},
    {"grey16.tif", "convert photo.png -colorspace Gray -depth 16 {}", k48bppRGB, 3, false, true},
};

class ColourDepthRoutes : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    VX_REQUIRE(std::system("/usr/bin/python3 -c 'import PIL.ImageCms' 2>/dev/null") == 0, "Pillow", "python3-pil");
    VX_REQUIRE(std::filesystem::exists(kCmykProfile), "ghostscript's CMYK profile", "ghostscript");
    for (const char* tool : {"exiftool", "tiffinfo", "tiffcp", "cjpeg", "compare"}) VX_REQUIRE_TOOL(tool);
    // A picture with every mix of hues and shades, so that a wrong conversion shows.
    ASSERT_FALSE(fixtures_.Draw("-size 64x48 gradient:red-blue \\( -size 48x64 gradient:yellow-black -rotate 90 \\) "
                                "-compose multiply -composite -type TrueColor -depth 8",
                                "photo.png")
                     .empty());
  }

  std::string Make(const FileCase& c) {
    std::string command = c.make;
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"{}", fixtures_.File(c.name)},
                                   {"{srgb}", kSrgbProfile}, {"{cmyk}", kCmykProfile}})
      for (size_t at = command.find(from); at != std::string::npos; at = command.find(from, at + to.size()))
        command.replace(at, from.size(), to);
    Shell("cd " + Quoted(fixtures_.File("")) + " && " + command);
    return fixtures_.File(c.name);
  }

  double Psnr(const std::string& source, const std::string& ours) {
    const std::string script = fixtures_.File("psnr.py");
    std::ofstream(script) << kPsnrScript;
    return std::atof(Shell("/usr/bin/python3 " + Quoted(script) + " " + Quoted(source) + " " + Quoted(ours)).c_str());
  }
};

TEST_F(ColourDepthRoutes, EveryFileLoadsAsItIsStoredOnBothRoutes) {
  for (const FileCase& c : kFiles) {
    const std::string path = Make(c);
    ASSERT_TRUE(std::filesystem::exists(path)) << c.name;
    for (const bool throughPlugin : {true, false}) {
      const std::string route = std::string(c.name) + (throughPlugin ? " through the plug-in" : " through the platform");
      engine_->DisableVximgplugCodecs(!throughPlugin);
      const int32_t id = engine_->CreateImageFromFile(path);
      ASSERT_NE(id, 0) << route;
      EXPECT_EQ(engine_->GetPixelFormat(), c.pixelFormat) << route;
      EXPECT_EQ(engine_->GetImageColorSpace(), c.colourSpace) << route;
      EXPECT_EQ(engine_->IsCMYKFile(path), c.cmyk) << route;
      if (c.cmyk) {
        EXPECT_FALSE(engine_->ICCImageHasProfile()) << route << ": a CMYK profile stayed with RGB pixels";
        const std::string png = fixtures_.File("out.png");
        ASSERT_EQ(engine_->SaveAsPNG(png), vexiro::OK) << route;
        EXPECT_GE(Psnr(path, png), 35.0) << route;
        // A JPEG of RGB pixels declares three components and no CMYK profile.
        const std::string jpeg = fixtures_.File("out.jpg");
        ASSERT_EQ(engine_->SaveAsJPEG(jpeg, 90), vexiro::OK) << route;
        EXPECT_EQ(Shell("exiftool -T -f -ColorSpaceData -ColorComponents " + Quoted(jpeg)), "-\t3\n") << route;
      }
      if (c.wide) {
        const std::string tiff = fixtures_.File("out.tif");
        ASSERT_EQ(engine_->SaveAsTIFF(tiff, vexiro::CompressionNone), vexiro::OK) << route;
        EXPECT_NE(Shell("tiffinfo " + Quoted(tiff) + " | grep 'Bits/Sample'").find("16"), std::string::npos) << route;
        EXPECT_EQ(Shell("compare -metric AE " + Quoted(path) + " " + Quoted(tiff) + " null: 2>&1"), "0") << route;
      }
      engine_->CloseImage(id);
    }
  }
}

}  // namespace
}  // namespace vx::engine
