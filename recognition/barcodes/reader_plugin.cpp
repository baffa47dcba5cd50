#include "recognition/barcodes/reader_plugin.h"

#include <map>
#include <memory>
#include <mutex>

#include "engine/gdiplus_lifetime.h"
#include "engine/routines/shared_routines.h"
#include "platform/kernel/environment.h"
#include "platform/user/user.h"

namespace vexiro {

const BarcodeReaderPlugin kBarcode1DReaderPlugin{"vxbarcode.1dreader.dll", "VXBARCODE1DREADER_", 105, true};
const BarcodeReaderPlugin kBarcodeDMReaderPlugin{"vxbarcode.dmreader.dll", "VXBARCODEDMREADER_", 100, false};

namespace {

constexpr vx::UINT kStopIconOk = 0x10 | vx::MB_OK;

template <class Function>
bool Bind(vx::HMODULE module, const BarcodeReaderPlugin& plugin, const char* name, Function& slot) {
  void* address = vx::GetProcAddress(module, (std::string(plugin.ExportPrefix) + name).c_str());
  slot = reinterpret_cast<Function>(address);
  return address != nullptr;
}

bool BindCorners(vx::HMODULE module, const BarcodeReaderPlugin& plugin, BarcodeReaderExports& api) {
  static constexpr const char* kCornerNames[8] = {"GetBarcodeX1", "GetBarcodeY1", "GetBarcodeX2", "GetBarcodeY2",
                                                  "GetBarcodeX3", "GetBarcodeY3", "GetBarcodeX4", "GetBarcodeY4"};
  for (size_t i = 0; i < api.Corners.size(); ++i)
    if (!Bind(module, plugin, kCornerNames[i], api.Corners[i])) return false;
  return true;
}

// Every operation the reader calls, or nothing: a module lacking one cannot serve a read.
std::unique_ptr<BarcodeReaderExports> BindModule(vx::HMODULE module, const BarcodeReaderPlugin& plugin) {
  auto api = std::make_unique<BarcodeReaderExports>();
  bool bound = Bind(module, plugin, "GetVersion", api->GetVersion) &&
               Bind(module, plugin, "NewBarScanner", api->NewBarScanner) &&
               Bind(module, plugin, "SetDibSource", api->SetDibSource) && Bind(module, plugin, "ScanBar", api->ScanBar) &&
               Bind(module, plugin, "GetBarcodeCount", api->GetBarcodeCount) &&
               Bind(module, plugin, "GetBarcode", api->GetBarcode) &&
               Bind(module, plugin, "GetBarcodeValue", api->GetBarcodeValue) && BindCorners(module, plugin, *api) &&
               Bind(module, plugin, "FreeBarScanner", api->FreeBarScanner);
  if (plugin.Linear) {
    bound = bound && Bind(module, plugin, "SetPerformance", api->SetPerformance) &&
            Bind(module, plugin, "GetBarcodeType", api->GetBarcodeType) &&
            Bind(module, plugin, "GetSkewAngle", api->GetSkewAngle) &&
            Bind(module, plugin, "HasCheckSum", api->HasCheckSum);
  } else {
    bound = bound && Bind(module, plugin, "GetBarcodeRows", api->GetBarcodeRows) &&
            Bind(module, plugin, "GetBarcodeColumns", api->GetBarcodeColumns);
  }
  if (!bound) return nullptr;
  // A module without them is served as before: 24-bit pixels, each scan bounded from its own start.
  Bind(module, plugin, "SetDibSourceRows", api->SetDibSourceRows);
  Bind(module, plugin, "GetSourceDepths", api->GetSourceDepths);
  Bind(module, plugin, "StartScanClock", api->StartScanClock);
  Bind(module, plugin, "ScanTimeSpent", api->ScanTimeSpent);
  return api;
}

// Bound tables by module file: the module found may change when the search path does, and a
// table must outlive the results read through it, as the module itself stays loaded.
const BarcodeReaderExports* BoundExports(const BarcodeReaderPlugin& plugin) {
  static std::mutex mutex;
  static auto* tables = new std::map<std::string, std::unique_ptr<BarcodeReaderExports>>();
  const std::string path = vx::FindModulePath(plugin.ModuleName);
  if (path.empty()) return nullptr;
  std::lock_guard lock(mutex);
  auto found = tables->find(path);
  if (found != tables->end()) return found->second.get();
  vx::HMODULE module = vx::LoadLibrary(plugin.ModuleName);
  if (module == nullptr) return nullptr;
  auto api = BindModule(module, plugin);
  if (!api) return nullptr;
  return tables->emplace(path, std::move(api)).first->second.get();
}

void ShowReaderError(const std::string& text) { vx::MessageBox(0, text, "Error", kStopIconOk); }

}  // namespace

const BarcodeReaderExports* CheckBarcodeReaderPlugin(const BarcodeReaderPlugin& plugin) {
  std::string file = plugin.ModuleName;
  if (vx::engine::BasicVal(vx::engine::GetFileVersionString(plugin.ModuleName)) == 0) {
    ShowReaderError("Can't found " + file + " file.");
    return nullptr;
  }
  const BarcodeReaderExports* api = BoundExports(plugin);
  if (api == nullptr) return nullptr;
  if (api->GetVersion() < plugin.MinimumVersion) {
    ShowReaderError("Bad " + file + " version.");
    return nullptr;
  }
  return api;
}

}  // namespace vexiro
