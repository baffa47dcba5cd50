#include "pdf/ccitt_stage.h"

#include <exception>

#include "engine/plugin/api.h"
#include "engine/runtime_error.h"
#include "platform/user/user.h"

namespace vx::pdf {
namespace {

// The plug-in sizes its output through this; the vector behind it owns the memory.
int32_t ResizeVector(VximgplugByteArray* self, uint32_t size) {
  auto* v = static_cast<std::vector<uint8_t>*>(self->context);
  v->resize(size);
  self->data = v->data();
  self->size = size;
  return 1;
}

}  // namespace

CcittG4Stage::CcittG4Stage(Stage* next, int32_t width, int32_t height, int32_t bytesPerRow)
    : Stage(next), width_(width), height_(height), bytesPerRow_(bytesPerRow) {}

bool CcittG4Stage::Write(Bytes bytes) {
  rows_.insert(rows_.end(), bytes.begin(), bytes.end());
  return true;
}

bool CcittG4Stage::Finish() {
  if (rows_.size() > UINT32_MAX) return false;
  std::vector<uint8_t> out;
  VximgplugByteArray destination{nullptr, 0, &out, &ResizeVector};
  VximgplugByteArray source{rows_.data(), static_cast<uint32_t>(rows_.size()), nullptr, nullptr};
  int32_t rc = 1;
  try {
    rc = engine::Vximgplug().VB_CompressCCITT4(&destination, &source, width_, height_, bytesPerRow_, 0);
  } catch (const std::exception& e) {
    vx::MessageBox(0, engine::ToRuntimeError(e).Description(), "Vexiro4S", MB_OK);
    return false;
  }
  if (rc != 0) return false;
  out.resize(destination.size);
  return Forward(Bytes(out.data(), out.size())) && FinishNext();
}

}  // namespace vx::pdf
