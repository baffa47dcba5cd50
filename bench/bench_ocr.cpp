// Recognising an A4 page of 40 lines at 300 dpi on one thread, whole process each time: the
// script host with the OCR plug-in against the tesseract tool with the same page layout
// analysis, and the page's orientation (four passes over a band of it). Median of 3 runs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// The page folder, made once and removed when the process ends.
struct Page {
  fs::path folder;
  bool ready = false;
  Page() {
    folder = fs::temp_directory_path() / ("ocr_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::string command = "convert -size 2480x3508 xc:white -font DejaVu-Sans -density 300 -pointsize 11 -fill black";
    for (int i = 0; i < 40; ++i)
      command += " -annotate +240+" + std::to_string(300 + i * 72) + " 'Line " + std::to_string(i + 1) +
                 " of the benchmark page, with words and numbers 4711 and 0815.'";
    ready = std::system((command + " -units PixelsPerInch -density 300 -type truecolor '" +
                         (folder / "page.png").string() + "' >/dev/null 2>&1")
                            .c_str()) == 0;
  }
  ~Page() {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
};

const Page& ThePage() {
  static Page page;
  return page;
}

std::string HostPath() {
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "vexiro").string();
}

void RunEach(benchmark::State& state, const std::string& command) {
  if (!ThePage().ready) {
    state.SkipWithError("convert is missing");
    return;
  }
  for (auto _ : state) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) state.SkipWithError(command.c_str());
  }
}

std::string HostScript(const std::string& name, const std::string& line) {
  const fs::path script = ThePage().folder / (name + ".vxs");
  std::ofstream(script) << "id = CreateImageFromFile(\"" << (ThePage().folder / "page.png").string() << "\")\n"
                        << line << "\n";
  return "'" + HostPath() + "' '" + script.string() + "'";
}

void PageScriptHost(benchmark::State& state) {
  RunEach(state, HostScript("ocr", "t = OCRTesseractDoOCR(2, \"\")\nexpect OCRTesseractGetCharCount() > 1000"));
}
void PageTesseractTool(benchmark::State& state) {
  RunEach(state, "OMP_THREAD_LIMIT=1 tesseract '" + (ThePage().folder / "page.png").string() + "' - --psm 3");
}
void PageOrientationScriptHost(benchmark::State& state) {
  RunEach(state, HostScript("orientation", "expect OCRTesseractGetOrientation(2, \"\") = 0"));
}

#define VX_PAGE_BENCHMARK(name) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)
VX_PAGE_BENCHMARK(PageScriptHost);
VX_PAGE_BENCHMARK(PageTesseractTool);
VX_PAGE_BENCHMARK(PageOrientationScriptHost);

}  // namespace

BENCHMARK_MAIN();
