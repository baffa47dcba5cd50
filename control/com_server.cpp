#include "control/com_server.h"

#include <new>

#include "control/imaging_control.h"
#include "control/type_library.h"
#include "platform/ole/com_object.h"
#include "platform/ole/ole.h"
#include "vexiro/imaging.h"

namespace vx::control {

namespace {

vx::GUID GuidOf(const std::string& registryTextWithoutBraces) {
  vx::GUID id;
  vx::ole::CLSIDFromString("{" + registryTextWithoutBraces + "}", &id);
  return id;
}

bool IsDefaultInterface(const vx::IID& riid, const char* interfaceName) {
  for (const std::string& id : InterfaceIdentifiers(interfaceName))
    if (GuidOf(id) == riid) return true;
  return false;
}

// A COM object of one of the two classes. The object of the class (the control or the engine)
// counts itself as a live object of the module for as long as it exists.
template <class Target>
class ClassObject final : public vx::ole::RefCounted<IImagingDispatch> {
 public:
  ClassObject(const char* interfaceName, Interface which) : interfaceName_(interfaceName), dispatch_(target_, which) {}

  HRESULT QueryInterface(const vx::IID& riid, void** object) override {
    if (!object) return vx::E_POINTER;
    *object = nullptr;
    if (riid == vx::ole::IID_IObjectSafety) {
      AddRef();
      *object = static_cast<vx::ole::IObjectSafety*>(&safety_);
      return vx::S_OK;
    }
    if (riid == vx::ole::IID_IUnknown || riid == vx::ole::IID_IDispatch || IsDefaultInterface(riid, interfaceName_)) {
      AddRef();
      *object = static_cast<IImagingDispatch*>(this);
      return vx::S_OK;
    }
    return vx::E_NOINTERFACE;
  }
  HRESULT GetIDsOfNames(std::string_view name, int32_t& dispid) override { return dispatch_.GetIDsOfNames(name, dispid); }
  HRESULT Invoke(int32_t dispid, std::vector<Variant>& positional, std::vector<NamedArgument>& named, Variant& result,
                 ExceptionInfo* error) override {
    return dispatch_.Invoke(dispid, positional, named, result, error);
  }

 private:
  // IObjectSafety of the same object: its references are the object's.
  class Safety final : public vx::ole::IObjectSafety {
   public:
    explicit Safety(ClassObject& outer) : outer_(outer) {}
    ULONG AddRef() override { return outer_.AddRef(); }
    ULONG Release() override { return outer_.Release(); }
    HRESULT QueryInterface(const vx::IID& riid, void** object) override { return outer_.QueryInterface(riid, object); }
    HRESULT GetInterfaceSafetyOptions(const vx::IID* riid, DWORD* supported, DWORD* enabled) override {
      return outer_.target_.GetInterfaceSafetyOptions(riid, supported, enabled);
    }
    HRESULT SetInterfaceSafetyOptions(const vx::IID* riid, DWORD mask, DWORD enabled) override {
      return outer_.target_.SetInterfaceSafetyOptions(riid, mask, enabled);
    }

   private:
    ClassObject& outer_;
  };

  const char* interfaceName_;
  Target target_;
  Dispatch dispatch_;
  Safety safety_{*this};
};

template <class Target>
HRESULT CreateClassObject(const char* interfaceName, Interface which, const vx::IID& riid, void** object) {
  auto* made = new (std::nothrow) ClassObject<Target>(interfaceName, which);
  if (!made) return vx::E_OUTOFMEMORY;
  const HRESULT hr = made->QueryInterface(riid, object);
  made->Release();
  return hr;
}

}  // namespace

vx::CLSID ImagingClassId() { return GuidOf(StableGuid("Imaging")); }
vx::CLSID EngineClassId() { return GuidOf(StableGuid("cImaging")); }
vx::CLSID DummyClassId() { return GuidOf(StableGuid("dummy")); }

}  // namespace vx::control

using vx::control::CreateClassObject;
using vx::control::Interface;

vx::HRESULT DllGetClassObject(const vx::CLSID* rclsid, const vx::IID* riid, void** object) {
  if (!object) return vx::E_POINTER;
  *object = nullptr;
  if (!rclsid || !riid) return vx::E_INVALIDARG;
  if (*rclsid == vx::control::ImagingClassId())
    return vx::ole::CreateClassFactory(
        [](const vx::IID& iid, void** made) {
          return CreateClassObject<vx::control::Imaging>("_Imaging", Interface::Control, iid, made);
        },
        *riid, object);
  if (*rclsid == vx::control::EngineClassId())
    return vx::ole::CreateClassFactory(
        [](const vx::IID& iid, void** made) {
          return CreateClassObject<vexiro::cImaging>("_cImaging", Interface::Engine, iid, made);
        },
        *riid, object);
  return vx::ole::CLASS_E_CLASSNOTAVAILABLE;
}

vx::HRESULT DllCanUnloadNow() { return vx::ole::ModuleInUse() ? vx::S_FALSE : vx::S_OK; }
