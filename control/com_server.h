// The library as an in-process COM server: its classes Imaging and cImaging made through class
// factories, and the four entry points a host finds by name in libvexiro.so.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "control/dispatch.h"
#include "control/variant.h"
#include "platform/ole/class_factory.h"

namespace vx::control {

constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200u);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

// The default interface of both classes as a C++ host holds it: late-bound calls by name or by
// the class's dispatch identifiers. Either class answers QueryInterface for IUnknown, IDispatch,
// IObjectSafety and the 15 identifiers its default interface has had.
class IImagingDispatch : public vx::ole::IComUnknown {
 public:
  virtual HRESULT GetIDsOfNames(std::string_view name, int32_t& dispid) = 0;
  virtual HRESULT Invoke(int32_t dispid, std::vector<Variant>& positional, std::vector<NamedArgument>& named,
                         Variant& result, ExceptionInfo* error) = 0;
};

// The class identifiers, as GUIDs.
vx::CLSID ImagingClassId();
vx::CLSID EngineClassId();
vx::CLSID DummyClassId();

}  // namespace vx::control

extern "C" {
__attribute__((visibility("default"))) vx::HRESULT DllRegisterServer();
__attribute__((visibility("default"))) vx::HRESULT DllUnregisterServer();
__attribute__((visibility("default"))) vx::HRESULT DllGetClassObject(const vx::CLSID* rclsid, const vx::IID* riid,
                                                                     void** object);
__attribute__((visibility("default"))) vx::HRESULT DllCanUnloadNow();
}
