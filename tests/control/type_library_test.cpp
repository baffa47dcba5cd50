// Type information of the two interfaces, as a host queries it at run time.
#include <gtest/gtest.h>

#include <regex>

#include "control/type_library.h"

namespace vx::control {
namespace {

TEST(TypeInfo, DescribesBothInterfaces) {
  const TypeInfo engine(Interface::Engine), control(Interface::Control);
  EXPECT_EQ(engine.Describe().name, "_cImaging");
  EXPECT_EQ(engine.Describe().vtableSize, 804);
  EXPECT_EQ(control.Describe().name, "_Imaging");
  EXPECT_EQ(control.Describe().vtableSize, 1286);
  EXPECT_NE(engine.Describe().guid, control.Describe().guid);
  ASSERT_EQ(engine.FunctionCount(), 749);
  EXPECT_EQ(engine.MemberId(0), 0x60030000);
  EXPECT_EQ(control.MemberId(0), 0x60030003);
  EXPECT_EQ(engine.VtableSlot(748), 803);
  EXPECT_EQ(control.VtableSlot(748), 1285);
  // Every member fits inside the interface's vtable.
  for (int i = 0; i < engine.FunctionCount(); ++i) {
    EXPECT_LT(engine.VtableSlot(i), engine.Describe().vtableSize);
    EXPECT_LT(control.VtableSlot(i), control.Describe().vtableSize);
  }
}

TEST(TypeInfo, NamesOfAMemberAndItsParameters) {
  const TypeInfo engine(Interface::Engine);
  EXPECT_EQ(engine.GetNames(0x60030000), (std::vector<std::string>{"SetTransparencyColor", "nColorARGB"}));
  const TypeInfo control(Interface::Control);
  const std::vector<std::string> names = control.GetNames(0x6003031F);
  EXPECT_EQ(names, (std::vector<std::string>{"CreateImageFromMemory", "hMem", "Length"}));
  EXPECT_TRUE(engine.GetNames(0x60030046).empty());
}

TEST(TypeInfo, GuidsAreFixedAndDistinct) {
  const std::string a = StableGuid("_cImaging");
  EXPECT_EQ(a, StableGuid("_cImaging"));
  EXPECT_NE(a, StableGuid("_Imaging"));
  EXPECT_TRUE(std::regex_match(a, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-5[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}"))) << a;
}

TEST(TypeInfo, IdlDescribesEveryMemberOnBothInterfaces) {
  const std::string idl = GenerateIdl();
  size_t methods = 0;
  for (size_t at = idl.find("HRESULT "); at != std::string::npos; at = idl.find("HRESULT ", at + 1)) ++methods;
  EXPECT_EQ(methods, 2u * 749u);
  EXPECT_NE(idl.find("HRESULT IsBlank([in, optional, defaultvalue(99.0)] single nConfidence,"), std::string::npos);
  EXPECT_NE(idl.find("[in, out] BSTR* sOutputFile"), std::string::npos);
  EXPECT_NE(idl.find("[in, out] Picture** oInputPicture"), std::string::npos);
  EXPECT_NE(idl.find("[in, optional, defaultvalue(0)] VARIANT_BOOL bAntiAlias"), std::string::npos);
  EXPECT_NE(idl.find("[in, optional, defaultvalue(\"Vexiro ZedeDud\")] BSTR sCreator"), std::string::npos);
  EXPECT_NE(idl.find("[id(0x60030338)]\n        HRESULT CreateImageFromMemory("), std::string::npos);
  EXPECT_NE(idl.find("[id(0x6003031f)]\n        HRESULT CreateImageFromMemory("), std::string::npos);
}

}  // namespace
}  // namespace vx::control
