// Deflate in the zlib stream format (header and Adler-32 trailer), as FlateDecode reads it.
#pragma once
#include "pdf/stage.h"
#include "platform/compression/deflate.h"

namespace vx::pdf {

class DeflateStage final : public Stage {
 public:
  DeflateStage(Stage* next, int level);
  ~DeflateStage() override;
  bool Write(Bytes bytes) override;
  // An empty stream fails: a reader gains nothing from a filter over no data.
  bool Finish() override;

 private:
  compression::ZlibDeflater deflater_;
  compression::CompressedSink forward_;  // hands compressed output to the next stage
  bool failed_;
  bool sawInput_ = false;
};

}  // namespace vx::pdf
