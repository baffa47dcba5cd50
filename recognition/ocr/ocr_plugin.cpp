#include "recognition/ocr/ocr_plugin.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "engine/runtime_error.h"
#include "platform/kernel/environment.h"

namespace vexiro {
namespace {

constexpr const char* kModuleName = "vxocrplug.tesseract.dll";

template <class Function>
void Bind(vx::HMODULE module, const char* name, Function& slot) {
  slot = reinterpret_cast<Function>(vx::GetProcAddress(module, name));
  if (slot == nullptr)
    throw vx::engine::EntryPointNotFoundError(name, kModuleName);
}

}  // namespace

// Bound tables by module file: tests point the search path at a scripted stand-in.
const OcrPluginExports& BindOcrPlugin() {
  static std::mutex mutex;
  static auto* tables = new std::map<std::string, std::unique_ptr<OcrPluginExports>>();
  const std::string path = vx::FindModulePath(kModuleName);
  vx::HMODULE module = path.empty() ? nullptr : vx::LoadLibrary(kModuleName);
  if (module == nullptr)
    throw vx::engine::ModuleNotFoundError(kModuleName);
  std::lock_guard lock(mutex);
  auto found = tables->find(path);
  if (found != tables->end()) return *found->second;
  auto api = std::make_unique<OcrPluginExports>();
  Bind(module, "OCR", api->OCR);
  Bind(module, "CLEAR", api->CLEAR);
  Bind(module, "REINIT", api->REINIT);
  return *tables->emplace(path, std::move(api)).first->second;
}

}  // namespace vexiro
