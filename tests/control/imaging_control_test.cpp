// The Imaging control: every member forwarded to its own engine, the results it leaves on
// failure, its fixed size, its pictures and its safety answers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "control/control_pictures.h"
#include "control/dispatch.h"
#include "control/imaging_control.h"
#include "control/member_table.h"
#include "control/script_engine.h"
#include "control/script_host.h"
#include "platform/ole/class_factory.h"
#include "platform/ole/ole.h"
#include "recording_engine.h"
#include "support/required_tool.h"
#include "vexiro/imaging.h"

namespace vx::control {
namespace {

using testing::RecordingLog;

// What a host passes for a by-value parameter of each type.
Variant HostValueOf(const TypeDesc& type, int position) {
  switch (type.base) {
    case BaseType::Integer: return Variant::I2(static_cast<int16_t>(20 + position));
    case BaseType::Byte: return Variant::Byte(static_cast<uint8_t>(20 + position));
    case BaseType::Single: return Variant::R4(20.5f + static_cast<float>(position));
    case BaseType::Double: return Variant::R8(20.25 + position);
    case BaseType::Boolean: return Variant::Bool(position % 2 == 0);
    case BaseType::String: return Variant::Str("arg " + std::to_string(position));
    case BaseType::Picture: return Variant::Object(VarType::Dispatch, static_cast<uint32_t>(20 + position));
    case BaseType::Unknown: return Variant::Object(VarType::Unknown, static_cast<uint32_t>(20 + position));
    default: return Variant::I4(20 + position);
  }
}

bool SameValue(const Variant& a, const Variant& b) {
  if (a.Type() != b.Type() || a.IsArray() != b.IsArray()) return false;
  if (a.Type() == VarType::Dispatch || a.Type() == VarType::Unknown) return a.AsHandle() == b.AsHandle();
  return a.ToDisplayString() == b.ToDisplayString();
}

const MemberDesc& Member(const char* name) { return *MemberTable::Instance().Find(name); }

class ImagingControlTest : public ::testing::Test {
 protected:
  std::shared_ptr<RecordingLog> log = std::make_shared<RecordingLog>();
  Imaging control{testing::RecordingEngineClass(log)};
};

TEST_F(ImagingControlTest, EveryMemberReachesTheSameNamedMemberOfOneEngineWithTheHostsArguments) {
  const Dispatch dispatch(control, Interface::Control);
  EXPECT_FALSE(control.HasEngine());
  for (const MemberDesc& m : MemberTable::Instance().Members()) {
    SCOPED_TRACE(m.name);
    std::vector<Variant> hostVariables(m.params.size());
    std::vector<Variant> args;
    for (size_t i = 0; i < m.params.size(); ++i) {
      const ParamDesc& p = m.params[i];
      args.push_back(p.byRef ? Variant::RefTo(hostVariables[i]) : HostValueOf(p.type, static_cast<int>(i)));
    }
    const std::vector<Variant> given = args;
    std::vector<NamedArgument> named;
    Variant result;
    ASSERT_EQ(dispatch.Invoke(m.dispidControl, args, named, result), S_OK);
    ASSERT_FALSE(log->calls.empty());
    const testing::RecordedCall& call = log->calls.back();
    EXPECT_EQ(call.member, m.name);
    EXPECT_EQ(call.engine, 1);
    ASSERT_EQ(call.args.size(), m.params.size());
    for (size_t i = 0; i < m.params.size(); ++i) {
      if (m.params[i].byRef) {
        // The engine wrote into the host's own variable.
        const TypeDesc& t = m.params[i].type;
        if (t.isArray) EXPECT_TRUE(hostVariables[i].IsArray()) << m.params[i].name;
        else EXPECT_TRUE(SameValue(hostVariables[i], testing::MarkerOf(t))) << m.params[i].name;
      } else {
        EXPECT_TRUE(SameValue(call.args[i], given[i])) << m.params[i].name;
      }
    }
    EXPECT_TRUE(SameValue(result, testing::ResultOf(m)));
  }
  EXPECT_EQ(log->calls.size(), MemberTable::Instance().size());
  EXPECT_EQ(log->enginesMade, 1);
}

TEST_F(ImagingControlTest, TheEngineIsMadeAtTheFirstCallAndKept) {
  EXPECT_FALSE(control.HasEngine());
  EXPECT_EQ(log->enginesMade, 0);
  std::vector<Variant> none;
  Variant result;
  ASSERT_EQ(control.Forward(Member("GetStat"), none, result), S_OK);
  EXPECT_TRUE(control.HasEngine());
  ASSERT_EQ(control.Forward(Member("GetWidth"), none, result), S_OK);
  EXPECT_EQ(log->enginesMade, 1);
  Imaging second{testing::RecordingEngineClass(log)};
  ASSERT_EQ(second.Forward(Member("GetWidth"), none, result), S_OK);
  EXPECT_EQ(log->enginesMade, 2);
  EXPECT_EQ(log->calls.back().engine, 2);
}

// A failing member: its error passes on; string and picture results are null, every other
// result stays as the host left it.
TEST_F(ImagingControlTest, AFailureLeavesStringAndPictureResultsNullAndOthersAsTheHostLeftThem) {
  struct Row {
    const char* member;
    Variant hostValue;
    Variant expected;
  };
  const Row rows[] = {
      {"Encode64String", Variant::Str("host text"), Variant::Str("")},
      {"GetGdiplusVersion", Variant::Str("host text"), Variant::Str("")},
      {"GetPicture", Variant::Object(VarType::Dispatch, 99), Variant::Object(VarType::Dispatch, 0)},
      {"GetWidth", Variant::I4(-5), Variant::I4(-5)},
      {"SaveAsJPEG", Variant::I4(-6), Variant::I4(-6)},
      {"IsBlank", Variant::Bool(false), Variant::Bool(false)},
      {"GetVersion", Variant::R8(-7.5), Variant::R8(-7.5)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.member);
    const MemberDesc& m = Member(row.member);
    log->failing = {m.name};
    std::vector<Variant> args;
    for (const ParamDesc& p : m.params) args.push_back(p.optional ? p.defaultValue : HostValueOf(p.type, 0));
    Variant result = row.hostValue;
    ExceptionInfo error;
    EXPECT_EQ(control.Forward(m, args, result, &error), DISP_E_EXCEPTION);
    EXPECT_EQ(error.number, testing::kFailureNumber);
    EXPECT_EQ(error.description, testing::kFailureDescription);
    EXPECT_TRUE(SameValue(result, row.expected)) << result.ToDisplayString();
  }
}

TEST_F(ImagingControlTest, OnlyTheStringAndPictureResultsAreNulledFirst) {
  int strings = 0, pictures = 0;
  for (const MemberDesc& m : MemberTable::Instance().Members()) {
    if (!ResultNulledFirst(m)) continue;
    (m.result->base == BaseType::String ? strings : pictures) += 1;
  }
  EXPECT_EQ(strings, 31);
  EXPECT_EQ(pictures, 2);
}

TEST_F(ImagingControlTest, ByReferenceArraysAreFilledInTheHostsArray) {
  SafeArray hostArray;
  ArrayOf(VarType::I4, hostArray);
  std::vector<Variant> args{Variant::RefToArray(hostArray)};
  Variant result;
  ASSERT_EQ(control.Forward(Member("HistogramGetRed"), args, result), S_OK);
  const auto& filled = std::get<TypedArray<int32_t>>(hostArray);
  EXPECT_EQ(filled.data, (std::vector<int32_t>{7, 8, 9}));
}

TEST(ImagingControlEngineless, CallsAfterTheEngineCouldNotBeMadeFailWithoutWritingResults) {
  Imaging control{EngineClass{typeid(void), []() -> std::unique_ptr<ControlEngine> { throw std::bad_alloc(); }}};
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::vector<Variant> none;
    Variant text = Variant::Str("host");
    ExceptionInfo error;
    EXPECT_EQ(control.Forward(Member("GetGdiplusVersion"), none, text, &error), E_OUTOFMEMORY);
    EXPECT_EQ(error.number, 7);
    EXPECT_EQ(text.AsStr(), "");
    Variant width = Variant::I4(-3);
    EXPECT_EQ(control.Forward(Member("GetWidth"), none, width), E_OUTOFMEMORY);
    EXPECT_EQ(width.AsI4(), -3);
    EXPECT_FALSE(control.HasEngine());
  }
}

// Two controls have two engines, each with its own last status, over the thread's one image store.
TEST(ImagingControlWithTheEngine, TwoControlsShareImageIdentifiersButNotTheirStatus) {
  Imaging first, second;
  const Dispatch a(first, Interface::Control), b(second, Interface::Control);
  std::vector<NamedArgument> named;
  Variant id, width, status, closed;
  std::vector<Variant> size{Variant::I4(30), Variant::I4(20)};
  ASSERT_EQ(a.InvokeByName("CreateNewImage", size, named, id), S_OK);
  ASSERT_NE(id.AsI4(), 0);
  std::vector<Variant> select{id}, none, unknownImage{Variant::I4(-1)};
  Variant nothing;
  ASSERT_EQ(b.InvokeByName("SetNativeImage", select, named, nothing), S_OK);
  ASSERT_EQ(b.InvokeByName("GetWidth", none, named, width), S_OK);
  EXPECT_EQ(width.AsI4(), 30);
  ASSERT_EQ(a.InvokeByName("CloseImage", unknownImage, named, closed), S_OK);
  EXPECT_NE(closed.AsI4(), 0);
  ASSERT_EQ(a.InvokeByName("GetStat", none, named, status), S_OK);
  EXPECT_EQ(status.AsI4(), closed.AsI4());
  ASSERT_EQ(b.InvokeByName("GetStat", none, named, status), S_OK);
  EXPECT_EQ(status.AsI4(), 0);
  std::vector<Variant> close{id};
  ASSERT_EQ(a.InvokeByName("CloseImage", close, named, closed), S_OK);
}

// A script reaches its engine through a control, as a script page would.
TEST(ImagingControlInScripts, ScriptsRunThroughAControl) {
  ScriptEngine engine;
  EXPECT_EQ(engine.Dispatcher().Which(), Interface::Control);
  int32_t dispid = 0;
  ASSERT_EQ(engine.Dispatcher().GetIDsOfNames("CreateImageFromMemory", dispid), S_OK);
  EXPECT_EQ(dispid, 0x6003031F);
  std::ostringstream out;
  ScriptHost host(engine.Dispatcher(), out);
  ASSERT_TRUE(host.Run("id = CreateNewImage(12, 7)\nprint GetWidth(), GetHeight(), Encode64String(\"ab\")\nCloseImage id\n"))
      << host.Error();
  EXPECT_EQ(out.str(), "12 7 YWI=\n");
  EXPECT_TRUE(engine.Implements(*MemberTable::Instance().Find("GetWidth")));
}

TEST(ImagingControlSize, AnySizeGivenSnapsBackTo420Twips) {
  const int32_t sizes[][2] = {{0, 0}, {1, 1}, {420, 421}, {15000, 200}, {-30, 420}};
  Imaging control;
  for (const auto& s : sizes) {
    control.SetExtent(s[0], s[1]);
    EXPECT_EQ(control.Width(), 420);
    EXPECT_EQ(control.Height(), 420);
  }
}

struct BitmapHeader {
  int32_t width = 0, height = 0;
  uint16_t bitsPerPixel = 0;
};

bool ReadBitmapHeader(std::string_view file, BitmapHeader& h) {
  if (file.size() < 54 || file.substr(0, 2) != "BM") return false;
  std::memcpy(&h.width, file.data() + 18, 4);
  std::memcpy(&h.height, file.data() + 22, 4);
  std::memcpy(&h.bitsPerPixel, file.data() + 28, 2);
  return true;
}

TEST(ImagingControlPictures, TheToolboxBitmapAndTheFaceAre24BitPicturesOfTheirSizes) {
  struct Row {
    std::string_view file;
    int32_t width, height;
  };
  const Row rows[] = {{ToolboxBitmap(), 16, 15}, {DesignPicture(), 28, 28}};
  for (const Row& row : rows) {
    BitmapHeader h;
    ASSERT_TRUE(ReadBitmapHeader(row.file, h));
    EXPECT_EQ(h.width, row.width);
    EXPECT_EQ(h.height, row.height);
    EXPECT_EQ(h.bitsPerPixel, 24);
    const size_t stride = (static_cast<size_t>(row.width) * 3 + 3) & ~size_t{3};
    EXPECT_EQ(row.file.size(), 54 + stride * static_cast<size_t>(row.height));
  }
}

// ImageMagick reads each picture as what it claims to be.
TEST(ImagingControlPictures, AnOutsideReaderSeesTheirSizesAndDepth) {
  VX_REQUIRE_TOOL("identify");
  const char* tmp = std::getenv("TMPDIR");
  const std::string path = std::string(tmp ? tmp : "/tmp") + "/control-picture.bmp";
  struct Row {
    std::string_view file;
    const char* expected;
  };
  // Three channels of 8 bits without alpha: 24 bits a pixel.
  const Row rows[] = {{ToolboxBitmap(), "BMP3 16x15 8 srgb"}, {DesignPicture(), "BMP3 28x28 8 srgb"}};
  for (const Row& row : rows) {
    std::ofstream(path, std::ios::binary).write(row.file.data(), static_cast<std::streamsize>(row.file.size()));
    std::string seen;
    if (FILE* p = ::popen(("identify -format '%m %wx%h %z %[channels]' '" + path + "'").c_str(), "r")) {
      char buffer[64];
      while (std::fgets(buffer, sizeof buffer, p)) seen += buffer;
      ::pclose(p);
    }
    EXPECT_EQ(seen, row.expected);
  }
  std::remove(path.c_str());
}

// ---- Safety answers, the same from the control and the engine ----

using SafetyGet = std::function<HRESULT(const vx::GUID*, uint32_t*, uint32_t*)>;
using SafetySet = std::function<HRESULT(const vx::GUID*, uint32_t, uint32_t)>;

vx::GUID Iid(const char* text) {
  vx::GUID id;
  EXPECT_EQ(vx::ole::CLSIDFromString(text, &id), S_OK);
  return id;
}

constexpr const char* kIDispatch = "{00020400-0000-0000-C000-000000000046}";
constexpr const char* kIPersistStorage = "{0000010A-0000-0000-C000-000000000046}";
constexpr const char* kIPersistStream = "{00000109-0000-0000-C000-000000000046}";
constexpr const char* kIPersistPropertyBag = "{37D84F60-42CB-11CE-8135-00AA004BB851}";
constexpr const char* kIUnknown = "{00000000-0000-0000-C000-000000000046}";
constexpr uint32_t kUntouched = 0xDEADBEEF;

void ExpectTheSafetyAnswers(const SafetyGet& get, const SafetySet& set) {
  struct GetRow {
    const char* iid;  // null: a null identifier
    HRESULT hr;
    uint32_t supported, enabled;
  };
  const GetRow gets[] = {
      {kIDispatch, S_OK, 3, 1},           {kIPersistPropertyBag, S_OK, 3, 2}, {kIPersistStream, S_OK, 3, 2},
      {kIPersistStorage, S_OK, 3, 2},     {kIUnknown, E_NOINTERFACE, 3, kUntouched},
      {nullptr, S_OK, 3, kUntouched},
  };
  for (const GetRow& row : gets) {
    SCOPED_TRACE(row.iid ? row.iid : "null");
    const vx::GUID iid = row.iid ? Iid(row.iid) : vx::GUID{};
    uint32_t supported = kUntouched, enabled = kUntouched;
    EXPECT_EQ(get(row.iid ? &iid : nullptr, &supported, &enabled), row.hr);
    EXPECT_EQ(supported, row.supported);
    EXPECT_EQ(enabled, row.enabled);
  }
  // A null word is refused before anything is written through the other.
  const vx::GUID dispatch = Iid(kIDispatch);
  uint32_t word = kUntouched;
  EXPECT_EQ(get(&dispatch, nullptr, &word), E_POINTER);
  EXPECT_EQ(word, kUntouched);
  EXPECT_EQ(get(&dispatch, &word, nullptr), E_POINTER);
  EXPECT_EQ(word, kUntouched);
  EXPECT_EQ(get(nullptr, nullptr, nullptr), E_POINTER);

  struct SetRow {
    const char* iid;
    uint32_t mask, options;
    HRESULT hr;
  };
  const SetRow sets[] = {
      {kIDispatch, 1, 1, S_OK},       {kIDispatch, 3, 1, S_OK},       {kIDispatch, 3, 3, E_FAIL},
      {kIDispatch, 1, 0, E_FAIL},     {kIPersistStream, 2, 2, S_OK},  {kIPersistStream, 1, 1, E_FAIL},
      {kIUnknown, 1, 1, E_NOINTERFACE}, {nullptr, 3, 3, S_OK},
  };
  for (const SetRow& row : sets) {
    SCOPED_TRACE(row.iid ? row.iid : "null");
    const vx::GUID iid = row.iid ? Iid(row.iid) : vx::GUID{};
    EXPECT_EQ(set(row.iid ? &iid : nullptr, row.mask, row.options), row.hr);
  }
}

TEST(ImagingControlSafety, TheControlAnswersAsTheEngineDoes) {
  Imaging control;
  vexiro::cImaging engine;
  ExpectTheSafetyAnswers(
      [&](const vx::GUID* i, uint32_t* s, uint32_t* e) { return control.GetInterfaceSafetyOptions(i, s, e); },
      [&](const vx::GUID* i, uint32_t m, uint32_t o) { return control.SetInterfaceSafetyOptions(i, m, o); });
  ExpectTheSafetyAnswers(
      [&](const vx::GUID* i, uint32_t* s, uint32_t* e) { return engine.GetInterfaceSafetyOptions(i, s, e); },
      [&](const vx::GUID* i, uint32_t m, uint32_t o) { return engine.SetInterfaceSafetyOptions(i, m, o); });
}

// A control asked before any engine of its thread exists: the library has run in the thread all
// the same, so it is safe for scripting.
TEST(ImagingControlSafety, AControlWithoutAnEngineInAFreshThreadReportsItselfSafe) {
  std::thread([] {
    Imaging control;
    ExpectTheSafetyAnswers(
        [&](const vx::GUID* i, uint32_t* s, uint32_t* e) { return control.GetInterfaceSafetyOptions(i, s, e); },
        [&](const vx::GUID* i, uint32_t m, uint32_t o) { return control.SetInterfaceSafetyOptions(i, m, o); });
    EXPECT_FALSE(control.HasEngine());
  }).join();
}

}  // namespace
}  // namespace vx::control
