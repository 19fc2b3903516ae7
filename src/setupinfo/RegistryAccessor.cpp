#include "setupinfo/RegistryAccessor.h"

#include "platform/Platform.h"
#include "platform/TextCase.h"

namespace tailpack {

namespace {

// Scripts may write a key path as "\Software\..."; the platform wants it
// relative to the root.
std::string RelativeToRoot(const std::string& path) {
  size_t start = path.find_first_not_of('\\');
  return start == std::string::npos ? std::string() : path.substr(start);
}

}  // namespace

void TRegistryAccessor::SetRootKey(uint32_t root) {
  if (root != root_) CloseKey();
  root_ = root;
}

bool TRegistryAccessor::Open(const std::string& path, TRegistryAccess access) {
  CloseKey();
  std::string relative = RelativeToRoot(path);
  key_ = Registry().OpenKey(root_, relative, access);
  if (key_) path_ = relative;
  return key_ != nullptr;
}

bool TRegistryAccessor::OpenKey(const std::string& path, bool canCreate) {
  return Open(path, canCreate ? TRegistryAccess::CreateIfMissing : TRegistryAccess::ReadWrite);
}

bool TRegistryAccessor::OpenKeyReadOnly(const std::string& path) { return Open(path, TRegistryAccess::ReadOnly); }

void TRegistryAccessor::CloseKey() {
  key_.reset();
  path_.clear();
}

std::optional<std::string> TRegistryAccessor::ReadString(const std::string& name) {
  if (!key_) return std::nullopt;
  return key_->ReadString(name);
}

bool TRegistryAccessor::WriteString(const std::string& name, const std::string& value) {
  return key_ && key_->WriteString(name, value);
}

bool TRegistryAccessor::DeleteValue(const std::string& name) { return key_ && key_->DeleteValue(name); }

bool TRegistryAccessor::KeyExists(const std::string& path) { return Registry().KeyExists(root_, RelativeToRoot(path)); }

bool TRegistryAccessor::DeleteKey(const std::string& path) {
  std::string relative = RelativeToRoot(path);
  // An open handle would keep the deleted key alive on Windows.
  if (key_ && SameTextAnsi(relative, path_)) CloseKey();
  return Registry().DeleteKey(root_, relative);
}

TRegistryAccessor& SharedRegistry() {
  static TRegistryAccessor accessor;
  return accessor;
}

}  // namespace tailpack
