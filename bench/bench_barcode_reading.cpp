// Reading an A4 page at 300 dpi, whole process each time: the script host with the reader
// plug-ins against zbarimg for seven linear symbols, and against dmtxread (with the same smallest
// edge of 2.5 mm) for DataMatrix symbols. Median of 5 runs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr const char* kDmtxEdge = "30";  // 2.5 mm at 300 dpi

// The page folder, made once and removed when the process ends.
struct Pages {
  fs::path folder;
  bool ready = false;
  Pages() {
    folder = fs::temp_directory_path() / ("barcode_bench_" + std::to_string(getpid()));
    fs::create_directories(folder);
    ready = Run(LinearPage()) && Run(MatrixPage());
  }
  ~Pages() {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
  std::string In(const std::string& name) const { return "'" + (folder / name).string() + "'"; }
  static bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

  std::string LinearPage() const {
    const char* symbols[][2] = {{"20", "Code-128 page"}, {"8", "CODE39"},     {"25", "CODE93"},     {"13", "123456789012"},
                                {"13", "1234567"},       {"3", "12345678"},   {"34", "12345678901"}};
    std::string command = "cd '" + folder.string() + "'";
    std::string compose = " && convert -size 2480x3508 xc:white";
    for (int i = 0; i < 7; ++i) {
      const std::string name = "l" + std::to_string(i) + ".png";
      command += " && zint --scale=3 -b " + std::string(symbols[i][0]) + " -d '" + symbols[i][1] + "' -o " + name;
      compose += " " + name + " -geometry +300+" + std::to_string(200 + i * 460) + " -composite";
    }
    return command + compose + " -density 300 -units PixelsPerInch -type truecolor linear.png";
  }
  std::string MatrixPage() const {
    std::string command = "cd '" + folder.string() + "'";
    std::string compose = " && convert -size 2480x3508 xc:white";
    for (int i = 0; i < 4; ++i) {
      const std::string name = "m" + std::to_string(i) + ".png";
      command += " && printf 'Symbol %d' " + std::to_string(i) + " | dmtxwrite -m 8 -o " + name;
      compose += " " + name + " -geometry +" + std::to_string(300 + (i % 2) * 1000) + "+" +
                 std::to_string(400 + (i / 2) * 1500) + " -composite";
    }
    return command + compose + " -density 300 -units PixelsPerInch -type truecolor matrix.png";
  }
};

const Pages& ThePages() {
  static Pages pages;
  return pages;
}

// The host lies at the top of the build tree, beside bench/.
std::string HostPath() {
  return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "vexiro").string();
}

void RunEach(benchmark::State& state, const std::string& command) {
  if (!ThePages().ready) {
    state.SkipWithError("zint, dmtxwrite or convert is missing");
    return;
  }
  for (auto _ : state) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) state.SkipWithError(command.c_str());
  }
}

// The scan, and a check that it found every symbol on the page.
std::string HostScan(const std::string& page, const std::string& reader, int symbols) {
  const Pages& p = ThePages();
  const std::string script = (p.folder / (reader + ".vxs")).string();
  std::ofstream(script) << "id = CreateImageFromFile(" << '"' << (p.folder / page).string() << '"' << ")\n"
                        << "expect " << reader << "DoScan(0) = 0\n"
                        << "expect " << reader << "GetBarcodeCount() = " << symbols << "\n";
  return "'" + HostPath() + "' '" + script + "'";
}

void LinearPageScriptHost(benchmark::State& state) { RunEach(state, HostScan("linear.png", "Barcode1DReader", 7)); }
void LinearPageZbarimg(benchmark::State& state) { RunEach(state, "zbarimg -q " + ThePages().In("linear.png")); }
void MatrixPageScriptHost(benchmark::State& state) {
  RunEach(state, HostScan("matrix.png", "BarcodeDataMatrixReader", 4));
}
void MatrixPageDmtxread(benchmark::State& state) {
  RunEach(state, std::string("dmtxread -n -e ") + kDmtxEdge + " " + ThePages().In("matrix.png"));
}

#define VX_PAGE_BENCHMARK(name) \
  BENCHMARK(name)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)
VX_PAGE_BENCHMARK(LinearPageScriptHost);
VX_PAGE_BENCHMARK(LinearPageZbarimg);
VX_PAGE_BENCHMARK(MatrixPageScriptHost);
VX_PAGE_BENCHMARK(MatrixPageDmtxread);

}  // namespace

BENCHMARK_MAIN();
