// The POSIX registry: keys and values in the .reg file store. The file is the
// one TAILPACK_REGISTRY names at the time of each call, so tests can point it
// at a temporary place.

#include <mutex>

#include "platform/Platform.h"
#include "platform/posix/RegistryStore.h"

namespace tailpack {

namespace {

using posix::TRegistryStore;

// An open key is its root and path: every call looks the key up again, so a
// key deleted meanwhile (by this process or another) is found missing and
// never silently created again.
class TPosixRegistryKey final : public IRegistryKey {
 public:
  TPosixRegistryKey(std::shared_ptr<TRegistryStore> store, uint32_t root, std::string path, bool writable)
      : store_(std::move(store)), root_(root), path_(std::move(path)), writable_(writable) {}

  std::optional<std::string> ReadString(const std::string& name) override {
    return store_->ReadString(root_, path_, name);
  }
  bool WriteString(const std::string& name, const std::string& value) override {
    return writable_ && store_->WriteString(root_, path_, name, value);
  }
  bool DeleteValue(const std::string& name) override { return writable_ && store_->DeleteValue(root_, path_, name); }

 private:
  std::shared_ptr<TRegistryStore> store_;
  uint32_t root_;
  std::string path_;
  bool writable_;
};

class TPosixRegistry final : public IRegistry {
 public:
  std::unique_ptr<IRegistryKey> OpenKey(uint32_t root, const std::string& path, TRegistryAccess access) override {
    if (!TRegistryStore::IsKnownRoot(root)) return nullptr;
    auto store = Store();
    bool exists = access == TRegistryAccess::CreateIfMissing ? store->CreateKey(root, path) : store->KeyExists(root, path);
    if (!exists) return nullptr;
    return std::make_unique<TPosixRegistryKey>(store, root, path, access != TRegistryAccess::ReadOnly);
  }

  bool KeyExists(uint32_t root, const std::string& path) override { return Store()->KeyExists(root, path); }

  bool DeleteKey(uint32_t root, const std::string& path) override { return Store()->DeleteKey(root, path); }

 private:
  // The store of the file currently named; open keys keep theirs alive.
  std::shared_ptr<TRegistryStore> Store() {
    std::string file = posix::RegistryFilePath();
    std::lock_guard guard(mutex_);
    if (!store_ || store_->HostFile() != file) store_ = std::make_shared<TRegistryStore>(file);
    return store_;
  }

  std::mutex mutex_;
  std::shared_ptr<TRegistryStore> store_;
};

}  // namespace

IRegistry& NativeRegistry() {
  static TPosixRegistry registry;
  return registry;
}

}  // namespace tailpack
