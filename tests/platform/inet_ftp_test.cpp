#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "inet_test_servers.h"
#include "platform/inet/wininet.h"
#include "platform/kernel/last_error.h"
#include "support/required_tool.h"

namespace {

using namespace vx;
namespace fs = vxtest::fs;

class InetFtp : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!vxtest::HavePythonModule("pyftpdlib")) return;
    folder_ = std::make_unique<vxtest::TempFolder>();
    fs::create_directories(Root() / "images");
    fs::create_directories(Local());
    server_ = std::make_unique<vxtest::ServerProcess>(vxtest::FtpServerCommand(Root()));
  }
  static void TearDownTestSuite() {
    server_.reset();
    folder_.reset();
  }
  static fs::path Root() { return folder_->path() / "root"; }
  static fs::path Local() { return folder_->path() / "local"; }

  void SetUp() override {
    VX_REQUIRE(server_ && server_->port() != 0, "the FTP test server (Python module pyftpdlib)", "python3-pyftpdlib");
    session_ = InternetOpen("vexiro", INTERNET_OPEN_TYPE_DIRECT, "", "", 0);
  }
  void TearDown() override {
    if (session_) InternetCloseHandle(session_);
  }

  HINTERNET Connect(bool passive, const std::string& user = "user", const std::string& password = "pass",
                    uint16_t port = 0) {
    return InternetConnect(session_, "127.0.0.1", port ? port : server_->port(), user, password, INTERNET_SERVICE_FTP,
                           passive ? INTERNET_FLAG_PASSIVE : 0, 0);
  }

  static inline std::unique_ptr<vxtest::TempFolder> folder_;
  static inline std::unique_ptr<vxtest::ServerProcess> server_;
  HINTERNET session_ = 0;
};

TEST_F(InetFtp, PutAndGetInPassiveAndActiveMode) {
  for (bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "active");
    const std::string name = passive ? "passive.bin" : "active.bin";
    const std::string content = vxtest::Pattern(70000 + (passive ? 1 : 2));
    vxtest::WriteFile(Local() / name, content);
    HINTERNET connection = Connect(passive);
    ASSERT_NE(connection, 0u) << "error " << GetLastError();
    ASSERT_TRUE(FtpPutFile(connection, (Local() / name).string(), "images/" + name, 0, 0)) << GetLastError();
    EXPECT_EQ(vxtest::ReadFile(Root() / "images" / name), content);

    const fs::path back = Local() / ("back-" + name);
    ASSERT_TRUE(FtpGetFile(connection, "images/" + name, back.string(), TRUE_, 0, FTP_TRANSFER_TYPE_BINARY, 0))
        << GetLastError();
    EXPECT_EQ(vxtest::ReadFile(back), content);
    EXPECT_FALSE(FtpGetFile(connection, "images/" + name, back.string(), TRUE_, 0, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_TRUE(FtpGetFile(connection, "/images/" + name, back.string(), FALSE_, 0, 0, 0))
        << "a path from the root of the login folder, over an existing file";
  }
}

TEST_F(InetFtp, FailedDownloadLeavesNoFileAndKeepsAnOldOne) {
  HINTERNET connection = Connect(true);
  ASSERT_NE(connection, 0u);
  const fs::path target = Local() / "kept.txt";
  vxtest::WriteFile(target, "old content");
  EXPECT_FALSE(FtpGetFile(connection, "images/missing.png", target.string(), FALSE_, 0, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_EXTENDED_ERROR);
  EXPECT_EQ(vxtest::ReadFile(target), "old content");
  EXPECT_FALSE(FtpGetFile(connection, "images/missing.png", (Local() / "new.txt").string(), FALSE_, 0, 0, 0));
  size_t leftovers = 0;
  for (const auto& entry : fs::directory_iterator(Local())) leftovers += entry.path().string().find(".part.") != std::string::npos;
  EXPECT_EQ(leftovers, 0u);
  EXPECT_FALSE(fs::exists(Local() / "new.txt"));

  EXPECT_TRUE(FtpPutFile(connection, target.string(), "kept.txt", 0, 0)) << "the connection survives a failure";
}

TEST_F(InetFtp, RefusedConnectionsAndUploads) {
  EXPECT_EQ(Connect(true, "user", "wrong"), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_LOGIN_FAILURE);
  EXPECT_EQ(Connect(true, "", ""), 0u) << "no anonymous login on this server";
  EXPECT_EQ(Connect(true, "user", "pass", vxtest::UnusedPort()), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);

  HINTERNET connection = Connect(false);
  ASSERT_NE(connection, 0u);
  EXPECT_FALSE(FtpPutFile(connection, (Local() / "no-such-file").string(), "x.bin", 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  vxtest::WriteFile(Local() / "one.bin", "1");
  EXPECT_FALSE(FtpPutFile(connection, (Local() / "one.bin").string(), "no-such-folder/x.bin", 0, 0));
  EXPECT_FALSE(FtpPutFile(connection, (Local() / "one.bin").string(), "x\r\nDELE one.bin", 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(HttpOpenRequest(connection, "GET", "/", "", "", nullptr, 0, 0), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
}

}  // namespace
