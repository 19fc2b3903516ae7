// The real registry through the wide API.

#include <windows.h>

#include <vector>

#include "platform/Platform.h"
#include "platform/win32/WideText.h"

namespace tailpack {

namespace {

using win32::FromWide;
using win32::ToWide;

// The predefined handle for one of the five roots; null for anything else, so
// an arbitrary number is never used as a key handle. (On 64-bit Windows the
// handles are the 32-bit numbers sign-extended.)
HKEY RootHandle(uint32_t root) {
  switch (root) {
    case kRootClassesRoot: return HKEY_CLASSES_ROOT;
    case kRootCurrentUser: return HKEY_CURRENT_USER;
    case kRootLocalMachine: return HKEY_LOCAL_MACHINE;
    case kRootUsers: return HKEY_USERS;
    case kRootCurrentConfig: return HKEY_CURRENT_CONFIG;
    default: return nullptr;
  }
}

class TKeyHandle {
 public:
  explicit TKeyHandle(HKEY key) : key_(key) {}
  ~TKeyHandle() { RegCloseKey(key_); }
  TKeyHandle(const TKeyHandle&) = delete;
  TKeyHandle& operator=(const TKeyHandle&) = delete;
  HKEY Get() const { return key_; }

 private:
  HKEY key_;
};

class TWin32RegistryKey final : public IRegistryKey {
 public:
  explicit TWin32RegistryKey(HKEY key) : key_(key) {}

  std::optional<std::string> ReadString(const std::string& name) override {
    std::wstring wideName = ToWide(name);
    // The value may grow between the size query and the read; ask again then.
    for (int attempt = 0; attempt < 8; ++attempt) {
      DWORD type = 0;
      DWORD size = 0;
      if (RegQueryValueExW(key_.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
      if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
      // One spare character: stored strings need not end in a terminator.
      std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
      DWORD got = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
      LSTATUS status = RegQueryValueExW(key_.Get(), wideName.c_str(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(buffer.data()), &got);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
      std::wstring_view text(buffer.data(), got / sizeof(wchar_t));
      // The text ends at its first terminator, as with any C string reader.
      text = text.substr(0, text.find(L'\0'));
      return FromWide(text);
    }
    return std::nullopt;
  }

  bool WriteString(const std::string& name, const std::string& value) override {
    std::wstring wideValue = ToWide(value);
    auto bytes = static_cast<DWORD>((wideValue.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key_.Get(), ToWide(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wideValue.c_str()), bytes) == ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string& name) override {
    return RegDeleteValueW(key_.Get(), ToWide(name).c_str()) == ERROR_SUCCESS;
  }

 private:
  TKeyHandle key_;
};

class TWin32Registry final : public IRegistry {
 public:
  std::unique_ptr<IRegistryKey> OpenKey(uint32_t root, const std::string& path, TRegistryAccess access) override {
    HKEY rootKey = RootHandle(root);
    if (!rootKey) return nullptr;
    std::wstring widePath = ToWide(path);
    HKEY key = nullptr;
    LSTATUS status = ERROR_INVALID_PARAMETER;
    switch (access) {
      case TRegistryAccess::ReadOnly:
        status = RegOpenKeyExW(rootKey, widePath.c_str(), 0, KEY_READ, &key);
        break;
      case TRegistryAccess::ReadWrite:
        status = RegOpenKeyExW(rootKey, widePath.c_str(), 0, KEY_READ | KEY_WRITE, &key);
        break;
      case TRegistryAccess::CreateIfMissing:
        status = RegCreateKeyExW(rootKey, widePath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                                 nullptr, &key, nullptr);
        break;
    }
    if (status != ERROR_SUCCESS) return nullptr;
    return std::make_unique<TWin32RegistryKey>(key);
  }

  bool KeyExists(uint32_t root, const std::string& path) override {
    HKEY rootKey = RootHandle(root);
    if (!rootKey) return false;
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(rootKey, ToWide(path).c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status == ERROR_SUCCESS) {
      RegCloseKey(key);
      return true;
    }
    // A key we may not read still exists.
    return status == ERROR_ACCESS_DENIED;
  }

  bool DeleteKey(uint32_t root, const std::string& path) override {
    HKEY rootKey = RootHandle(root);
    // An empty path would name the root itself.
    if (!rootKey || path.empty()) return false;
    return RegDeleteKeyW(rootKey, ToWide(path).c_str()) == ERROR_SUCCESS;
  }
};

}  // namespace

IRegistry& NativeRegistry() {
  static TWin32Registry registry;
  return registry;
}

}  // namespace tailpack
