// Self-registration on a private registry file: the values written, a foreign key kept, the same
// bytes for the same registration, and files that cannot be used left as they were.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "control/com_server.h"
#include "control/type_library.h"
#include "platform/registry/registry.h"
#include "support/private_registry.h"

namespace vx::control {
namespace {

namespace fs = std::filesystem;

std::string Braced(const std::string& id) { return "{" + id + "}"; }

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string Query(const std::string& key, const char* name) {
  HKEY handle = 0;
  if (RegOpenKeyEx(HKEY_CLASSES_ROOT, key.c_str(), 0, 0, &handle) != ERROR_SUCCESS) return "<no key>";
  char text[4096];
  DWORD size = sizeof text;
  const LSTATUS status = RegQueryValueEx(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(handle);
  return status == ERROR_SUCCESS ? std::string(text) : "<no value>";
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class RegistrationTest : public ::testing::Test {
 protected:
  vxtest::PrivateRegistry registry;
  const fs::path& folder = registry.Folder();
  const fs::path& file = registry.File();

  // Nothing but the registry file may remain in its folder: no new file of a write left behind.
  void ExpectOnlyTheRegistryFile() {
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) EXPECT_EQ(e.path(), file);
  }
};

TEST_F(RegistrationTest, RegistrationWritesTheClassesInterfacesAndTypeLibrary) {
  ASSERT_FALSE(fs::exists(file));
  ASSERT_EQ(DllRegisterServer(), S_OK);
  const std::string text = ReadFile(file);
  ASSERT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\n")) << text.substr(0, 80);
  const std::string library = Query("CLSID\\" + Braced(StableGuid("Imaging")) + "\\InprocServer32", nullptr);
  EXPECT_NE(library.find("libvexiro.so"), std::string::npos) << library;
  const std::string control = "CLSID\\" + Braced(StableGuid("Imaging"));
  const std::string engine = "CLSID\\" + Braced(StableGuid("cImaging"));
  const std::string libid = Braced(StableGuid("library"));
  struct Row {
    std::string key;
    const char* name;
    std::string expected;
  };
  const Row rows[] = {
      {control + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {control + "\\ProgID", nullptr, "Vexiro4S.Imaging"},
      {control + "\\TypeLib", nullptr, libid},
      {control + "\\Version", nullptr, "1.14"},
      {control + "\\MiscStatus\\1", nullptr, "148881"},
      {control + "\\ToolboxBitmap32", nullptr, library + ", 30000"},
      {engine + "\\InprocServer32", nullptr, library},
      {engine + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {engine + "\\ProgID", nullptr, "Vexiro4S.cImaging"},
      {engine + "\\Version", nullptr, "1.14"},
      {"Vexiro4S.cImaging\\CLSID", nullptr, Braced(StableGuid("cImaging"))},
      {"Interface\\" + Braced(StableGuid("cImaging___v0")), nullptr, "_cImaging"},
      {"Interface\\" + Braced(StableGuid("_Imaging")), nullptr, "_Imaging"},
      {"Interface\\" + Braced(StableGuid("__Imaging")), nullptr, "__Imaging"},
      {"Interface\\" + Braced(StableGuid("_dummy")) + "\\TypeLib", "Version", "1.e"},
      {"TypeLib\\" + libid + "\\1.e\\0\\win32", nullptr, library},
      {"TypeLib\\" + libid + "\\1.e\\FLAGS", nullptr, "2"},
  };
  for (const Row& row : rows) EXPECT_EQ(Query(row.key, row.name), row.expected) << row.key;
  EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\" + control + "\\Control]\n"), std::string::npos);
  EXPECT_EQ(Count(text, "[HKEY_CLASSES_ROOT\\Interface\\{"), 46 * 3u);  // each with its two subkeys
  EXPECT_EQ(Count(text, "\\TypeLib]\n@=\"" + libid + "\""), 46u + 2u);
  EXPECT_EQ(Query("CLSID\\" + Braced(StableGuid("dummy")), nullptr), "<no key>");
  ExpectOnlyTheRegistryFile();
}

TEST_F(RegistrationTest, RegisteringTwiceWritesTheSameBytes) {
  ASSERT_EQ(DllRegisterServer(), S_OK);
  const std::string first = ReadFile(file);
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(ReadFile(file), first);
  ASSERT_EQ(DllUnregisterServer(), S_OK);
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(ReadFile(file), first);
}

TEST_F(RegistrationTest, UnregistrationRemovesTheLibrarysKeysAndKeepsForeignOnes) {
  const std::string foreign =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CLASSES_ROOT\\.vxtest]\n@=\"Other.Document\"\n\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32]\n"
      "@=\"C:\\\\other\\\\other.dll\"\n\"ThreadingModel\"=\"Both\"\n\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n\"Count\"=dword:00000002\n";
  WriteFile(file, foreign);
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(Query(".vxtest", nullptr), "Other.Document");
  EXPECT_EQ(Query("CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32", nullptr), "C:\\other\\other.dll");
  ASSERT_EQ(DllUnregisterServer(), S_OK);
  EXPECT_EQ(ReadFile(file), foreign);
  ASSERT_EQ(DllUnregisterServer(), S_OK);  // nothing left to remove is no failure
  EXPECT_EQ(ReadFile(file), foreign);
  ExpectOnlyTheRegistryFile();
}

// A registry file that cannot be used fails registration and stays exactly as it was.
TEST_F(RegistrationTest, AnUnusableRegistryFileFailsAndIsLeftAsItWas) {
  const std::string malformed[] = {
      "",
      "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\x]\n",
      "Windows Registry Editor Version 5.00\n\n@=\"a value before any key\"\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\x\n",
      "Windows Registry Editor Version 5.00\n\n[NOT_A_ROOT\\x]\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\x]\n\"unterminated=\"v\"\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\x]\n\"name\"=\"text\" trailing\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\x]\n\"hex\"=hex:01,02,\\\n",
  };
  for (const std::string& text : malformed) {
    SCOPED_TRACE(text);
    WriteFile(file, text);
    EXPECT_EQ(DllRegisterServer(), SELFREG_E_CLASS);
    EXPECT_EQ(DllUnregisterServer(), SELFREG_E_CLASS);
    EXPECT_EQ(ReadFile(file), text);
    ExpectOnlyTheRegistryFile();
  }
  // A folder where the file should be cannot be read as one.
  fs::remove(file);
  fs::create_directory(file);
  EXPECT_EQ(DllRegisterServer(), SELFREG_E_CLASS);
  EXPECT_TRUE(fs::is_directory(file));
  fs::remove(file);
}

TEST_F(RegistrationTest, AFolderThatCannotTakeTheFileFailsWithoutLeavingAnything) {
  // A regular file where the registry's folder should be.
  const fs::path blocked = folder / "not-a-folder";
  WriteFile(blocked, "x");
  ::setenv("VEXIRO_REGISTRY", (blocked / "registry.reg").c_str(), 1);
  EXPECT_EQ(DllRegisterServer(), SELFREG_E_CLASS);
  EXPECT_EQ(ReadFile(blocked), "x");
  fs::remove(blocked);
}

TEST_F(RegistrationTest, AReadOnlyFolderFailsWithoutLeavingAnything) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(DllRegisterServer(), SELFREG_E_CLASS);
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_FALSE(fs::exists(file));
}

#ifdef VEXIRO_HOST_PATH
TEST_F(RegistrationTest, TheScriptHostRegistersAndUnregistersTheLibrary) {
  const std::string host = std::string("VEXIRO_REGISTRY='") + file.string() + "' " + VEXIRO_HOST_PATH;
  ASSERT_EQ(std::system((host + " --register").c_str()), 0);
  EXPECT_NE(ReadFile(file).find(Braced(StableGuid("Imaging"))), std::string::npos);
  ASSERT_EQ(std::system((host + " --unregister").c_str()), 0);
  EXPECT_EQ(ReadFile(file), "Windows Registry Editor Version 5.00\n");
  WriteFile(file, "not a registry file");
  EXPECT_NE(std::system((host + " --register 2>/dev/null").c_str()), 0);
  EXPECT_EQ(ReadFile(file), "not a registry file");
}
#endif

}  // namespace
}  // namespace vx::control
