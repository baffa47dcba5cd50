// The scripted OCR plug-in as the tests drive it: a fixture that puts the fake module first on
// the plug-in path, gives it empty data files of every language, and checks that every result
// it handed out was taken back.
#pragma once
#include <fstream>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/kernel/environment.h"
#include "plugins/vxocrplug/fake/fake_ocr.h"
#include "recognition_test_support.h"

namespace vxtest::recognition {

using vexiro::OcrCharInfo;

// The scripting calls of the fake module the engine loads under the plug-in's name.
struct FakeOcrModule {
  void (*Reset)() = nullptr;
  void (*Queue)(int32_t, int32_t, const VxOcrCharInfo*) = nullptr;
  int32_t (*CallCount)() = nullptr;
  const VxFakeOcrCall* (*Call)(int32_t) = nullptr;
  int32_t (*ReinitCount)() = nullptr;
  int32_t (*ClearCount)() = nullptr;
  int32_t (*LiveRecords)() = nullptr;

  void Bind() {
    vx::HMODULE module = vx::LoadLibrary("vxocrplug.tesseract.dll");
    ASSERT_NE(module, nullptr);
    const auto bind = [&](auto& slot, const char* name) {
      slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(vx::GetProcAddress(module, name));
      ASSERT_NE(slot, nullptr) << name << ": the fake plug-in is found first";
    };
    bind(Reset, "VXFAKEOCR_Reset");
    bind(Queue, "VXFAKEOCR_Queue");
    bind(CallCount, "VXFAKEOCR_CallCount");
    bind(Call, "VXFAKEOCR_Call");
    bind(ReinitCount, "VXFAKEOCR_ReinitCount");
    bind(ClearCount, "VXFAKEOCR_ClearCount");
    bind(LiveRecords, "VXFAKEOCR_LiveRecords");
  }
  void Answer(const std::vector<OcrCharInfo>& records, int32_t result = 0) {
    static_assert(sizeof(OcrCharInfo) == sizeof(VxOcrCharInfo) && sizeof(OcrCharInfo) == 24);
    Queue(result, static_cast<int32_t>(records.size()), reinterpret_cast<const VxOcrCharInfo*>(records.data()));
  }
};

// Records that spell `text` on line 1, every character with the same confidence.
inline std::vector<OcrCharInfo> Spell(const std::string& text, int16_t confidence) {
  std::vector<OcrCharInfo> records;
  for (char c : text) records.push_back(OcrChar(static_cast<unsigned char>(c), 1, 0, confidence));
  return records;
}

class FakeOcrTest : public EngineTest {
 protected:
  void SetUp() override {
    const char* old = std::getenv("VEXIRO_PLUGIN_PATH");
    oldPath_ = old != nullptr ? old : "";
    setenv("VEXIRO_PLUGIN_PATH", VEXIRO_PLUGIN_DIR "/fakeocr", 1);
    fake_.Bind();
    ASSERT_FALSE(HasFatalFailure());
    fake_.Reset();
    for (const char* name : {"deu", "frk", "eng", "fra", "ita", "nld", "por", "spa", "vie", "pol"})
      std::ofstream(scratch_ / (std::string(name) + ".traineddata"));
    EngineTest::SetUp();
  }
  void TearDown() override {
    EngineTest::TearDown();
    EXPECT_EQ(fake_.LiveRecords(), 0) << "every result handed out is taken back";
    setenv("VEXIRO_PLUGIN_PATH", oldPath_.c_str(), 1);
  }
  int32_t Current(int32_t width, int32_t height, vx::gdiplus::PixelFormat format, float dpi = 300) {
    const int32_t id = MakeImage(width, height, format, dpi);
    engine_->SetNativeImage(id);
    return id;
  }
  std::string Folder() const { return scratch_ / ""; }
  std::string Read(vexiro::TesseractDictionary dictionary = vexiro::TesseractDictionaryEnglish,
                   const std::string& whiteList = "") {
    return engine_->OCRTesseractDoOCR(dictionary, Folder(), whiteList);
  }
  const VxFakeOcrCall& LastCall() const { return *fake_.Call(fake_.CallCount() - 1); }

  std::string oldPath_;
  ScratchFolder scratch_;
  FakeOcrModule fake_;
};

}  // namespace vxtest::recognition
