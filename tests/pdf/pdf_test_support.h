// Helpers of the PDF writer's tests: a scratch folder, outside tools as oracles, a writer with a
// fixed clock and a fixed sequence of random draws, and small images made in memory.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "engine/loading_test_support.h"
#include "pdf/pdf_writer.h"

namespace vx::pdf::test_support {

inline std::string ReadFile(const std::string& path) { return vx::engine::test_support::ReadBytes(path); }

// A folder under TMPDIR, removed with everything in it at the end of the test.
using Scratch = vx::engine::test_support::FixtureFolder;

// A missing oracle fails the test and names the Debian package that brings it.
inline ::testing::AssertionResult ToolPresent(const std::string& tool, const std::string& package) {
  if (std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << tool << " is missing: install the Debian package " << package;
}

inline bool FilePresent(const std::string& path) { return std::filesystem::exists(path); }

struct Output {
  int status = -1;
  std::string text;  // standard output and standard error
};

inline Output RunTool(const std::string& command) {
  Output out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return out;
  std::array<char, 4096> buffer;
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.text.append(buffer.data(), n);
  const int raw = pclose(pipe);
  out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

inline std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// A writer whose files are the same byte for byte on every run.
inline std::unique_ptr<vexiro::cPDF> FixedWriter(int32_t utcOffsetMinutes = 90) {
  auto pdf = std::make_unique<vexiro::cPDF>();
  pdf->SetClock([utcOffsetMinutes] {
    vexiro::PdfTimestamp t;
    t.Year = 2026;
    t.Month = 3;
    t.Day = 7;
    t.Hour = 14;
    t.Minute = 5;
    t.Second = 9;
    t.UtcOffsetMinutes = utcOffsetMinutes;
    return t;
  });
  auto state = std::make_shared<uint32_t>(12345);
  pdf->SetRandomSource([state] {
    *state = *state * 1664525u + 1013904223u;
    return static_cast<float>(*state >> 8) / 16777216.0f;
  });
  return pdf;
}

}  // namespace vx::pdf::test_support
