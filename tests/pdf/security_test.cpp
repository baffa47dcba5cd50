// Encrypted documents as qpdf reads them: both passwords open them, a wrong one does not, the
// permissions come out as asked, and Info strings survive decryption byte for byte.
#include <gtest/gtest.h>

#include <random>

#include "pdf_test_support.h"

namespace vx::pdf {
namespace {

using namespace test_support;

class PdfSecurityTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ToolPresent("qpdf", "qpdf")); }

  std::string Write(const std::string& name, int32_t encryption, int32_t rights, const std::string& title = "T",
                    const std::string& user = "user", const std::string& owner = "owner", uint32_t seed = 1) {
    auto pdf = FixedWriter();
    if (seed != 1) {
      auto state = std::make_shared<std::mt19937>(seed);
      pdf->SetRandomSource([state] { return std::uniform_real_distribution<float>(0, 1)(*state); });
    }
    const std::string path = scratch_.File(name);
    EXPECT_TRUE(pdf->NewPdf(path, title, "Author", "Creator", "Keys", "Subject", encryption, rights, user, owner));
    pdf->MoveTo(1, 2);
    pdf->LineTo(30, 40, 1);
    EXPECT_TRUE(pdf->ClosePdfFile());
    return path;
  }
  Scratch scratch_;
};

TEST_F(PdfSecurityTest, BothPasswordsOpenAndAWrongOneIsRefused) {
  for (int32_t encryption : {1, 2}) {
    const std::string path = Write("enc" + std::to_string(encryption) + ".pdf", encryption, -1);
    const std::string header = ReadFile(path).substr(0, 8);
    EXPECT_EQ(header, encryption == 1 ? "%PDF-1.3" : "%PDF-1.4");
    for (const char* password : {"user", "owner"}) {
      const std::string out = scratch_.File("plain.pdf");
      const Output decrypt = RunTool("qpdf --password=" + std::string(password) + " --decrypt " + Quoted(path) + " " + Quoted(out));
      EXPECT_EQ(decrypt.status, 0) << encryption << " " << password << ": " << decrypt.text;
      const Output check = RunTool("qpdf --check " + Quoted(out));
      EXPECT_EQ(check.status, 0) << check.text;
      EXPECT_NE(RunTool("qpdf --json --json-key=qpdf " + Quoted(out)).text.find("\"/Author\": \"u:Author\""),
                std::string::npos);
      std::filesystem::remove(out);
    }
    const Output wrong = RunTool("qpdf --password=wrong --decrypt " + Quoted(path) + " " + Quoted(scratch_.File("no.pdf")));
    EXPECT_NE(wrong.status, 0);
    EXPECT_NE(wrong.text.find("invalid password"), std::string::npos) << wrong.text;
  }
}

TEST_F(PdfSecurityTest, PermissionsComeOutPerRights) {
  struct Case {
    int32_t encryption, rights;
    const char* p;
  };
  const Case cases[] = {{1, -1, "P = -4"},   {1, 0, "P = -64"},   {1, 1 + 4, "P = -52"}, {1, 128, "P = -64"},
                        {2, -1, "P = -4"},   {2, 0, "P = -3904"}, {2, 2, "P = -3888"}, {2, 128, "P = -1856"}};
  for (const Case& c : cases) {
    const std::string path = Write("p.pdf", c.encryption, c.rights);
    const Output shown = RunTool("qpdf --password=owner --show-encryption " + Quoted(path));
    EXPECT_NE(shown.text.find(std::string(c.p) + "\n"), std::string::npos) << c.rights << ": " << shown.text;
    EXPECT_NE(shown.text.find(c.encryption == 1 ? "R = 2" : "R = 3"), std::string::npos);
    std::filesystem::remove(path);
  }
}

// Enciphered Info bytes include CR and LF; written raw, a reader would turn a CR into LF.
TEST_F(PdfSecurityTest, LongInfoValuesSurviveDecryption) {
  std::string title;
  for (int i = 0; i < 300; ++i) title += static_cast<char>('A' + i % 26);
  title += " (x) \\ \r\n end";
  for (uint32_t seed = 2; seed < 10; ++seed) {
    const int32_t encryption = 1 + seed % 2;
    const std::string path = Write("long.pdf", encryption, -1, title, "u", "o", seed);
    const std::string out = scratch_.File("long-plain.pdf");
    ASSERT_EQ(RunTool("qpdf --password=u --decrypt " + Quoted(path) + " " + Quoted(out)).status, 0);
    const Output json = RunTool("qpdf --json --json-key=qpdf " + Quoted(out));
    EXPECT_NE(json.text.find("\"/Title\": \"u:" + title.substr(0, 300) + " (x) \\\\ \\r\\n end\""), std::string::npos)
        << seed << json.text.substr(0, 2000);
    EXPECT_NE(json.text.find("\"/Subject\": \"u:Subject\""), std::string::npos) << seed;
    std::filesystem::remove(path);
    std::filesystem::remove(out);
  }
}

}  // namespace
}  // namespace vx::pdf
