// Multi-page files are read page by page through FreeImage's multi-bitmap API, in the host.
// Before such a file is opened here, the decoding helper opens it the same way and decodes every
// page once. Pages that decoded there to a size the plug-in accepts are locked here; a page
// whose metadata tags FreeImage left unreadable (its TIFF reader does so for files its own
// writer made) is decoded for the host in the helper instead, which carries back only sound tags.
// A file the helper cannot even open or count is refused. TIFF pages are first judged from their
// directories, and each is then decoded on its own from its directory's offset, so that trying
// every page costs time in proportion to the pages. The lone page of a read-only TIFF file is
// judged from its directory alone: the host loads such a file as one bitmap (decoded in the helper
// anyway), and a lock of that page decodes it in the helper too, so decoding it here would be a
// second decode of every single-page TIFF.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vximgplug {

// An untried page is decoded in the helper whenever it is locked.
enum PageTrial : uint8_t { kPageRefused = 0, kPageSafe = 1, kPageTagsUnreadable = 2, kPageUntried = 3 };

struct TriedPage {
  uint8_t trial = kPageRefused;  // a PageTrial
  uint64_t tiffDirectory = 0;    // where a TIFF page's directory starts; 0 for other formats
};

// What the file is and how it is opened again, in the helper.
struct PageSource {
  FREE_IMAGE_FORMAT fif = FIF_UNKNOWN;
  std::string path;
  int flags = 0;
  FIMULTIBITMAP* Reopen() const;
};

// One page of the source decoded on its own (a TIFF page from its directory's offset).
FIBITMAP* DecodePage(const PageSource& source, const TriedPage& tried, int32_t page);

// The same, decoded in the helper and handed over.
FIBITMAP* DecodePageInHelper(const PageSource& source, const TriedPage& tried, int32_t page);

// One TriedPage per page of the source, for at most the pages a document may hold. Pages from
// one that crashed or hung the helper onwards are refused. Nothing when the file could not be
// opened and counted. `readOnly`: the pages will only be read, so a TIFF file's lone page may
// stay untried.
std::optional<std::vector<TriedPage>> TryPagesInHelper(const PageSource& source, bool readOnly);

}  // namespace vximgplug
