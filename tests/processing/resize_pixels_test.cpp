// Resized pixels, byte for byte, against fingerprints taken from the resampling route as it stood
// when the route was first made faster: any later change to how rows reach the resampler must
// leave every interpolation mode's bytes as they were.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "engine/gdiplus_lifetime.h"
#include "processing/filter_test_support.h"

namespace vexiro {
namespace {

using namespace vx::engine;
using namespace vx::engine::saving_test;
namespace gp = vx::gdiplus;

// FNV-1a over the picture's rows in its own format.
uint32_t Fingerprint(const std::vector<uint8_t>& bytes) {
  uint32_t h = 2166136261u;
  for (uint8_t b : bytes) h = (h ^ b) * 16777619u;
  return h;
}

// Texture in every channel and, for the translucent case, alpha that varies across the picture.
ARGB Textured(int32_t x, int32_t y, bool translucent) {
  const uint32_t r = (x * 29 + y * 7 + (x * y) % 11) & 0xFF, g = (x * 5 + y * 31 + (x ^ y) % 13) & 0xFF;
  const uint32_t b = (250 - x * 11 - y * 3) & 0xFF, a = translucent ? (40 + x * 13 + y * 5) & 0xFF : 0xFF;
  return a << 24 | r << 16 | g << 8 | b;
}

// The picture resized from: textured colours, or for an indexed format with `translucent` a
// palette with clear and half-clear entries, through which the canvas's white shows.
int32_t Source(gp::PixelFormat format, bool translucent) {
  if (!IsIndexedPixelFormat(format) || !translucent)
    return MakeFilled(16, 12, format, [&](int32_t x, int32_t y) { return Textured(x, y, translucent); });
  std::vector<uint8_t> indices;
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 16; ++x) indices.push_back(static_cast<uint8_t>((x * 5 + y * 3 + x * y) % 6));
  return MakeIndexed(16, 12, format,
                     test_support::PaletteOf({0x00FF0000, 0x80203040, 0xFF00FF00, 0xFF123456, 0x40FFFFFF, 0xFF000000}),
                     indices);
}

class ResizePixels : public test_support::EngineTest {};

TEST_F(ResizePixels, EveryInterpolationModeKeepsItsBytes) {
  struct Case {
    const char* name;
    gp::PixelFormat format;
    bool translucent;
    int32_t width, height;  // from 16 x 12
    std::array<uint32_t, 8> expected;  // interpolation modes 0 to 7
  };
  const Case cases[] = {
      {"24 bits, half", gp::PixelFormat24bppRGB, false, 8, 6,
       {0xA8A403CCu, 0xA8A403CCu, 0xA99F4374u, 0xA8A403CCu, 0xA99F4374u, 0xF266B77Fu, 0xA8A403CCu, 0xA99F4374u}},
      {"24 bits, odd shrink", gp::PixelFormat24bppRGB, false, 7, 5,
       {0x3693DE2Bu, 0x3693DE2Bu, 0xECF9665Du, 0x3693DE2Bu, 0xECF9665Du, 0x802B4ABBu, 0xA158E4B6u, 0xECF9665Du}},
      {"24 bits, enlarged", gp::PixelFormat24bppRGB, false, 37, 29,
       {0x4BE84818u, 0x4BE84818u, 0x779ED5F7u, 0x4BE84818u, 0x779ED5F7u, 0xF177C239u, 0x4BE84818u, 0x779ED5F7u}},
      {"24 bits, one axis", gp::PixelFormat24bppRGB, false, 16, 5,
       {0x2CEEA6FDu, 0x2CEEA6FDu, 0x11EC499Bu, 0x2CEEA6FDu, 0x11EC499Bu, 0x8F523A17u, 0xE4D183ABu, 0x11EC499Bu}},
      {"32 bits RGB, odd shrink", gp::PixelFormat32bppRGB, false, 7, 5,
       {0x6D30FAF4u, 0x6D30FAF4u, 0x37EF3AD8u, 0x6D30FAF4u, 0x37EF3AD8u, 0x2088C130u, 0xD5D97397u, 0x37EF3AD8u}},
      {"32 bits RGB, enlarged", gp::PixelFormat32bppRGB, false, 37, 29,
       {0xCBEF6F53u, 0xCBEF6F53u, 0xE7F36598u, 0xCBEF6F53u, 0xE7F36598u, 0x9234D044u, 0xCBEF6F53u, 0xE7F36598u}},
      {"32 bits ARGB, translucent, odd shrink", gp::PixelFormat32bppARGB, true, 7, 5,
       {0xD3FA8015u, 0xD3FA8015u, 0x8723063Fu, 0xD3FA8015u, 0x8723063Fu, 0xAAD0F3C1u, 0x33263053u, 0x8723063Fu}},
      {"32 bits ARGB, translucent, enlarged", gp::PixelFormat32bppARGB, true, 37, 29,
       {0x2BC0BEF2u, 0x2BC0BEF2u, 0xDA52A4A1u, 0x2BC0BEF2u, 0xDA52A4A1u, 0x48166F55u, 0x2BC0BEF2u, 0xDA52A4A1u}},
      {"32 bits PARGB, translucent, odd shrink", gp::PixelFormat32bppPARGB, true, 7, 5,
       {0x1F40C534u, 0x1F40C534u, 0x186888D1u, 0x1F40C534u, 0x186888D1u, 0x9296CFFBu, 0xF64404B8u, 0x186888D1u}},
      {"8 bits indexed, odd shrink", gp::PixelFormat8bppIndexed, false, 7, 5,
       {0xA087662Au, 0xA087662Au, 0xB8B93198u, 0xA087662Au, 0xB8B93198u, 0x7EB3E0F0u, 0xC54E4B52u, 0xB8B93198u}},
      {"8 bits indexed, enlarged", gp::PixelFormat8bppIndexed, false, 37, 29,
       {0xB9E9639Au, 0xB9E9639Au, 0x22B2DAFAu, 0xB9E9639Au, 0x22B2DAFAu, 0x91AF6853u, 0xB9E9639Au, 0x22B2DAFAu}},
      {"8 bits indexed, clear entries, odd shrink", gp::PixelFormat8bppIndexed, true, 7, 5,
       {0x82D4CDC5u, 0x82D4CDC5u, 0x956717C0u, 0x82D4CDC5u, 0x956717C0u, 0x72C2F724u, 0x956717C0u, 0x956717C0u}},
      {"8 bits indexed, clear entries, enlarged", gp::PixelFormat8bppIndexed, true, 37, 29,
       {0x9929D191u, 0x9929D191u, 0x12FD57A2u, 0x9929D191u, 0x12FD57A2u, 0x42E1A8A8u, 0x9929D191u, 0x12FD57A2u}},
  };
  for (const Case& c : cases) {
    const int32_t source = Source(c.format, c.translucent);
    std::array<uint32_t, 8> got{};
    std::string listed;
    for (int32_t mode = 0; mode < 8; ++mode) {
      const int32_t resized = engine_->GetResizedImage(source, c.width, c.height, mode);
      ASSERT_NE(resized, 0) << c.name << ", mode " << mode;
      EXPECT_EQ(GetImagePixelFormatValue(resized), c.format) << c.name;
      got[mode] = Fingerprint(vx::processing::filter_test::OwnBytes(resized));
      char text[16];
      std::snprintf(text, sizeof text, "0x%08Xu, ", got[mode]);
      listed += text;
      ReleaseImage(resized);
    }
    EXPECT_EQ(got, c.expected) << c.name << " now gives {" << listed << "} for modes 0 to 7";
  }
}

}  // namespace
}  // namespace vexiro
