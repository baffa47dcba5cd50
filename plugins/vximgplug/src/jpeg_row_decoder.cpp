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

bool SameKind(const jpeg_decompress_struct& info, uint32_t width, uint32_t height, uint32_t bitsPerPixel) {
  if (info.image_width != width || info.image_height != height) return false;
  if (bitsPerPixel == 24) return info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB);
  return bitsPerPixel == 8 && info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE;
}

DirectRows Decode(jpeg_decompress_struct& info, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                  RowStream& stream) {
  jpeg_read_header(&info, TRUE);
  if (!SameKind(info, width, height, bitsPerPixel)) return DirectRows::NotThisFile;
  info.out_color_space = bitsPerPixel == 24 ? JCS_EXT_BGR : JCS_GRAYSCALE;
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
  }
  jpeg_finish_decompress(&info);
  return DirectRows::Written;
}

}  // namespace

DirectRows DecodeJpegRows(const std::string& path, uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                          RowStream& rows) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return DirectRows::Failed;
  jpeg_decompress_struct info{};
  ErrorExit error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = LeaveDecode;
  error.manager.output_message = IgnoreMessage;
  DirectRows result = DirectRows::Failed;
  if (setjmp(error.jump) == 0) {
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    result = Decode(info, width, height, bitsPerPixel, rows);
  }
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return result;
}

}  // namespace vximgplug
