#include "diag/OSInfo.h"

#include <array>
#include <cstdio>

#include "platform/Platform.h"
#include "platform/TextCase.h"

namespace tailpack {

namespace {

constexpr std::array<const char*, 12> kProductNames = {
    "Unknown OS",   "Windows 95",        "Windows 98",          "Windows Me",
    "Windows NT4",  "Windows 2000",      "Windows XP",          "Windows Server2003",
    "Windows Vista", "Windows Server 2008", "Windows 7",         "Windows Server 2008 R2",
};

constexpr const char* kProductOptionsKey = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr const char* kHotfixQ246009Key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";

// The extended query's product types.
constexpr uint8_t kProductWorkstation = 1;
constexpr uint8_t kProductDomainController = 2;
constexpr uint8_t kProductServer = 3;

// Product type codes of OsProductTypeCode.
constexpr int kTypeNotNT = 0;
constexpr int kTypeUnknown = 1;
constexpr int kTypeWorkstation = 2;
constexpr int kTypeServer = 3;
constexpr int kTypeDomainController = 4;
constexpr int kTypeAdvancedServer = 5;

const TVersionFacts& StartVersionFacts() {
  static const TVersionFacts facts = System().VersionFacts();
  return facts;
}

// For the decisions that need nothing but the version facts.
TOSFacts VersionOnlyFacts() {
  TOSFacts facts;
  facts.Version = StartVersionFacts();
  return facts;
}

bool IsNT(const TOSFacts& facts) { return facts.Version.PlatformId == kPlatformNTFamily; }

// The product type as the registry of an NT machine without the extended
// query names it.
int RegistryProductTypeCode(const TOSFacts& facts) {
  if (!facts.RegistryProductType) return kTypeUnknown;
  std::string upper = UpperAnsi(*facts.RegistryProductType);
  if (upper == "WINNT") return kTypeWorkstation;
  if (upper == "LANMANNT") return kTypeServer;
  if (upper == "SERVERNT") return kTypeAdvancedServer;
  return kTypeUnknown;
}

uint16_t SuiteMask(const TOSFacts& facts) { return facts.Version.ExtendedInfo ? facts.Version.SuiteMask : 0; }

std::string ServerEdition(int productCode, uint16_t suite) {
  switch (productCode) {
    case 4: return (suite & kSuiteEnterprise) ? "Server 4.0, Enterprise Edition" : "Server 4.0";
    case 5:
      if (suite & kSuiteDatacenter) return "Datacenter Server";
      if (suite & kSuiteEnterprise) return "Advanced Server";
      return "Standard Edition";
    case 7:
      if (suite & kSuiteDatacenter) return "DataCenter Edition";
      if (suite & kSuiteEnterprise) return "Enterprise Edition";
      if (suite & kSuiteBlade) return "Web Edition";
      return "Standard Edition";
    default: return {};
  }
}

std::string WorkstationEdition(int productCode, const TOSFacts& facts) {
  switch (productCode) {
    case 4: return "Workstation 4.0";
    case 5: return "Professional";
    case 6:
      if (facts.MediaCenter) return "Media Center Edition";
      if (facts.TabletPC) return "Tablet PC Edition";
      if (SuiteMask(facts) & kSuitePersonal) return "Home Edition";
      return "Professional";
    default: return {};
  }
}

}  // namespace

int TOSInfo::OsProductCode(const TOSFacts& facts) {
  const TVersionFacts& version = facts.Version;
  if (version.PlatformId == kPlatformWindows95Family) {
    if (version.Major != 4) return 0;
    switch (version.Minor) {
      case 0: return 1;
      case 10: return 2;
      case 90: return 3;
      default: return 0;
    }
  }
  if (version.PlatformId != kPlatformNTFamily) return 0;
  bool workstation = version.ExtendedInfo && version.ProductType == kProductWorkstation;
  switch (version.Major) {
    case 4: return version.Minor == 0 ? 4 : 0;
    case 5:
      switch (version.Minor) {
        case 0: return 5;
        case 1: return 6;
        case 2: return 7;
        default: return 0;
      }
    case 6:
      switch (version.Minor) {
        case 0: return workstation ? 8 : 9;
        case 1: return workstation ? 10 : 11;
        default: return 0;
      }
    default: return 0;
  }
}

std::string TOSInfo::OsProductName(int code) {
  if (code < 0 || code >= static_cast<int>(kProductNames.size())) return kProductNames[0];
  return kProductNames[code];
}

int TOSInfo::OsProductTypeCode(const TOSFacts& facts) {
  if (!IsNT(facts)) return kTypeNotNT;
  if (!facts.Version.ExtendedInfo) return RegistryProductTypeCode(facts);
  switch (facts.Version.ProductType) {
    case kProductWorkstation: return kTypeWorkstation;
    case kProductDomainController: return kTypeDomainController;
    case kProductServer: return kTypeServer;
    default: return kTypeUnknown;
  }
}

std::string TOSInfo::OsEdition(const TOSFacts& facts) {
  if (!IsNT(facts)) return {};
  if (!facts.Version.ExtendedInfo) {
    std::string edition;
    switch (RegistryProductTypeCode(facts)) {
      case kTypeWorkstation: edition = "WorkStation"; break;
      case kTypeServer: edition = "Server"; break;
      case kTypeAdvancedServer: edition = "Advanced Server"; break;
      default: return {};
    }
    char version[32];
    std::snprintf(version, sizeof version, " %u.%u", facts.Version.Major, facts.Version.Minor);
    return edition + version;
  }
  int type = OsProductTypeCode(facts);
  int productCode = OsProductCode(facts);
  if (type == kTypeServer || type == kTypeDomainController || type == kTypeAdvancedServer)
    return ServerEdition(productCode, SuiteMask(facts));
  return WorkstationEdition(productCode, facts);
}

std::string TOSInfo::OsServicePack(const TOSFacts& facts) {
  const std::string& text = facts.Version.ServicePackText;
  int productCode = OsProductCode(facts);
  if (facts.Version.PlatformId == kPlatformWindows95Family) {
    if (text.empty()) return {};
    char first = UpperAnsiChar(text[0]);
    if (productCode == 1 && (first == 'B' || first == 'C')) return "OSR2";
    if (productCode == 2 && first == 'A') return "SE";
    return {};
  }
  if (!IsNT(facts)) return {};
  if (productCode == 4 && SameTextAnsi(text, "Service Pack 6") && facts.HasHotfixQ246009) return "Service Pack 6a";
  return text;
}

uint16_t TOSInfo::ServicePackMajor(const TOSFacts& facts) {
  return facts.Version.ExtendedInfo ? facts.Version.ServicePackMajor : 0;
}

uint16_t TOSInfo::ServicePackMinor(const TOSFacts& facts) {
  return facts.Version.ExtendedInfo ? facts.Version.ServicePackMinor : 0;
}

TOSFacts TOSInfo::MachineFacts() {
  TOSFacts facts;
  facts.Version = StartVersionFacts();
  if (IsNT(facts)) {
    if (auto key = Registry().OpenKey(kRootLocalMachine, kProductOptionsKey, TRegistryAccess::ReadOnly))
      facts.RegistryProductType = key->ReadString("ProductType");
    facts.HasHotfixQ246009 = Registry().KeyExists(kRootLocalMachine, kHotfixQ246009Key);
  }
  facts.MediaCenter = System().SystemMetric(TSystemMetric::MediaCenter);
  facts.TabletPC = System().SystemMetric(TSystemMetric::TabletPC);
  return facts;
}

int TOSInfo::OsProductCode() { return OsProductCode(VersionOnlyFacts()); }
int TOSInfo::OsProductTypeCode() { return OsProductTypeCode(MachineFacts()); }
std::string TOSInfo::OsEdition() { return OsEdition(MachineFacts()); }
std::string TOSInfo::OsServicePack() { return OsServicePack(MachineFacts()); }
uint32_t TOSInfo::BuildNumber() { return StartVersionFacts().Build; }
uint16_t TOSInfo::ServicePackMajor() { return ServicePackMajor(VersionOnlyFacts()); }
uint16_t TOSInfo::ServicePackMinor() { return ServicePackMinor(VersionOnlyFacts()); }

}  // namespace tailpack
