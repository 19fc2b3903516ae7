// Placeholder until the .reg file store lands.
#include "platform/Platform.h"

namespace tailpack {

namespace {

class TPosixRegistry final : public IRegistry {
 public:
  std::unique_ptr<IRegistryKey> OpenKey(uint32_t, const std::string&, TRegistryAccess) override { return nullptr; }
  bool KeyExists(uint32_t, const std::string&) override { return false; }
  bool DeleteKey(uint32_t, const std::string&) override { return false; }
};

}  // namespace

IRegistry& NativeRegistry() {
  static TPosixRegistry registry;
  return registry;
}

}  // namespace tailpack
