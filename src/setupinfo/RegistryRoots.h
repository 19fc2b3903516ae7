#pragma once
// The registry roots in their three forms: the short names of scripts
// ("HKLM"), the codes 0 to 4 of the setup information and the uninstall log,
// the long names shown to people, and the platform's predefined root handles.

#include <cstdint>
#include <string>
#include <string_view>

namespace tailpack {

constexpr uint8_t kRootCodeLocalMachine = 0;
constexpr uint8_t kRootCodeCurrentUser = 1;
constexpr uint8_t kRootCodeClassesRoot = 2;
constexpr uint8_t kRootCodeUsers = 3;
constexpr uint8_t kRootCodeCurrentConfig = 4;

// The code of a short name in any letter case; an unknown name gives 0 (HKLM).
uint8_t RootKeyFromShortName(std::string_view text);
// "HKEY_LOCAL_MACHINE" and so on; "!ERROR!" for a code outside 0..4.
std::string RootKeyLongName(int code);
// The predefined root handle of platform/Registry.h; 0 for a code outside 0..4.
uint32_t RootKeyHandle(int code);

}  // namespace tailpack
