#include "recording_engine.h"

#include "control/binding.h"
#include "engine/runtime_error.h"

namespace vx::control::testing {

namespace {

Variant ScalarOf(BaseType base, int32_t n) {
  switch (base) {
    case BaseType::Integer: return Variant::I2(static_cast<int16_t>(n));
    case BaseType::Byte: return Variant::Byte(static_cast<uint8_t>(n));
    case BaseType::Single: return Variant::R4(static_cast<float>(n) + 0.5f);
    case BaseType::Double: return Variant::R8(n + 0.25);
    case BaseType::Boolean: return Variant::Bool(true);
    case BaseType::String: return Variant::Str("marker " + std::to_string(n));
    case BaseType::Picture: return Variant::Object(VarType::Dispatch, static_cast<uint32_t>(n));
    case BaseType::Unknown: return Variant::Object(VarType::Unknown, static_cast<uint32_t>(n));
    default: return Variant::I4(n);
  }
}

// Three elements 7, 8, 9 of the array's element type.
SafeArray ArrayMarker(const TypeDesc& type) {
  SafeArray array;
  ArrayOf(type.ValueType(), array);
  ShapeArray(array, {{0, 3}});
  for (int32_t i = 0; i < 3; ++i) StoreElement(array, static_cast<size_t>(i), Variant::I4(7 + i));
  return array;
}

class RecordingBinding final : public TableSignatureBinding {
 public:
  using TableSignatureBinding::TableSignatureBinding;

  HRESULT Call(void* self, std::vector<Variant>& args, Variant& result, unsigned&) const override {
    auto* engine = static_cast<RecordingEngine*>(self);
    RecordedCall call{engine->serial, member_.name, {}};
    for (const Variant& a : args) call.args.push_back(a.Deref());
    engine->log->calls.push_back(std::move(call));
    if (engine->log->failing.count(member_.name)) throw vx::engine::RuntimeError(kFailureNumber, kFailureDescription);
    for (size_t i = 0; i < args.size(); ++i) {
      const ParamDesc& p = member_.params[i];
      if (!p.byRef || !args[i].IsRef()) continue;
      if (p.type.isArray) binding_detail::StoreArrayArgument(args[i], ArrayMarker(p.type));
      else args[i].Deref() = MarkerOf(p.type);
    }
    result = ResultOf(member_);
    return S_OK;
  }
};

bool BindEveryMember() {
  for (const MemberDesc& m : MemberTable::Instance().Members())
    BindingRegistry::Instance().Add(typeid(RecordingEngine), m.name, std::make_unique<RecordingBinding>(m));
  return true;
}
[[maybe_unused]] const bool bound = BindEveryMember();

struct MadeRecordingEngine final : ControlEngine {
  explicit MadeRecordingEngine(std::shared_ptr<RecordingLog> log) : engine{log, ++log->enginesMade} {}
  RecordingEngine engine;
  Dispatch dispatch{engine, Interface::Engine};
  const Dispatch& Dispatcher() const override { return dispatch; }
};

}  // namespace

Variant MarkerOf(const TypeDesc& type) {
  if (type.base == BaseType::Variant) return Variant::Str("variant marker");
  return ScalarOf(type.base, 42);
}

Variant ResultOf(const MemberDesc& member) {
  if (!member.result) return Variant();
  return ScalarOf(member.result->base, 1000 + member.index);
}

EngineClass RecordingEngineClass(std::shared_ptr<RecordingLog> log) {
  return {typeid(RecordingEngine), [log] { return std::unique_ptr<ControlEngine>(std::make_unique<MadeRecordingEngine>(log)); }};
}

}  // namespace vx::control::testing
