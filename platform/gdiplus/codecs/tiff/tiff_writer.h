// TIFF files of one or more pages. A page is prepared when it is added (its pixels converted to
// the written layout and its compression checked), so a wrong parameter is reported by the call
// that brings the page, and it is encoded into the file as it comes: a file of a thousand pages
// needs the memory of one.
#pragma once
#include <optional>
#include <vector>

#include "platform/gdiplus/byte_sink.h"
#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/tiff/tiff_memory_io.h"

namespace vx::gdiplus::codecs {

struct TiffPage {
  Frame frame;                    // a copy in the layout that is written, or
  const Frame* source = nullptr;  // the frame itself, converted a band of rows at a time
  PixelFormat format = PixelFormatUndefined;  // the written layout
  std::vector<ARGB> palette;                  // and its colour table
  uint16_t compression = 0;       // libtiff compression scheme

  const Frame& pixels() const { return source ? *source : frame; }
};

// A page kept for later keeps a copy of its frame; a page written at once may read the frame
// itself, which must then outlive the page.
enum class TiffPixels { Copied, Borrowed };

Status PrepareTiffPage(const Frame& source, const EncodeOptions& options, TiffPage& page,
                       TiffPixels pixels = TiffPixels::Copied);

// A TIFF file written into `out` (empty: the file starts at its offset 0) a page at a time. Only
// the pages of a file of several pages carry a page number, so the first page waits for the
// second (or for the end) before it is written; every later page is written as it is added, and
// the page count the numbers hold is filled in when the file ends. A page's property items are
// merged into its directory once the next page's directory follows it. After a failure every
// further call fails; an unfinished file is left for its destination to discard.
class TiffFileWriter {
 public:
  explicit TiffFileWriter(SeekableSink& out) : out_(out) {}
  TiffFileWriter(const TiffFileWriter&) = delete;
  TiffFileWriter& operator=(const TiffFileWriter&) = delete;

  // A first page that borrows its frame needs it until the next Add or Finish; later pages only
  // during the call.
  Status Add(TiffPage page);
  // Writes what waits, completes the directories; no page at all is InvalidParameter.
  Status Finish();
  size_t PagesAdded() const { return added_; }

 private:
  Status Write(const TiffPage& page, bool numbered);
  Status MergeWrittenPageItems();
  Status Failed(Status status);

  SeekableSink& out_;
  TiffMemory memory_{{}, &out_};
  TiffHandle tif_;
  std::optional<TiffPage> first_;           // waiting for the second page
  std::vector<PropertyRecord> writtenItems_;  // of the page written last, not merged yet
  bool itemsPending_ = false;
  uint64_t link_ = 4;  // where the link to the directory merged next lies
  size_t added_ = 0, written_ = 0;
  Status failure_ = Ok;
};

// One file of these pages.
Status EncodeTiff(std::vector<TiffPage> pages, SeekableSink& out);

}  // namespace vx::gdiplus::codecs
