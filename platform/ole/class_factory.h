// In-process COM server plumbing: the full unknown interface (with QueryInterface), object
// safety, class factories and the module's count of live objects and locks that decides whether
// the library may be unloaded.
#pragma once
#include <functional>

#include "platform/ole/istream.h"

namespace vx::ole {

constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);

// {00000000-0000-0000-C000-000000000046}
constexpr IID IID_IUnknown = MakeGuid(0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00000001-0000-0000-C000-000000000046}
constexpr IID IID_IClassFactory = MakeGuid(0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {00020400-0000-0000-C000-000000000046}
constexpr IID IID_IDispatch = MakeGuid(0x00020400, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
// {CB5BDC81-93C1-11CF-8F20-00805F2CD064}
constexpr IID IID_IObjectSafety = MakeGuid(0xCB5BDC81, 0x93C1, 0x11CF, 0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64);

// The unknown interface as COM objects handed to hosts carry it: reference counting and the
// question for another interface of the same object (which adds a reference on success).
class IComUnknown : public IUnknown {
 public:
  virtual HRESULT QueryInterface(const IID& riid, void** object) = 0;
};

class IObjectSafety : public IComUnknown {
 public:
  virtual HRESULT GetInterfaceSafetyOptions(const IID* riid, DWORD* supportedOptions, DWORD* enabledOptions) = 0;
  virtual HRESULT SetInterfaceSafetyOptions(const IID* riid, DWORD optionSetMask, DWORD enabledOptions) = 0;
};

class IClassFactory : public IComUnknown {
 public:
  virtual HRESULT CreateInstance(IComUnknown* outer, const IID& riid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;
};

// Every live object of the module's classes and every server lock holds one reference; the
// module may be unloaded only when none is held.
void AddModuleReference();
void ReleaseModuleReference();
bool ModuleInUse();

// Makes a new object of the class and answers `riid` on it (the result of its QueryInterface).
using ObjectCreator = std::function<HRESULT(const IID& riid, void** object)>;
// A class factory that makes objects with `create`; aggregation is refused. The factory's own
// life is not counted: a host holding only a factory keeps the module through LockServer.
HRESULT CreateClassFactory(ObjectCreator create, const IID& riid, void** factory);

}  // namespace vx::ole
