// Bindings of the engine's utility members: processing region, measures, versions, Base64 text,
// distance, clearing, switches and lossless JPEG transforms.
#include "control/binding.h"
#include "engine/image_store.h"
#include "platform/gdiplus/image_handle_table.h"
#include "platform/kernel/global_memory.h"
#include "platform/ole/picture.h"
#include "vexiro/imaging.h"

namespace vx::control {

namespace {

// A member whose table row types a raw address or a picture differently from its C++ form: a
// free function takes the table's values, maps them through the platform's handle tables and
// calls the member. Arguments load, convert and write back as for any member.
template <class R, class... A>
class AdapterBinding final : public Binding {
 public:
  using Fn = R (*)(vexiro::cImaging&, A...);
  explicit AdapterBinding(Fn fn) : fn_(fn) {}

  HRESULT Call(void* self, std::vector<Variant>& args, Variant& result, unsigned& argErr) const override {
    if (args.size() != sizeof...(A)) return DISP_E_BADPARAMCOUNT;
    return CallWith(*static_cast<vexiro::cImaging*>(self), args, result, argErr, std::index_sequence_for<A...>{});
  }
  std::vector<CppTypeInfo> ParamTypes() const override { return {binding_detail::Holder<A>::Info()...}; }
  std::optional<CppTypeInfo> ResultType() const override { return binding_detail::Holder<R>::Info(); }

 private:
  template <size_t... I>
  HRESULT CallWith(vexiro::cImaging& engine, std::vector<Variant>& args, Variant& result, unsigned& argErr,
                   std::index_sequence<I...>) const {
    std::tuple<binding_detail::Holder<A>...> held;
    if (const HRESULT hr = binding_detail::LoadArguments(held, args, argErr, std::index_sequence<I...>{}); FAILED(hr))
      return hr;
    result = binding_detail::ResultToVariant(fn_(engine, std::get<I>(held).Get()...));
    (std::get<I>(held).Store(args[I]), ...);
    return S_OK;
  }

  Fn fn_;
};

template <class R, class... A>
bool RegisterAdapter(std::string_view member, R (*fn)(vexiro::cImaging&, A...)) {
  return BindingRegistry::Instance().Add(typeid(vexiro::cImaging), member, std::make_unique<AdapterBinding<R, A...>>(fn));
}

// A picture comes as an object or as the number of its handle in the picture table.
int32_t CreateImageFromPictureByHandle(vexiro::cImaging& engine, Variant& oPicture) {
  const Variant& value = oPicture.Deref();
  HANDLE32 handle = 0;
  Variant number;
  if (value.Type() == VarType::Dispatch || value.Type() == VarType::Unknown) handle = value.AsHandle();
  else if (SUCCEEDED(value.ChangeType(VarType::I4, number))) handle = static_cast<HANDLE32>(number.AsI4());
  const ole::ComPtr<ole::IPicture> picture = ole::FindPicture(handle);
  return engine.CreateImageFromPicture(picture.get());
}

// Raw memory comes as a global memory block; only as many bytes as the block holds are read.
vexiro::VexiroStatus CreateImageFromMemoryByHandle(vexiro::cImaging& engine, int32_t hMem, int32_t Length) {
  const auto block = static_cast<HGLOBAL>(hMem);
  if (Length > 0 && static_cast<size_t>(Length) > GlobalSize(block)) return engine.CreateImageFromMemory(0, 0);
  void* bytes = GlobalLock(block);
  const vexiro::VexiroStatus s = engine.CreateImageFromMemory(reinterpret_cast<intptr_t>(bytes), Length);
  if (bytes) GlobalUnlock(block);
  return s;
}

// The pixels stay in the block, which the image borrows: the block keeps one lock, so it never
// moves, for as long as the host keeps it.
int32_t CreateImageFromRawBitsByHandle(vexiro::cImaging& engine, int32_t nWidth, int32_t nHeight, int32_t nStride,
                                       int32_t nPixelFormat, int32_t nBits) {
  if (nBits == 0) return engine.CreateImageFromRawBits(nWidth, nHeight, nStride, nPixelFormat, 0);
  const auto block = static_cast<HGLOBAL>(nBits);
  const int64_t needed = static_cast<int64_t>(nStride < 0 ? -int64_t{nStride} : nStride) * nHeight;
  // A block too small for the rows is refused as an empty size is: InvalidParameter, no image.
  if (nHeight < 1 || needed > static_cast<int64_t>(GlobalSize(block)))
    return engine.CreateImageFromRawBits(0, 0, 0, nPixelFormat, 0);
  void* bits = GlobalLock(block);
  // A negative stride starts at the last row, as a bottom-up bitmap's pixels do.
  const intptr_t scan0 = reinterpret_cast<intptr_t>(bits) + (nStride < 0 ? (needed + nStride) : 0);
  const int32_t id = engine.CreateImageFromRawBits(nWidth, nHeight, nStride, nPixelFormat, bits ? scan0 : 0);
  if (id == 0 && bits) GlobalUnlock(block);
  return id;
}

// The store takes the image over, so its handle goes: a second call cannot adopt it twice.
int32_t CreateImageFromGdiPlusImageByHandle(vexiro::cImaging& engine, int32_t nGdiPlusImage) {
  const auto handle = static_cast<HANDLE32>(nGdiPlusImage);
  const int32_t id =
      engine.CreateImageFromGdiPlusImage(reinterpret_cast<intptr_t>(gdiplus::FindImageHandle(handle)));
  if (id != 0) gdiplus::RevokeImageHandle(handle);
  return id;
}

// The store keeps the image: the handle lets a script name it, never adopt it.
int32_t GetGdiplusImageAsHandle(vexiro::cImaging& engine) {
  return static_cast<int32_t>(
      gdiplus::LendImageHandle(reinterpret_cast<gdiplus::GpImage*>(engine.GetGdiplusImage())));
}

// The address is the image's own memory, not a block a script may free or lend to a new image:
// the handle only names it, and goes with the image.
int32_t GetImageBitsAsHandle(vexiro::cImaging& engine) {
  const intptr_t bits = engine.GetImageBits();
  return static_cast<int32_t>(
      gdiplus::LendPixelAddressHandle(vx::engine::GetGpImage(engine.GetNativeImage()), bits));
}

}  // namespace

VX_BIND(SetROI, &vexiro::cImaging::SetROI);
VX_BIND(ResetROI, &vexiro::cImaging::ResetROI);
VX_BIND(FiltersToZone, &vexiro::cImaging::FiltersToZone);
VX_BIND(FiltersToImage, &vexiro::cImaging::FiltersToImage);
VX_BIND(RemoveAllImage, &vexiro::cImaging::RemoveAllImage);
VX_BIND(CountColor, &vexiro::cImaging::CountColor);
VX_BIND(GetAverageColor, &vexiro::cImaging::GetAverageColor);
VX_BIND(IsGrayscale, &vexiro::cImaging::IsGrayscale);
VX_BIND(IsBitonal, &vexiro::cImaging::IsBitonal);
VX_BIND(IsBlank, &vexiro::cImaging::IsBlank);
VX_BIND(GetVersion, &vexiro::cImaging::GetVersion);
VX_BIND(GetGdiplusVersion, &vexiro::cImaging::GetGdiplusVersion);
VX_BIND(Encode64String, &vexiro::cImaging::Encode64String);
VX_BIND(Decode64String, &vexiro::cImaging::Decode64String);
VX_BIND(GetDistance, &vexiro::cImaging::GetDistance);
VX_BIND(GetIcon, &vexiro::cImaging::GetIcon);
VX_BIND(ClearImage, &vexiro::cImaging::ClearImage);
VX_BIND(DisableVximgplugCodecs, &vexiro::cImaging::DisableVximgplugCodecs);
VX_BIND(ForceImageValidation, &vexiro::cImaging::ForceImageValidation);
VX_BIND(GetDesktopHwnd, &vexiro::cImaging::GetDesktopHwnd);
VX_BIND(TransformJPEG, &vexiro::cImaging::TransformJPEG);
VX_BIND(SaveAsICO, &vexiro::cImaging::SaveAsICO);
VX_BIND(SupportFunc, &vexiro::cImaging::SupportFunc);

[[maybe_unused]] static const bool kAdaptersBound =
    RegisterAdapter("CreateImageFromPicture", &CreateImageFromPictureByHandle) &&
    RegisterAdapter("CreateImageFromMemory", &CreateImageFromMemoryByHandle) &&
    RegisterAdapter("CreateImageFromRawBits", &CreateImageFromRawBitsByHandle) &&
    RegisterAdapter("CreateImageFromGdiPlusImage", &CreateImageFromGdiPlusImageByHandle) &&
    RegisterAdapter("GetGdiplusImage", &GetGdiplusImageAsHandle) &&
    RegisterAdapter("GetImageBits", &GetImageBitsAsHandle);

}  // namespace vx::control
