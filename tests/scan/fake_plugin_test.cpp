// The engine's side of scanning against a scripted stand-in of the plug-in: the version check,
// the plug-in's results, value packing and rounding, list bounds and raw transfers.
#include <dlfcn.h>

#include <cstdlib>

#include "devices/scan/twain_plugin.h"
#include "platform/kernel/global_memory.h"
#include "platform/user/user.h"
#include "scan_test_support.h"

namespace vxtest::scan {
namespace {

// A build of the stand-in found first on the plug-in path while the fixture lives.
class FakePluginTest : public ::testing::Test {
 protected:
  void Use(const std::string& folder) {
    const std::string dir = std::string(VEXIRO_PLUGIN_DIR) + "/fake_vxtwain/" + folder;
    setenv("VEXIRO_PLUGIN_PATH", dir.c_str(), 1);
    vx::scan::ResetVxtwainBindingForTesting();
    module_ = dlopen((dir + "/vxtwain.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module_, nullptr);
    Bind("VxFakeReset", reset_);
    Bind("VxFakeSet", set_);
    Bind("VxFakeSetText", setText_);
    Bind("VxFakeSetList", setList_);
    Bind("VxFakeSetNative", setNative_);
    Bind("VxFakeLog", log_);
    reset_();
  }
  template <class F>
  void Bind(const char* name, F& slot) {
    slot = reinterpret_cast<F>(dlsym(module_, name));
    ASSERT_NE(slot, nullptr) << name;
  }
  void SetUp() override {
    saved_ = std::getenv("VEXIRO_PLUGIN_PATH") ? std::getenv("VEXIRO_PLUGIN_PATH") : "";
    vx::SetMessageBoxSink([this](const std::string& text, const std::string& caption, vx::UINT) {
      messages_ += caption + ": " + text + "\n";
      return vx::IDOK;
    });
    engine_ = std::make_unique<vexiro::cImaging>();
    Use("v630");
  }
  void TearDown() override {
    engine_.reset();
    vx::SetMessageBoxSink(nullptr);
    setenv("VEXIRO_PLUGIN_PATH", saved_.c_str(), 1);
    vx::scan::ResetVxtwainBindingForTesting();
    if (module_ != nullptr) dlclose(module_);
  }
  void List(std::vector<double> values) { setList_(values.data(), static_cast<int32_t>(values.size())); }
  std::string Log() const { return log_(); }

  std::unique_ptr<vexiro::cImaging> engine_;
  std::string messages_;
  void* module_ = nullptr;
  std::string saved_;
  void (*reset_)() = nullptr;
  void (*set_)(const char*, double) = nullptr;
  void (*setText_)(const char*, const char*) = nullptr;
  void (*setList_)(const double*, int32_t) = nullptr;
  void (*setNative_)(const uint8_t*, int32_t) = nullptr;
  const char* (*log_)() = nullptr;
};

struct VersionCase {
  const char* folder;
  bool passes;
  const char* message;
};

const VersionCase kVersions[] = {
    {"v630", true, ""},
    {"v629", false, "Error: Bad VXTWAIN.DLL version.\n"},
    {"file0001", false, "Error: Can't found VXTWAIN.DLL file.\n"},
    {"file0910", true, ""},
};

class VersionCheck : public FakePluginTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionCheck, TooOldOrMissingPluginsAreToldAndStopTheMember) {
  Use(GetParam().folder);
  EXPECT_EQ(engine_->TwainIsAvailable(), GetParam().passes);
  EXPECT_EQ(messages_, GetParam().message);
  EXPECT_EQ(engine_->TwainAcquireToVexiroImage(), 0);
  if (!GetParam().passes) {
    EXPECT_EQ(engine_->GetStat(), vexiro::WrongVxTwainVersion);
    EXPECT_EQ(Log().find("AcquireNative"), std::string::npos) << "stops after the failed check";
    EXPECT_EQ(engine_->TwainGetState(), -1);
    EXPECT_EQ(engine_->TwainGetLastConditionCode(), 1);
    EXPECT_EQ(engine_->TwainGetLastResultCode(), 0);
    double value = 5;
    EXPECT_FALSE(engine_->TwainGetCapCurrentNumeric(0x1101, value));
    EXPECT_EQ(value, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Plugins, VersionCheck, ::testing::ValuesIn(kVersions),
                         [](const auto& info) { return std::string(info.param.folder); });

TEST_F(FakePluginTest, OnlyThePluginsOneCountsAsSuccess) {
  for (double result : {-1.0, 2.0, 0.0}) {
    for (const char* name : {"CloseSourceManager", "DisableSource", "EnableDuplex", "IsAvailable", "OpenSource",
                             "AbortAllPendingXfers", "SetAutoFeed", "SetPaperSize"})
      set_(name, result);
    EXPECT_FALSE(engine_->TwainCloseSourceManager()) << result;
    EXPECT_FALSE(engine_->TwainDisableSource()) << result;
    EXPECT_FALSE(engine_->TwainEnableDuplex(true)) << result;
    EXPECT_FALSE(engine_->TwainIsAvailable()) << result;
    EXPECT_FALSE(engine_->TwainOpenSource("a")) << result;
    EXPECT_FALSE(engine_->TwainEndAllXfers()) << result;
    EXPECT_FALSE(engine_->TwainSetAutoFeed(true)) << result;
    EXPECT_FALSE(engine_->TwainSetPaperSize(5)) << result;
  }
}

TEST_F(FakePluginTest, ValuesGoPackedAndComeBackRoundedHalfToEven) {
  set_("GetCapItemType", 7);
  EXPECT_TRUE(engine_->TwainSetCapCurrentNumeric(0x1101, 7, 20));
  EXPECT_NE(Log().find("SetCapOneValue 4353 7 20;"), std::string::npos) << "FIX32 of 20 is 0x14: " << Log();
  EXPECT_TRUE(engine_->TwainSetCapCurrentNumeric(0x1101, 1, 20));
  EXPECT_NE(Log().find("SetCapOneValue 4353 1 20;"), std::string::npos);
  EXPECT_TRUE(engine_->TwainSetCapCurrentNumeric(0x1101, 7, -1));
  EXPECT_NE(Log().find("SetCapOneValue 4353 7 65535;"), std::string::npos) << Log();
  set_("current", 1);
  for (const auto& [value, expected] : std::vector<std::pair<double, int32_t>>{{127.5, 128}, {126.5, 126}, {-0.5, 0}}) {
    set_("GetLastCapValueCurrent", value);
    EXPECT_EQ(engine_->TwainGetCurrentThreshold(), expected) << value;
  }
  set_("State", 3);
  set_("GetBrightness", 20);
  EXPECT_EQ(engine_->TwainGetCurrentBrightness(), -99999) << "no source open";
  EXPECT_EQ(engine_->TwainGetCurrentResolution(), -1);
  EXPECT_EQ(engine_->TwainGetCurrentBitDepth(), 0);
}

TEST_F(FakePluginTest, ListsAreReadOnlyAsFarAsTheyReach) {
  List({1, 5, 3});
  vexiro::BasicArray<int32_t> empty;
  EXPECT_EQ(engine_->TwainGetAvailablePaperSize(empty), 3);
  EXPECT_EQ(empty.Data(), (std::vector<int32_t>{1, 5, 3}));
  vexiro::BasicArray<int32_t> ten({vexiro::ArrayBound{0, 10}});
  ten.Data().assign(10, 9);
  EXPECT_EQ(engine_->TwainGetAvailablePaperSize(ten), 3);
  EXPECT_EQ(ten.Data(), (std::vector<int32_t>{1, 5, 3, 0, 0, 0, 0, 0, 0, 0}));
  vexiro::BasicArray<std::string> texts({vexiro::ArrayBound{1, 10}});
  EXPECT_EQ(engine_->TwainGetAvailableCapValuesString(0x1000, texts), 3);
  EXPECT_EQ(Log().find("past"), std::string::npos) << "nothing asked past the list: " << Log();
  EXPECT_EQ(engine_->TwainGetAvailablePaperSizeNo(0), 0);
  EXPECT_EQ(engine_->TwainGetAvailablePaperSizeNo(4), 0);
  EXPECT_EQ(engine_->TwainGetAvailableCompressionNo(4), -1);
  List({2.5, 3.5});
  EXPECT_EQ(engine_->TwainGetAvailableBarCodeTypeNo(1), 2);
  EXPECT_EQ(engine_->TwainGetAvailableBarCodeTypeNo(2), 4);
  EXPECT_EQ(engine_->TwainGetAvailableBarCodeTypeNo(3), -1);
}

TEST_F(FakePluginTest, BarcodesAreNumberedFromOne) {
  set_("BarCodeCount", 3);
  setText_("barcode2", "third");
  EXPECT_EQ(engine_->TwainBarCodeGetValue(3), "third");
  EXPECT_EQ(engine_->TwainBarCodeGetValue(4), "");
  set_("BarCodeType", 7);
  EXPECT_EQ(engine_->TwainBarCodeGetType(1), 7);
  EXPECT_EQ(engine_->TwainBarCodeGetType(0), 0);
}

TEST_F(FakePluginTest, SourceNamesStopAtTheFirstBlankOne) {
  setText_("source0", "first");
  setText_("source1", "   ");
  setText_("source2", "third");
  set_("State", 1);
  EXPECT_EQ(engine_->TwainGetSourceCount(), 1);
  EXPECT_EQ(engine_->TwainGetSourceName(3), "third");
  EXPECT_NE(Log().find("OpenSourceManager 0"), std::string::npos);
  EXPECT_TRUE(engine_->TwainOpenSource("  a b  "));
  EXPECT_NE(Log().find("OpenSource [a b]"), std::string::npos);
}

struct RawCase {
  int32_t bits;
  int32_t stride;
  int32_t expectedFormat;  // 0: no image
  vexiro::VexiroStatus expectedStatus;
};

const RawCase kRawCases[] = {
    {24, 300, 137224, vexiro::OK},  // 24-bit RGB
    {8, 100, 198659, vexiro::OK},   // 8-bit indexed, grey ramp
    {1, 16, 196865, vexiro::OK},
    {48, 600, 1060876, vexiro::OK},
    {16, 200, 1060876, vexiro::OK},  // 16-bit grey kept at 16 bits a sample
    {12, 152, 0, vexiro::UnsupportedPixelFormat},
};

class RawTransfer : public FakePluginTest, public ::testing::WithParamInterface<RawCase> {};

TEST_P(RawTransfer, RawRowsBecomeAnImageOfTheirDepth) {
  const RawCase& c = GetParam();
  std::vector<uint8_t> rows(static_cast<size_t>(c.stride) * 50, 0x80);
  setNative_(rows.data(), static_cast<int32_t>(rows.size()));
  set_("LastDibIsRAW", 1);
  set_("LastRAWBPP", c.bits);
  set_("LastRAWWidth", 100);
  set_("LastRAWHeight", 50);
  set_("LastRAWStride", c.stride);
  set_("LastRAWResX", 300);
  set_("LastRAWResY", 300);
  const int32_t id = engine_->TwainAcquireToVexiroImage();
  EXPECT_EQ(engine_->GetStat(), c.expectedStatus);
  EXPECT_NE(Log().find("FreeNative"), std::string::npos) << "the plug-in's block is given back";
  if (c.expectedFormat == 0) {
    EXPECT_EQ(id, 0);
    return;
  }
  ASSERT_NE(id, 0);
  EXPECT_EQ(engine_->GetPixelFormat(), c.expectedFormat);
  EXPECT_EQ(engine_->GetWidth(), 100);
  EXPECT_EQ(engine_->GetHeight(), 50);
  EXPECT_EQ(engine_->GetHorizontalResolution(), 300.0f);
  if (c.bits == 8) EXPECT_EQ(engine_->ColorPaletteGetEntrie(255), static_cast<int32_t>(0xFFFFFFFF));
  EXPECT_EQ(engine_->CloseImage(id), vexiro::OK);

  const int32_t dib = engine_->TwainAcquireToDib();
  ASSERT_NE(dib, 0) << "raw transfers leave as packed DIBs";
  EXPECT_EQ(engine_->CreateImageFromDIB(dib) != 0, true);
  EXPECT_EQ(engine_->GetWidth(), 100);
  engine_->CloseNativeImage();
  vx::GlobalFree(static_cast<vx::HGLOBAL>(dib));
}

INSTANTIATE_TEST_SUITE_P(Depths, RawTransfer, ::testing::ValuesIn(kRawCases),
                         [](const auto& info) { return "bits" + std::to_string(info.param.bits); });

TEST_F(FakePluginTest, AFileTransferThroughTheDibMemberLeavesNoFile) {
  set_("LastTransferMode", 1);
  ScratchFolder scratch;
  EXPECT_EQ(engine_->TwainAcquireToDib(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::TwainInvalidTransferMode);
  set_("LastTransferMode", 0);
  set_("State", 4);
  EXPECT_EQ(engine_->TwainAcquireToDib(), 0) << "nothing came";
  EXPECT_EQ(engine_->GetStat(), vexiro::TwainError);
  EXPECT_NE(Log().find("SetTransferMode 0"), std::string::npos) << "native mode at state 4";
}

TEST_F(FakePluginTest, TheSupportCodeAsksForDirectTransferAndKeepsTheStatus) {
  EXPECT_EQ(engine_->Crop(0, 0, 1, 1), vexiro::GenericError) << "a status to keep: no current image";
  double d1 = 0, d2 = 0, d3 = 0;
  int32_t l1 = 0, l2 = 0, l3 = 0;
  std::string s1, s2, s3;
  set_("EnableDirectTransfer", 0);
  EXPECT_EQ(engine_->SupportFunc(69351824, d1, d2, d3, l1, l2, l3, s1, s2, s3), vexiro::GenericError);
  EXPECT_EQ(engine_->GetStat(), vexiro::GenericError) << "the plug-in's answer is not kept";
  EXPECT_NE(Log().find("EnableDirectTransfer 1;"), std::string::npos) << Log();
}

}  // namespace
}  // namespace vxtest::scan
