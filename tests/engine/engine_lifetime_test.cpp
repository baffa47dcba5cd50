#include <gtest/gtest.h>

#include <filesystem>
#include <latch>
#include <memory>
#include <thread>

#include "engine/save/encoder_table.h"
#include "engine/gdiplus_lifetime.h"
#include "engine/image_store.h"
#include "engine/runtime_error.h"
#include "engine/services.h"
#include "engine/routines/shared_routines.h"
#include "engine_test_support.h"
#include "platform/kernel/environment.h"
#include "platform/ole/ole.h"
#include "vexiro/imaging.h"

namespace vexiro {

// Reads the engine's private fields for the tests.
struct ImagingTestAccess {
  static const cImaging& Of(const cImaging& e) { return e; }
  static void ExpectConstructionDefaults(const cImaging& e) {
    EXPECT_EQ(e.sTwainTempFile, "");
    EXPECT_EQ(e.arCropBorderWork.Rank(), 0);
    EXPECT_TRUE(e.arMatrix3x3x.empty());
    EXPECT_FALSE(e.bTiffOpenReadOnly);
    EXPECT_FALSE(e.bGifOpenReadOnly);
    EXPECT_EQ(e.nMatrix3x3xCount, 0);
    EXPECT_FALSE(e.bInetBusy);
    EXPECT_EQ(e.nNativeImage, 0);
    EXPECT_EQ(e.nNativeTiffMultiPage, 0);
    EXPECT_EQ(e.nPdfHandle, 0);
    EXPECT_EQ(e.nPdfMeasurementUnit, 0);
    EXPECT_EQ(e.nPdfCompressionLevel, 9);
    EXPECT_EQ(e.nPdfJpegQuality, 75);
    EXPECT_EQ(e.nHttpTransferBufferSize, 4096);
    EXPECT_TRUE(e.bFtpPassiveMode);
    EXPECT_FALSE(e.bDisableVximgplugCodecs);
    EXPECT_TRUE(e.bTagsPreserve);
    EXPECT_EQ(e.nSavedPropertyItemCount, 0);
    EXPECT_EQ(e.nStat, OK);
    EXPECT_EQ(e.nFontUnit, 3);
    EXPECT_EQ(e.nROIMode, 1);
    EXPECT_EQ(e.ROIArea.X, 0);
    EXPECT_EQ(e.ROIArea.Width, 0);
    EXPECT_EQ(e.oPrinter, nullptr);
    EXPECT_EQ(e.oPDF, nullptr);
    EXPECT_EQ(e.oInet, nullptr);
    ASSERT_NE(e.oARD, nullptr);
    EXPECT_EQ(e.oARD->TemplateCount, 0);
    ASSERT_NE(e.oBarcode1DReader, nullptr);
    EXPECT_EQ(e.oBarcode1DReader->ScannerHandle, 0u);
    EXPECT_EQ(e.oBarcode1DReader->BarcodeCount, 0);
    ASSERT_NE(e.oBarcodeDMReader, nullptr);
    EXPECT_EQ(e.oBarcodeDMReader->BarcodeCount, 0);
  }
};

}  // namespace vexiro

namespace vx::engine {
namespace {

using namespace vx::engine::test_support;

TEST(EngineLifetime, ConstructionDefaultsAndFirstStatus) {
  vexiro::cImaging engine;
  EXPECT_EQ(engine.GetStat(), vexiro::OK);
  vexiro::ImagingTestAccess::ExpectConstructionDefaults(engine);
  EXPECT_TRUE(ThreadGdiplusState().SafeForScripting);
  EXPECT_TRUE(ThreadGdiplusState().SafeForInitializing);
}

TEST(EngineLifetime, TwoEnginesInOneThreadShareOneStartAndOneStore) {
  ASSERT_FALSE(gdiplus::GdiplusIsRunning());
  auto first = std::make_unique<vexiro::cImaging>();
  const GdiplusThreadState& st = ThreadGdiplusState();
  ASSERT_TRUE(st.GdiplusStarted);
  const uint32_t token = st.GdiplusToken;
  EXPECT_NE(token, 0u) << "this thread started the platform";
  EXPECT_GE(GdiplusVersionValue(), 6.0);
  EXPECT_GT(EncoderCount(), 0);

  auto second = std::make_unique<vexiro::cImaging>();
  EXPECT_EQ(st.GdiplusRefCount, 2);
  EXPECT_EQ(st.GdiplusToken, token) << "no second start for the second engine";

  const int32_t madeByFirst = MakeImage(4, 3, gdiplus::PixelFormat24bppRGB);
  first.reset();
  int32_t width = 0;
  EXPECT_EQ(GetImageWidth(madeByFirst, width), vexiro::OK) << "images outlive the engine that made them";
  EXPECT_EQ(width, 4);
  EXPECT_TRUE(gdiplus::GdiplusIsRunning());

  second.reset();
  EXPECT_EQ(ImageSlotCount(), 0) << "the thread's last engine releases every image";
  EXPECT_EQ(GetImageIndex(madeByFirst), -1);
  EXPECT_EQ(st.GdiplusToken, 0u);
  EXPECT_FALSE(st.GdiplusStarted);
  EXPECT_FALSE(gdiplus::GdiplusIsRunning()) << "one shut-down after the second engine";

  // A later construction starts the cycle again.
  vexiro::cImaging again;
  EXPECT_TRUE(st.GdiplusStarted);
  EXPECT_NE(st.GdiplusToken, 0u);
}

TEST(EngineLifetime, PlatformAlreadyRunningIsNeitherStartedNorStopped) {
  uint32_t hostToken = 0;
  const gdiplus::GdiplusStartupInput input;
  ASSERT_EQ(gdiplus::GdiplusStartup(&hostToken, &input, nullptr), gdiplus::Ok);
  {
    vexiro::cImaging engine;
    EXPECT_EQ(ThreadGdiplusState().GdiplusToken, 0u);
    EXPECT_TRUE(ThreadGdiplusState().GdiplusStarted);
    EXPECT_GT(EncoderCount(), 0);
    EXPECT_FALSE(ThreadGdiplusState().GdiplusVersion.empty());
    MakeImage(2, 2, gdiplus::PixelFormat32bppARGB);
  }
  EXPECT_EQ(ImageSlotCount(), 0);
  EXPECT_TRUE(gdiplus::GdiplusIsRunning()) << "a platform found running is left running";
  gdiplus::GdiplusShutdown(hostToken);
}

// The threads of a process share the platform: the thread that started it ending its last engine
// leaves it running for a thread that found it running, and that thread's last engine stops it.
TEST(EngineLifetime, PlatformRunsUntilTheLastThreadsLastEngineEnds) {
  ASSERT_FALSE(gdiplus::GdiplusIsRunning());
  std::latch starterUp(1), finderUp(1), starterDone(1);
  uint32_t starterToken = 0, finderToken = 1;
  bool runningAfterStarter = false;
  int32_t madeAfterStarter = 0;
  vexiro::VexiroStatus statusAfterStarter = vexiro::GenericError;
  std::thread starter([&] {
    {
      vexiro::cImaging engine;
      starterToken = ThreadGdiplusState().GdiplusToken;
      starterUp.count_down();
      finderUp.wait();
    }
    starterDone.count_down();
  });
  std::thread finder([&] {
    starterUp.wait();
    vexiro::cImaging engine;
    finderToken = ThreadGdiplusState().GdiplusToken;
    finderUp.count_down();
    starterDone.wait();
    runningAfterStarter = gdiplus::GdiplusIsRunning();
    madeAfterStarter = engine.CreateNewImage(8, 8, 24);
    statusAfterStarter = engine.GetStat();
  });
  starter.join();
  finder.join();
  EXPECT_NE(starterToken, 0u);
  EXPECT_EQ(finderToken, 0u) << "a thread that finds the platform running takes no start-up";
  EXPECT_TRUE(runningAfterStarter);
  EXPECT_NE(madeAfterStarter, 0);
  EXPECT_EQ(statusAfterStarter, vexiro::OK);
  EXPECT_FALSE(gdiplus::GdiplusIsRunning()) << "the last thread's last engine stops the platform";
}

TEST(EngineLifetime, TwoThreadsKeepSeparateStores) {
  vexiro::cImaging engine;
  const int32_t mine = MakeImage(5, 5, gdiplus::PixelFormat24bppRGB);
  int32_t theirs = 0;
  int32_t theirSlots = -1;
  bool mineVisibleThere = true;
  bool theirsVisibleThereAfter = false;
  std::thread other([&] {
    vexiro::cImaging otherEngine;
    mineVisibleThere = GetImageIndex(mine) >= 0;
    theirs = MakeImage(7, 7, gdiplus::PixelFormat8bppIndexed);
    theirSlots = ImageSlotCount();
    theirsVisibleThereAfter = GetImageIndex(theirs) >= 0;
    EXPECT_EQ(ThreadGdiplusState().GdiplusRefCount, 1);
  });
  other.join();
  EXPECT_FALSE(mineVisibleThere);
  EXPECT_TRUE(theirsVisibleThereAfter);
  EXPECT_EQ(theirSlots, 1);
  EXPECT_EQ(ImageSlotCount(), 1);
  EXPECT_GE(GetImageIndex(mine), 0);
  if (theirs != mine) {
    EXPECT_EQ(GetImageIndex(theirs), -1);
  }
  EXPECT_EQ(ThreadGdiplusState().GdiplusRefCount, 1);
}

// An engine can outlive its thread's state: one held in a thread-local made before the store
// (or in a global, at program exit) is destroyed after it. The thread's images, and the files
// they own, go with the store; the late engine destroys cleanly.
TEST(EngineLifetime, EngineOutlivingItsThreadsStateEndsCleanly) {
  std::string ownedFile;
  std::thread worker([&] {
    thread_local std::unique_ptr<vexiro::cImaging> late;  // made before the thread's store
    late = std::make_unique<vexiro::cImaging>();
    const int32_t id = MakeImage(3, 3, gdiplus::PixelFormat24bppRGB);
    ownedFile = GetTempFilePath();
    SetImageSourceFile(id, ownedFile);
  });
  worker.join();
  ASSERT_FALSE(ownedFile.empty());
  EXPECT_FALSE(std::filesystem::exists(ownedFile)) << "the thread's images are released with its store";
}

TEST(EngineLifetime, FileVersionTexts) {
  EXPECT_EQ(GetFileVersionString("no-such-module-anywhere.dll"), "Unknown");
  const std::string platform = GetFileVersionString("gdiplus.dll");
  EXPECT_EQ(std::count(platform.begin(), platform.end(), '.'), 3) << platform;
  EXPECT_GE(BasicVal(platform), 6.0);
}

TEST(EngineLifetime, OldPlatformVersionIsRecordedAtStart) {
  OverridePlatformVersionForTesting("5.1.3102.2180");
  {
    vexiro::cImaging engine;
    EXPECT_EQ(ThreadGdiplusState().GdiplusVersion, "5.1.3102.2180");
    EXPECT_TRUE(GdiplusBefore60());
  }
  OverridePlatformVersionForTesting("");
  vexiro::cImaging engine;
  EXPECT_FALSE(GdiplusBefore60());
}

// ---- IObjectSafety ----

constexpr GUID kIDispatch = MakeGuid(0x00020400, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
constexpr GUID kIPersistStorage = MakeGuid(0x0000010A, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
constexpr GUID kIPersistStream = MakeGuid(0x00000109, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
constexpr GUID kIPersistPropertyBag = MakeGuid(0x37D84F60, 0x42CB, 0x11CE, 0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51);
constexpr GUID kIUnknown = MakeGuid(0x00000000, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);

TEST(ObjectSafety, GetOptionsTable) {
  vexiro::cImaging engine;
  const struct {
    const GUID* iid;
    HRESULT result;
    uint32_t enabled;
  } cases[] = {
      {&kIDispatch, S_OK, 1},          {&kIPersistStorage, S_OK, 2}, {&kIPersistStream, S_OK, 2},
      {&kIPersistPropertyBag, S_OK, 2}, {&kIUnknown, E_NOINTERFACE, 99}, {nullptr, S_OK, 99},
  };
  for (const auto& c : cases) {
    uint32_t supported = 0, enabled = 99;
    EXPECT_EQ(engine.GetInterfaceSafetyOptions(c.iid, &supported, &enabled), c.result);
    EXPECT_EQ(supported, 3u) << "supported options are always reported";
    EXPECT_EQ(enabled, c.enabled);
  }
}

TEST(ObjectSafety, SetOptionsTable) {
  vexiro::cImaging engine;
  const struct {
    const GUID* iid;
    uint32_t mask, enabled;
    HRESULT result;
  } cases[] = {
      {&kIDispatch, 1, 1, S_OK},
      {&kIDispatch, 3, 1, S_OK},
      {&kIDispatch, 3, 3, E_FAIL},  // the AND is 3, not 1
      {&kIDispatch, 2, 2, E_FAIL},
      {&kIDispatch, 0, 0, E_FAIL},
      {&kIPersistStream, 2, 2, S_OK},
      {&kIPersistStorage, 3, 2, S_OK},
      {&kIPersistPropertyBag, 1, 1, E_FAIL},
      {&kIUnknown, 1, 1, E_NOINTERFACE},
      {nullptr, 3, 3, S_OK},
  };
  for (const auto& c : cases)
    EXPECT_EQ(engine.SetInterfaceSafetyOptions(c.iid, c.mask, c.enabled), c.result)
        << (c.iid ? ole::StringFromGUID2(*c.iid) : "null") << " " << c.mask << "/" << c.enabled;
}

TEST(ObjectSafety, NullOutputsAreRefused) {
  vexiro::cImaging engine;
  uint32_t value = 0;
  EXPECT_EQ(engine.GetInterfaceSafetyOptions(&kIDispatch, nullptr, &value), E_POINTER);
  EXPECT_EQ(engine.GetInterfaceSafetyOptions(&kIDispatch, &value, nullptr), E_POINTER);
}

}  // namespace
}  // namespace vx::engine

namespace vx::engine {
namespace {

TEST(RuntimeErrors, ExceptionsBecomeNumberedErrorsAndStatuses) {
  const RuntimeError own(13, "Type mismatch");
  EXPECT_EQ(ToRuntimeError(own).Number(), 13);
  EXPECT_EQ(ToRuntimeError(own).Description(), "Type mismatch");
  EXPECT_EQ(ToRuntimeError(std::bad_alloc()).Number(), kErrOutOfMemory);
  EXPECT_EQ(ToRuntimeError(std::logic_error("x")).Number(), kErrInternal);
  EXPECT_EQ(StatusOfRuntimeError(RuntimeError(kErrOutOfMemory, "")), vexiro::OutOfMemory);
  EXPECT_EQ(StatusOfRuntimeError(own), vexiro::GenericError);
}

}  // namespace
}  // namespace vx::engine
