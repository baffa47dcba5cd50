#include "control/imaging_control.h"

#include <new>
#include <stdexcept>

#include "control/binding.h"
#include "engine/object_safety.h"
#include "platform/ole/class_factory.h"
#include "vexiro/imaging.h"

namespace vx::control {

namespace {

constexpr int32_t kErrOutOfMemory = 7;

// An engine's run-time error on its way out of a forwarded call, so that dispatch on the control
// reports the number and description the engine gave.
class ForwardedError : public std::runtime_error {
 public:
  explicit ForwardedError(const ExceptionInfo& info) : std::runtime_error(info.description), info_(info) {}
  int32_t Number() const { return info_.number; }
  const std::string& Description() const { return info_.description; }

 private:
  ExceptionInfo info_;
};

// The one forwarder: bound to every member of the table for the control, it takes its
// signature from the member's row and hands the call to the control.
class ForwardingBinding final : public TableSignatureBinding {
 public:
  using TableSignatureBinding::TableSignatureBinding;

  HRESULT Call(void* self, std::vector<Variant>& args, Variant& result, unsigned& argErr) const override {
    ExceptionInfo error;
    const HRESULT hr = static_cast<Imaging*>(self)->Forward(member_, args, result, &error, &argErr);
    if (hr == DISP_E_EXCEPTION) throw ForwardedError(error);
    return hr;
  }
};

bool BindEveryMemberToTheForwarder() {
  RegisterRuntimeErrorType<ForwardedError>();
  for (const MemberDesc& m : MemberTable::Instance().Members())
    BindingRegistry::Instance().Add(typeid(Imaging), m.name, std::make_unique<ForwardingBinding>(m));
  return true;
}
[[maybe_unused]] const bool forwardersBound = BindEveryMemberToTheForwarder();

Variant NullResult(const TypeDesc& type) {
  return type.base == BaseType::String ? Variant::Str("") : Variant::Object(VarType::Dispatch, 0);
}

}  // namespace

bool ResultNulledFirst(const MemberDesc& member) {
  return member.result && !member.result->isArray &&
         (member.result->base == BaseType::String || member.result->base == BaseType::Picture);
}

Imaging::Imaging() : Imaging(EngineClassOf<vexiro::cImaging>()) {}

Imaging::Imaging(EngineClass engineClass) : engineClass_(std::move(engineClass)) { vx::ole::AddModuleReference(); }

Imaging::~Imaging() {
  engine_.reset();
  vx::ole::ReleaseModuleReference();
}

HRESULT Imaging::Forward(const MemberDesc& member, std::vector<Variant>& args, Variant& result, ExceptionInfo* error,
                         unsigned* argErr) {
  if (ResultNulledFirst(member)) result = NullResult(*member.result);
  if (!engine_) {
    try {
      engine_ = engineClass_.make();
    } catch (const std::bad_alloc&) {
      if (error) *error = {kErrOutOfMemory, "Out of memory", "vexiro." + member.name, E_OUTOFMEMORY};
      return E_OUTOFMEMORY;
    }
  }
  std::vector<NamedArgument> none;
  Variant local;
  const HRESULT hr = engine_->Dispatcher().Invoke(member.dispidEngine, args, none, local, error, argErr);
  if (FAILED(hr)) return hr;
  result = std::move(local);
  return S_OK;
}

bool Imaging::EngineImplements(const MemberDesc& member) const {
  return BindingRegistry::Instance().Find(engineClass_.type, member.index) != nullptr;
}

void Imaging::SetExtent(int32_t widthTwips, int32_t heightTwips) {
  widthTwips_ = widthTwips;
  heightTwips_ = heightTwips;
  UserControl_Resize();
}

// The control shows only its picture, which has one size.
void Imaging::UserControl_Resize() {
  widthTwips_ = kDesignSizeTwips;
  heightTwips_ = kDesignSizeTwips;
}

HRESULT Imaging::GetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t* supportedOptions, uint32_t* enabledOptions) {
  return vx::engine::GetInterfaceSafetyOptions(riid, supportedOptions, enabledOptions);
}

HRESULT Imaging::SetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t optionSetMask, uint32_t enabledOptions) {
  return vx::engine::SetInterfaceSafetyOptions(riid, optionSetMask, enabledOptions);
}

}  // namespace vx::control
