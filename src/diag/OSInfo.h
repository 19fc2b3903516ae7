#pragma once
// Names the operating system for the error report: product, edition,
// service pack and the raw numbers. Everything is class-level; the version
// facts are read once, the registry and the system metrics on each call.
// Where the platform has no version facts (POSIX) every code is 0 and every
// text empty.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SystemInfo.h"

namespace tailpack {

// Suite mask bits of the extended version query.
constexpr uint16_t kSuiteEnterprise = 0x0002;
constexpr uint16_t kSuiteDatacenter = 0x0080;
constexpr uint16_t kSuitePersonal = 0x0200;
constexpr uint16_t kSuiteBlade = 0x0400;

constexpr uint32_t kPlatformWindows95Family = 1;
constexpr uint32_t kPlatformNTFamily = 2;

// Everything the decisions rest on, so they can be made for any machine.
struct TOSFacts {
  TVersionFacts Version;
  // "ProductType" under HKLM SYSTEM\CurrentControlSet\Control\ProductOptions;
  // nothing when it cannot be read.
  std::optional<std::string> RegistryProductType;
  // Whether HKLM SOFTWARE\Microsoft\Windows NT\CurrentVersion\Hotfix\Q246009 exists.
  bool HasHotfixQ246009 = false;
  bool MediaCenter = false;
  bool TabletPC = false;
};

class TOSInfo {
 public:
  TOSInfo() = delete;

  // 0..11, an index into the product names.
  static int OsProductCode();
  // The product name of a code; "Unknown OS" for 0 and for codes outside the table.
  static std::string OsProductName(int code);
  // 0 not the NT family, 1 unknown, 2 workstation, 3 server, 4 domain
  // controller, 5 advanced server.
  static int OsProductTypeCode();
  static std::string OsEdition();
  static std::string OsServicePack();
  static uint32_t BuildNumber();
  static uint16_t ServicePackMajor();
  static uint16_t ServicePackMinor();

  // The same decisions for given facts.
  static int OsProductCode(const TOSFacts& facts);
  static int OsProductTypeCode(const TOSFacts& facts);
  static std::string OsEdition(const TOSFacts& facts);
  static std::string OsServicePack(const TOSFacts& facts);
  static uint16_t ServicePackMajor(const TOSFacts& facts);
  static uint16_t ServicePackMinor(const TOSFacts& facts);

  // This machine's facts: the version facts read at the first call, the
  // registry and the metrics now (the registry only in the NT family).
  static TOSFacts MachineFacts();
};

}  // namespace tailpack
