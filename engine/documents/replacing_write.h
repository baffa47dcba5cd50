// A document file is written to a fresh file beside its target and renamed over the target only
// when the whole write succeeded, so a failed write never destroys the file already there.
#pragma once
#include <string>

#include "engine/vexiro_status.h"

namespace vx::engine {

class ReplacingWrite {
 public:
  explicit ReplacingWrite(const std::string& target);
  ReplacingWrite(const ReplacingWrite&) = delete;
  ReplacingWrite& operator=(const ReplacingWrite&) = delete;
  // A write that was not committed leaves nothing of itself behind.
  ~ReplacingWrite();

  // Where the writer writes; "" when no file could be made beside the target.
  const std::string& Path() const { return path_; }
  const std::string& Target() const { return target_; }
  // Puts the written file in the target's place; CanNotCreateFile when that is refused.
  VexiroStatus Commit();
  // Drops what was written.
  void Abandon();

 private:
  std::string target_;
  std::string path_;
};

}  // namespace vx::engine
