// The printing suites' fixture: one private CUPS scheduler with three queues ("Alpha", the
// default, and "Alphabet" take PDF; "Post" takes only PostScript), an engine, and readers of what
// a job left in its queue's file (pdfinfo, pdfimages and a render at one pixel per millimetre).
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/printing/printing.h"
#include "support/cups_sandbox.h"
#include "support/required_tool.h"
#include "vexiro/imaging.h"

namespace vxtest {

// Where an image landed on a page rendered at one pixel per millimetre.
struct Box {
  int width = 0, height = 0, left = 0, top = 0;
};

class PrintSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sandbox_ = std::make_unique<CupsSandbox>(std::vector<std::string>{"Alpha", "Alphabet", "Post:ps"}); }
  static void TearDownTestSuite() { sandbox_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(sandbox_->Failure().empty()) << sandbox_->Failure();
    VX_REQUIRE(sandbox_->Running(), "a private cupsd (run as root)", "cups-daemon cups-client");
    VX_REQUIRE_TOOL("pdfinfo");
    engine_ = std::make_unique<vexiro::cImaging>();
    // Each test starts from the default printer with its defaults.
    ASSERT_TRUE(engine_->PrintSetActivePrinter("Alpha"));
    vx::printing::SetPrintDialogProvider(nullptr);
  }
  void TearDown() override {
    vx::printing::SetPrintDialogProvider(nullptr);
    if (engine_) engine_->RemoveAllImage();
    engine_.reset();
  }

  // A new image of `width` x `height` pixels at `dpi`, black on the white page.
  int32_t NewImage(int width, int height, float dpi) {
    const int32_t id = engine_->CreateNewImage(width, height, 24, static_cast<int32_t>(0xFF000000u));
    engine_->SetHorizontalResolution(dpi);
    engine_->SetVerticalResolution(dpi);
    return id;
  }

  // Prints through `print` and returns the job's file, "" when no job came out.
  template <class Print>
  std::string PrintedFile(const std::string& queue, Print print) {
    const fs::path out = sandbox_->Output(queue);
    std::error_code ec;
    fs::remove(out, ec);
    const int before = sandbox_->JobCount();
    print();
    sandbox_->WaitUntilIdle();
    if (sandbox_->JobCount() == before || !fs::exists(out)) return "";
    return out.string();
  }

  static std::string Pdfinfo(const std::string& pdf) { return CommandOutput("pdfinfo '" + pdf + "' 2>/dev/null"); }

  // Page sizes in points, one per page ("595.28 x 841.89").
  static std::vector<std::string> PageSizes(const std::string& pdf) {
    const std::string info = CommandOutput("pdfinfo -f 1 -l 99 '" + pdf + "' 2>/dev/null");
    std::vector<std::string> sizes;
    const std::regex line(R"(Page\s+\d+ size:\s+([\d.]+ x [\d.]+))");
    for (auto it = std::sregex_iterator(info.begin(), info.end(), line); it != std::sregex_iterator(); ++it)
      sizes.push_back((*it)[1]);
    return sizes;
  }

  // Pixel sizes of the embedded images, in page order ("40x30").
  static std::vector<std::string> ImageSizes(const std::string& pdf) {
    const std::string list = CommandOutput("pdfimages -list '" + pdf + "' 2>/dev/null");
    std::vector<std::string> sizes;
    const std::regex row(R"(^\s*\d+\s+\d+\s+(image|smask)\s+(\d+)\s+(\d+))");
    std::istringstream lines(list);
    for (std::string text; std::getline(lines, text);) {
      std::smatch m;
      if (std::regex_search(text, m, row) && m[1] == "image") sizes.push_back(m[2].str() + "x" + m[3].str());
    }
    return sizes;
  }

  // The dark area of page `page` rendered at 1 pixel per millimetre.
  static Box DarkBox(const std::string& pdf, int page = 1) {
    const std::string prefix = (sandbox_->Scratch() / "render").string();
    const std::string n = std::to_string(page);
    CommandOutput("pdftoppm -r 25.4 -gray -f " + n + " -l " + n + " -singlefile '" + pdf + "' '" + prefix + "'");
    const std::string geometry =
        CommandOutput("convert '" + prefix + ".pgm' -threshold 50% -negate -trim -format '%w %h %X %Y' info: 2>/dev/null");
    std::error_code ec;
    fs::remove(prefix + ".pgm", ec);
    Box box;
    std::sscanf(geometry.c_str(), "%d %d %d %d", &box.width, &box.height, &box.left, &box.top);
    return box;
  }

  static inline std::unique_ptr<CupsSandbox> sandbox_;
  std::unique_ptr<vexiro::cImaging> engine_;
};

}  // namespace vxtest
