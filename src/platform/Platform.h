#pragma once
// The platform services the core calls. Platform() hands out the target's
// real implementations; tests may put a wrapper in place (see
// TFileSystemOverride), for example the fault-injecting file system.

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"

namespace tailpack {

struct TPlatform {
  IFileSystem* Files = nullptr;
  IRegistry* Registry = nullptr;
  IShell* Shell = nullptr;
  ISystemInfo* System = nullptr;
};

TPlatform& Platform();

// The target's own implementations (defined in posix/ or win32/).
IFileSystem& NativeFileSystem();
IRegistry& NativeRegistry();
IShell& NativeShell();
ISystemInfo& NativeSystemInfo();

// Puts another file system in place for the lifetime of the object.
class TFileSystemOverride {
 public:
  explicit TFileSystemOverride(IFileSystem& replacement)
      : saved_(Platform().Files) {
    Platform().Files = &replacement;
  }
  ~TFileSystemOverride() { Platform().Files = saved_; }
  TFileSystemOverride(const TFileSystemOverride&) = delete;
  TFileSystemOverride& operator=(const TFileSystemOverride&) = delete;

 private:
  IFileSystem* saved_;
};

// Puts another registry in place for the lifetime of the object.
class TRegistryOverride {
 public:
  explicit TRegistryOverride(IRegistry& replacement) : saved_(Platform().Registry) {
    Platform().Registry = &replacement;
  }
  ~TRegistryOverride() { Platform().Registry = saved_; }
  TRegistryOverride(const TRegistryOverride&) = delete;
  TRegistryOverride& operator=(const TRegistryOverride&) = delete;

 private:
  IRegistry* saved_;
};

// Shorthands for the services in place.
inline IFileSystem& Files() { return *Platform().Files; }
inline IRegistry& Registry() { return *Platform().Registry; }
inline IShell& Shell() { return *Platform().Shell; }
inline ISystemInfo& System() { return *Platform().System; }

}  // namespace tailpack
