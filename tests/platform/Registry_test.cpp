// The registry semantics the core relies on, checked against the native
// registry of each platform (the .reg file store on Linux, the real registry
// under Wine). Every case works below HKEY_CURRENT_USER\Software\TailpackTest
// in a key of its own and removes it afterwards.

#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "platform/Platform.h"

namespace tailpack {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() {
    std::random_device random;
    char name[32];
    snprintf(name, sizeof name, "%08X%08X", random(), random());
    base_ = std::string("Software\\TailpackTest\\") + name;
  }

  ~RegistryTest() override {
    // The interface cannot list subkeys, so remove what the cases create,
    // deepest first.
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) Registry().DeleteKey(kRootCurrentUser, *it);
    Registry().DeleteKey(kRootCurrentUser, base_);
    Registry().DeleteKey(kRootCurrentUser, "Software\\TailpackTest");  // only when no one else uses it
  }

  // Opens (creating) a key below the case's own key and remembers it.
  std::unique_ptr<IRegistryKey> Create(const std::string& relative) {
    std::string path = base_;
    size_t start = 0;
    while (start < relative.size()) {
      size_t end = relative.find('\\', start);
      if (end == std::string::npos) end = relative.size();
      path += "\\" + relative.substr(start, end - start);
      created_.push_back(path);
      start = end + 1;
    }
    return Registry().OpenKey(kRootCurrentUser, path, TRegistryAccess::CreateIfMissing);
  }
  std::string Path(const std::string& relative) const { return base_ + "\\" + relative; }

  std::string base_;
  std::vector<std::string> created_;
};

TEST_F(RegistryTest, CreatingAKeyCreatesItsParents) {
  EXPECT_FALSE(Registry().KeyExists(kRootCurrentUser, Path("A")));
  ASSERT_TRUE(Create("A\\B\\C"));
  for (const char* relative : {"A", "A\\B", "A\\B\\C", "a\\b\\c"}) {
    SCOPED_TRACE(relative);
    EXPECT_TRUE(Registry().KeyExists(kRootCurrentUser, Path(relative)));
  }
  EXPECT_FALSE(Registry().KeyExists(kRootCurrentUser, Path("A\\X")));
  EXPECT_FALSE(Registry().KeyExists(kRootLocalMachine, Path("A")));  // roots are separate
}

TEST_F(RegistryTest, MissingKeysOpenOnlyWithCreate) {
  for (TRegistryAccess access : {TRegistryAccess::ReadOnly, TRegistryAccess::ReadWrite}) {
    SCOPED_TRACE(static_cast<int>(access));
    EXPECT_FALSE(Registry().OpenKey(kRootCurrentUser, Path("Missing"), access));
  }
  EXPECT_FALSE(Registry().KeyExists(kRootCurrentUser, Path("Missing")));
  EXPECT_FALSE(Registry().OpenKey(0x12345678, "Software", TRegistryAccess::ReadOnly));
}

TEST_F(RegistryTest, StringValuesRoundTrip) {
  auto key = Create("Values");
  ASSERT_TRUE(key);
  struct TCase {
    const char* Name;
    std::string Value;
  };
  const TCase cases[] = {
      {"Plain", "C:\\Program Files\\App"},
      {"", "the default value"},
      {"Empty", ""},
      {"Quotes", "say \"hi\" \\ \\\\ done"},
      {"Lines", "first\r\nsecond\nthird"},
      {"Ansi", "Gr\xFC\xDF" "e \x80 \xA9"},
      {"With = and ; and [brackets]", "@=\"x\""},
  };
  for (const TCase& c : cases) ASSERT_TRUE(key->WriteString(c.Name, c.Value)) << c.Name;
  key.reset();
  auto again = Registry().OpenKey(kRootCurrentUser, Path("Values"), TRegistryAccess::ReadOnly);
  ASSERT_TRUE(again);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(again->ReadString(c.Name), c.Value);
  }
  EXPECT_EQ(again->ReadString("Missing"), std::nullopt);
}

TEST_F(RegistryTest, ValueNamesIgnoreLetterCase) {
  auto key = Create("Case");
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->WriteString("InstallDir", "one"));
  ASSERT_TRUE(key->WriteString("INSTALLDIR", "two"));  // the same value
  EXPECT_EQ(key->ReadString("installdir"), "two");
  auto viaOtherSpelling = Registry().OpenKey(kRootCurrentUser, Path("CASE"), TRegistryAccess::ReadOnly);
  ASSERT_TRUE(viaOtherSpelling);
  EXPECT_EQ(viaOtherSpelling->ReadString("InstallDir"), "two");
}

TEST_F(RegistryTest, DeleteValue) {
  auto key = Create("Delete");
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->WriteString("Gone", "x"));
  ASSERT_TRUE(key->WriteString("Stays", "y"));
  EXPECT_TRUE(key->DeleteValue("GONE"));
  EXPECT_EQ(key->ReadString("Gone"), std::nullopt);
  EXPECT_EQ(key->ReadString("Stays"), "y");
  EXPECT_FALSE(key->DeleteValue("Gone"));  // not there any more
}

TEST_F(RegistryTest, ReadOnlyKeysRefuseChanges) {
  ASSERT_TRUE(Create("Locked")->WriteString("Value", "kept"));
  auto key = Registry().OpenKey(kRootCurrentUser, Path("Locked"), TRegistryAccess::ReadOnly);
  ASSERT_TRUE(key);
  EXPECT_FALSE(key->WriteString("Value", "changed"));
  EXPECT_FALSE(key->DeleteValue("Value"));
  EXPECT_EQ(key->ReadString("Value"), "kept");
}

TEST_F(RegistryTest, DeleteKeyRefusesKeysWithSubkeys) {
  ASSERT_TRUE(Create("Parent\\Child"));
  ASSERT_TRUE(Create("Parent")->WriteString("Value", "x"));
  EXPECT_FALSE(Registry().DeleteKey(kRootCurrentUser, Path("Parent")));
  EXPECT_TRUE(Registry().KeyExists(kRootCurrentUser, Path("Parent\\Child")));

  EXPECT_TRUE(Registry().DeleteKey(kRootCurrentUser, Path("PARENT\\child")));
  EXPECT_TRUE(Registry().DeleteKey(kRootCurrentUser, Path("Parent")));  // values go with it
  EXPECT_FALSE(Registry().KeyExists(kRootCurrentUser, Path("Parent")));
  EXPECT_FALSE(Registry().DeleteKey(kRootCurrentUser, Path("Parent")));  // already gone

  // Created again, it starts empty.
  auto key = Create("Parent");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->ReadString("Value"), std::nullopt);
}

}  // namespace
}  // namespace tailpack
