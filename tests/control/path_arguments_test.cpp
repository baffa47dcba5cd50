// A path with a NUL inside names another file than the host wrote ("name.png" NUL ".jpg" is
// name.png to the file system): every member taking a path refuses it with InvalidParameter
// before anything is read or written, whether a host calls the engine or a control by name or a
// C++ host calls the member itself; the file the cut name stands for stays as it was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "control/dispatch.h"
#include "control/imaging_control.h"
#include "control/member_table.h"
#include "control/path_arguments.h"
#include "control/plain_arguments.h"
#include "support/refused_calls.h"
#include "support/required_tool.h"
#include "support/test_servers.h"
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

  // A call of `m` whose parameter `cut` (a path, or an array of paths) is `cutPath`, the other
  // paths naming a file that is not there and the rest plain values of their types.
  std::vector<Variant> ArgumentsCutting(const MemberDesc& m, size_t cut, const std::string& cutPath) const;

  static Variant Call(const Dispatch& d, const std::string& member, std::vector<Variant> args) {
    std::vector<NamedArgument> named;
    Variant result;
    EXPECT_EQ(d.InvokeByName(member, args, named, result), S_OK) << member;
    return result;
  }

  fs::path folder_;
};

std::vector<Variant> CutPaths::ArgumentsCutting(const MemberDesc& m, size_t cut, const std::string& cutPath) const {
  std::vector<Variant> args;
  for (size_t i = 0; i < m.params.size(); ++i) {
    const ParamDesc& p = m.params[i];
    if (i == cut && p.type.isArray)
      args.push_back(Variant::Array(TypedArray<std::string>{{ArrayDimension{0, 1}}, {cutPath}}));
    else if (i == cut)
      args.push_back(Variant::Str(cutPath));
    else
      args.push_back(NamesAFile(p) ? Variant::Str(Whole("other.tif")) : PlainArgument(p));
  }
  return args;
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
      std::vector<Variant> args = ArgumentsCutting(m, cut, Cut("file.tif"));
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

// A picture the cut name stands for, drawn by ImageMagick, whose bytes must survive every call.
class CutPathsBesideAFile : public CutPaths {
 protected:
  void SetUp() override {
    CutPaths::SetUp();
    VX_REQUIRE_TOOL("convert");
    ASSERT_EQ(std::system(("convert -size 7x5 xc:orange '" + Whole("victim.png") + "'").c_str()), 0);
    std::ofstream(Whole("notes.txt")) << "a text file beside the pictures\n";
    victim_ = vxtest::ReadFile(folder_ / "victim.png");
    notes_ = vxtest::ReadFile(folder_ / "notes.txt");
  }
  // Nothing but the two neighbours, as they were.
  void ExpectNeighboursUntouched() const {
    EXPECT_EQ(vxtest::ReadFile(folder_ / "victim.png"), victim_);
    EXPECT_EQ(vxtest::ReadFile(folder_ / "notes.txt"), notes_);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2);
  }
  std::string CutAt(const std::string& name, const std::string& tail) const {
    return Whole(name) + std::string(1, '\0') + tail;
  }

  std::string victim_, notes_;
};

// A C++ host calls the members themselves, past dispatch: the calls the issue names.
TEST_F(CutPathsBesideAFile, CppCallsWithACutPathAreRefused) {
  vexiro::cImaging engine;
  vexiro::BasicArray<std::string> files = vexiro::BasicArray<std::string>::FromVector({CutAt("victim.png", ".tif")});
  vxtest::ExpectRefused(engine, {
      {"SaveAsJPEG", [&] { return engine.SaveAsJPEG(CutAt("victim.png", ".jpg")); }, vexiro::InvalidParameter},
      {"SaveAsTIFF", [&] { return engine.SaveAsTIFF(CutAt("notes.txt", ".tif")); }, vexiro::InvalidParameter},
      {"SaveAsPNG", [&] { return engine.SaveAsPNG(CutAt("victim.png", ".png")); }, vexiro::InvalidParameter},
      {"SaveAsPDF", [&] { return int64_t{engine.SaveAsPDF(CutAt("notes.txt", ".pdf"))}; }, 0},
      {"CreateImageFromFile", [&] { return engine.CreateImageFromFile(CutAt("victim.png", "ignored")); }, 0},
      {"TiffCreateMultiPageFromFile", [&] { return engine.TiffCreateMultiPageFromFile(CutAt("victim.png", ".tif")); }, 0},
      {"ICCExportToFile", [&] { return engine.ICCExportToFile(CutAt("notes.txt", ".icc")); }, vexiro::InvalidParameter},
      {"TiffMergeFiles", [&] { return engine.TiffMergeFiles(files, Whole("merged.tif")); }, vexiro::InvalidParameter},
      {"ADRSaveTemplateConfig", [&] { return int64_t{engine.ADRSaveTemplateConfig(CutAt("notes.txt", ".xml"))}; }, 0},
  }, [&] { ExpectNeighboursUntouched(); });
}

// Every member with a path among its parameters, called through its binding, which is how a C++
// caller reaches it (dispatch's own refusal left out): each path cut in turn before the name of
// an existing file.
TEST_F(CutPathsBesideAFile, EveryMemberRefusesACutPathWithoutDispatch) {
  vexiro::cImaging engine;
  int refused = 0;
  for (const MemberDesc& m : MemberTable::Instance().Members()) {
    const Binding* binding = BindingRegistry::Instance().Find(typeid(vexiro::cImaging), m.index);
    if (binding == nullptr || TakesTextArray(m)) continue;
    for (size_t cut = 0; cut < m.params.size(); ++cut) {
      if (!NamesAFile(m.params[cut])) continue;
      SCOPED_TRACE(m.name + " " + m.params[cut].name);
      std::vector<Variant> args = ArgumentsCutting(m, cut, CutAt("victim.png", ".tif"));
      std::deque<SafeArray> kept;
      PassArraysByReference(m, args, kept);
      ASSERT_NE(engine.CreateNewImage(2, 2), 0);  // the last status is OK again
      Variant result;
      unsigned argErr = 0;
      ASSERT_EQ(binding->Call(&engine, args, result, argErr), S_OK);
      EXPECT_EQ(result.ToDisplayString(), RefusedResult(m).ToDisplayString());
      EXPECT_EQ(engine.GetStat(), vexiro::InvalidParameter);
      ExpectNeighboursUntouched();
      engine.CloseNativeImage();
      ++refused;
    }
  }
  EXPECT_GE(refused, 88);
}

}  // namespace
}  // namespace vx::control
