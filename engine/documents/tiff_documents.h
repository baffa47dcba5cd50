// Multi-page TIFF files from documents and from other files: saving an editable document, the
// page queries the merge and colour management read, and merging several files into one.
// Every file is written through a fresh file beside its target, which replaces the target only
// when the whole write succeeded.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/vexiro_status.h"

namespace vx::engine {

// The fax and run-length schemes hold only bilevel pixels: asked for a file with a deeper page,
// the whole file is written with LZW instead.
int32_t MultiPageTiffCompression(int32_t compression, int32_t deepestPageBits);

// Writes the page files, in order, as one multi-page TIFF; blank names are left out. No page at
// all is GenericError.
VexiroStatus WriteTiffFromPageFiles(const std::vector<std::string>& pageFiles, const std::string& path,
                                    int32_t compression);
// Ends a multi-page TIFF begun on `firstId` and answers whether the file was written.
VexiroStatus TiffEndMultiPage(int32_t firstId);

// An editable TIFF document as one file. Unknown identifier: InvalidParameter; anything but an
// editable TIFF document: UnsupportedImageFormat.
VexiroStatus SaveMultiPageTiffFile(int32_t documentId, const std::string& path, int32_t compression);

// The page file of a 0-based page of an editable TIFF document; "" otherwise.
std::string GetTiffPageFile(int32_t id, int32_t page);
// The bit depth of a 0-based page of an editable TIFF document, or any other image's own
// strict depth; 0 for an unknown image or a negative page.
int32_t GetTiffPageBitDepth(int32_t id, int32_t page);

// The format plug-in's TIFF save flag for the compression a plug-in bitmap was read with, so
// that a file can be written back as it came.
// No tag 259 of two bytes gives LZW's flag.
int32_t TiffCompressionToPluginFlag(uint32_t bitmap);
int32_t TiffCompressionCodeToPluginFlag(int32_t code);

// The pages of every file, in order, as one multi-page TIFF. The list ends at the first blank
// entry; no file at all, or a missing one, is FileNotFound.
VexiroStatus TiffMergeFiles(const std::vector<std::string>& paths, const std::string& destination,
                            int32_t compression, bool disablePlugin);

}  // namespace vx::engine
