// Files a caller writes for itself and deletes again (the page files of a document) need not
// survive a crash of the machine: while a scope of this kind is alive on a thread, the files
// its saves write are complete and renamed into place as always, but not forced to the disk
// first, which costs a disk flush per file and, for a document of thousands of pages, minutes.
#pragma once

namespace vx::gdiplus {

class ScratchFileWrites {
 public:
  ScratchFileWrites();
  ~ScratchFileWrites();
  ScratchFileWrites(const ScratchFileWrites&) = delete;
  ScratchFileWrites& operator=(const ScratchFileWrites&) = delete;

  // True while any scope is alive on the calling thread.
  static bool Active();
};

}  // namespace vx::gdiplus
