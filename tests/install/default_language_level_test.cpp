// What a newcomer builds first, as the README gives it: the installed minimal program and a program
// naming the enumerations, each built by plain g++ and clang++ at the compiler's own default
// language level, once through pkg-config and once through the README's CMakeLists.txt; a
// constant of the wrong enumeration is still refused at that level. The README's listing is the
// installed file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/required_tool.h"
#include "support/test_servers.h"

namespace vxtest {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& s) { return "'" + s + "'"; }
std::string RunShell(const std::string& command) { return CommandOutput(command + " 2>&1; echo \"exit $?\""); }
bool Succeeded(const std::string& output) { return output.size() >= 7 && output.substr(output.size() - 7) == "exit 0\n"; }

// The installed library is instrumented in the sanitised test tree: a program g++ builds takes
// the same instrumentation; one clang++ builds is left plain (clang's own run-time would clash
// with GCC's) and is started with GCC's run-time loaded first.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitised = true;
#else
constexpr bool kSanitised = false;
#endif

std::string CompilerFlags(const std::string& compiler) {
  return kSanitised && compiler == "g++" ? "-fsanitize=address,undefined" : "";
}

std::string RunPrefix(const std::string& compiler) {
  std::string prefix = "env -u LD_LIBRARY_PATH";
  if (kSanitised && compiler != "g++") prefix += " LD_PRELOAD=$(g++ -print-file-name=libasan.so)";
  return prefix + " ";
}

// A program that names constants of several enumerations, passes them where members take them and
// prints the outcomes by name; with MIX_UP defined it passes a compression where an interpolation
// belongs, which must not compile.
constexpr const char* kEnumerationProgram = R"(#include <cstdio>

#include "vexiro/imaging.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  vexiro::cImaging engine;
  engine.CreateNewImage(40, 30, 24, vexiro::LightSkyBlue);
  const vexiro::EnumArg<vexiro::TifCompression> compression = vexiro::CompressionNone;
  const vexiro::VexiroStatus resized = engine.ResizeImage(80, 60, vexiro::InterpolationModeBicubic);
#ifdef MIX_UP
  engine.ResizeImage(80, 60, vexiro::CompressionLZW);
#endif
  const vexiro::VexiroStatus saved = engine.SaveAsTIFF(argv[1], compression);
  std::printf("%s %s %d x %d\n", vexiro::StatusName(resized), vexiro::StatusName(saved), engine.GetWidth(),
              engine.GetHeight());
  return saved == vexiro::OK ? 0 : 1;
}
)";

// The first block of `language` in the README that follows `after`.
std::string ReadmeBlock(const std::string& after, const std::string& language) {
  const std::string readme = ReadFile(fs::path(VEXIRO_SOURCE_DIR) / "README.md");
  const size_t anchor = readme.find(after);
  if (anchor == std::string::npos) return "";
  const std::string fence = "```" + language + "\n";
  const size_t start = readme.find(fence, anchor);
  if (start == std::string::npos) return "";
  const size_t end = readme.find("```\n", start + fence.size());
  return end == std::string::npos ? "" : readme.substr(start + fence.size(), end - start - fence.size());
}

class DefaultLanguageLevel : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"pkg-config", "g++", "clang++", "cmake", "identify"}) VX_REQUIRE_TOOL(tool);
    const std::string install = RunShell("cmake --install " + Quoted(VEXIRO_BINARY_DIR) + " --prefix " +
                                         Quoted(prefix_.string()) + " >/dev/null");
    ASSERT_TRUE(Succeeded(install)) << install;
    minimal_ = CommandOutput("find " + Quoted(prefix_.string()) + " -path '*/examples/minimal/minimal.cpp' | head -1");
    if (!minimal_.empty()) minimal_.pop_back();
    ASSERT_FALSE(minimal_.empty()) << "the minimal program is installed with the library";
    WriteFile(work_.path() / "enumerations.cpp", kEnumerationProgram);
  }

  std::string PkgConfigBuild(const std::string& compiler, const std::string& source, const std::string& program,
                             const std::string& defines = "") const {
    const std::string pc = CommandOutput("dirname \"$(find " + Quoted(prefix_.string()) + " -name vexiro.pc)\"");
    return RunShell("PKG_CONFIG_PATH=" + Quoted(pc.substr(0, pc.size() - 1)) + " sh -c " +
                    Quoted(compiler + " -Wall -Werror " + CompilerFlags(compiler) + " " + defines + " " + source +
                           " $(pkg-config --cflags --libs vexiro) -o " + program));
  }

  // A project of the compiler's own: the README's CMakeLists.txt beside the source as minimal.cpp
  // (configured once, each later source built in the same tree).
  std::string CMakeBuild(const std::string& compiler, const std::string& source, const std::string& program) const {
    const fs::path project = work_.path() / ("cmake-" + compiler);
    const fs::path tree = project / "build";
    std::string configure;
    if (!fs::exists(tree)) {
      fs::create_directories(project);
      WriteFile(project / "CMakeLists.txt", ReadmeBlock("## Using the library", "cmake"));
      const std::string flags = CompilerFlags(compiler);
      configure = "CXX=" + compiler + " cmake -S " + Quoted(project.string()) + " -B " + Quoted(tree.string()) +
                  " -DCMAKE_PREFIX_PATH=" + Quoted(prefix_.string()) + " -DCMAKE_CXX_FLAGS=" +
                  Quoted("-Wall -Werror " + flags) + " -DCMAKE_EXE_LINKER_FLAGS=" + Quoted(flags) + " >/dev/null && ";
    }
    fs::copy_file(source, project / "minimal.cpp", fs::copy_options::overwrite_existing);
    fs::remove(tree / "app");
    return RunShell(configure + "cmake --build " + Quoted(tree.string()) + " >/dev/null && cp " +
                    Quoted((tree / "app").string()) + " " + Quoted(program));
  }

  TempFolder work_;
  const fs::path prefix_ = work_.path() / "prefix";
  std::string minimal_;
};

TEST_F(DefaultLanguageLevel, EveryCompilerAndRouteBuildsTheMinimalAndTheEnumerationPrograms) {
  struct Route {
    const char* compiler;
    bool cmake;
  };
  for (const Route route : {Route{"g++", false}, Route{"clang++", false}, Route{"g++", true}, Route{"clang++", true}}) {
    const std::string name = std::string(route.compiler) + (route.cmake ? " through CMake" : " through pkg-config");
    SCOPED_TRACE(name);
    const std::string tag = std::string(route.compiler == std::string("g++") ? "gcc" : "clang") + (route.cmake ? "-cmake" : "-pc");
    const std::string minimal = (work_.path() / ("minimal-" + tag)).string();
    const std::string enumerations = (work_.path() / ("enumerations-" + tag)).string();
    const std::string enumerationSource = (work_.path() / "enumerations.cpp").string();
    const std::string built = route.cmake ? CMakeBuild(route.compiler, minimal_, minimal)
                                          : PkgConfigBuild(route.compiler, Quoted(minimal_), Quoted(minimal));
    ASSERT_TRUE(Succeeded(built)) << built;
    const std::string builtToo = route.cmake ? CMakeBuild(route.compiler, enumerationSource, enumerations)
                                             : PkgConfigBuild(route.compiler, Quoted(enumerationSource), Quoted(enumerations));
    ASSERT_TRUE(Succeeded(builtToo)) << builtToo;

    const std::string picture = (work_.path() / (tag + ".png")).string();
    const std::string ran = RunShell(RunPrefix(route.compiler) + Quoted(minimal) + " " + Quoted(picture));
    EXPECT_NE(ran.find("wrote " + picture + ": 320 x 180, OK\nexit 0"), std::string::npos) << ran;
    EXPECT_EQ(CommandOutput("identify -format '%m %wx%h' " + Quoted(picture)), "PNG 320x180");

    const std::string tiff = (work_.path() / (tag + ".tif")).string();
    const std::string named = RunShell(RunPrefix(route.compiler) + Quoted(enumerations) + " " + Quoted(tiff));
    EXPECT_EQ(named, "OK OK 80 x 60\nexit 0\n");
    EXPECT_EQ(CommandOutput("identify -format '%m %wx%h %C' " + Quoted(tiff)), "TIFF 80x60 None");
  }
}

TEST_F(DefaultLanguageLevel, AConstantOfAnotherEnumerationIsRefusedByEveryCompiler) {
  const std::string source = Quoted((work_.path() / "enumerations.cpp").string());
  for (const char* compiler : {"g++", "clang++"}) {
    const std::string refused = PkgConfigBuild(compiler, source, Quoted((work_.path() / "mixed").string()), "-DMIX_UP");
    EXPECT_FALSE(Succeeded(refused)) << compiler << " took a compression for an interpolation";
    EXPECT_NE(refused.find("ResizeImage"), std::string::npos) << compiler << " names the call it refused: " << refused;
  }
}

TEST_F(DefaultLanguageLevel, ReadmeListsTheInstalledMinimalProgram) {
  EXPECT_EQ(ReadmeBlock("The smallest program", "cpp"), ReadFile(minimal_));
}

}  // namespace
}  // namespace vxtest
