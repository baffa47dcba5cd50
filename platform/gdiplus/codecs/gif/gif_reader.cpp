// GIF files through giflib's record-level reader (never its whole-file slurp, which would take
// memory for every frame before the sizes are checked). A file with one frame becomes an
// 8bppIndexed frame; an animation becomes one 32bppARGB frame per GIF frame, each the logical
// screen as it looks after that frame is drawn (disposal and transparency honoured). Frame
// delays, loop count, comment, global palette and background index become property items.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdiplus/codecs/byte_order.h"
#include "platform/gdiplus/codecs/codec.h"
#include "platform/gdiplus/codecs/frame_tools.h"

namespace vx::gdiplus::codecs {

namespace {

constexpr size_t kMaxFrames = limits::kMaxAnimationFrames;
constexpr size_t kMaxCommentBytes = 1 << 16;

struct MemoryReader {
  Bytes data;
  size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
  auto* reader = static_cast<MemoryReader*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(std::max(length, 0)), reader->data.size() - reader->position);
  std::memcpy(out, reader->data.data() + reader->position, n);
  reader->position += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

// What the graphic control extension says about the next frame.
struct FrameControl {
  int disposal = 0;
  int transparent = -1;
  uint32_t delay = 0;  // hundredths of a second
};

// One decoded GIF frame: its rectangle on the logical screen and its colour indices.
struct RawFrame {
  FrameControl control;
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<ARGB> colours;
  std::vector<uint8_t> indices;  // width * height
};

struct GifContents {
  std::vector<RawFrame> frames;
  std::vector<ARGB> globalColours;
  int background = 0;
  int loopCount = -1;
  std::string comment;
};

std::vector<ARGB> ColoursOf(const ColorMapObject* map) {
  std::vector<ARGB> colours;
  if (!map || !map->Colors) return colours;
  for (int i = 0; i < map->ColorCount; ++i) colours.push_back(OpaqueRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
  return colours;
}

Status ReadExtension(GifFileType* gif, FrameControl& control, GifContents& contents) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return GenericError;
  bool netscape = false;
  bool first = true;
  const bool firstComment = contents.comment.empty();  // only the first comment is kept
  while (block) {
    const int length = block[0];
    if (code == GRAPHICS_EXT_FUNC_CODE && first && length >= 4) {
      control.disposal = (block[1] >> 2) & 7;
      control.transparent = (block[1] & 1) ? block[4] : -1;
      control.delay = Get16LE(block + 2);
    } else if (code == APPLICATION_EXT_FUNC_CODE && first) {
      netscape = length >= 11 && (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
    } else if (code == APPLICATION_EXT_FUNC_CODE && netscape && length >= 3 && block[1] == 1) {
      contents.loopCount = Get16LE(block + 2);
    } else if (code == COMMENT_EXT_FUNC_CODE && firstComment && contents.comment.size() < kMaxCommentBytes) {
      contents.comment.append(reinterpret_cast<const char*>(block + 1), static_cast<size_t>(length));
    }
    first = false;
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return GenericError;
  }
  return Ok;
}

// Row order of an interlaced frame: passes start at 0, 4, 2, 1 and step 8, 8, 4, 2.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> order;
  order.reserve(static_cast<size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  static constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  return order;
}

Status ReadImage(GifFileType* gif, FrameControl& control, DecodeBudget& budget, GifContents& contents) {
  if (DGifGetImageDesc(gif) == GIF_ERROR) return GenericError;
  // An animation longer than the limit is refused whole, not cut short in silence.
  if (contents.frames.size() >= kMaxFrames) return OutOfMemory;
  const GifImageDesc& desc = gif->Image;
  if (Status s = budget.Take(desc.Width, desc.Height, PixelFormat8bppIndexed); s != Ok) return s;
  RawFrame frame;
  frame.control = control;
  frame.left = desc.Left, frame.top = desc.Top, frame.width = desc.Width, frame.height = desc.Height;
  frame.colours = desc.ColorMap ? ColoursOf(desc.ColorMap) : contents.globalColours;
  frame.indices.resize(static_cast<size_t>(desc.Width) * desc.Height);
  Status status = Ok;
  for (int y : RowOrder(desc.Height, desc.Interlace)) {
    if (DGifGetLine(gif, frame.indices.data() + static_cast<size_t>(y) * desc.Width, desc.Width) == GIF_ERROR) {
      status = Aborted;  // damaged data: keep the rows read so far and end the file here
      break;
    }
  }
  contents.frames.push_back(std::move(frame));
  control = FrameControl{};
  return status;
}

Status ReadContents(GifFileType* gif, DecodeBudget& budget, GifContents& contents) {
  contents.globalColours = ColoursOf(gif->SColorMap);
  contents.background = gif->SBackGroundColor;
  FrameControl control;
  for (;;) {
    GifRecordType record;
    if (DGifGetRecordType(gif, &record) == GIF_ERROR) return contents.frames.empty() ? GenericError : Ok;
    Status s = Ok;
    if (record == EXTENSION_RECORD_TYPE)
      s = ReadExtension(gif, control, contents);
    else if (record == IMAGE_DESC_RECORD_TYPE)
      s = ReadImage(gif, control, budget, contents);
    else if (record == TERMINATE_RECORD_TYPE)
      break;
    if (s == Aborted) break;
    if (s != Ok) return contents.frames.empty() || s == OutOfMemory ? s : Ok;
  }
  return contents.frames.empty() ? GenericError : Ok;
}

std::vector<PropertyRecord> AnimationItems(const GifContents& contents) {
  std::vector<PropertyRecord> items;
  PropertyRecord delays{PropertyTagFrameDelay, PropertyTagTypeLong, {}};
  for (const RawFrame& f : contents.frames) Put32LE(delays.value, f.control.delay);
  items.push_back(std::move(delays));
  if (contents.loopCount >= 0) {
    PropertyRecord loop{PropertyTagLoopCount, PropertyTagTypeShort, {}};
    Put16LE(loop.value, static_cast<uint16_t>(contents.loopCount));
    items.push_back(std::move(loop));
  }
  if (!contents.comment.empty()) {
    PropertyRecord comment{PropertyTagExifUserComment, PropertyTagTypeASCII, {}};
    comment.value.assign(contents.comment.begin(), contents.comment.end());
    comment.value.push_back(0);
    items.push_back(std::move(comment));
  }
  if (!contents.globalColours.empty()) {
    PropertyRecord palette{PropertyTagGlobalPalette, PropertyTagTypeByte, {}};
    for (ARGB c : contents.globalColours) palette.value.insert(palette.value.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    items.push_back(std::move(palette));
    items.push_back({PropertyTagIndexBackground, PropertyTagTypeByte, {static_cast<uint8_t>(contents.background)}});
  }
  return items;
}

// The logical screen, grown to hold every frame (some writers leave it too small or zero).
void ScreenSize(const GifContents& contents, GifFileType* gif, int64_t& width, int64_t& height) {
  width = gif->SWidth, height = gif->SHeight;
  for (const RawFrame& f : contents.frames) {
    width = std::max<int64_t>(width, int64_t{f.left} + f.width);
    height = std::max<int64_t>(height, int64_t{f.top} + f.height);
  }
}

void SetCommonFields(Frame& frame, const std::vector<PropertyRecord>& items, bool alpha) {
  frame.imageFlags = ImageFlagsColorSpaceRGB | ImageFlagsHasRealPixelSize;
  if (alpha) frame.imageFlags |= ImageFlagsHasAlpha;
  frame.properties = items;
}

// The single-frame form: the frame's indices on a screen-sized indexed surface.
Status BuildIndexedFrame(const GifContents& contents, GifFileType* gif, DecodeBudget& budget, Frame& out) {
  const RawFrame& raw = contents.frames.front();
  int64_t width = 0, height = 0;
  ScreenSize(contents, gif, width, height);
  if (Status s = NewFrame(budget, width, height, PixelFormat8bppIndexed, out); s != Ok) return s;
  std::vector<ARGB> palette = raw.colours.empty() ? GreyPalette(256) : raw.colours;
  const int count = static_cast<int>(palette.size());
  const int fill = raw.control.transparent >= 0 && raw.control.transparent < count ? raw.control.transparent
                   : contents.background < count ? contents.background : 0;
  if (raw.control.transparent >= 0 && raw.control.transparent < count) palette[raw.control.transparent] &= 0x00FFFFFFu;
  SetPalette(out, std::move(palette));
  for (INT y = 0; y < out.height; ++y) std::memset(RowOf(out, y), fill, static_cast<size_t>(out.width));
  for (int y = 0; y < raw.height; ++y) {
    uint8_t* row = RowOf(out, raw.top + y) + raw.left;
    const uint8_t* src = raw.indices.data() + static_cast<size_t>(y) * raw.width;
    for (int x = 0; x < raw.width; ++x) row[x] = src[x] < count ? src[x] : 0;
  }
  return Ok;
}

// Draws one GIF frame onto the ARGB screen (transparent indices leave the screen as it is).
void DrawFrame(const RawFrame& raw, Frame& screen) {
  const int count = static_cast<int>(raw.colours.size());
  for (int y = 0; y < raw.height; ++y) {
    const int64_t sy = int64_t{raw.top} + y;
    if (sy >= screen.height) break;
    auto* row = reinterpret_cast<ARGB*>(RowOf(screen, static_cast<INT>(sy)));
    const uint8_t* src = raw.indices.data() + static_cast<size_t>(y) * raw.width;
    for (int x = 0; x < raw.width && raw.left + x < screen.width; ++x) {
      const int index = src[x];
      if (index == raw.control.transparent || index >= count) continue;
      row[raw.left + x] = raw.colours[index];
    }
  }
}

void ClearRect(const RawFrame& raw, Frame& screen) {
  for (int y = raw.top; y < raw.top + raw.height && y < screen.height; ++y) {
    auto* row = reinterpret_cast<ARGB*>(RowOf(screen, y));
    for (int x = raw.left; x < raw.left + raw.width && x < screen.width; ++x) row[x] = 0;
  }
}

Status BuildAnimationFrames(const GifContents& contents, GifFileType* gif, DecodeBudget& budget, std::vector<Frame>& frames) {
  int64_t width = 0, height = 0;
  ScreenSize(contents, gif, width, height);
  Frame screen;
  if (Status s = NewFrame(budget, width, height, PixelFormat32bppARGB, screen); s != Ok) return s;
  Frame saved;
  for (const RawFrame& raw : contents.frames) {
    if (raw.control.disposal == 3) saved.storage = screen.storage;
    DrawFrame(raw, screen);
    Frame snapshot;
    if (Status s = NewFrame(budget, screen.width, screen.height, PixelFormat32bppARGB, snapshot); s != Ok) return s;
    std::copy(screen.storage.begin(), screen.storage.end(), snapshot.storage.begin());
    frames.push_back(std::move(snapshot));
    if (raw.control.disposal == 2) ClearRect(raw, screen);
    if (raw.control.disposal == 3) std::copy(saved.storage.begin(), saved.storage.end(), screen.storage.begin());
  }
  return Ok;
}

// Skips a run of data sub-blocks (each a length byte and its bytes, ended by a zero length); false
// when the file ends first.
bool SkipSubBlocks(Bytes data, size_t& at) {
  while (at < data.size()) {
    const size_t length = data[at++];
    if (length == 0) return true;
    at += length;
  }
  return false;
}

// The frames of the file counted from its block structure alone, up to one past the limit, so
// that an animation over the limit is refused before a single frame is decoded.
size_t CountFrames(Bytes data) {
  constexpr size_t kScreenEnd = 13, kDescriptor = 10;
  const auto colourTableBytes = [](uint8_t packed) { return packed & 0x80 ? size_t{3} << ((packed & 7) + 1) : 0; };
  if (data.size() < kScreenEnd) return 0;
  size_t at = kScreenEnd + colourTableBytes(data[10]), frames = 0;
  while (at < data.size() && frames <= kMaxFrames) {
    const uint8_t block = data[at];
    if (block == 0x21 && at + 2 <= data.size()) {
      at += 2;  // introducer and label
      if (!SkipSubBlocks(data, at)) break;
    } else if (block == 0x2C && at + kDescriptor + 1 <= data.size()) {
      ++frames;
      at += kDescriptor + colourTableBytes(data[at + 9]) + 1;  // descriptor, local colours, code size
      if (!SkipSubBlocks(data, at)) break;
    } else {
      break;  // the trailer, or damage giflib judges
    }
  }
  return frames;
}

}  // namespace

Status DecodeGif(Bytes data, DecodedImage& out) {
  if (data.size() < 6 || (std::memcmp(data.data(), "GIF87a", 6) != 0 && std::memcmp(data.data(), "GIF89a", 6) != 0))
    return UnknownImageFormat;
  if (CountFrames(data) > kMaxFrames) return OutOfMemory;
  MemoryReader reader{data, 0};
  int error = 0;
  GifHandle gif(DGifOpen(&reader, ReadFromMemory, &error));
  if (!gif) return GenericError;
  try {
    DecodeBudget budget;
    GifContents contents;
    if (Status s = ReadContents(gif.get(), budget, contents); s != Ok) return s;
    std::vector<Frame> frames;
    if (contents.frames.size() == 1) {
      frames.emplace_back();
      if (Status s = BuildIndexedFrame(contents, gif.get(), budget, frames.back()); s != Ok) return s;
    } else if (Status s = BuildAnimationFrames(contents, gif.get(), budget, frames); s != Ok) {
      return s;
    }
    const std::vector<PropertyRecord> items = AnimationItems(contents);
    uint64_t itemBytes = 0;
    for (const PropertyRecord& r : items) itemBytes += r.value.size() + sizeof r;
    if (!budget.TakeBytes(itemBytes * frames.size())) return OutOfMemory;  // every frame carries the items
    const bool alpha = std::any_of(contents.frames.begin(), contents.frames.end(), [](const RawFrame& f) { return f.control.transparent >= 0; });
    for (Frame& f : frames) SetCommonFields(f, items, alpha || frames.size() > 1);
    out.frames = std::move(frames);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  out.rawFormat = ImageFormatGIF;
  out.dimension = FrameDimensionTime;
  return Ok;
}

}  // namespace vx::gdiplus::codecs
