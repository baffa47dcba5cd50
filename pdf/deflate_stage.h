// Deflate in the zlib stream format (header and Adler-32 trailer), as FlateDecode reads it.
#pragma once
#include <memory>

#include "pdf/stage.h"

namespace vx::pdf {

class DeflateStage final : public Stage {
 public:
  DeflateStage(Stage* next, int level);
  ~DeflateStage() override;
  bool Write(Bytes bytes) override;
  // An empty stream fails: a reader gains nothing from a filter over no data.
  bool Finish() override;

 private:
  bool Pump(int flush);
  struct State;
  std::unique_ptr<State> state_;
  bool failed_ = false;
  bool sawInput_ = false;
};

}  // namespace vx::pdf
