// The library as a COM server: class factories, the identifiers its objects answer to, and the
// count of live objects and locks that decides whether it may be unloaded.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "control/com_server.h"
#include "control/imaging_control.h"
#include "control/type_library.h"
#include "platform/ole/ole.h"
#include "vexiro/imaging.h"

namespace vx::control {
namespace {

using vx::ole::ComPtr;
using vx::ole::IClassFactory;

vx::GUID GuidOf(const std::string& text) {
  vx::GUID id;
  EXPECT_EQ(vx::ole::CLSIDFromString("{" + text + "}", &id), S_OK);
  return id;
}

ComPtr<IClassFactory> FactoryOf(const vx::CLSID& clsid) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(DllGetClassObject(&clsid, &vx::ole::IID_IClassFactory, reinterpret_cast<void**>(factory.put())), S_OK);
  return factory;
}

TEST(ComServer, TheFourEntryPointsAreExportedByName) {
  for (const char* name : {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject", "DllCanUnloadNow"})
    EXPECT_NE(::dlsym(RTLD_DEFAULT, name), nullptr) << name;
}

TEST(ComServer, ClassObjectsExistForTheControlAndTheEngineOnly) {
  struct Row {
    const char* what;
    vx::CLSID clsid;
    HRESULT hr;
  };
  const Row rows[] = {
      {"Imaging", ImagingClassId(), S_OK},
      {"cImaging", EngineClassId(), S_OK},
      {"dummy", DummyClassId(), vx::ole::CLASS_E_CLASSNOTAVAILABLE},
      {"an interface, not a class", GuidOf(StableGuid("_cImaging")), vx::ole::CLASS_E_CLASSNOTAVAILABLE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetClassObject(&row.clsid, &vx::ole::IID_IClassFactory, &object), row.hr);
    if (SUCCEEDED(row.hr)) static_cast<IClassFactory*>(object)->Release();
    else EXPECT_EQ(object, nullptr);
  }
  const vx::CLSID imaging = ImagingClassId();
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(DllGetClassObject(&imaging, &vx::ole::IID_IObjectSafety, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(DllGetClassObject(&imaging, &vx::ole::IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(DllGetClassObject(nullptr, &vx::ole::IID_IClassFactory, &object), E_INVALIDARG);
  EXPECT_EQ(DllGetClassObject(&imaging, nullptr, &object), E_INVALIDARG);
}

// Each class answers for the 15 identifiers of its own default interface, not for the other's.
TEST(ComServer, ObjectsAnswerForEveryIdentifierOfTheirDefaultInterface) {
  struct Row {
    vx::CLSID clsid;
    const char* own;
    const char* other;
    const char* firstMember;
    int32_t dispid;
  };
  const Row rows[] = {{ImagingClassId(), "_Imaging", "_cImaging", "SetTransparencyColor", 0x60030003},
                      {EngineClassId(), "_cImaging", "_Imaging", "SetTransparencyColor", 0x60030000}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.own);
    ComPtr<IClassFactory> factory = FactoryOf(row.clsid);
    ComPtr<IImagingDispatch> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, vx::ole::IID_IUnknown, reinterpret_cast<void**>(object.put())), S_OK);
    const std::vector<std::string> own = InterfaceIdentifiers(row.own);
    ASSERT_EQ(own.size(), 15u);
    for (const std::string& iid : own) {
      ComPtr<IImagingDispatch> asked;
      EXPECT_EQ(object->QueryInterface(GuidOf(iid), reinterpret_cast<void**>(asked.put())), S_OK) << iid;
      EXPECT_EQ(asked.get(), object.get());
    }
    void* refused = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(GuidOf(InterfaceIdentifiers(row.other).front()), &refused), E_NOINTERFACE);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(object->QueryInterface(GuidOf(StableGuid("nothing")), nullptr), E_POINTER);
    int32_t dispid = 0;
    EXPECT_EQ(object->GetIDsOfNames(row.firstMember, dispid), S_OK);
    EXPECT_EQ(dispid, row.dispid);
    // The safety answers come through the object's own IObjectSafety.
    ComPtr<vx::ole::IObjectSafety> safety;
    ASSERT_EQ(object->QueryInterface(vx::ole::IID_IObjectSafety, reinterpret_cast<void**>(safety.put())), S_OK);
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(&vx::ole::IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 1u);
    void* aggregated = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(object.get(), vx::ole::IID_IUnknown, &aggregated), vx::ole::CLASS_E_NOAGGREGATION);
    EXPECT_EQ(aggregated, nullptr);
  }
}

TEST(ComServer, AMemberCalledThroughAnObjectReachesItsEngine) {
  ComPtr<IClassFactory> factory = FactoryOf(ImagingClassId());
  ComPtr<IImagingDispatch> control;
  ASSERT_EQ(factory->CreateInstance(nullptr, GuidOf(StableGuid("_Imaging")), reinterpret_cast<void**>(control.put())), S_OK);
  int32_t dispid = 0;
  ASSERT_EQ(control->GetIDsOfNames("Encode64String", dispid), S_OK);
  std::vector<Variant> args{Variant::Str("vexiro")};
  std::vector<NamedArgument> named;
  Variant result;
  ASSERT_EQ(control->Invoke(dispid, args, named, result, nullptr), S_OK);
  EXPECT_EQ(result.AsStr(), "dmV4aXJv");
}

// The library may go only while no object of its classes, however made, and no lock lives.
TEST(ComServer, TheLibraryMayBeUnloadedOnlyWithoutLiveObjectsOrLocks) {
  ASSERT_EQ(DllCanUnloadNow(), S_OK);
  {
    ComPtr<IClassFactory> factory = FactoryOf(EngineClassId());
    EXPECT_EQ(DllCanUnloadNow(), S_OK);  // a factory alone does not hold the library
    ComPtr<IImagingDispatch> engine;
    ASSERT_EQ(factory->CreateInstance(nullptr, vx::ole::IID_IDispatch, reinterpret_cast<void**>(engine.put())), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    engine.reset();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    ASSERT_EQ(factory->LockServer(TRUE_), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    ASSERT_EQ(factory->LockServer(FALSE_), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    // An unlock too many does not cancel a live object.
    ASSERT_EQ(factory->CreateInstance(nullptr, vx::ole::IID_IDispatch, reinterpret_cast<void**>(engine.put())), S_OK);
    factory->LockServer(FALSE_);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  {
    Imaging control;  // made directly, without a factory
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  }
  {
    vexiro::cImaging engine;
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

}  // namespace
}  // namespace vx::control
