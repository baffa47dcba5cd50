#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/kernel/global_memory.h"
#include "platform/ole/ole.h"
#include "platform/ole/stream_handles.h"

namespace {

using namespace vx;
using ole::ComPtr;
using ole::IStream;

uint64_t SeekTo(IStream* s, int64_t move, DWORD origin) {
  uint64_t pos = ~0ull;
  EXPECT_EQ(s->Seek(move, origin, &pos), S_OK);
  return pos;
}

std::string ReadAll(IStream* s) {
  SeekTo(s, 0, ole::STREAM_SEEK_SET);
  std::string bytes;
  EXPECT_EQ(ole::ReadStreamToEnd(s, bytes), S_OK);
  return bytes;
}

uint64_t SizeOf(IStream* s) {
  ole::STATSTG stat;
  EXPECT_EQ(s->Stat(&stat, 0), S_OK);
  return stat.cbSize;
}

void WriteText(IStream* s, const std::string& text) {
  ULONG written = 0;
  ASSERT_EQ(s->Write(text.data(), static_cast<ULONG>(text.size()), &written), S_OK);
  ASSERT_EQ(written, text.size());
}

// The seek, read and size rules every stream shares, run on each kind of stream.
void CheckSeekAndRead(IStream* s, const std::string& content) {
  ASSERT_EQ(SizeOf(s), content.size());
  EXPECT_EQ(SeekTo(s, -3, ole::STREAM_SEEK_END), content.size() - 3);
  char buffer[16] = {};
  ULONG got = 0;
  ASSERT_EQ(s->Read(buffer, sizeof buffer, &got), S_OK);
  EXPECT_EQ(std::string(buffer, got), content.substr(content.size() - 3)) << "a read stops at the end";
  ASSERT_EQ(s->Read(buffer, sizeof buffer, &got), S_OK);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(SeekTo(s, 100, ole::STREAM_SEEK_END), content.size() + 100) << "seeking past the end is allowed";
  ASSERT_EQ(s->Read(buffer, sizeof buffer, &got), S_OK);
  EXPECT_EQ(got, 0u);
  uint64_t pos = 0;
  EXPECT_EQ(s->Seek(-1, ole::STREAM_SEEK_SET, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(s->Seek(0, 7, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(s->Seek(INT64_MAX, ole::STREAM_SEEK_END, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(SeekTo(s, 0, ole::STREAM_SEEK_CUR), content.size() + 100) << "a failed seek keeps the position";
  EXPECT_EQ(s->Read(nullptr, 4, &got), STG_E_INVALIDPOINTER);
  EXPECT_EQ(s->Stat(nullptr, 0), STG_E_INVALIDPOINTER);
  EXPECT_EQ(ReadAll(s), content);
}

TEST(OleStream, GlobalStreamGrowsSeeksAndResizes) {
  ComPtr<IStream> s;
  ASSERT_EQ(ole::CreateStreamOnHGlobal(0, TRUE_, s.put()), S_OK);
  EXPECT_EQ(SizeOf(s.get()), 0u);
  WriteText(s.get(), "hello");
  SeekTo(s.get(), 3, ole::STREAM_SEEK_END);
  WriteText(s.get(), "world");
  const std::string content = std::string("hello\0\0\0world", 13);
  EXPECT_EQ(ReadAll(s.get()), content) << "the gap before a write past the end is zero";
  CheckSeekAndRead(s.get(), content);

  HGLOBAL block = 0;
  ASSERT_EQ(ole::GetHGlobalFromStream(s.get(), &block), S_OK);
  EXPECT_EQ(GlobalSize(block), content.size()) << "the block holds exactly the stream";

  ASSERT_EQ(s->SetSize(4), S_OK);
  EXPECT_EQ(ReadAll(s.get()), "hell");
  ASSERT_EQ(s->SetSize(6), S_OK);
  EXPECT_EQ(ReadAll(s.get()), std::string("hell\0\0", 6));
  EXPECT_EQ(s->SetSize(uint64_t{1} << 40), STG_E_MEDIUMFULL);
  EXPECT_EQ(SizeOf(s.get()), 6u);
}

TEST(OleStream, GlobalStreamGrowsThroughManySmallWrites) {
  ComPtr<IStream> s;
  ASSERT_EQ(ole::CreateStreamOnHGlobal(0, TRUE_, s.put()), S_OK);
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    const char byte = static_cast<char>(i * 7);
    expected += byte;
    ASSERT_EQ(s->Write(&byte, 1, nullptr), S_OK);
  }
  EXPECT_EQ(ReadAll(s.get()), expected);
}

TEST(OleStream, GlobalStreamOverACallersBlock) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 5);
  std::memcpy(GlobalLock(block), "abcde", 5);
  GlobalUnlock(block);
  {
    ComPtr<IStream> s;
    ASSERT_EQ(ole::CreateStreamOnHGlobal(block, FALSE_, s.put()), S_OK);
    EXPECT_EQ(ReadAll(s.get()), "abcde");
    SeekTo(s.get(), 0, ole::STREAM_SEEK_END);
    WriteText(s.get(), "fg");
  }
  ASSERT_EQ(GlobalSize(block), 7u) << "without deleteOnRelease the block outlives the stream";
  EXPECT_EQ(std::memcmp(GlobalLock(block), "abcdefg", 7), 0);
  GlobalUnlock(block);
  EXPECT_EQ(GlobalFree(block), 0u);

  IStream* raw = nullptr;
  EXPECT_EQ(ole::CreateStreamOnHGlobal(block, FALSE_, &raw), E_INVALIDARG) << "a freed block makes no stream";
  EXPECT_EQ(raw, nullptr);
}

TEST(OleStream, BlockFreedUnderTheStreamFailsItsCalls) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  ComPtr<IStream> s;
  ASSERT_EQ(ole::CreateStreamOnHGlobal(block, FALSE_, s.put()), S_OK);
  ASSERT_EQ(GlobalFree(block), 0u);
  char buffer[4];
  ULONG got = 1;
  EXPECT_TRUE(FAILED(s->Read(buffer, sizeof buffer, &got)));
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(FAILED(s->Write("abcd", 4, nullptr)));
  EXPECT_EQ(SizeOf(s.get()), 0u);
}

TEST(OleStream, DeleteOnReleaseFreesTheBlockWithTheLastReference) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 3);
  IStream* s = nullptr;
  ASSERT_EQ(ole::CreateStreamOnHGlobal(block, TRUE_, &s), S_OK);
  s->AddRef();
  EXPECT_EQ(s->Release(), 1u);
  EXPECT_EQ(GlobalSize(block), 3u) << "still referenced";
  EXPECT_EQ(s->Release(), 0u);
  EXPECT_EQ(GlobalFree(block), block) << "already freed by the stream";
}

TEST(OleStream, MemoryStreamIsReadOnly) {
  const std::string content = "read-only bytes";
  ComPtr<IStream> s;
  ASSERT_EQ(ole::CreateStreamOnMemory(content.data(), content.size(), s.put()), S_OK);
  CheckSeekAndRead(s.get(), content);
  ULONG written = 1;
  EXPECT_EQ(s->Write("x", 1, &written), ole::STG_E_ACCESSDENIED);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(s->SetSize(1), ole::STG_E_ACCESSDENIED);
  HGLOBAL block = 1;
  EXPECT_EQ(ole::GetHGlobalFromStream(s.get(), &block), E_INVALIDARG);
  EXPECT_EQ(block, 0u);
  EXPECT_EQ(ole::CreateStreamOnMemory(nullptr, 4, s.put()), E_INVALIDARG);
}

class OleFileStream : public ::testing::Test {
 protected:
  std::filesystem::path path_ = std::filesystem::path(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") /
                                ("ole_stream_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  void TearDown() override { std::filesystem::remove(path_); }
};

TEST_F(OleFileStream, WritesThenReadsBack) {
  {
    ComPtr<IStream> w;
    ASSERT_EQ(ole::CreateStreamOnFile(path_.string(), true, w.put()), S_OK);
    WriteText(w.get(), "0123456789");
    SeekTo(w.get(), 2, ole::STREAM_SEEK_SET);
    WriteText(w.get(), "ab");
    EXPECT_EQ(ReadAll(w.get()), "01ab456789") << "a writing stream reads back too";
    ASSERT_EQ(w->SetSize(8), S_OK);
    EXPECT_EQ(w->Commit(0), S_OK);
  }
  std::ifstream in(path_, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "01ab4567");
  ComPtr<IStream> r;
  ASSERT_EQ(ole::CreateStreamOnFile(path_.string(), false, r.put()), S_OK);
  CheckSeekAndRead(r.get(), "01ab4567");
  EXPECT_EQ(r->Write("x", 1, nullptr), ole::STG_E_ACCESSDENIED);
  EXPECT_EQ(r->SetSize(0), ole::STG_E_ACCESSDENIED);
}

TEST_F(OleFileStream, MissingFilesAndFoldersAreRefused) {
  IStream* s = nullptr;
  EXPECT_EQ(ole::CreateStreamOnFile((path_ / "missing").string(), false, &s), ole::STG_E_FILENOTFOUND);
  EXPECT_EQ(ole::CreateStreamOnFile(path_.string(), false, &s), ole::STG_E_FILENOTFOUND);
  EXPECT_EQ(ole::CreateStreamOnFile(path_.parent_path().string(), false, &s), ole::STG_E_ACCESSDENIED);
  EXPECT_EQ(s, nullptr);
}

TEST(OleStreamHandles, RegisteredStreamLivesUntilReleased) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 1);
  IStream* raw = nullptr;
  ASSERT_EQ(ole::CreateStreamOnHGlobal(block, TRUE_, &raw), S_OK);
  HANDLE32 handle = ole::RegisterStream(raw);
  ASSERT_NE(handle, 0u);
  raw->Release();  // the table's reference keeps it alive
  EXPECT_EQ(GlobalSize(block), 1u);
  {
    ComPtr<IStream> found = ole::LookupStream(handle);
    ASSERT_TRUE(found);
    EXPECT_EQ(found.get(), raw);
    EXPECT_TRUE(ole::ReleaseStreamHandle(handle));
    EXPECT_EQ(GlobalSize(block), 1u) << "the looked-up reference still holds it";
  }
  EXPECT_EQ(GlobalSize(block), 0u) << "freed with the last reference";
  EXPECT_FALSE(ole::LookupStream(handle));
  EXPECT_FALSE(ole::ReleaseStreamHandle(handle));
  EXPECT_EQ(ole::RegisterStream(nullptr), 0u);
  EXPECT_FALSE(ole::LookupStream(block)) << "a handle of another kind finds no stream";
}

}  // namespace
