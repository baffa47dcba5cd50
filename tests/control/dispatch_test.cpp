// Late-bound calls through the member table into a bound object.
#include <gtest/gtest.h>

#include "control/binding.h"
#include "control/com_errors.h"
#include "control/dispatch.h"
#include "fake_engine.h"
#include "vexiro/imaging.h"

namespace vx::control {
namespace {

using testing::FakeEngine;

class DispatchTest : public ::testing::Test {
 protected:
  HRESULT Call(const char* name, std::vector<Variant> positional, std::vector<NamedArgument> named = {}) {
    argErr = 99;
    return dispatch.InvokeByName(name, positional, named, result, &error, &argErr);
  }
  FakeEngine engine;
  Dispatch dispatch{engine};
  Variant result;
  ExceptionInfo error;
  unsigned argErr = 99;
};

TEST_F(DispatchTest, OmittedOptionalArgumentsGetTheTablesDefaults) {
  ASSERT_EQ(Call("SaveAsJPEG", {Variant::Str("a.jpg")}), S_OK);
  EXPECT_EQ(engine.lastQuality, 75);
  EXPECT_EQ(result.Type(), VarType::I4);
  EXPECT_EQ(result.AsI4(), 0);
  ASSERT_EQ(Call("SaveAsTIFF", {Variant::Str("a.tif")}), S_OK);
  EXPECT_EQ(engine.lastCompression, 2);
  ASSERT_EQ(Call("IsBlank", {}), S_OK);
  EXPECT_FLOAT_EQ(engine.lastConfidence, 99.0f);
  EXPECT_EQ(result.Type(), VarType::Bool);
  EXPECT_EQ(result.BoolBits(), -1);
  // An explicit missing marker counts as omitted.
  ASSERT_EQ(Call("SaveAsJPEG", {Variant::Str("b.jpg"), Variant(Missing{})}), S_OK);
  EXPECT_EQ(engine.lastQuality, 75);
}

TEST_F(DispatchTest, PositionalAndNamedArgumentsAreCoerced) {
  ASSERT_EQ(Call("SaveAsJPEG", {Variant::Str("a.jpg"), Variant::Str("90")}), S_OK);
  EXPECT_EQ(engine.lastQuality, 90);
  ASSERT_EQ(Call("saveasjpeg", {}, {{"NQUALITY", Variant::R8(40.5)}, {"sFilePath", Variant::Str("n.jpg")}}), S_OK);
  EXPECT_EQ(engine.lastQuality, 40);  // 40.5 rounds to even
  EXPECT_EQ(engine.lastPath, "n.jpg");
  ASSERT_EQ(Call("Encode64String", {Variant::I4(12)}), S_OK);
  EXPECT_EQ(result.AsStr(), "[12]");
}

TEST_F(DispatchTest, ArgumentErrorsNameTheArgument) {
  EXPECT_EQ(Call("SaveAsJPEG", {}), DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(argErr, 0u);
  EXPECT_EQ(Call("SaveAsJPEG", {Variant::Str("a"), Variant::Str("high")}), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 1u);
  EXPECT_EQ(Call("SaveAsJPEG", {Variant::Str("a"), Variant::R8(3e9)}), DISP_E_OVERFLOW);
  EXPECT_EQ(Call("SaveAsJPEG", {Variant::Str("a"), Variant::I4(1), Variant::I4(2)}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call("SaveAsJPEG", {Variant::Str("a")}, {{"nQuality", Variant::I4(1)}, {"nquality", Variant::I4(2)}}),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call("SaveAsJPEG", {Variant::Str("a")}, {{"nLevel", Variant::I4(1)}}), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(engine.calls, 0);
}

TEST_F(DispatchTest, UnknownAndUnboundMembers) {
  EXPECT_EQ(Call("NoSuchMember", {}), DISP_E_MEMBERNOTFOUND);
  int32_t id = 0;
  EXPECT_EQ(dispatch.GetIDsOfNames("NoSuchMember", id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  std::vector<Variant> none;
  std::vector<NamedArgument> noNames;
  EXPECT_EQ(dispatch.Invoke(0x60030046, none, noNames, result), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call("FxBlur", {}), E_NOTIMPL);
  EXPECT_FALSE(dispatch.IsBound(*MemberTable::Instance().Find("FxBlur")));
  EXPECT_TRUE(dispatch.IsBound(*MemberTable::Instance().Find("SaveAsJPEG")));
}

TEST_F(DispatchTest, DispidsDependOnTheInterface) {
  int32_t id = 0;
  ASSERT_EQ(dispatch.GetIDsOfNames("setTRANSPARENCYcolor", id), S_OK);
  EXPECT_EQ(id, 0x60030000);
  Dispatch control(engine, Interface::Control);
  ASSERT_EQ(control.GetIDsOfNames("SetTransparencyColor", id), S_OK);
  EXPECT_EQ(id, 0x60030003);
  ASSERT_EQ(control.GetIDsOfNames("CreateImageFromMemory", id), S_OK);
  EXPECT_EQ(id, 0x6003031F);
  ASSERT_EQ(control.GetIDsOfNames("SaveAsJPEG", id), S_OK);
  std::vector<Variant> args{Variant::Str("c.jpg")};
  std::vector<NamedArgument> named;
  EXPECT_EQ(control.Invoke(id, args, named, result), S_OK);
  EXPECT_EQ(engine.lastPath, "c.jpg");
}

TEST_F(DispatchTest, ByReferenceArgumentsAreWrittenBack) {
  Variant left, top, width = Variant::Str("12"), height;  // text that reads as a number
  ASSERT_EQ(Call("CropBordersEX2", {Variant::I4(90), Variant::I4(1), Variant::RefTo(left), Variant::RefTo(top),
                                    Variant::RefTo(width), Variant::RefTo(height)}),
            S_OK);
  EXPECT_EQ(left.AsI4(), 90);
  EXPECT_EQ(top.AsI4(), 1);
  EXPECT_EQ(width.Type(), VarType::I4);
  EXPECT_EQ(width.AsI4(), 190);
  EXPECT_EQ(height.AsI4(), 201);

  Variant histogram;  // an empty variable receives the array
  ASSERT_EQ(Call("HistogramGetRed", {Variant::RefTo(histogram)}), S_OK);
  Variant notANumber = Variant::Str("wide");
  EXPECT_EQ(Call("CropBordersEX2", {Variant::I4(1), Variant::I4(1), Variant::RefTo(left), Variant::RefTo(top),
                                    Variant::RefTo(notANumber), Variant::RefTo(height)}),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 4u);
  EXPECT_EQ(notANumber.AsStr(), "wide");
  ASSERT_NE(histogram.ArrayPtr(), nullptr);
  const auto& filled = std::get<TypedArray<int32_t>>(*histogram.ArrayPtr());
  EXPECT_EQ(filled.data.size(), 256u);
  EXPECT_EQ(filled.dims.size(), 1u);

  SafeArray host{TypedArray<int32_t>{{{5, 1}}, {1}}};  // the host's own array
  ASSERT_EQ(Call("HistogramGetRed", {Variant::RefToArray(host)}), S_OK);
  EXPECT_EQ(std::get<TypedArray<int32_t>>(host).data.size(), 256u);

  Variant bytes = Variant::Array(SafeArray{TypedArray<uint8_t>{{{0, 1}}, {1}}});
  EXPECT_EQ(Call("HistogramGetRed", {Variant::RefTo(bytes)}), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Call("HistogramGetRed", {Variant::I4(3)}), DISP_E_TYPEMISMATCH);
}

TEST_F(DispatchTest, RuntimeErrorsBecomeComErrors) {
  ASSERT_EQ(Call("GetWidth", {}), DISP_E_EXCEPTION);
  EXPECT_EQ(error.number, 53);
  EXPECT_EQ(error.description, "File not found");
  EXPECT_EQ(static_cast<uint32_t>(error.scode), 0x800A0035u);
  EXPECT_EQ(result.Type(), VarType::Empty);
  ASSERT_EQ(Call("GetHeight", {}), DISP_E_EXCEPTION);
  EXPECT_EQ(error.number, 7);
  EXPECT_EQ(error.description, "Out of memory");
  ASSERT_EQ(Call("GetPixelDepth", {}), DISP_E_EXCEPTION);
  EXPECT_EQ(error.number, 51);
  EXPECT_EQ(error.description, "unexpected state");
}

// A member function whose shape differs from its row is refused with the difference named.
struct Mismatched {
  int32_t SaveAsJPEG(const std::string&) { return 0; }                        // one parameter short
  int32_t IsBlank(double) { return 0; }                                       // Double for Single
  int32_t HistogramGetRed(std::vector<int32_t>) { return 0; }                 // array by value
  void GetStat() {}                                                           // result missing
  int32_t CropBordersEX2(int32_t, int32_t, int32_t, int32_t&, int32_t&, int32_t&) { return 0; }  // by value
  int32_t ResizeImage(int32_t, int32_t, vexiro::EnumArg<vexiro::PdfRight>) { return 0; }  // another enumeration
  vexiro::PrinterStatus SaveAsTIFF(const std::string&, int32_t) { return vexiro::PrinterOK; }  // another result
};

// Signatures the table accepts: an enumeration's own type, a plain integer for it, and the type
// of the enumeration whose constants it shares.
struct Matching {
  int32_t ResizeImage(int32_t, int32_t, vexiro::EnumArg<vexiro::InterpolationMode>) { return 0; }
  vexiro::VexiroStatus SaveAsTIFF(const std::string&, int32_t) { return vexiro::OK; }
  int32_t BarcodeDataMatrixReaderDoScan(vexiro::EnumArg<vexiro::Barcode1DReaderScanMode>) { return 0; }
};

template <class Fn>
std::string Difference(const char* member, Fn fn) {
  return [&]<class C, class R, class... A>(R (C::*)(A...)) {
    binding_detail::MemberBinding<C, Fn, R, A...> b(fn);
    return CompareWithTable(*MemberTable::Instance().Find(member), b);
  }(fn);
}

TEST(Binding, SignaturesAreCheckedAgainstTheTable) {
  EXPECT_NE(Difference("SaveAsJPEG", &Mismatched::SaveAsJPEG).find("1 parameters in C++, 2 in the table"), std::string::npos);
  EXPECT_NE(Difference("IsBlank", &Mismatched::IsBlank).find("nConfidence"), std::string::npos);
  EXPECT_NE(Difference("HistogramGetRed", &Mismatched::HistogramGetRed).find("ByRef"), std::string::npos);
  EXPECT_NE(Difference("GetStat", &Mismatched::GetStat).find("result"), std::string::npos);
  EXPECT_NE(Difference("CropBordersEX2", &Mismatched::CropBordersEX2).find("nLeft"), std::string::npos);
  EXPECT_NE(Difference("ResizeImage", &Mismatched::ResizeImage)
                .find("nInterpolationMode is InterpolationMode in the table, PdfRight in C++"),
            std::string::npos);
  EXPECT_NE(Difference("SaveAsTIFF", &Mismatched::SaveAsTIFF)
                .find("result is VexiroStatus in the table, PrinterStatus in C++"),
            std::string::npos);
  EXPECT_EQ(Difference("SaveAsJPEG", &FakeEngine::SaveAsJPEG), "");
  EXPECT_EQ(Difference("ResizeImage", &Matching::ResizeImage), "");
  EXPECT_EQ(Difference("SaveAsTIFF", &Matching::SaveAsTIFF), "");
  EXPECT_EQ(Difference("BarcodeDataMatrixReaderDoScan", &Matching::BarcodeDataMatrixReaderDoScan), "");
}

TEST(Binding, EveryInstalledBindingAgreesWithTheTable) {
  // Bindings are checked when they are installed; a refused one is listed here.
  for (const std::string& problem : BindingRegistry::Instance().Problems()) ADD_FAILURE() << problem;
  EXPECT_GE(BindingRegistry::Instance().CountFor(typeid(FakeEngine)), 10u);
}

TEST(Binding, EverySubsystemsBindingsAreInstalledWithTheLibrary) {
  // One member from each subsystem and subject that binds members: a bindings file left out of the
  // library, or one that binds another class, leaves its members unbound for the engine.
  for (const char* member :
       {"GetStat", "GetWidth", "CreateNewImage", "SaveAsJPEG", "CopyToClipboard", "ColorPaletteGet"}) {
    const MemberDesc* m = MemberTable::Instance().Find(member);
    ASSERT_NE(m, nullptr) << member;
    EXPECT_NE(BindingRegistry::Instance().Find(typeid(vexiro::cImaging), m->index), nullptr) << member;
  }
}

}  // namespace
}  // namespace vx::control
