#pragma once
// The registry accessor the whole runtime shares: a current root and at most
// one open key, over the platform's registry. Start-up reads the installation
// folder with it, the script's registry commands and the uninstaller write and
// delete with it. One thread uses it at a time (start-up and the uninstall run
// on the window thread, the script on the worker while the window waits).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Registry.h"

namespace tailpack {

class TRegistryAccessor {
 public:
  TRegistryAccessor() = default;
  TRegistryAccessor(const TRegistryAccessor&) = delete;
  TRegistryAccessor& operator=(const TRegistryAccessor&) = delete;

  // Selects the root (a handle of platform/Registry.h) for the keys opened
  // afterwards; closes the open key, which belongs to the previous root.
  void SetRootKey(uint32_t root);
  uint32_t RootKey() const { return root_; }

  // Opens a key below the current root for reading and writing, creating it
  // (and its missing parents) when CanCreate is true. The key opened before is
  // closed first, also when this one cannot be opened. A path is always taken
  // from the root; a leading "\" is ignored.
  bool OpenKey(const std::string& path, bool canCreate);
  // Opens an existing key for reading only.
  bool OpenKeyReadOnly(const std::string& path);
  bool HasOpenKey() const { return key_ != nullptr; }
  // The path of the open key as it was given; empty when none is open.
  const std::string& CurrentPath() const { return path_; }
  void CloseKey();

  // A string value of the open key ("" names the default value); nothing when
  // no key is open or the value is missing or not a string.
  std::optional<std::string> ReadString(const std::string& name);
  // False when no key is open or the write failed (for example a read-only key).
  bool WriteString(const std::string& name, const std::string& value);
  bool DeleteValue(const std::string& name);

  // Whether a key exists below the current root; the open key is unaffected.
  bool KeyExists(const std::string& path);
  // Deletes a key without subkeys below the current root. When it is the open
  // key, that is closed first.
  bool DeleteKey(const std::string& path);

 private:
  bool Open(const std::string& path, TRegistryAccess access);

  uint32_t root_ = kRootCurrentUser;
  std::string path_;
  std::unique_ptr<IRegistryKey> key_;
};

// The one accessor of the process.
TRegistryAccessor& SharedRegistry();

}  // namespace tailpack
