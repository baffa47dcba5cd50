// Uploads through the project's FTP server (pyftpdlib): bytes arrive exactly, in the mode asked
// for, under the remote name the path rules make; failures upload nothing and leave no
// temporary file.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "support/cups_sandbox.h"
#include "support/required_tool.h"
#include "support/test_servers.h"
#include "vexiro/imaging.h"

namespace {

namespace fs = std::filesystem;

class FtpUpload : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!vxtest::HavePythonModule("pyftpdlib")) return;
    folder_ = std::make_unique<vxtest::TempFolder>();
    fs::create_directories(Root() / "images");
    server_ = std::make_unique<vxtest::ServerProcess>(vxtest::FtpServerCommand(Root(), Log()));
  }
  static void TearDownTestSuite() {
    server_.reset();
    folder_.reset();
  }
  static fs::path Root() { return folder_->path() / "root"; }
  static fs::path Log() { return folder_->path() / "ftp.log"; }
  static fs::path Local() { return folder_->path(); }

  void SetUp() override {
    VX_REQUIRE(server_ && server_->port() != 0, "the FTP test server (Python module pyftpdlib)", "python3-pyftpdlib");
    engine_ = std::make_unique<vexiro::cImaging>();
    tmpBefore_ = TmpEntries();
  }
  void TearDown() override {
    if (!engine_) return;
    engine_->RemoveAllImage();
    engine_.reset();
    EXPECT_EQ(TmpEntries(), tmpBefore_) << "a temporary file was left behind";
  }

  static std::set<std::string> TmpEntries() {
    std::set<std::string> names;
    const char* tmp = std::getenv("TMPDIR");
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(tmp && *tmp ? tmp : "/tmp", ec)) names.insert(entry.path().string());
    return names;
  }

  vexiro::VexiroStatus Upload(const fs::path& local, const std::string& remote, const std::string& password = "pass",
                              int32_t port = 0) {
    return engine_->UploadFileToFTP(local.string(), "127.0.0.1", remote, "user", password,
                                    port ? port : server_->port());
  }
  vexiro::VexiroStatus SaveTo(const std::string& format, int32_t parameter, const std::string& remote) {
    return engine_->SaveToFTP(format, parameter, "127.0.0.1", remote, "user", "pass", server_->port());
  }

  static inline std::unique_ptr<vxtest::TempFolder> folder_;
  static inline std::unique_ptr<vxtest::ServerProcess> server_;
  std::unique_ptr<vexiro::cImaging> engine_;
  std::set<std::string> tmpBefore_;
};

TEST_F(FtpUpload, PassiveAndActiveUploadsAreExact) {
  for (const bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "active");
    const std::string name = passive ? "passive.bin" : "active.bin";
    const std::string content = vxtest::Pattern(50000 + passive);
    vxtest::WriteFile(Local() / name, content);
    engine_->SetFtpPassiveMode(passive);
    const size_t logBefore = vxtest::ReadFile(Log()).size();
    EXPECT_EQ(Upload(Local() / name, "images/" + name), vexiro::OK);
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    EXPECT_EQ(vxtest::ReadFile(Root() / "images" / name), content);
    const std::string log = vxtest::ReadFile(Log()).substr(logBefore);
    const size_t store = log.find("STOR");
    ASSERT_NE(store, std::string::npos) << log;
    const size_t mode = log.rfind(passive ? "EPSV" : "EPRT", store);
    EXPECT_NE(mode, std::string::npos) << log;
    EXPECT_EQ(log.rfind(passive ? "EPRT" : "EPSV", store), std::string::npos) << log;
  }
}

TEST_F(FtpUpload, RemotePathRules) {
  struct Case {
    const char* remote;
    const char* arrives;  // relative to the login folder
  };
  const Case cases[] = {
      {"\\images\\scan.bin", "images/scan.bin"},
      {"//scan1.bin", "scan1.bin"},
      {"///scan2.bin", "scan2.bin"},  // "/scan2.bin" is the login folder's root here
      {"  images/with spaces.bin  ", "images/with spaces.bin"},
      {"images/a#b%25;type=a.bin", "images/a#b%25;type=a.bin"},
  };
  vxtest::WriteFile(Local() / "path.bin", "path rules");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.remote);
    EXPECT_EQ(Upload(Local() / "path.bin", c.remote), vexiro::OK);
    EXPECT_EQ(vxtest::ReadFile(Root() / c.arrives), "path rules");
  }
}

TEST_F(FtpUpload, FailuresUploadNothing) {
  vxtest::WriteFile(Local() / "one.bin", "1");
  struct Case {
    const char* what;
    std::string local, remote, password;
    int32_t port;
    vexiro::VexiroStatus expected;
  };
  const Case cases[] = {
      {"closed port", (Local() / "one.bin").string(), "x1.bin", "pass", vxtest::UnusedPort(),
       vexiro::InternetConnectError},
      // The port's low 16 bits would name the server's own port: it must not get the login.
      {"port beyond 65535", (Local() / "one.bin").string(), "x2.bin", "pass", 65536 + server_->port(),
       vexiro::InternetConnectError},
      {"wrong login", (Local() / "one.bin").string(), "x3.bin", "wrong", 0, vexiro::InternetConnectError},
      {"missing local file", (Local() / "none.bin").string(), "x4.bin", "pass", 0, vexiro::InternetFtpWriteFileError},
      {"missing remote folder", (Local() / "one.bin").string(), "nofolder/x5.bin", "pass", 0,
       vexiro::InternetFtpWriteFileError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Upload(c.local, c.remote, c.password, c.port), c.expected);
    EXPECT_EQ(engine_->GetStat(), c.expected);
  }
  for (const char* name : {"x1.bin", "x2.bin", "x3.bin", "x4.bin"}) EXPECT_FALSE(fs::exists(Root() / name)) << name;
  EXPECT_EQ(engine_->UploadFileToFTP((Local() / "one.bin").string(), "127.0.0.1", "anon.bin", "", "", server_->port()),
            vexiro::InternetConnectError)
      << "an empty login is anonymous, which this server refuses";
}

TEST_F(FtpUpload, SaveToFtpInEachFormat) {
  VX_REQUIRE_TOOL("identify");
  ASSERT_NE(engine_->CreateNewImage(30, 20, 24, static_cast<int32_t>(0xFF2040A0u)), 0);
  struct Case {
    const char* format;
    int32_t parameter;
    const char* remote;
    const char* identified;  // ImageMagick's format name, "" when nothing may arrive
    vexiro::VexiroStatus expected;
  };
  const Case cases[] = {
      {"BMP", 0, "images/s.bmp", "BMP3", vexiro::OK},
      {" jpg ", 90, "images/s.jpg", "JPEG", vexiro::OK},
      {"tif", 6, "images/s.tif", "TIFF", vexiro::OK},
      {"PNG", 0, "images/s.png", "PNG", vexiro::OK},
      {"gif", 0, "images/s.gif", "GIF", vexiro::OK},
      {"JPEG", 0, "images/s.tiff", "JPEG", vexiro::OK},  // unknown texts save a JPEG
      {"PDF", 0, "images/s.pdf", "PDF", vexiro::OK},
      {"PNG", 0, "nofolder/s.png", "", vexiro::InternetFtpWriteFileError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " " + c.remote);
    EXPECT_EQ(SaveTo(c.format, c.parameter, c.remote), c.expected);
    const fs::path arrived = Root() / c.remote;
    if (*c.identified == '\0') {
      EXPECT_FALSE(fs::exists(arrived));
      continue;
    }
    if (std::string(c.identified) == "PDF") {
      VX_REQUIRE_TOOL("pdfinfo");
      const std::string info = vxtest::CommandOutput("pdfinfo '" + arrived.string() + "'");
      EXPECT_NE(info.find("Creator:         Vexiro ZedeDud"), std::string::npos) << info;
      EXPECT_NE(info.find("Author:          Vexiro ZedeDud"), std::string::npos) << info;
      EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;
      continue;
    }
    EXPECT_EQ(vxtest::CommandOutput("identify -format '%m %wx%h' '" + arrived.string() + "'"),
              std::string(c.identified) + " 30x20");
  }
  const std::string jpeg = vxtest::CommandOutput("identify -format '%Q' '" + (Root() / "images/s.jpg").string() + "'");
  EXPECT_EQ(jpeg, "90");
  const std::string tiff = vxtest::CommandOutput("identify -format '%C' '" + (Root() / "images/s.tif").string() + "'");
  EXPECT_EQ(tiff, "None") << "the parameter is the TIFF compression (6: none; LZW by default)";

  // Without a current image the save fails after connecting; nothing is uploaded.
  engine_->RemoveAllImage();
  const vexiro::VexiroStatus saveFails = engine_->SaveAsPNG((Local() / "none.png").string());
  ASSERT_NE(saveFails, vexiro::OK);
  EXPECT_EQ(SaveTo("PNG", 0, "images/none.png"), saveFails);
  EXPECT_FALSE(fs::exists(Root() / "images/none.png"));
  EXPECT_EQ(engine_->SaveToFTP("PNG", 0, "127.0.0.1", "x.png", "user", "pass", vxtest::UnusedPort()),
            vexiro::InternetConnectError);
}

}  // namespace
