// Process-wide settings of the libraries the decoders use, made in the decoding helper only: a
// host that uses libtiff or FreeImage itself keeps its own.
#pragma once
#include <string>

namespace vximgplug {

// libtiff's error and warning handlers and FreeImage's message callback silenced.
void SilenceLibraryMessages();

// Absent SamplesPerPixel and BitsPerSample take their TIFF 6.0 default of 1 in the directories
// read while a TiffTagDefaults lives.
void InstallTiffTagDefaults();

// For one file the helper serves: the defaults are given only when the file's directory (the
// first, or the one at `directory`) leaves a tag out that libtiff itself does not fill in (it
// repairs old-style JPEG directories its own way).
class TiffTagDefaults {
 public:
  TiffTagDefaults(const std::string& path, unsigned long long directory);
  ~TiffTagDefaults();
  TiffTagDefaults(const TiffTagDefaults&) = delete;
  TiffTagDefaults& operator=(const TiffTagDefaults&) = delete;
};

}  // namespace vximgplug
