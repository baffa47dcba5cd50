// TIFF files are encoded straight into the file beside their target, which libtiff reads back and
// patches as it links directories and the property items are merged in: the file must come out
// byte for byte as the same encoding into memory (a stream), and a write that fails part way
// must leave the old file and no temporary file behind.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>

#include "codec_test_tools.h"
#include "platform/ole/ole.h"

using namespace codec_test;

namespace {

class CodecTiffDestination : public Session {};

// Main, EXIF and GPS items, so that every page gains a directory and two sub-directories.
void SetItems(GpImage* image, int page) {
  const std::string text = "page " + std::to_string(page);
  const uint8_t rational[] = {1, 0, 0, 0, 250, 0, 0, 0};
  const uint8_t north[] = {'N', 0};
  struct Set {
    PROPID id;
    WORD type;
    const void* value;
    ULONG length;
  } items[] = {{0x010E, PropertyTagTypeASCII, text.c_str(), static_cast<ULONG>(text.size() + 1)},
               {0x829A, PropertyTagTypeRational, rational, sizeof rational},
               {0x0001, PropertyTagTypeASCII, north, sizeof north}};
  for (const Set& s : items) {
    PropertyItem p{s.id, s.length, s.type, const_cast<void*>(s.value)};
    ASSERT_EQ(GdipSetPropertyItem(image, &p), Ok);
  }
}

struct StreamPtr {
  vx::ole::ComPtr<vx::ole::IStream> stream;
  StreamPtr() {
    vx::ole::IStream* raw = nullptr;
    EXPECT_EQ(vx::ole::CreateStreamOnHGlobal(0, 1, &raw), vx::S_OK);
    stream = vx::ole::ComPtr<vx::ole::IStream>(raw);
  }
  std::vector<uint8_t> Bytes() {
    uint64_t end = 0;
    EXPECT_EQ(stream->Seek(0, vx::ole::STREAM_SEEK_END, &end), vx::S_OK);
    EXPECT_EQ(stream->Seek(0, vx::ole::STREAM_SEEK_SET, nullptr), vx::S_OK);
    std::vector<uint8_t> bytes(static_cast<size_t>(end));
    ULONG read = 0;
    EXPECT_EQ(stream->Read(bytes.data(), static_cast<vx::ULONG>(bytes.size()), &read), vx::S_OK);
    bytes.resize(read);
    return bytes;
  }
};

struct DestinationCase {
  const char* name;
  int pages;
  ULONG compression;
  bool items;
};

// Saves the pages to a file or to a stream, as one file or as a multi-frame save.
Status SaveTo(const std::vector<BitmapPtr>& pages, const std::string* path, vx::ole::IStream* stream,
              const DestinationCase& c) {
  Params first;
  first.Add(EncoderCompression, c.compression);
  if (c.pages > 1) first.Add(EncoderSaveFlag, EncoderValueMultiFrame);
  const Status begun = path ? GdipSaveImageToFile(pages[0].get(), path->c_str(), &EncoderClsidTIFF, first.get())
                            : GdipSaveImageToStream(pages[0].get(), stream, &EncoderClsidTIFF, first.get());
  if (begun != Ok || c.pages == 1) return begun;
  Params page;
  page.Add(EncoderSaveFlag, EncoderValueFrameDimensionPage);
  for (size_t i = 1; i < pages.size(); ++i)
    if (Status s = GdipSaveAddImage(pages[0].get(), pages[i].get(), page.get()); s != Ok) return s;
  Params flush;
  flush.Add(EncoderSaveFlag, EncoderValueFlush);
  return GdipSaveAdd(pages[0].get(), flush.get());
}

// Pages of more than the file's write block, so appends, read-backs and patches all meet.
void ExpectFileAsMemory(const DestinationCase& c) {
  std::vector<BitmapPtr> pages;
  for (int i = 0; i < c.pages; ++i) {
    pages.push_back(MakePicture(480 + 8 * i, 400, PixelFormat24bppRGB));
    if (c.items) SetItems(pages.back().get(), i);
  }
  const std::string path = ScratchPath(std::string(c.name) + ".tif");
  ASSERT_EQ(SaveTo(pages, &path, nullptr, c), Ok);
  StreamPtr memory;
  ASSERT_EQ(SaveTo(pages, nullptr, memory.stream.get(), c), Ok);
  const std::vector<uint8_t> file = ReadFile(path);
  EXPECT_GT(file.size(), size_t{1} << 18);
  EXPECT_TRUE(file == memory.Bytes());

  ImagePtr loaded = Load(path);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(ArgbPixels(loaded.get()), ArgbPixels(pages[0].get()));
  UINT size = 0;
  EXPECT_EQ(GdipGetPropertyItemSize(loaded.get(), 0x0001, &size), c.items ? Ok : PropertyNotFound);
}

TEST_F(CodecTiffDestination, TheFileHoldsTheBytesOfTheEncodingIntoMemory) {
  const DestinationCase cases[] = {{"one-page", 1, EncoderValueCompressionNone, true},
                                   {"one-page-no-items", 1, EncoderValueCompressionNone, false},
                                   {"one-page-lzw", 1, EncoderValueCompressionLZW, true},
                                   {"three-pages", 3, EncoderValueCompressionNone, true},
                                   {"three-pages-lzw", 3, EncoderValueCompressionLZW, true}};
  for (const DestinationCase& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectFileAsMemory(c);
  }
}

size_t TemporaryFilesBeside(const std::string& path) {
  const std::string folder = path.substr(0, path.rfind('/'));
  const std::string prefix = "." + path.substr(path.rfind('/') + 1);
  size_t n = 0;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(dir)) n += std::string(e->d_name).rfind(prefix, 0) == 0;
    ::closedir(dir);
  }
  return n;
}

// Saves with every file the process writes limited to `limit` bytes.
Status SaveWithFileSizeLimit(GpImage* image, const std::string& path, rlim_t limit) {
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit limited = before;
  limited.rlim_cur = limit;
  void (*disposition)(int) = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limited);
  Params none;
  none.Add(EncoderCompression, EncoderValueCompressionNone);
  const Status status = Save(image, path, EncoderClsidTIFF, &none);
  setrlimit(RLIMIT_FSIZE, &before);
  signal(SIGXFSZ, disposition);
  return status;
}

TEST_F(CodecTiffDestination, AWriteThatFailsPartWayKeepsTheOldFile) {
  BitmapPtr picture = MakePicture(400, 300, PixelFormat24bppRGB);
  SetItems(picture.get(), 0);
  const std::string path = ScratchPath("kept.tif");
  const std::vector<uint8_t> before = {'o', 'l', 'd'};
  // Cut in the pixels (one strip, bytes 8 to 360008), in libtiff's directory after them, and in
  // the merged directory written after that (from byte 360192 on).
  for (const rlim_t limit : {rlim_t{100000}, rlim_t{360050}, rlim_t{360300}}) {
    SCOPED_TRACE(limit);
    WriteFile(path, before);
    EXPECT_EQ(SaveWithFileSizeLimit(picture.get(), path, limit), Win32Error);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(TemporaryFilesBeside(path), 0u);
  }
  EXPECT_EQ(SaveWithFileSizeLimit(picture.get(), path, RLIM_INFINITY), Ok);
  EXPECT_GT(ReadFile(path).size(), 360000u);
}

}  // namespace
