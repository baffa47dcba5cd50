// Scan-to-PDF: scanned images collect into a PDF/A document whose pages take each scan's
// physical size; documents that never get stopped with pages do not stay behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>

#include "scan_test_support.h"
#include "support/preflight.h"

namespace {

using namespace vxtest::scan;

std::string RunCommand(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int raw = pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

class ScanToPdfTest : public ScanTest {
 protected:
  // A scan of `right` x `bottom` mm at `dpi`, as a new image of the store.
  int32_t Scan(int32_t dpi, double right, double bottom) {
    OpenTestSource();
    EXPECT_TRUE(engine_->TwainSetCurrentResolution(dpi));
    EXPECT_TRUE(engine_->TwainSetImageLayout(0, 0, right, bottom));
    const int32_t id = engine_->TwainAcquireToVexiroImage();
    EXPECT_NE(id, 0) << engine_->GetStat();
    return id;
  }
  SaneTestConfig config_;
  ScratchFolder scratch_;
};

// A folder turned into a disk of a few pages: a tmpfs mounted in a mount namespace of this thread
// alone, so no other process sees it and it goes with the test whatever the test does; the
// thread returns to the process's namespace at the end. Needs root; Reason() says why not.
class TinyDisk {
 public:
  TinyDisk(const std::string& folder, size_t bytes) : folder_(folder) {
    if (geteuid() != 0) {
      reason_ = "mounting a small disk needs root";
      return;
    }
    home_ = open("/proc/thread-self/ns/mnt", O_RDONLY | O_CLOEXEC);
    if (home_ < 0 || unshare(CLONE_NEWNS) != 0) {
      reason_ = std::string("no mount namespace of its own: ") + std::strerror(errno);
      return;
    }
    entered_ = true;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
      reason_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    else
      mounted_ = true;
  }
  ~TinyDisk() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
    if (entered_) setns(home_, CLONE_NEWNS);
    if (home_ >= 0) close(home_);
  }
  TinyDisk(const TinyDisk&) = delete;
  TinyDisk& operator=(const TinyDisk&) = delete;

  const std::string& Reason() const { return reason_; }
  // Writes until the disk takes no more byte.
  void Fill() const {
    std::ofstream filler(folder_ + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) filler.flush();
    filler.clear();
    for (int i = 0; i < 4096 && filler.put('f') && filler.flush(); ++i) {
    }
  }

 private:
  std::string folder_;
  std::string reason_;
  int home_ = -1;
  bool entered_ = false;
  bool mounted_ = false;
};

// A picture of noise that no compression shrinks: its image object cannot fit a disk of a few pages.
int32_t NoisePicture(vexiro::cImaging& engine, int32_t side) {
  const int32_t id = engine.CreateNewImage(side, side, 32);
  std::mt19937 random(43);
  std::vector<int32_t> pixels(static_cast<size_t>(side) * side);
  for (int32_t& p : pixels) p = static_cast<int32_t>(random() | 0xFF000000u);
  auto array = vexiro::BasicArray<int32_t>::FromVector(std::move(pixels));
  EXPECT_EQ(engine.SetPixelArray(array, 0, 0, side, side), vexiro::OK);
  return id;
}

TEST_F(ScanToPdfTest, EachScanBecomesAPageOfItsPhysicalSize) {
  VX_REQUIRE_TOOL("pdfinfo");
  VX_REQUIRE_TOOL("qpdf");
  const std::string path = scratch_.file("batch.pdf");
  ASSERT_EQ(engine_->TwainPdfStart(path, "Batch"), vexiro::OK);
  struct Sheet {
    int32_t dpi;
    double right, bottom;
  };
  std::vector<std::pair<double, double>> expected;
  for (const Sheet& sheet : {Sheet{50, 40, 30}, Sheet{100, 20, 10}}) {
    const int32_t id = Scan(sheet.dpi, sheet.right, sheet.bottom);
    ASSERT_EQ(engine_->TwainAddVexiroImageToPdf(id), vexiro::OK);
    expected.emplace_back(engine_->GetWidth() * 72.0 / sheet.dpi, engine_->GetHeight() * 72.0 / sheet.dpi);
  }
  ASSERT_EQ(engine_->TwainPdfStop(), vexiro::OK);

  const std::string info = RunCommand("pdfinfo -f 1 -l 9 " + Quoted(path));
  static const std::regex line("Page +\\d+ size: +([0-9.]+) x ([0-9.]+) pts");
  std::vector<std::pair<double, double>> sizes;
  for (auto it = std::sregex_iterator(info.begin(), info.end(), line); it != std::sregex_iterator(); ++it)
    sizes.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
  ASSERT_EQ(sizes.size(), expected.size()) << info;
  for (size_t i = 0; i < sizes.size(); ++i) {
    EXPECT_NEAR(sizes[i].first, expected[i].first, 0.01);
    EXPECT_NEAR(sizes[i].second, expected[i].second, 0.01);
  }
  int status = -1;
  const std::string check = RunCommand("qpdf --check " + Quoted(path), &status);
  EXPECT_EQ(status, 0) << check;

  VX_REQUIRE_PREFLIGHT();
  const std::string verdict = RunCommand(vxtest::PreflightCommand(Quoted(path)), &status);
  EXPECT_EQ(status, 0) << verdict;
}

// A disk that fills up fails the document, whether it fills while an image is added or while the
// pages are written at the stop: the add and the stop say the file cannot be made, the last
// status says so too, and no cut-short file stays behind.
TEST_F(ScanToPdfTest, AFullDiskFailsTheDocumentAndLeavesNoFile) {
  // Early: one picture larger than the disk. Late: small pictures that fit, then a disk filled
  // before the stop, whose pages need more than the last block of the file has left.
  struct Case {
    const char* when;
    int32_t side;
    int images;
  };
  for (const Case& c : {Case{"while the image is added", 512, 1}, Case{"while the pages are written", 8, 24}}) {
    SCOPED_TRACE(c.when);
    const std::string folder = scratch_.file(std::to_string(c.images));
    std::filesystem::create_directory(folder);
    TinyDisk disk(folder, 64 * 1024);
    if (!disk.Reason().empty()) GTEST_SKIP() << disk.Reason();
    const int32_t id = NoisePicture(*engine_, c.side);
    const std::string path = folder + "/batch.pdf";
    ASSERT_EQ(engine_->TwainPdfStart(path, "Batch"), vexiro::OK);
    const bool fits = c.images > 1;
    for (int i = 0; i < c.images; ++i)
      EXPECT_EQ(engine_->TwainAddVexiroImageToPdf(id), fits ? vexiro::OK : vexiro::CanNotCreateFile);
    EXPECT_EQ(engine_->GetStat(), fits ? vexiro::OK : vexiro::CanNotCreateFile);
    if (fits) disk.Fill();
    EXPECT_EQ(engine_->TwainPdfStop(), vexiro::CanNotCreateFile);
    EXPECT_EQ(engine_->GetStat(), vexiro::CanNotCreateFile);
    EXPECT_FALSE(std::filesystem::exists(path));
    engine_->CloseImage(id);
  }
}

// Documents that end without pages, or without being stopped, leave no file; the calls made
// out of order say so.
TEST_F(ScanToPdfTest, UnfinishedDocumentsLeaveNoFile) {
  const int32_t id = Scan(50, 10, 10);
  const std::string empty = scratch_.file("empty.pdf");
  const std::string restarted = scratch_.file("restarted.pdf");
  const std::string abandoned = scratch_.file("abandoned.pdf");
  const std::string existing = scratch_.file("existing.pdf");
  { std::ofstream(existing) << "kept"; }

  EXPECT_EQ(engine_->TwainPdfStop(), vexiro::TwainPdfMustBeCreatedFirst);
  EXPECT_EQ(engine_->TwainAddVexiroImageToPdf(id), vexiro::TwainPdfMustBeCreatedFirst);

  // Stopped without images: the file goes and the last status stays as it was.
  ASSERT_EQ(engine_->TwainPdfStart(empty), vexiro::OK);
  EXPECT_TRUE(std::filesystem::exists(empty));
  EXPECT_EQ(engine_->TwainAddVexiroImageToPdf(0), vexiro::InvalidParameter);
  engine_->TiffSelectPage(id, 1);  // leaves UnsupportedImageFormat
  EXPECT_EQ(engine_->TwainPdfStop(), vexiro::UnsupportedImageFormat);
  EXPECT_FALSE(std::filesystem::exists(empty));

  // Started again with a page in it: the first document goes, the second is whole.
  ASSERT_EQ(engine_->TwainPdfStart(restarted), vexiro::OK);
  ASSERT_EQ(engine_->TwainAddVexiroImageToPdf(id), vexiro::OK);
  ASSERT_EQ(engine_->TwainPdfStart(empty), vexiro::OK);
  EXPECT_FALSE(std::filesystem::exists(restarted));
  ASSERT_EQ(engine_->TwainAddVexiroImageToPdf(id), vexiro::OK);
  ASSERT_EQ(engine_->TwainPdfStop(), vexiro::OK);
  EXPECT_TRUE(std::filesystem::exists(empty));

  // A start onto an existing file fails and leaves it alone; adding then has no document.
  EXPECT_EQ(engine_->TwainPdfStartEx(existing), vexiro::CanNotCreateFile);
  EXPECT_EQ(engine_->GetStat(), vexiro::CanNotCreateFile);
  EXPECT_EQ(engine_->TwainAddVexiroImageToPdf(id), vexiro::TwainPdfMustBeCreatedFirst);
  EXPECT_EQ(engine_->TwainPdfStop(), vexiro::TwainPdfMustBeCreatedFirst);
  std::ifstream kept(existing);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept");

  // An engine that ends with a document open takes the document with it.
  {
    vexiro::cImaging other;
    ASSERT_EQ(other.TwainPdfStart(abandoned), vexiro::OK);
    ASSERT_EQ(other.TwainAddVexiroImageToPdf(id), vexiro::OK);
  }
  EXPECT_FALSE(std::filesystem::exists(abandoned));
}

}  // namespace
