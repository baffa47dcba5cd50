// A value outside an enumeration of closed choices (interpolations, TIFF compressions, quarter
// turns and flips, lossless JPEG transformations, fill modes, the readers' scan modes) is refused
// with InvalidParameter and changes nothing, whether a C++ host calls the member or a script
// host calls it by name; enumerations of open sets (colours, flags, tags) are not refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <limits>
#include <set>
#include <string>

#include "control/binding.h"
#include "control/enumerations.h"
#include "control/member_table.h"
#include "control/path_arguments.h"
#include "control/plain_arguments.h"
#include "support/refused_calls.h"
#include "support/test_servers.h"
#include "vexiro/imaging.h"

namespace vx::control {
namespace {

namespace fs = std::filesystem;

constexpr int32_t kLargest = std::numeric_limits<int32_t>::max();

// The calls the issue names and their neighbours, as a C++ host writes them: refused, the image
// as it was, no file written.
TEST(EnumerationArguments, CppCallsWithAValueNoConstantNamesAreRefused) {
  vxtest::TempFolder folder;
  const std::string tiff = (folder.path() / "out.tif").string();
  vexiro::BasicArray<std::string> files = vexiro::BasicArray<std::string>::FromVector({tiff});
  vexiro::cImaging engine;
  vxtest::ExpectRefused(engine, {
      {"ResizeImage -1", [&] { return engine.ResizeImage(20, 20, -1); }, vexiro::InvalidParameter},
      {"ResizeImage largest", [&] { return engine.ResizeImage(20, 20, kLargest); }, vexiro::InvalidParameter},
      {"ResizeImage one past", [&] { return engine.ResizeImage(20, 20, 8); }, vexiro::InvalidParameter},
      {"ScaleImage -1", [&] { return engine.ScaleImage(50, -1); }, vexiro::InvalidParameter},
      {"ResizeWidthRatio", [&] { return engine.ResizeWidthRatio(10, 99); }, vexiro::InvalidParameter},
      {"GetResizedImage", [&] { return engine.GetResizedImage(engine.GetNativeImage(), 10, 10, -7); }, 0},
      {"Rotate", [&] { return engine.Rotate(8); }, vexiro::InvalidParameter},
      {"SaveAsTIFF", [&] { return engine.SaveAsTIFF(tiff, 1); }, vexiro::InvalidParameter},
      {"SaveAsTIFF largest", [&] { return engine.SaveAsTIFF(tiff, kLargest); }, vexiro::InvalidParameter},
      {"TiffMergeFiles", [&] { return engine.TiffMergeFiles(files, tiff, 7); }, vexiro::InvalidParameter},
  }, [&] {
    EXPECT_EQ(engine.GetWidth(), 40);
    EXPECT_EQ(engine.GetHeight(), 30);
    EXPECT_FALSE(fs::exists(tiff));
  });
}

// The scans leave no status of their own as the last status, refused or not.
TEST(EnumerationArguments, ScansRefuseAScanModeNoConstantNamesAndKeepTheLastStatus) {
  vexiro::cImaging engine;
  const int32_t id = engine.CreateNewImage(20, 20);
  ASSERT_NE(id, 0);
  engine.SetROI(2, 2, 5, 5);
  engine.Rotate(-3);  // leaves InvalidParameter
  ASSERT_EQ(engine.GetStat(), vexiro::InvalidParameter);
  engine.ResetROI();
  EXPECT_EQ(engine.Barcode1DReaderDoScan(9), vexiro::InvalidParameter);
  EXPECT_EQ(engine.BarcodeDataMatrixReaderDoScan(-1), vexiro::InvalidParameter);
  EXPECT_EQ(engine.Barcode1DReaderDoScan(kLargest), vexiro::InvalidParameter);
  EXPECT_EQ(engine.GetStat(), vexiro::InvalidParameter) << "the region was not read";
  engine.CloseImage(id);
}

// Every member taking one of those enumerations, through its binding (the way a C++ call reaches
// it), each such parameter given values below, just above and far above its constants.
TEST(EnumerationArguments, EveryMemberTakingAClosedEnumerationRefusesOtherValues) {
  const std::set<std::string> closed = {"InterpolationMode", "TifCompression", "RotateFlipType",
                                        "JPEGTransformations", "FillMode", "Barcode1DReaderScanMode",
                                        "BarcodeDataMatrixReaderScanMode"};
  const std::set<std::string> withoutLastStatus = {"Barcode1DReaderDoScan", "BarcodeDataMatrixReaderDoScan"};
  vexiro::cImaging engine;
  std::set<std::string> members;
  for (const MemberDesc& m : MemberTable::Instance().Members()) {
    const Binding* binding = BindingRegistry::Instance().Find(typeid(vexiro::cImaging), m.index);
    if (binding == nullptr || TakesTextArray(m)) continue;
    for (size_t at = 0; at < m.params.size(); ++at) {
      if (!closed.count(m.params[at].type.enumName)) continue;
      const EnumerationDesc* e = FindEnumeration(m.params[at].type.enumName);
      ASSERT_NE(e, nullptr);
      int32_t highest = std::numeric_limits<int32_t>::min(), lowest = kLargest;
      for (const EnumConstant& c : e->constants) {
        highest = std::max(highest, c.value);
        lowest = std::min(lowest, c.value);
      }
      for (const int32_t outside : {lowest - 1, highest + 1, kLargest}) {
        SCOPED_TRACE(m.name + " " + m.params[at].name + " = " + std::to_string(outside));
        std::vector<Variant> args;
        for (size_t i = 0; i < m.params.size(); ++i)
          args.push_back(i == at                        ? Variant::I4(outside)
                         : NamesAFile(m.params[i]) ? Variant::Str("/nonexistent/vexiro-test.tif")
                                                   : PlainArgument(m.params[i]));
        std::deque<SafeArray> kept;
        PassArraysByReference(m, args, kept);
        const int32_t id = engine.CreateNewImage(6, 4);
        ASSERT_NE(id, 0);  // the last status is OK again
        Variant result;
        unsigned argErr = 0;
        ASSERT_EQ(binding->Call(&engine, args, result, argErr), S_OK);
        EXPECT_EQ(result.ToDisplayString(), RefusedResult(m).ToDisplayString());
        EXPECT_EQ(engine.GetStat(), withoutLastStatus.count(m.name) ? vexiro::OK : vexiro::InvalidParameter);
        EXPECT_EQ(engine.GetWidth(), 6);
        engine.CloseImage(id);
        members.insert(m.name);
      }
    }
  }
  // 17 interpolating members, 5 TIFF writers (TiffMergeFiles by its C++ call), Rotate,
  // TransformJPEG, 2 fills, 2 scans.
  EXPECT_EQ(members.size(), 28u);
}

}  // namespace
}  // namespace vx::control
