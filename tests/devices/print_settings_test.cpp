// Printer choice and settings through a private cupsd: what a job carries is read back with
// ipptool from the scheduler's own record of the job.
#include <functional>
#include <thread>

#include "devices/print_test_support.h"
#include "engine/runtime_error.h"

namespace {

using vxtest::PrintSuite;

class PrintSettings : public PrintSuite {
 protected:
  // The attributes of the job one small image makes on the default queue.
  std::string JobAttributesAfterPrint() {
    NewImage(20, 20, 72);
    const int before = sandbox_->JobCount();
    engine_->PrintImage();
    sandbox_->WaitUntilIdle();
    EXPECT_EQ(sandbox_->JobCount(), before + 1);
    return sandbox_->JobAttributes(before + 1);
  }
};

TEST_F(PrintSettings, NewEngineDefaultsAndTheDefaultPrinter) {
  EXPECT_EQ(engine_->PrintGetDocumentName(), "Print Process");
  EXPECT_EQ(engine_->PrintGetImageAlignment(), 3);
  EXPECT_EQ(engine_->PrintGetStat(), vexiro::PrinterOK);
  EXPECT_EQ(engine_->PrintGetPrintersCount(), 3);
  EXPECT_EQ(engine_->PrintGetPrinterName(1), "Alpha");
  EXPECT_EQ(engine_->PrintGetPrinterName(3), "Post");
  EXPECT_EQ(engine_->PrintGetPrinterName(0), "");
  EXPECT_EQ(engine_->PrintGetPrinterName(4), "");
  // The queue's own defaults: A4 with 5 mm margins at 300 dpi, colour, one-sided, automatic bin.
  EXPECT_EQ(engine_->PrintGetPaperSize(), 9);
  EXPECT_NEAR(engine_->PrintGetPaperWidth(), 210.0, 0.01);
  EXPECT_NEAR(engine_->PrintGetPaperHeight(), 297.0, 0.01);
  float left = -1, top = -1;
  engine_->PrintGetMargins(left, top);
  EXPECT_NEAR(left, 5.0, 0.1);
  EXPECT_NEAR(top, 5.0, 0.1);
  EXPECT_EQ(engine_->PrintGetColorMode(), 2);
  EXPECT_EQ(engine_->PrintGetDuplexMode(), 1);
  EXPECT_EQ(engine_->PrintGetPaperBin(), 7);
  EXPECT_EQ(engine_->PrintGetCopies(), 1);
  EXPECT_EQ(engine_->PrintGetOrientation(), 1);
  EXPECT_EQ(engine_->PrintGetQuality(), vexiro::PrintQualityMediumResolution);
}

TEST_F(PrintSettings, ActivePrinterNameRules) {
  struct Case {
    const char* requested;
    bool found;
    const char* current;
  };
  const Case cases[] = {
      {"  alpha  ", true, "Alpha"},      // trimmed, any case, whole name first
      {"ALPHABET", true, "Alphabet"},
      {"alphab", true, "Alphabet"},     // failing that, the first name it begins
      {"po", true, "Post"},
      {"", true, "Alpha"},              // every name begins with the empty text
      {"Gamma", false, "Alpha"},        // unknown: the current printer stays
      {"Alphabets", false, "Alpha"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.requested);
    ASSERT_TRUE(engine_->PrintSetActivePrinter("Alpha"));
    EXPECT_EQ(engine_->PrintSetActivePrinter(c.requested), c.found);
    EXPECT_EQ(engine_->PrintGetActivePrinter(), c.current);
  }
  // Every engine of the thread sees the same current printer.
  vexiro::cImaging other;
  EXPECT_TRUE(engine_->PrintSetActivePrinter("post"));
  EXPECT_EQ(other.PrintGetActivePrinter(), "Post");
}

TEST_F(PrintSettings, RefusedValuesLeaveTheSetting) {
  engine_->PrintSetCopies(3);
  struct Case {
    const char* what;
    std::function<void()> set;
    std::function<int32_t()> get;
    int32_t kept;
  };
  const Case cases[] = {
      {"copies 0", [&] { engine_->PrintSetCopies(0); }, [&] { return engine_->PrintGetCopies(); }, 3},
      {"copies 65536 (low bits 0)", [&] { engine_->PrintSetCopies(65536); }, [&] { return engine_->PrintGetCopies(); }, 3},
      {"colour 3", [&] { engine_->PrintSetColorMode(3); }, [&] { return engine_->PrintGetColorMode(); }, 2},
      {"duplex 4", [&] { engine_->PrintSetDuplexMode(4); }, [&] { return engine_->PrintGetDuplexMode(); }, 1},
      {"paper 999", [&] { engine_->PrintSetStdPaperSize(999); }, [&] { return engine_->PrintGetPaperSize(); }, 9},
      {"paper B5 (not on this printer)", [&] { engine_->PrintSetStdPaperSize(13); },
       [&] { return engine_->PrintGetPaperSize(); }, 9},
      {"orientation 3", [&] { engine_->PrintSetOrientation(3); }, [&] { return int32_t(engine_->PrintGetOrientation()); }, 1},
      {"quality 1200 dpi", [&] { engine_->PrintSetQuality(vexiro::PrintQuality(1200)); },
       [&] { return int32_t(engine_->PrintGetQuality()); }, -3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.set();
    EXPECT_EQ(c.get(), c.kept);
  }
  EXPECT_FALSE(engine_->PrintSetPaperBin(3)) << "no middle bin on this printer";
  EXPECT_FALSE(engine_->PrintSetPaperBin(99));
  EXPECT_EQ(engine_->PrintGetPaperBin(), 7);
  engine_->PrintSetCopies(65537);
  EXPECT_EQ(engine_->PrintGetCopies(), 1) << "the low 16 bits";
}

TEST_F(PrintSettings, PaperSizesInTwips) {
  engine_->PrintSetUserPaperSize(100, 150);
  EXPECT_EQ(engine_->PrintGetPaperSize(), 256);
  EXPECT_NEAR(engine_->PrintGetPaperWidth(), 100.0, 0.03);
  EXPECT_NEAR(engine_->PrintGetPaperHeight(), 150.0, 0.03);
  engine_->PrintSetUserPaperSize(210, 297);
  // 210 mm is 11906 twips, which reads back as 11906 / (1440 / 25.4) mm.
  EXPECT_FLOAT_EQ(engine_->PrintGetPaperWidth(), static_cast<float>(11906 / (1440 / 25.4)));
  engine_->PrintSetUserPaperSize(5000, 100);
  EXPECT_NEAR(engine_->PrintGetPaperWidth(), 210.0, 0.03) << "beyond the printer's largest sheet";
  engine_->PrintSetStdPaperSize(11);
  EXPECT_NEAR(engine_->PrintGetPaperWidth(), 148.0, 0.03);
  engine_->PrintSetOrientation(2);
  EXPECT_NEAR(engine_->PrintGetPaperWidth(), 210.0, 0.03) << "landscape swaps the sheet's sides";
  EXPECT_NEAR(engine_->PrintGetPaperHeight(), 148.0, 0.03);
  engine_->PrintSetOrientation(1);
}

TEST_F(PrintSettings, EachSettingReachesTheJob) {
  VX_REQUIRE_TOOL("ipptool");
  engine_->PrintSetCopies(2);
  engine_->PrintSetColorMode(1);
  engine_->PrintSetDuplexMode(3);
  engine_->PrintSetStdPaperSize(11);
  ASSERT_TRUE(engine_->PrintSetPaperBin(2));
  engine_->PrintSetQuality(vexiro::PrintQualityHightResolution);
  engine_->PrintSetDocumentName("Settings job");
  std::string job = JobAttributesAfterPrint();
  for (const char* expected :
       {"copies (integer) = 2", "print-color-mode (keyword) = monochrome", "sides (keyword) = two-sided-short-edge",
        "media (keyword) = iso_a5_148x210mm", "media-source (keyword) = bottom", "print-quality (enum) = high",
        "job-name (nameWithoutLanguage) = Settings job"})
    EXPECT_NE(job.find(expected), std::string::npos) << expected << "\n" << job;
  EXPECT_EQ(job.find("orientation-requested"), std::string::npos);

  // A resolution as quality, a user size and the other bins.
  engine_->PrintSetQuality(vexiro::PrintQuality(600));
  engine_->PrintSetUserPaperSize(100, 80);
  ASSERT_TRUE(engine_->PrintSetPaperBin(4));
  job = JobAttributesAfterPrint();
  for (const char* expected : {"printer-resolution (resolution) = 600dpi", "media (keyword) = custom_100x80mm",
                               "media-source (keyword) = manual"})
    EXPECT_NE(job.find(expected), std::string::npos) << expected << "\n" << job;
  EXPECT_EQ(engine_->PrintGetPaperSize(), 256);
  engine_->PrintSetQuality(vexiro::PrintQualityDraft);
  EXPECT_NE(JobAttributesAfterPrint().find("print-quality (enum) = draft"), std::string::npos);
}

// A thread that has never chosen a printer, with no scheduler to ask.
TEST_F(PrintSettings, NoPrintSystem) {
  const std::string socket = sandbox_->Socket();
  setenv("CUPS_SERVER", (sandbox_->Scratch() / "nobody.sock").c_str(), 1);
  std::thread([] {
    vexiro::cImaging engine;
    EXPECT_EQ(engine.PrintGetPrintersCount(), 0);
    EXPECT_EQ(engine.PrintGetActivePrinter(), "");
    EXPECT_EQ(engine.PrintGetPrinterName(1), "");
    EXPECT_FALSE(engine.PrintSetActivePrinter("Alpha"));
    EXPECT_EQ(engine.PrintGetCopies(), 0);
    // Without a printer these two meet a run-time error: a C++ caller gets a status, no exception
    // (a script host gets the run-time error).
    int32_t bin = -1;
    EXPECT_NO_THROW(bin = engine.PrintGetPaperBin());
    EXPECT_EQ(bin, 0);
    EXPECT_EQ(engine.GetStat(), vexiro::GenericError);
    float left = 1, top = 2;
    EXPECT_NO_THROW(engine.PrintGetMargins(left, top));
    EXPECT_EQ(engine.GetStat(), vexiro::GenericError);
    engine.CreateNewImage(10, 10, 24);
    engine.PrintImage();
    EXPECT_EQ(engine.PrintGetStat(), vexiro::PrinterOK);
    engine.RemoveAllImage();
  }).join();
  setenv("CUPS_SERVER", socket.c_str(), 1);
}

}  // namespace
