#pragma once
// The registry: five roots, keys by backslash path, string values. The win32
// implementation is the real registry; the posix one is a persistent store in
// a ".reg" text file.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tailpack {

// Predefined root handles, as the Win32 registry interface numbers them.
constexpr uint32_t kRootClassesRoot = 0x80000000;
constexpr uint32_t kRootCurrentUser = 0x80000001;
constexpr uint32_t kRootLocalMachine = 0x80000002;
constexpr uint32_t kRootUsers = 0x80000003;
constexpr uint32_t kRootCurrentConfig = 0x80000005;

enum class TRegistryAccess {
  ReadOnly,      // existing key, read only
  ReadWrite,     // existing key
  CreateIfMissing,  // create the key (and missing parents) when absent
};

// An open key; closed by the destructor.
class IRegistryKey {
 public:
  virtual ~IRegistryKey() = default;
  // A string value ("" names the default value); nothing when it is missing
  // or not a string.
  virtual std::optional<std::string> ReadString(const std::string& name) = 0;
  virtual bool WriteString(const std::string& name, const std::string& value) = 0;
  virtual bool DeleteValue(const std::string& name) = 0;
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // Opens a key under one of the predefined roots; nothing when that fails
  // (an unknown root, a missing key without CreateIfMissing, no access).
  virtual std::unique_ptr<IRegistryKey> OpenKey(uint32_t root, const std::string& path,
                                                TRegistryAccess access) = 0;
  virtual bool KeyExists(uint32_t root, const std::string& path) = 0;
  // Deletes a key that has no subkeys, with its values.
  virtual bool DeleteKey(uint32_t root, const std::string& path) = 0;
};

}  // namespace tailpack
