// Helpers of the tests of host-built documents: an engine and a scratch folder per test, and the
// outside tools' view of a finished file (qpdf's check and decompressed content, pdfinfo's boxes,
// pdftotext's word boxes).
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "pdf_test_support.h"
#include "support/required_tool.h"
#include "vexiro/imaging.h"

namespace vx::pdf::host_test {

using namespace test_support;

class HostPdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VX_REQUIRE_TOOL("qpdf");
    engine_ = std::make_unique<vexiro::cImaging>();
  }
  void TearDown() override { engine_.reset(); }

  // Saves the engine's document and asks qpdf whether the file is sound.
  std::string Save(const std::string& path, const std::string& password = "") {
    engine_->PdfSavePdf();
    ExpectSound(path, password);
    return path;
  }
  static void ExpectSound(const std::string& path, const std::string& password = "") {
    const Output check = RunTool("qpdf --password=" + Quoted(password) + " --check " + Quoted(path));
    EXPECT_EQ(check.status, 0) << path << "\n" << check.text;
  }

  // The decompressed content of one page, line by line.
  std::vector<std::string> ContentLines(const std::string& path, int page = 1) const {
    const std::string qdf = scratch_.File("view.qdf");
    const Output made = RunTool("qpdf --qdf --object-streams=disable " + Quoted(path) + " " + Quoted(qdf));
    EXPECT_EQ(made.status, 0) << made.text;
    const std::string text = ReadFile(qdf);
    std::filesystem::remove(qdf);
    std::vector<std::string> lines;
    const size_t mark = text.find("%% Contents for page " + std::to_string(page) + "\n");
    if (mark == std::string::npos) return lines;
    const size_t start = text.find("stream\n", mark) + 7;
    const size_t end = text.find("endstream", start);
    std::istringstream in(text.substr(start, end - start));
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) lines.push_back(line);
    }
    return lines;
  }

  // The value of the line of `pdfinfo -box` that begins with `label` ("MediaBox", "CropBox", "Page rot").
  static std::string InfoLine(const std::string& path, const std::string& label, const std::string& options = "") {
    std::istringstream in(RunTool("pdfinfo -box " + options + " " + Quoted(path)).text);
    for (std::string line; std::getline(in, line);)
      if (line.rfind(label + ":", 0) == 0) {
        std::string value = line.substr(label.size() + 1);
        std::istringstream words(value);
        std::string word, joined;
        while (words >> word) joined += (joined.empty() ? "" : " ") + word;
        return joined;
      }
    return "";
  }

  std::unique_ptr<vexiro::cImaging> engine_;
  Scratch scratch_;
};

// A word as pdftotext -bbox places it: points from the page's top left corner.
struct WordBox {
  std::string word;
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

inline std::vector<WordBox> Words(const std::string& path, const std::string& passwordOption = "") {
  const std::string html = RunTool("pdftotext " + passwordOption + " -bbox " + Quoted(path) + " -").text;
  std::vector<WordBox> words;
  for (size_t at = html.find("<word "); at != std::string::npos; at = html.find("<word ", at + 1)) {
    WordBox w;
    const size_t close = html.find('>', at);
    std::sscanf(html.c_str() + at, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &w.xMin, &w.yMin,
                &w.xMax, &w.yMax);
    w.word = html.substr(close + 1, html.find("</word>", close) - close - 1);
    words.push_back(w);
  }
  return words;
}

}  // namespace vx::pdf::host_test
