// The registry kept in a registration-format text file: keys and string values by handle, the
// file's text, and batches that write the file once or not at all.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/registry/reg_document.h"
#include "platform/registry/registry.h"
#include "support/fuzz_seed.h"
#include "support/private_registry.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class RegistryTest : public ::testing::Test {
 protected:
  vxtest::PrivateRegistry registry{"nested/registry.reg"};  // the folder is made with the file
  const fs::path& file = registry.File();

  HKEY Create(const char* path) {
    HKEY key = 0;
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyEx(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    return key;
  }
  LSTATUS Set(HKEY key, const char* name, const std::string& text) {
    return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1));
  }
  std::string Get(HKEY key, const char* name) {
    char text[256];
    DWORD size = sizeof text;
    return RegQueryValueEx(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS
               ? std::string(text)
               : "<none>";
  }
};

TEST_F(RegistryTest, ValuesSurviveInTheFileWithQuotesAndBackslashesEscaped) {
  const HKEY key = Create("Vx.Test\\Sub");
  ASSERT_EQ(Set(key, nullptr, "C:\\a \"quoted\" path"), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "Named", "second"), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, "named", "replaced"), ERROR_SUCCESS);  // names compare without case
  RegCloseKey(key);
  vxtest::OfferFuzzSeed("escaped.reg", ReadFile(file));
  EXPECT_EQ(ReadFile(file),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\Vx.Test\\Sub]\n"
            "@=\"C:\\\\a \\\"quoted\\\" path\"\n\"Named\"=\"replaced\"\n");
  HKEY again = 0;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "VX.TEST\\sub", 0, 0, &again), ERROR_SUCCESS);
  EXPECT_EQ(Get(again, nullptr), "C:\\a \"quoted\" path");
  EXPECT_EQ(Get(again, "NAMED"), "replaced");
  RegCloseKey(again);
}

TEST_F(RegistryTest, CallsRefuseWhatTheyCannotDo) {
  const HKEY key = Create("Vx.Test");
  ASSERT_EQ(Set(key, nullptr, "0123456789"), ERROR_SUCCESS);
  char small[4];
  DWORD size = sizeof small;
  EXPECT_EQ(RegQueryValueEx(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 11u);
  const DWORD number = 5;
  EXPECT_EQ(RegSetValueEx(key, "n", 0, 4, reinterpret_cast<const BYTE*>(&number), 4), ERROR_UNSUPPORTED_TYPE);
  EXPECT_EQ(Set(key, "lines", "one\ntwo"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Get(key, "missing"), "<none>");
  HKEY sub = 0;
  EXPECT_EQ(RegCreateKeyEx(key, "bad\\\\name", 0, nullptr, 0, 0, nullptr, &sub, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyEx(key, "x]", 0, nullptr, 0, 0, nullptr, &sub, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "Vx.Missing", 0, 0, &sub), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "Vx.Missing"), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(Set(key, "late", "v"), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, DeletingATreeTakesItsSubkeysAndNothingElse) {
  RegCloseKey(Create("Vx.A\\B\\C"));
  RegCloseKey(Create("Vx.AB"));
  const HKEY kept = Create("Vx.A2");
  ASSERT_EQ(Set(kept, nullptr, "kept"), ERROR_SUCCESS);
  RegCloseKey(kept);
  ASSERT_EQ(RegDeleteTree(HKEY_CLASSES_ROOT, "Vx.A"), ERROR_SUCCESS);
  HKEY probe = 0;
  EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "Vx.A\\B", 0, 0, &probe), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadFile(file),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\Vx.A2]\n@=\"kept\"\n\n[HKEY_CLASSES_ROOT\\Vx.AB]\n");
}

TEST_F(RegistryTest, ABatchWritesOnceAtItsCommitAndNothingWithout) {
  {
    RegistryBatch batch;
    ASSERT_EQ(batch.Status(), ERROR_SUCCESS);
    const HKEY key = Create("Vx.Batch");
    ASSERT_EQ(Set(key, nullptr, "pending"), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, nullptr), "pending");
    RegCloseKey(key);
    EXPECT_FALSE(fs::exists(file));
  }
  EXPECT_FALSE(fs::exists(file));  // never committed
  {
    RegistryBatch batch;
    RegCloseKey(Create("Vx.Batch"));
    ASSERT_EQ(batch.Commit(), ERROR_SUCCESS);
  }
  EXPECT_NE(ReadFile(file).find("[HKEY_CLASSES_ROOT\\Vx.Batch]"), std::string::npos);
  for (const fs::directory_entry& e : fs::directory_iterator(file.parent_path())) EXPECT_EQ(e.path(), file);
}

TEST(RegistryDocument, ForeignValuesOfOtherTypesAreKeptAsWritten) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n; a comment\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n"
      "\"Blob\"=hex:01,02,\\\r\n  03,04\r\n\"Count\"=dword:00000002\r\n";
  vxtest::OfferFuzzSeed("foreign.reg", text);
  registry::RegDocument doc;
  ASSERT_TRUE(doc.Parse(text));
  EXPECT_EQ(doc.Serialise(),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Other]\n"
            "\"Blob\"=hex:01,02,03,04\n\"Count\"=dword:00000002\n");
  std::string value;
  EXPECT_FALSE(doc.QueryString("HKEY_CURRENT_USER\\Software\\Other", "Count", value));
}

// Files of the sizes that once kept the parser busy for minutes: many keys, many values under one
// key and one value continued over many lines. Each must come back whole, names matched without
// case, a later value of one name replacing the earlier in its place.
TEST(RegistryDocument, LargeFilesParseWhole) {
  constexpr int kKeys = 8000, kValues = 10000, kParts = 30000;
  std::string keys = "Windows Registry Editor Version 5.00\n";
  for (int i = 0; i < kKeys; ++i)
    keys += "[HKEY_CLASSES_ROOT\\K" + std::to_string(i) + "]\n@=\"" + std::to_string(i) + "\"\n";
  keys += "[hkey_classes_root\\k7]\n\"More\"=\"x\"\n";
  registry::RegDocument doc;
  ASSERT_TRUE(doc.Parse(keys));
  std::string value;
  EXPECT_TRUE(doc.QueryString("HKEY_CLASSES_ROOT\\K7999", "", value));
  EXPECT_EQ(value, "7999");
  EXPECT_TRUE(doc.QueryString("HKEY_CLASSES_ROOT\\K7", "more", value)) << "a key named twice keeps both sections";
  EXPECT_TRUE(doc.QueryString("HKEY_CLASSES_ROOT\\K7", "", value));
  EXPECT_EQ(value, "7");

  std::string values = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Many]\n";
  for (int i = 0; i < kValues; ++i) values += "\"v" + std::to_string(i) + "\"=\"" + std::to_string(i) + "\"\n";
  values += "\"V0\"=\"last\"\n";
  ASSERT_TRUE(doc.Parse(values));
  EXPECT_TRUE(doc.QueryString("HKEY_CURRENT_USER\\Many", "v9999", value));
  EXPECT_TRUE(doc.QueryString("HKEY_CURRENT_USER\\Many", "v0", value));
  EXPECT_EQ(value, "last");
  const std::string serialised = doc.Serialise();
  EXPECT_NE(serialised.find("\"V0\"=\"last\"\n\"v1\"="), std::string::npos) << "one value of that name, the later";
  EXPECT_EQ(serialised.find("\"v0\""), std::string::npos);

  std::string continued = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Blob]\n\"B\"=hex:\\\n";
  for (int i = 0; i < kParts; ++i) continued += "  0a,\\\n";
  continued += "  0b\n\"Split\"=\\\n  \"text\"\n";
  ASSERT_TRUE(doc.Parse(continued));
  const std::string blob = doc.Serialise();
  EXPECT_NE(blob.find("\"B\"=hex:0a,0a,"), std::string::npos);
  const std::string head = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Blob]\n\"B\"=hex:";
  EXPECT_EQ(blob.size(), head.size() + 3 * kParts + 3 + std::string("\"Split\"=\"text\"\n").size());
  EXPECT_TRUE(doc.QueryString("HKEY_CURRENT_USER\\Blob", "Split", value))
      << "a text may follow its '=' on the next line";
  EXPECT_EQ(value, "text");
}

}  // namespace
}  // namespace vx
