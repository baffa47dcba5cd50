// The bounds every route that reads outside data holds to: platform decoders, the format
// plug-in's decoding child, metafile playback, file reads and network transfers. They live here
// alone, free of any other header, so the plug-in (its own shared object) reads the same numbers.
#pragma once
#include <cstdint>

namespace vx::limits {

constexpr int64_t kMaxImageSide = 65535;                   // pixels per side
constexpr int64_t kMaxImagePixels = int64_t{1} << 28;      // pixels per frame
constexpr uint64_t kMaxDecodedBytes = uint64_t{1} << 30;   // decoded pixels per file, all frames together
constexpr uint64_t kMaxEncodedBytes = uint64_t{1} << 30;   // size of a file or stream read whole
constexpr uint64_t kMaxMetafileBytes = uint64_t{256} << 20; // a metafile's records
constexpr uint64_t kMaxRawCodedBytes = uint64_t{256} << 20; // raw fax and JBIG data, read whole to decode
constexpr int32_t kMaxDocumentPages = 4096;                // pages one document may hold
constexpr int32_t kMaxAnimationFrames = 10000;             // frames of one GIF the platform decoder reads
constexpr long kTransferDeadlineSeconds = 300;             // a whole network transfer, unless lengthened
constexpr uint64_t kMaxRegistryFileBytes = uint64_t{16} << 20; // the registry's text file, read whole to edit
constexpr uint64_t kMaxTemplateFileBytes = uint64_t{64} << 20; // a document-template file, read whole
constexpr int32_t kMaxTemplateImageCount = 2147483646;      // samples one template may average (2^31 - 2)
// libtiff merges the fields of a directory in time that grows with the square of its entries, so
// a directory with more entries than any real file carries is refused before libtiff reads it.
constexpr uint64_t kMaxTiffDirectoryEntries = 512;         // entries of one TIFF directory (IFD)
// Property items of one frame, headers and values together, and their number: ample for EXIF,
// XMP, ICC profiles and thumbnails, and far below the pixel budget.
constexpr uint64_t kMaxPropertyBytes = uint64_t{64} << 20;
constexpr uint64_t kMaxPropertyItems = 8192;

// Both sides 1 .. kMaxImageSide and at most kMaxImagePixels pixels.
constexpr bool ImageSizeAcceptable(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

}  // namespace vx::limits
