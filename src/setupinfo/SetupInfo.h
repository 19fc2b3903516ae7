#pragma once
// The setup information record: the facts about one setup that are not
// commands (names, default installation folder, registry lookups for an
// existing installation, layouts, uninstaller flags), and its serialized form,
// the archive entry "SetupInfo". docs/formats/setup-info.md describes the bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Bytes.h"
#include "base/Status.h"

namespace tailpack {

// One registry location that may hold the folder of an existing installation.
struct TREGKEY {
  uint8_t Root = 0;  // registry root code (RegistryRoots.h): 0 HKLM ... 4 HKCC
  std::string Path;  // key path under the root
  std::string Key;   // name of the string value; empty means the slot is unused

  bool operator==(const TREGKEY&) const = default;
};

constexpr size_t kInstallDirRegKeyCount = 5;

// The record, fields in the order of the serialized form.
struct TSetupInfo {
  std::string SetupName;
  std::string ShortName;
  std::string SetupExeName;
  std::string UninstallExeName;
  std::string UninstallPrefix;
  std::string InstallDir;
  std::string Changelog;
  std::array<TREGKEY, kInstallDirRegKeyCount> InstallDirRegKeys;
  std::string Pages;
  std::string UninstallPages;
  uint8_t IsUninstaller = 0;
  uint8_t HasUninstaller = 0;

  bool operator==(const TSetupInfo&) const = default;
};

// Size of the serialized form of a record whose strings are all empty.
constexpr size_t kEmptySetupInfoSize = 7 * 2 + kInstallDirRegKeyCount * (1 + 2 + 2) + 2 * 2 + 2;
static_assert(kEmptySetupInfoSize == 45);

// Holds one record and converts it to and from its serialized form.
class TSetupInfoFile {
 public:
  TSetupInfo Info;

  // Reads every field from the serialized form; the bytes stay the caller's.
  // A truncated block reads as far as it goes: the rest of a cut string is
  // what is there, later strings are empty and later flags 0. The entry has
  // passed its checksum by then, so a short record is what its setup holds.
  void LoadFromBuffer(const uint8_t* data, uint32_t size);
  void LoadFromBuffer(const TBytes& bytes) { LoadFromBuffer(bytes.data(), static_cast<uint32_t>(bytes.size())); }

  // The serialized form, as stored in the archive entry "SetupInfo".
  TBytes Serialize() const;

  // Creates (or truncates) the file and writes the serialized form. A file
  // that cannot be written completely is removed again and the failure
  // returned, so nobody picks up a cut record later.
  TStatus SaveToFile(const std::string& path) const;
};

// The serialized form of a record.
TBytes SerializeSetupInfo(const TSetupInfo& info);

}  // namespace tailpack
