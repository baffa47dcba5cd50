// A path with a NUL inside names another file than the host wrote ("name.png" NUL ".jpg" is
// name.png to the file system): every member taking a path refuses it with InvalidParameter
// before anything is read or written, whether a host calls the engine or a control by name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "control/dispatch.h"
#include "control/imaging_control.h"
#include "control/member_table.h"
#include "control/path_arguments.h"
#include "vexiro/imaging.h"

namespace vx::control {
namespace {

namespace fs = std::filesystem;

class CutPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    folder_ = fs::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") / "cut_paths";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Whole(const std::string& name) const { return (folder_ / name).string(); }
  // The name as the file system would read it, then a NUL and the rest a check would see.
  std::string Cut(const std::string& name) const { return Whole(name) + std::string(1, '\0') + ".jpg"; }
  bool FolderEmpty() const { return fs::is_empty(folder_); }

  static Variant Call(const Dispatch& d, const std::string& member, std::vector<Variant> args) {
    std::vector<NamedArgument> named;
    Variant result;
    EXPECT_EQ(d.InvokeByName(member, args, named, result), S_OK) << member;
    return result;
  }

  fs::path folder_;
};

// A value of the parameter's type for the arguments that are no path.
Variant PlainValueOf(const ParamDesc& param) {
  if (param.type.isArray) return Variant();
  switch (param.type.base) {
    case BaseType::String: return Variant::Str("x");
    case BaseType::Boolean: return Variant::Bool(false);
    case BaseType::Single: return Variant::R4(1);
    case BaseType::Double: return Variant::R8(1);
    case BaseType::Integer: return Variant::I2(1);
    case BaseType::Byte: return Variant::Byte(1);
    default: return Variant::I4(1);
  }
}

TEST_F(CutPaths, APngSaveNamedForJpegIsRefusedThroughTheEngineAndTheControl) {
  vexiro::cImaging engine;
  Imaging control;
  const Dispatch byEngine(engine), byControl(control, Interface::Control);
  for (const Dispatch* d : {&byEngine, &byControl}) {
    SCOPED_TRACE(d == &byEngine ? "engine" : "control");
    const Variant id = Call(*d, "CreateNewImage", {Variant::I4(8), Variant::I4(6)});
    ASSERT_NE(id.AsI4(), 0);
    EXPECT_EQ(Call(*d, "SaveAsPNG", {Variant::Str(Cut("name.png"))}).AsI4(), vexiro::InvalidParameter);
    EXPECT_EQ(Call(*d, "GetStat", {}).AsI4(), vexiro::InvalidParameter);
    EXPECT_TRUE(FolderEmpty());
    // The name without its tail is an ordinary path: the refusal is the NUL's alone.
    EXPECT_EQ(Call(*d, "SaveAsPNG", {Variant::Str(Whole("name.png"))}).AsI4(), vexiro::OK);
    EXPECT_TRUE(fs::exists(folder_ / "name.png"));
    fs::remove(folder_ / "name.png");
    Call(*d, "CloseImage", {id});
  }
}

// Every member with a path among its parameters (save, load, PDF, templates, profiles, scans,
// logs, transfers), each path cut in turn: the member answers as a refusal does and leaves
// InvalidParameter, and no file appears.
TEST_F(CutPaths, EveryMemberTakingAPathRefusesIt) {
  vexiro::cImaging engine;
  const Dispatch d(engine);
  int refused = 0;
  for (const MemberDesc& m : MemberTable::Instance().Members()) {
    if (!d.IsBound(m)) continue;
    for (size_t cut = 0; cut < m.params.size(); ++cut) {
      if (!NamesAFile(m.params[cut])) continue;
      SCOPED_TRACE(m.name + " " + m.params[cut].name);
      std::vector<Variant> args;
      for (size_t i = 0; i < m.params.size(); ++i) {
        const ParamDesc& p = m.params[i];
        if (i == cut && p.type.isArray)
          args.push_back(Variant::Array(TypedArray<std::string>{{ArrayDimension{0, 1}}, {Cut("each.tif")}}));
        else if (i == cut)
          args.push_back(Variant::Str(Cut("file.tif")));
        else
          args.push_back(NamesAFile(p) ? Variant::Str(Whole("other.tif")) : PlainValueOf(p));
      }
      ASSERT_NE(engine.CreateNewImage(2, 2), 0);  // the last status is OK again
      std::vector<NamedArgument> named;
      Variant result;
      ASSERT_EQ(d.Invoke(m.dispidEngine, args, named, result), S_OK);
      EXPECT_EQ(result.ToDisplayString(), RefusedResult(m).ToDisplayString());
      EXPECT_EQ(engine.GetStat(), vexiro::InvalidParameter);
      EXPECT_TRUE(FolderEmpty());
      engine.CloseNativeImage();
      ++refused;
    }
  }
  // Saves, loads, PDF documents, templates, profiles, scans, logs and transfers.
  EXPECT_GE(refused, 90);
}

}  // namespace
}  // namespace vx::control
