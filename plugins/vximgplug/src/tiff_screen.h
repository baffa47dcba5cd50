// A TIFF file's pages judged from their directories alone, before FreeImage decodes them: its
// TIFF reader takes memory for the picture and for each strip as the tags claim, so a page whose
// size passes the plug-in's limits but whose strips claim more bytes than the file holds (or lie
// wholly beyond its end, leaving nothing to decode) is refused here. The directories are walked
// once, in order, so judging every page costs time in proportion to their number; libtiff meets
// none of them before the walk of the directory chain has found every one within the entry cap,
// and the pages from the first directory over it on are refused.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vximgplug {

struct ScreenedPage {
  bool acceptable = false;
  uint64_t directoryOffset = 0;
};

// One verdict per page, for at most `maxPages` pages; empty when the file is no readable TIFF.
std::vector<ScreenedPage> ScreenTiffPages(const std::string& path, int32_t maxPages);

}  // namespace vximgplug
