#include "setupinfo/RegistryRoots.h"

#include <array>

#include "platform/Registry.h"
#include "platform/TextCase.h"

namespace tailpack {

namespace {

struct TRootKeyNames {
  const char* ShortName;
  const char* LongName;
  uint32_t Handle;
};

// Indexed by root code.
constexpr std::array<TRootKeyNames, 5> kRootKeys = {{
    {"HKLM", "HKEY_LOCAL_MACHINE", kRootLocalMachine},
    {"HKCU", "HKEY_CURRENT_USER", kRootCurrentUser},
    {"HKCR", "HKEY_CLASSES_ROOT", kRootClassesRoot},
    {"HKU", "HKEY_USERS", kRootUsers},
    {"HKCC", "HKEY_CURRENT_CONFIG", kRootCurrentConfig},
}};

bool ValidCode(int code) { return code >= 0 && code < static_cast<int>(kRootKeys.size()); }

}  // namespace

uint8_t RootKeyFromShortName(std::string_view text) {
  std::string upper = UpperAnsi(text);
  for (size_t code = 0; code < kRootKeys.size(); ++code)
    if (upper == kRootKeys[code].ShortName) return static_cast<uint8_t>(code);
  return kRootCodeLocalMachine;
}

std::string RootKeyLongName(int code) { return ValidCode(code) ? kRootKeys[code].LongName : "!ERROR!"; }

uint32_t RootKeyHandle(int code) { return ValidCode(code) ? kRootKeys[code].Handle : 0; }

}  // namespace tailpack
