// The objects behind the plug-in's handles, and the tables that own them.
#pragma once
#include <FreeImage.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "handle_table.h"
#include "isolated_save.h"
#include "page_trial.h"

namespace vximgplug {

// A bitmap the plug-in owns, or a page locked in a multi-page file (then the file owns it).
struct Bitmap {
  FIBITMAP* dib = nullptr;
  bool topRowFirst = false;           // memory holds the picture's top row first
  FIMULTIBITMAP* lockedIn = nullptr;  // set for a locked page
  uint32_t multiHandle = 0;
  bool changed = false;               // a locked page's changes are kept when it is unlocked
  int32_t pageNumber = -1;            // a locked page's number in its file
  std::vector<uint8_t> info;          // the header handed out by GetInfo

  Bitmap(FIBITMAP* d, bool top) : dib(d), topRowFirst(top) {}
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  ~Bitmap();
};

struct OpenFile {
  FILE* file = nullptr;
  explicit OpenFile(FILE* f) : file(f) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() {
    if (file) std::fclose(file);
  }
};

// An open-file handle; multi-page bitmaps reading from the file share it.
struct FileRef {
  std::shared_ptr<OpenFile> open;
};

struct MultiBitmap {
  FIMULTIBITMAP* multi = nullptr;
  FREE_IMAGE_FORMAT format = FIF_UNKNOWN;
  std::shared_ptr<OpenFile> file;  // the file a read-only multi-page bitmap reads from
  std::vector<uint32_t> lockedPages;
  std::vector<TriedPage> pagesTried;             // the trial of each page of the file
  PageSource source;                             // the file, opened afresh in the helper
  bool readOnly = false;
  // A TIFF file the plug-in writes, which FreeImage knows by a name it cannot write; its pages
  // as they will be: the file's own (read again when written), those changed, those appended.
  std::string target;
  bool changed = false;  // pages appended or changed: closing writes the file anew
  int filePages = 0;
  std::map<int, std::unique_ptr<TiffPagesForHelper>> changedPages;
  std::unique_ptr<TiffPagesForHelper> appendedPages;

  MultiBitmap() = default;
  MultiBitmap(const MultiBitmap&) = delete;
  MultiBitmap& operator=(const MultiBitmap&) = delete;
  ~MultiBitmap() {
    if (multi) FreeImage_CloseMultiBitmap(multi, 0);
  }
};

struct Tag {
  FITAG* tag = nullptr;
  uint32_t keyNumber = 0;
  explicit Tag(FITAG* t) : tag(t) {}
  Tag(const Tag&) = delete;
  Tag& operator=(const Tag&) = delete;
  ~Tag() {
    if (tag) FreeImage_DeleteTag(tag);
  }
};

struct MetadataSearch {
  FIMETADATA* search = nullptr;
  uint32_t bitmapHandle = 0;
  explicit MetadataSearch(FIMETADATA* s, uint32_t b) : search(s), bitmapHandle(b) {}
  MetadataSearch(const MetadataSearch&) = delete;
  MetadataSearch& operator=(const MetadataSearch&) = delete;
  ~MetadataSearch() {
    if (search) FreeImage_FindCloseMetadata(search);
  }
};

HandleTable<Bitmap>& Bitmaps();
HandleTable<FileRef>& Files();
HandleTable<MultiBitmap>& MultiBitmaps();
HandleTable<Tag>& Tags();
HandleTable<MetadataSearch>& Searches();

// The bitmap of a handle, nullptr for an unknown one.
FIBITMAP* DibOf(uint32_t bitmap);
// Registers a new bitmap the plug-in owns (0 and the bitmap freed when it cannot).
uint32_t AddBitmap(FIBITMAP* dib, bool topRowFirst = false);

// JPEG quality used by TIFF saves with JPEG compression.
std::atomic<int>& TiffJpegQuality();

}  // namespace vximgplug
