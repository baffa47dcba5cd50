#include "jpeg_row_decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace vximgplug {
namespace {

// libjpeg reports a fatal error by calling back; the decode leaves through longjmp, so the frames
// it skips hold nothing that needs destroying.
struct ErrorExit {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void LeaveDecode(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorExit*>(info->err)->jump, 1); }
// Warnings (data cut short, say) are FreeImage's too: its loader goes on with what libjpeg gives.
void IgnoreMessage(j_common_ptr) {}

bool InkSamples(const jpeg_decompress_struct& info) {
  return info.num_components == 4 && (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK);
}

bool SameKind(const jpeg_decompress_struct& info, uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
  if (info.image_width != width || info.image_height != height) return false;
  if (bitsPerPixel == 24) return info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB);
  if (bitsPerPixel == 32) return InkSamples(info);
  return bitsPerPixel == 8 && info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE;
}

J_COLOR_SPACE OutputSpace(uint32_t bitsPerPixel) {
  switch (bitsPerPixel) {
    case 24: return JCS_EXT_BGR;
    case 32: return JCS_CMYK;
    default: return JCS_GRAYSCALE;
  }
}

// Adobe's writers (and every writer that follows them) store ink complemented, 0 for full ink;
// the bitmap holds ink as TIFF does, 0 for none.
void UncomplementInk(uint8_t* row, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(255 - row[i]);
}

DirectRows Decode(jpeg_decompress_struct& info, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                  RowStream& stream) {
  jpeg_read_header(&info, TRUE);
  if (!SameKind(info, width, height, bitsPerPixel)) return DirectRows::NotThisFile;
  info.out_color_space = OutputSpace(bitsPerPixel);
  const bool complemented = bitsPerPixel == 32 && info.saw_Adobe_marker;
  info.dct_method = JDCT_IFAST;
  info.do_fancy_upsampling = FALSE;
  jpeg_start_decompress(&info);
  // Asked for fewer rows than its upsampler makes at once, libjpeg decodes into a spare row and
  // copies each out; handing it that many destination rows lets it write them in place.
  constexpr int kMostRowsAtOnce = 4;
  const int rowsAtOnce = std::clamp(info.rec_outbuf_height, 1, kMostRowsAtOnce);
  JSAMPROW rows[kMostRowsAtOnce];
  while (info.output_scanline < info.output_height) {
    const JDIMENSION first = info.output_scanline;
    const JDIMENSION wanted = std::min<JDIMENSION>(rowsAtOnce, info.output_height - first);
    uint8_t* space = stream.Reserve(wanted);
    if (!space) return DirectRows::Failed;
    for (JDIMENSION i = 0; i < wanted; ++i) rows[i] = space + stream.pitch() * i;
    for (JDIMENSION done = 0; done < wanted;) {
      const JDIMENSION read = jpeg_read_scanlines(&info, rows + done, wanted - done);
      if (read == 0) return DirectRows::Failed;
      done += read;
    }
    if (complemented)
      for (JDIMENSION i = 0; i < wanted; ++i) UncomplementInk(rows[i], size_t{width} * 4);
  }
  jpeg_finish_decompress(&info);
  return DirectRows::Written;
}

// Runs `read` over a decompressor reading the file; `failed` when the file cannot be opened or
// libjpeg gives up on it.
template <class Result, class Read>
Result WithJpegFile(const std::string& path, Result failed, Read read) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return failed;
  jpeg_decompress_struct info{};
  ErrorExit error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = LeaveDecode;
  error.manager.output_message = IgnoreMessage;
  Result result = failed;
  if (setjmp(error.jump) == 0) {
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    result = read(info);
  }
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return result;
}

}  // namespace

DirectRows DecodeJpegRows(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                          RowStream& rows) {
  return WithJpegFile(path, DirectRows::Failed, [&](jpeg_decompress_struct& info) {
    return Decode(info, width, height, bitsPerPixel, rows);
  });
}

vx::gdiplus::codecs::StoredColourSpace JpegFileColourSpace(const std::string& path) {
  using vx::gdiplus::codecs::StoredColourSpace;
  return WithJpegFile(path, StoredColourSpace::Unknown, [](jpeg_decompress_struct& info) {
    jpeg_read_header(&info, TRUE);
    return vx::gdiplus::codecs::JpegStoredColourSpace(info.jpeg_color_space);
  });
}

}  // namespace vximgplug
