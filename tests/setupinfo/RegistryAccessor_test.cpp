#include "setupinfo/RegistryAccessor.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "support/TempFolder.h"
#include "system/FileHelpers.h"

namespace tailpack {
namespace {

// Works in a key of its own under HKCU, named after the test's private
// folder, and removes it (children first) when the test ends.
class RegistryAccessor : public test::TempFolderTest {
 protected:
  RegistryAccessor() : base_("Software\\Tailpack Tests\\" + ExtractFileName(temp_.Path())) {
    registry_.SetRootKey(kRootCurrentUser);
  }
  ~RegistryAccessor() override {
    registry_.CloseKey();
    for (const char* child : {"\\Sub\\Deeper", "\\Sub", ""}) Registry().DeleteKey(kRootCurrentUser, base_ + child);
    Registry().DeleteKey(kRootCurrentUser, "Software\\Tailpack Tests");  // only once it is empty
  }

  std::string base_;
  TRegistryAccessor registry_;
};

TEST_F(RegistryAccessor, CreateWriteReadAndReopen) {
  EXPECT_FALSE(registry_.KeyExists(base_));
  ASSERT_TRUE(registry_.OpenKey(base_ + "\\Sub\\Deeper", true));
  EXPECT_TRUE(registry_.HasOpenKey());
  EXPECT_EQ(registry_.CurrentPath(), base_ + "\\Sub\\Deeper");
  EXPECT_TRUE(registry_.WriteString("InstallPath", "C:\\Games\\Demo"));
  EXPECT_TRUE(registry_.WriteString("", "default value"));
  EXPECT_EQ(registry_.ReadString("InstallPath"), "C:\\Games\\Demo");
  EXPECT_EQ(registry_.ReadString("installpath"), "C:\\Games\\Demo");  // value names ignore case
  EXPECT_EQ(registry_.ReadString(""), "default value");
  EXPECT_EQ(registry_.ReadString("Missing"), std::nullopt);
  registry_.CloseKey();
  EXPECT_FALSE(registry_.HasOpenKey());
  EXPECT_EQ(registry_.CurrentPath(), "");

  // Everything reached the store: the platform sees it, and so does a new open.
  EXPECT_TRUE(registry_.KeyExists(base_ + "\\Sub"));
  auto direct = Registry().OpenKey(kRootCurrentUser, base_ + "\\Sub\\Deeper", TRegistryAccess::ReadOnly);
  ASSERT_TRUE(direct);
  EXPECT_EQ(direct->ReadString("InstallPath"), "C:\\Games\\Demo");
  ASSERT_TRUE(registry_.OpenKey("\\" + base_ + "\\SUB\\deeper", false));  // leading "\" and any case
  EXPECT_EQ(registry_.ReadString("InstallPath"), "C:\\Games\\Demo");
}

TEST_F(RegistryAccessor, OpenWithoutCreateFailsForAMissingKeyAndClosesTheOldOne) {
  ASSERT_TRUE(registry_.OpenKey(base_, true));
  ASSERT_TRUE(registry_.WriteString("A", "1"));
  EXPECT_FALSE(registry_.OpenKey(base_ + "\\Nothing", false));
  EXPECT_FALSE(registry_.HasOpenKey());
  EXPECT_FALSE(registry_.KeyExists(base_ + "\\Nothing"));
  // Nothing is open, so nothing is read or written.
  EXPECT_EQ(registry_.ReadString("A"), std::nullopt);
  EXPECT_FALSE(registry_.WriteString("A", "2"));
  EXPECT_FALSE(registry_.DeleteValue("A"));
  EXPECT_FALSE(registry_.OpenKeyReadOnly(base_ + "\\Nothing"));
}

TEST_F(RegistryAccessor, ReadOnlyKeyReadsButDoesNotWrite) {
  ASSERT_TRUE(registry_.OpenKey(base_, true));
  ASSERT_TRUE(registry_.WriteString("Folder", "C:\\A"));
  ASSERT_TRUE(registry_.OpenKeyReadOnly(base_));
  EXPECT_EQ(registry_.ReadString("Folder"), "C:\\A");
  EXPECT_FALSE(registry_.WriteString("Folder", "C:\\B"));
  EXPECT_FALSE(registry_.DeleteValue("Folder"));
  EXPECT_EQ(registry_.ReadString("Folder"), "C:\\A");
}

TEST_F(RegistryAccessor, DeleteValueAndKey) {
  ASSERT_TRUE(registry_.OpenKey(base_, true));
  ASSERT_TRUE(registry_.WriteString("Gone", "x"));
  EXPECT_TRUE(registry_.DeleteValue("Gone"));
  EXPECT_EQ(registry_.ReadString("Gone"), std::nullopt);
  EXPECT_FALSE(registry_.DeleteValue("Gone"));

  ASSERT_TRUE(registry_.OpenKey(base_ + "\\Sub", true));
  // A key with a subkey stays.
  EXPECT_FALSE(registry_.DeleteKey(base_));
  EXPECT_TRUE(registry_.HasOpenKey());
  // Deleting the open key closes it first.
  EXPECT_TRUE(registry_.DeleteKey(base_ + "\\Sub"));
  EXPECT_FALSE(registry_.HasOpenKey());
  EXPECT_FALSE(registry_.KeyExists(base_ + "\\Sub"));
  EXPECT_TRUE(registry_.KeyExists(base_));
  // The root itself is never deleted.
  EXPECT_FALSE(registry_.DeleteKey("\\"));
}

TEST_F(RegistryAccessor, RootSelectsWhereKeysAreFound) {
  ASSERT_TRUE(registry_.OpenKey(base_, true));
  registry_.SetRootKey(kRootCurrentUser);  // the same root keeps the key open
  EXPECT_TRUE(registry_.HasOpenKey());
  registry_.SetRootKey(kRootLocalMachine);
  EXPECT_EQ(registry_.RootKey(), kRootLocalMachine);
  EXPECT_FALSE(registry_.HasOpenKey());
  EXPECT_FALSE(registry_.KeyExists(base_));
  EXPECT_FALSE(registry_.OpenKeyReadOnly(base_));
  registry_.SetRootKey(0x12345678);  // not a root: nothing opens
  EXPECT_FALSE(registry_.OpenKey(base_, true));
  registry_.SetRootKey(kRootCurrentUser);
  EXPECT_TRUE(registry_.KeyExists(base_));
}

TEST(RegistryAccessorShared, OneObjectForTheProcess) { EXPECT_EQ(&SharedRegistry(), &SharedRegistry()); }

}  // namespace
}  // namespace tailpack
