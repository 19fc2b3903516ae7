// The Win32 registry against the real registry (under Wine on Linux), in a
// key of its own under HKEY_CURRENT_USER\Software\TailpackTest.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "platform/win32/WideText.h"

namespace tailpack {
namespace {

constexpr const char* kTestParent = "Software\\TailpackTest";

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    base_ = std::string(kTestParent) + "\\" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter.QuadPart);
  }

  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, win32::ToWide(base_).c_str());
    // The shared parent goes too once no other run uses it.
    RegDeleteKeyW(HKEY_CURRENT_USER, win32::ToWide(kTestParent).c_str());
  }

  // Writes a value of any type through the raw API.
  void SetRaw(const std::string& subKey, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, win32::ToWide(base_ + subKey).c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }

  std::string base_;
};

TEST_F(Win32RegistryTest, WritesAndReadsStringsIncludingTheDefaultValue) {
  auto key = Registry().OpenKey(kRootCurrentUser, base_ + "\\App", TRegistryAccess::CreateIfMissing);
  ASSERT_TRUE(key);
  EXPECT_TRUE(key->WriteString("InstallDir", "C:\\Program Files\\App"));
  EXPECT_TRUE(key->WriteString("", "default text"));
  EXPECT_TRUE(key->WriteString("Empty", ""));
  EXPECT_EQ(key->ReadString("InstallDir"), "C:\\Program Files\\App");
  EXPECT_EQ(key->ReadString("installdir"), "C:\\Program Files\\App");  // names ignore case
  EXPECT_EQ(key->ReadString(""), "default text");
  EXPECT_EQ(key->ReadString("Empty"), "");
  EXPECT_FALSE(key->ReadString("Missing"));

  // What was written is what another reader of the registry sees.
  wchar_t buffer[64] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, win32::ToWide(base_ + "\\App").c_str(), L"InstallDir", RRF_RT_ANY, &type,
                         buffer, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(buffer), L"C:\\Program Files\\App");
}

TEST_F(Win32RegistryTest, ReadsStoredValuesOfEveryStringShape) {
  const std::wstring expand = L"%SystemRoot%\\system32";
  SetRaw("", L"Expand", REG_EXPAND_SZ, expand.c_str(), static_cast<DWORD>((expand.size() + 1) * 2));
  // Written by some other program without its terminator.
  SetRaw("", L"Unterminated", REG_SZ, L"abc", 3 * 2);
  const wchar_t embedded[] = L"first\0second";
  SetRaw("", L"Embedded", REG_SZ, embedded, sizeof embedded);
  DWORD number = 42;
  SetRaw("", L"Number", REG_DWORD, &number, sizeof number);
  SetRaw("", L"Binary", REG_BINARY, "abc", 3);

  auto key = Registry().OpenKey(kRootCurrentUser, base_, TRegistryAccess::ReadOnly);
  ASSERT_TRUE(key);
  struct TCase {
    const char* name;
    std::optional<std::string> expected;
  };
  const TCase cases[] = {
      {"Expand", "%SystemRoot%\\system32"},  // read as written, not expanded
      {"Unterminated", "abc"},
      {"Embedded", "first"},
      {"Number", std::nullopt},
      {"Binary", std::nullopt},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(key->ReadString(c.name), c.expected);
  }
}

TEST_F(Win32RegistryTest, LongValuesAreReadWhole) {
  std::string longText(20000, 'x');
  auto key = Registry().OpenKey(kRootCurrentUser, base_, TRegistryAccess::CreateIfMissing);
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->WriteString("Long", longText));
  EXPECT_EQ(key->ReadString("Long"), longText);
}

TEST_F(Win32RegistryTest, AccessModesDecideWhatOpensAndWhatMayBeWritten) {
  std::string path = base_ + "\\Deep\\Er";
  EXPECT_FALSE(Registry().OpenKey(kRootCurrentUser, path, TRegistryAccess::ReadOnly));
  EXPECT_FALSE(Registry().OpenKey(kRootCurrentUser, path, TRegistryAccess::ReadWrite));
  EXPECT_FALSE(Registry().KeyExists(kRootCurrentUser, path));
  // Creating makes the missing parents too.
  ASSERT_TRUE(Registry().OpenKey(kRootCurrentUser, path, TRegistryAccess::CreateIfMissing));
  EXPECT_TRUE(Registry().KeyExists(kRootCurrentUser, path));
  EXPECT_TRUE(Registry().KeyExists(kRootCurrentUser, base_ + "\\Deep"));

  auto readOnly = Registry().OpenKey(kRootCurrentUser, path, TRegistryAccess::ReadOnly);
  ASSERT_TRUE(readOnly);
  EXPECT_FALSE(readOnly->WriteString("Value", "x"));
  EXPECT_FALSE(readOnly->ReadString("Value"));

  auto readWrite = Registry().OpenKey(kRootCurrentUser, path, TRegistryAccess::ReadWrite);
  ASSERT_TRUE(readWrite);
  EXPECT_TRUE(readWrite->WriteString("Value", "x"));
  EXPECT_EQ(readOnly->ReadString("Value"), "x");
}

TEST_F(Win32RegistryTest, DeletesValuesAndLeafKeysOnly) {
  std::string path = base_ + "\\Parent";
  auto parent = Registry().OpenKey(kRootCurrentUser, path, TRegistryAccess::CreateIfMissing);
  ASSERT_TRUE(parent);
  ASSERT_TRUE(Registry().OpenKey(kRootCurrentUser, path + "\\Child", TRegistryAccess::CreateIfMissing));
  ASSERT_TRUE(parent->WriteString("Value", "x"));

  EXPECT_TRUE(parent->DeleteValue("Value"));
  EXPECT_FALSE(parent->ReadString("Value"));
  EXPECT_FALSE(parent->DeleteValue("Value"));

  EXPECT_FALSE(Registry().DeleteKey(kRootCurrentUser, path)) << "a key with subkeys stays";
  EXPECT_TRUE(Registry().DeleteKey(kRootCurrentUser, path + "\\Child"));
  EXPECT_FALSE(Registry().KeyExists(kRootCurrentUser, path + "\\Child"));
  parent.reset();
  EXPECT_TRUE(Registry().DeleteKey(kRootCurrentUser, path));
  EXPECT_FALSE(Registry().DeleteKey(kRootCurrentUser, path));
  EXPECT_FALSE(Registry().DeleteKey(kRootCurrentUser, "")) << "never the root itself";
}

TEST_F(Win32RegistryTest, OnlyTheFivePredefinedRootsAreAccepted) {
  const uint32_t roots[] = {kRootClassesRoot, kRootCurrentUser, kRootLocalMachine, kRootUsers, kRootCurrentConfig};
  for (uint32_t root : roots) {
    SCOPED_TRACE(root);
    EXPECT_TRUE(Registry().OpenKey(root, "", TRegistryAccess::ReadOnly));
  }
  EXPECT_TRUE(Registry().KeyExists(kRootLocalMachine, "Software"));
  // HKEY_PERFORMANCE_DATA and made-up numbers are no roots of ours.
  for (uint32_t root : {0u, 0x80000004u, 0x80000006u, 1u}) {
    SCOPED_TRACE(root);
    EXPECT_FALSE(Registry().OpenKey(root, "Software", TRegistryAccess::ReadOnly));
    EXPECT_FALSE(Registry().KeyExists(root, "Software"));
    EXPECT_FALSE(Registry().DeleteKey(root, base_));
  }
}

}  // namespace
}  // namespace tailpack
