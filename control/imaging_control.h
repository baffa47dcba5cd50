// The Imaging control: what a form or script page places to reach the library. It carries the
// engine's whole member table and forwards each call to one engine of its own, made at the first
// call; it keeps a fixed design size and answers the safety questions as the engine does.
#pragma once
#include <functional>
#include <memory>
#include <typeindex>
#include <vector>

#include "control/dispatch.h"
#include "control/member_table.h"
#include "control/variant.h"

namespace vx {
struct GUID;
}

namespace vx::control {

// An engine made for a control, with the dispatch through which the control calls it.
class ControlEngine {
 public:
  virtual ~ControlEngine() = default;
  virtual const Dispatch& Dispatcher() const = 0;
};

// The class of the engines a control makes: its type (which names its bindings) and its maker.
struct EngineClass {
  std::type_index type;
  std::function<std::unique_ptr<ControlEngine>()> make;
};

template <class C>
EngineClass EngineClassOf() {
  struct Made final : ControlEngine {
    C engine;
    Dispatch dispatch{engine, Interface::Engine};
    const Dispatch& Dispatcher() const override { return dispatch; }
  };
  return {typeid(C), [] { return std::unique_ptr<ControlEngine>(std::make_unique<Made>()); }};
}

class Imaging {
 public:
  static constexpr int32_t kDesignSizeTwips = 420;  // 28 pixels at 15 twips a pixel: its picture

  Imaging();  // with the library's engine
  explicit Imaging(EngineClass engineClass);
  ~Imaging();
  Imaging(const Imaging&) = delete;
  Imaging& operator=(const Imaging&) = delete;

  // Calls the member of the control's engine with `args` (one per parameter, optional ones
  // filled). A string or picture result is set to null first; the engine is made if the control
  // has none; by-reference arguments reach the caller's own variables. On failure the engine's
  // error and its record (or the argument it refused) pass on and `result` is written no further;
  // on success it takes the engine's result.
  HRESULT Forward(const MemberDesc& member, std::vector<Variant>& args, Variant& result, ExceptionInfo* error = nullptr,
                  unsigned* argErr = nullptr);

  bool HasEngine() const { return engine_ != nullptr; }
  // Whether the engine class implements the member (the control itself forwards every one).
  bool EngineImplements(const MemberDesc& member) const;

  // What a container does when it gives the control a size; the control keeps its design size.
  void SetExtent(int32_t widthTwips, int32_t heightTwips);
  int32_t Width() const { return widthTwips_; }
  int32_t Height() const { return heightTwips_; }

  HRESULT GetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t* supportedOptions, uint32_t* enabledOptions);
  HRESULT SetInterfaceSafetyOptions(const vx::GUID* riid, uint32_t optionSetMask, uint32_t enabledOptions);

 private:
  void UserControl_Resize();

  EngineClass engineClass_;
  std::unique_ptr<ControlEngine> engine_;
  int32_t widthTwips_ = kDesignSizeTwips;
  int32_t heightTwips_ = kDesignSizeTwips;
};

// Whether a member's result is set to null before the call: the string and picture results.
bool ResultNulledFirst(const MemberDesc& member);

}  // namespace vx::control
