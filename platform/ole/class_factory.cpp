#include "platform/ole/class_factory.h"

#include <atomic>
#include <exception>
#include <new>

#include "platform/ole/com_object.h"

namespace vx::ole {

namespace {

std::atomic<long>& ModuleReferences() {
  static std::atomic<long> references{0};
  return references;
}

// Kept apart from the objects, so that a host unlocking more often than it locked cannot cancel
// the count of live objects.
std::atomic<long>& ServerLocks() {
  static std::atomic<long> locks{0};
  return locks;
}

void UnlockServer() {
  long held = ServerLocks().load();
  while (held > 0 && !ServerLocks().compare_exchange_weak(held, held - 1)) {
  }
}

class ClassFactory final : public RefCounted<IClassFactory> {
 public:
  explicit ClassFactory(ObjectCreator create) : create_(std::move(create)) {}

  HRESULT QueryInterface(const IID& riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!(riid == IID_IUnknown) && !(riid == IID_IClassFactory)) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }

  HRESULT CreateInstance(IComUnknown* outer, const IID& riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    // Nothing a construction throws may cross into the host.
    try {
      return create_(riid, object);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (const std::exception&) {
      return E_FAIL;
    }
  }

  HRESULT LockServer(BOOL lock) override {
    if (lock) ++ServerLocks();
    else UnlockServer();
    return S_OK;
  }

 private:
  ObjectCreator create_;
};

}  // namespace

void AddModuleReference() { ++ModuleReferences(); }
void ReleaseModuleReference() { --ModuleReferences(); }
bool ModuleInUse() { return ModuleReferences() > 0 || ServerLocks() > 0; }

HRESULT CreateClassFactory(ObjectCreator create, const IID& riid, void** factory) {
  if (!factory) return E_POINTER;
  *factory = nullptr;
  ClassFactory* made = new (std::nothrow) ClassFactory(std::move(create));
  if (!made) return E_OUTOFMEMORY;
  const HRESULT hr = made->QueryInterface(riid, factory);
  made->Release();  // the creation reference: the factory now lives on the answer's reference only
  return hr;
}

}  // namespace vx::ole
