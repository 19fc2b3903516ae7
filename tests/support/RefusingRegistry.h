#pragma once
// A registry that stores nothing: every key fails to open, as a registry file
// that cannot be written or a key without access would. Put it in place with
// TRegistryOverride.

#include "platform/Registry.h"

namespace tailpack::test {

class TRefusingRegistry final : public IRegistry {
 public:
  std::unique_ptr<IRegistryKey> OpenKey(uint32_t, const std::string&, TRegistryAccess) override { return nullptr; }
  bool KeyExists(uint32_t, const std::string&) override { return false; }
  bool DeleteKey(uint32_t, const std::string&) override { return false; }
};

}  // namespace tailpack::test
