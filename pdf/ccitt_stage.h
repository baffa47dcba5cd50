// CCITT Group 4 (K -1) of bilevel rows, 1 bits coded as black, through the format plug-in's
// encoder. The encoder needs the whole picture, so the stage gathers the rows until Finish.
#pragma once
#include <cstdint>
#include <vector>

#include "pdf/stage.h"

namespace vx::pdf {

class CcittG4Stage final : public Stage {
 public:
  CcittG4Stage(Stage* next, int32_t width, int32_t height, int32_t bytesPerRow);
  bool Write(Bytes bytes) override;
  // False when the plug-in is missing, lacks the encoder or refuses the rows; a missing or
  // broken plug-in is also shown in a message box, as its run-time error would be.
  bool Finish() override;

 private:
  int32_t width_, height_, bytesPerRow_;
  std::vector<uint8_t> rows_;
};

}  // namespace vx::pdf
