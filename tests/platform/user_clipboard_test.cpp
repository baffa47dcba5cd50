#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "platform/kernel/global_memory.h"
#include "platform/kernel/last_error.h"
#include "platform/user/user.h"

namespace {

using namespace vx;

// A format of this test's own (in the range of registered formats), so that its deleter never
// replaces the deleters other layers register for the standard formats.
constexpr UINT kPrivateFormat = 0xC0DE;

// Leaves the clipboard empty and closed for the next test.
class UserClipboard : public ::testing::Test {
 protected:
  void TearDown() override {
    OpenClipboard(0);
    EmptyClipboard();
    CloseClipboard();
    SetClipboardFormatDeleter(kPrivateFormat, nullptr);
  }
};

TEST_F(UserClipboard, CallsNeedAnOpenClipboard) {
  HGLOBAL data = GlobalAlloc(GHND, 4);
  EXPECT_EQ(SetClipboardData(CF_DIB, data), 0u);
  EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
  EXPECT_EQ(EmptyClipboard(), FALSE_);
  EXPECT_EQ(GetClipboardData(CF_DIB), 0u);
  EXPECT_EQ(CloseClipboard(), FALSE_);
  EXPECT_EQ(GlobalSize(data), 4u) << "a refused SetClipboardData leaves the data with the caller";
  GlobalFree(data);
}

TEST_F(UserClipboard, OwnsDataAndFreesReplacedAndEmptiedBlocks) {
  HGLOBAL first = GlobalAlloc(GHND, 8);
  HGLOBAL second = GlobalAlloc(GHND, 9);
  HGLOBAL text = GlobalAlloc(GHND, 3);
  ASSERT_EQ(OpenClipboard(0), TRUE_);
  ASSERT_EQ(EmptyClipboard(), TRUE_);
  EXPECT_EQ(SetClipboardData(CF_DIB, first), first);
  EXPECT_EQ(SetClipboardData(CF_DIB, first), first) << "setting the same data again keeps it";
  EXPECT_EQ(GlobalSize(first), 8u);
  EXPECT_EQ(SetClipboardData(CF_DIB, second), second);
  EXPECT_EQ(GlobalSize(first), 0u) << "replaced data is freed";
  EXPECT_EQ(SetClipboardData(CF_TEXT, text), text);
  EXPECT_EQ(SetClipboardData(CF_TEXT, 0), 0u) << "no delayed rendering";
  EXPECT_EQ(GetClipboardData(CF_DIB), second);
  EXPECT_EQ(GetClipboardData(CF_BITMAP), 0u);
  ASSERT_EQ(CloseClipboard(), TRUE_);

  EXPECT_EQ(IsClipboardFormatAvailable(CF_DIB), TRUE_);
  EXPECT_EQ(IsClipboardFormatAvailable(CF_PALETTE), FALSE_);
  EXPECT_EQ(GlobalSize(second), 9u) << "closing keeps the data";

  ASSERT_EQ(OpenClipboard(0), TRUE_);
  ASSERT_EQ(EmptyClipboard(), TRUE_);
  EXPECT_EQ(GlobalSize(second), 0u);
  EXPECT_EQ(GlobalSize(text), 0u);
  EXPECT_EQ(IsClipboardFormatAvailable(CF_DIB), FALSE_);
  CloseClipboard();
}

TEST_F(UserClipboard, FormatDeletersFreeTheirOwnObjects) {
  std::vector<HANDLE32> deleted;
  SetClipboardFormatDeleter(kPrivateFormat, [&](HANDLE32 h) { deleted.push_back(h); });
  ASSERT_EQ(OpenClipboard(0), TRUE_);
  EmptyClipboard();
  SetClipboardData(kPrivateFormat, 0x0F000011);
  SetClipboardData(kPrivateFormat, 0x0F000012);
  EXPECT_EQ(deleted, std::vector<HANDLE32>{0x0F000011});
  EmptyClipboard();
  EXPECT_EQ(deleted, (std::vector<HANDLE32>{0x0F000011, 0x0F000012}));
  CloseClipboard();
}

TEST_F(UserClipboard, OneThreadAtATimeHoldsItOpen) {
  ASSERT_EQ(OpenClipboard(0), TRUE_);
  EXPECT_EQ(OpenClipboard(0), TRUE_) << "the holder may open it again";
  BOOL otherOpen = TRUE_, otherClose = TRUE_;
  std::thread([&] {
    otherOpen = OpenClipboard(0);
    otherClose = CloseClipboard();
  }).join();
  EXPECT_EQ(otherOpen, FALSE_);
  EXPECT_EQ(otherClose, FALSE_);
  ASSERT_EQ(CloseClipboard(), TRUE_);
  std::thread([&] {
    otherOpen = OpenClipboard(0);
    otherClose = CloseClipboard();
  }).join();
  EXPECT_EQ(otherOpen, TRUE_);
  EXPECT_EQ(otherClose, TRUE_);
}

TEST(UserDialogs, SinkAndProviderCanBeReplacedAndRestored) {
  std::string seen;
  SetMessageBoxSink([&](const std::string& text, const std::string& caption, UINT type) {
    seen = caption + "|" + text + "|" + std::to_string(type);
    return 7;
  });
  EXPECT_EQ(MessageBox(0, "body", "title", MB_OK), 7);
  EXPECT_EQ(seen, "title|body|0");
  SetMessageBoxSink(nullptr);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBox(0, "Error starting GDI+.", "vexiro", MB_OK), IDOK);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "vexiro: Error starting GDI+.\n");

  EXPECT_EQ(GetOpenFileName(0, "Open File"), "") << "cancelled without a provider";
  SetOpenFileDialogProvider([](HWND, const std::string& title) { return "/chosen/" + title; });
  EXPECT_EQ(GetOpenFileName(0, "Open File"), "/chosen/Open File");
  SetOpenFileDialogProvider(nullptr);
  EXPECT_EQ(GetOpenFileName(0, "Open File"), "");
}

}  // namespace
