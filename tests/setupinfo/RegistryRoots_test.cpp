#include "setupinfo/RegistryRoots.h"

#include <gtest/gtest.h>

#include "platform/Registry.h"

namespace tailpack {
namespace {

TEST(RegistryRoots, ShortNamesInAnyCase) {
  struct TCase {
    const char* Text;
    uint8_t Code;
  };
  const TCase cases[] = {
      {"HKLM", 0}, {"hklm", 0}, {"HkLm", 0}, {"HKCU", 1}, {"hkcr", 2}, {"hku", 3}, {"HKCC", 4}, {"hkcc", 4},
      // Long names and anything else fall back to HKLM.
      {"HKEY_LOCAL_MACHINE", 0}, {"HKEY_CURRENT_USER", 0}, {"", 0}, {" HKCU", 0}, {"HKCU\\", 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(RootKeyFromShortName(c.Text), c.Code);
  }
}

TEST(RegistryRoots, LongNamesAndHandlesByCode) {
  struct TCase {
    int Code;
    const char* LongName;
    uint32_t Handle;
  };
  const TCase cases[] = {
      {0, "HKEY_LOCAL_MACHINE", kRootLocalMachine}, {1, "HKEY_CURRENT_USER", kRootCurrentUser},
      {2, "HKEY_CLASSES_ROOT", kRootClassesRoot},   {3, "HKEY_USERS", kRootUsers},
      {4, "HKEY_CURRENT_CONFIG", kRootCurrentConfig}, {5, "!ERROR!", 0},
      {255, "!ERROR!", 0},                           {-1, "!ERROR!", 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Code);
    EXPECT_EQ(RootKeyLongName(c.Code), c.LongName);
    EXPECT_EQ(RootKeyHandle(c.Code), c.Handle);
  }
  EXPECT_EQ(kRootLocalMachine, 0x80000002u);
  EXPECT_EQ(kRootCurrentConfig, 0x80000005u);
}

}  // namespace
}  // namespace tailpack
