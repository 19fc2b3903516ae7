#include "diag/OSInfo.h"

#include <gtest/gtest.h>

namespace tailpack {
namespace {

constexpr uint32_t k9x = kPlatformWindows95Family;
constexpr uint32_t kNT = kPlatformNTFamily;

struct TFactsBuilder {
  TOSFacts Facts;

  TFactsBuilder(uint32_t platform, uint32_t major, uint32_t minor) {
    Facts.Version.PlatformId = platform;
    Facts.Version.Major = major;
    Facts.Version.Minor = minor;
  }
  // The extended query answered with this product type and suite mask.
  TFactsBuilder& Extended(uint8_t productType, uint16_t suite = 0) {
    Facts.Version.ExtendedInfo = true;
    Facts.Version.ProductType = productType;
    Facts.Version.SuiteMask = suite;
    return *this;
  }
  TFactsBuilder& ServicePack(const char* text) {
    Facts.Version.ServicePackText = text;
    return *this;
  }
  TFactsBuilder& RegistryType(const char* text) {
    Facts.RegistryProductType = text;
    return *this;
  }
  TFactsBuilder& Hotfix() {
    Facts.HasHotfixQ246009 = true;
    return *this;
  }
  TFactsBuilder& MediaCenter() {
    Facts.MediaCenter = true;
    return *this;
  }
  TFactsBuilder& TabletPC() {
    Facts.TabletPC = true;
    return *this;
  }
};

TEST(OSInfo, DecisionsForKnownSystems) {
  struct TCase {
    const char* Name;
    TOSFacts Facts;
    int Code;
    int TypeCode;
    const char* Edition;
    const char* ServicePack;
  };
  const TCase cases[] = {
      {"no version facts (POSIX)", TOSFacts{}, 0, 0, "", ""},
      {"95 OSR2", TFactsBuilder(k9x, 4, 0).ServicePack("b").Facts, 1, 0, "", "OSR2"},
      {"95 plain", TFactsBuilder(k9x, 4, 0).ServicePack("A").Facts, 1, 0, "", ""},
      {"98 SE", TFactsBuilder(k9x, 4, 10).ServicePack("A").Facts, 2, 0, "", "SE"},
      {"98 first edition", TFactsBuilder(k9x, 4, 10).Facts, 2, 0, "", ""},
      {"Me", TFactsBuilder(k9x, 4, 90).ServicePack("C").Facts, 3, 0, "", ""},
      {"9x other minor", TFactsBuilder(k9x, 4, 3).Facts, 0, 0, "", ""},
      {"9x other major", TFactsBuilder(k9x, 3, 0).Facts, 0, 0, "", ""},
      {"NT4 registry SERVERNT", TFactsBuilder(kNT, 4, 0).RegistryType("SERVERNT").Facts, 4, 5,
       "Advanced Server 4.0", ""},
      {"NT4 registry winnt", TFactsBuilder(kNT, 4, 0).RegistryType("winnt").Facts, 4, 2, "WorkStation 4.0", ""},
      {"NT4 registry LanmanNT", TFactsBuilder(kNT, 4, 0).RegistryType("LanmanNT").Facts, 4, 3, "Server 4.0", ""},
      {"NT4 registry unreadable", TFactsBuilder(kNT, 4, 0).Facts, 4, 1, "", ""},
      {"NT4 registry other", TFactsBuilder(kNT, 4, 0).RegistryType("Terminal").Facts, 4, 1, "", ""},
      {"NT4 enterprise server SP6a",
       TFactsBuilder(kNT, 4, 0).Extended(3, kSuiteEnterprise).ServicePack("Service Pack 6").Hotfix().Facts, 4, 3,
       "Server 4.0, Enterprise Edition", "Service Pack 6a"},
      {"NT4 workstation SP6 without hotfix", TFactsBuilder(kNT, 4, 0).Extended(1).ServicePack("service pack 6").Facts,
       4, 2, "Workstation 4.0", "service pack 6"},
      {"NT4 SP5 with hotfix key", TFactsBuilder(kNT, 4, 0).Extended(3).ServicePack("Service Pack 5").Hotfix().Facts, 4,
       3, "Server 4.0", "Service Pack 5"},
      {"NT 4.1", TFactsBuilder(kNT, 4, 1).Extended(1).Facts, 0, 2, "", ""},
      {"2000 datacenter", TFactsBuilder(kNT, 5, 0).Extended(3, kSuiteDatacenter | kSuiteEnterprise).Facts, 5, 3,
       "Datacenter Server", ""},
      {"2000 domain controller", TFactsBuilder(kNT, 5, 0).Extended(2, kSuiteEnterprise).Facts, 5, 4, "Advanced Server",
       ""},
      {"2000 standard", TFactsBuilder(kNT, 5, 0).Extended(3).Facts, 5, 3, "Standard Edition", ""},
      {"2000 professional", TFactsBuilder(kNT, 5, 0).Extended(1).ServicePack("Service Pack 4").Facts, 5, 2,
       "Professional", "Service Pack 4"},
      {"XP media center beats personal", TFactsBuilder(kNT, 5, 1).Extended(1, kSuitePersonal).MediaCenter().Facts, 6,
       2, "Media Center Edition", ""},
      {"XP tablet", TFactsBuilder(kNT, 5, 1).Extended(1, kSuitePersonal).TabletPC().Facts, 6, 2, "Tablet PC Edition",
       ""},
      {"XP home", TFactsBuilder(kNT, 5, 1).Extended(1, kSuitePersonal).Facts, 6, 2, "Home Edition", ""},
      {"XP professional", TFactsBuilder(kNT, 5, 1).Extended(1).ServicePack("Service Pack 3").Facts, 6, 2,
       "Professional", "Service Pack 3"},
      {"2003 datacenter", TFactsBuilder(kNT, 5, 2).Extended(3, kSuiteDatacenter | kSuiteBlade).Facts, 7, 3,
       "DataCenter Edition", ""},
      {"2003 enterprise", TFactsBuilder(kNT, 5, 2).Extended(3, kSuiteEnterprise | kSuiteBlade).Facts, 7, 3,
       "Enterprise Edition", ""},
      {"2003 web", TFactsBuilder(kNT, 5, 2).Extended(3, kSuiteBlade).Facts, 7, 3, "Web Edition", ""},
      {"2003 standard", TFactsBuilder(kNT, 5, 2).Extended(3).Facts, 7, 3, "Standard Edition", ""},
      {"5.3", TFactsBuilder(kNT, 5, 3).Extended(1).Facts, 0, 2, "", ""},
      {"Vista", TFactsBuilder(kNT, 6, 0).Extended(1).ServicePack("Service Pack 2").Facts, 8, 2, "",
       "Service Pack 2"},
      {"Server 2008", TFactsBuilder(kNT, 6, 0).Extended(3).Facts, 9, 3, "", ""},
      {"6.0 without the extended query", TFactsBuilder(kNT, 6, 0).RegistryType("WinNT").Facts, 9, 2,
       "WorkStation 6.0", ""},
      {"Windows 7", TFactsBuilder(kNT, 6, 1).Extended(1).Facts, 10, 2, "", ""},
      {"Server 2008 R2", TFactsBuilder(kNT, 6, 1).Extended(3).Facts, 11, 3, "", ""},
      {"6.2 workstation", TFactsBuilder(kNT, 6, 2).Extended(1).Facts, 0, 2, "", ""},
      {"10.0 server", TFactsBuilder(kNT, 10, 0).Extended(3, kSuiteEnterprise).Facts, 0, 3, "", ""},
      {"unknown extended product type", TFactsBuilder(kNT, 5, 1).Extended(7).Facts, 6, 1, "Professional", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(TOSInfo::OsProductCode(c.Facts), c.Code);
    EXPECT_EQ(TOSInfo::OsProductTypeCode(c.Facts), c.TypeCode);
    EXPECT_EQ(TOSInfo::OsEdition(c.Facts), c.Edition);
    EXPECT_EQ(TOSInfo::OsServicePack(c.Facts), c.ServicePack);
  }
}

TEST(OSInfo, ProductNames) {
  const char* names[] = {"Unknown OS",   "Windows 95",         "Windows 98",          "Windows Me",
                         "Windows NT4",  "Windows 2000",       "Windows XP",          "Windows Server2003",
                         "Windows Vista", "Windows Server 2008", "Windows 7",          "Windows Server 2008 R2"};
  for (int code = 0; code < 12; ++code) {
    SCOPED_TRACE(code);
    EXPECT_EQ(TOSInfo::OsProductName(code), names[code]);
  }
  EXPECT_EQ(TOSInfo::OsProductName(12), "Unknown OS");
  EXPECT_EQ(TOSInfo::OsProductName(-1), "Unknown OS");
}

TEST(OSInfo, ServicePackNumbersOnlyFromTheExtendedQuery) {
  TOSFacts facts = TFactsBuilder(kNT, 5, 1).Extended(1).Facts;
  facts.Version.ServicePackMajor = 3;
  facts.Version.ServicePackMinor = 1;
  EXPECT_EQ(TOSInfo::ServicePackMajor(facts), 3);
  EXPECT_EQ(TOSInfo::ServicePackMinor(facts), 1);
  facts.Version.ExtendedInfo = false;
  EXPECT_EQ(TOSInfo::ServicePackMajor(facts), 0);
  EXPECT_EQ(TOSInfo::ServicePackMinor(facts), 0);
}

// The class-level operations decide over this machine's facts (on POSIX the
// platform has none, so every code is 0 and every text empty).
TEST(OSInfo, MachineOperationsUseTheMachineFacts) {
  TOSFacts facts = TOSInfo::MachineFacts();
  EXPECT_EQ(TOSInfo::OsProductCode(), TOSInfo::OsProductCode(facts));
  EXPECT_EQ(TOSInfo::OsProductTypeCode(), TOSInfo::OsProductTypeCode(facts));
  EXPECT_EQ(TOSInfo::OsEdition(), TOSInfo::OsEdition(facts));
  EXPECT_EQ(TOSInfo::OsServicePack(), TOSInfo::OsServicePack(facts));
  EXPECT_EQ(TOSInfo::BuildNumber(), facts.Version.Build);
  EXPECT_EQ(TOSInfo::ServicePackMajor(), TOSInfo::ServicePackMajor(facts));
  EXPECT_EQ(TOSInfo::ServicePackMinor(), TOSInfo::ServicePackMinor(facts));
}

}  // namespace
}  // namespace tailpack
