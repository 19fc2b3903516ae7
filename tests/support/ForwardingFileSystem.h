#pragma once
// A file system that hands every call to another one, so a test can change
// just the part it is about (where the temporary folder is; TFaultyFileSystem
// adds full disks and failing opens) and install it with TFileSystemOverride.

#include <memory>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/TextCase.h"

namespace tailpack::test {

class TForwardingFileSystem : public IFileSystem {
 public:
  explicit TForwardingFileSystem(IFileSystem& inner) : inner_(inner) {}

  std::unique_ptr<IFile> Open(const std::string& path, TFileMode mode, TFileShare share) override {
    return inner_.Open(path, mode, share);
  }
  std::optional<uint32_t> Attributes(const std::string& path) override { return inner_.Attributes(path); }
  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    return inner_.SetAttributes(path, attributes);
  }
  std::vector<TFolderEntry> FindFiles(const std::string& pattern) override { return inner_.FindFiles(pattern); }
  bool CreateFolder(const std::string& path) override { return inner_.CreateFolder(path); }
  bool RemoveFolder(const std::string& path) override { return inner_.RemoveFolder(path); }
  bool Copy(const std::string& source, const std::string& destination, bool failIfExists) override {
    return inner_.Copy(source, destination, failIfExists);
  }
  bool Rename(const std::string& oldPath, const std::string& newPath) override {
    return inner_.Rename(oldPath, newPath);
  }
  bool RenameReplacing(const std::string& oldPath, const std::string& newPath) override {
    return inner_.RenameReplacing(oldPath, newPath);
  }
  bool Delete(const std::string& path) override { return inner_.Delete(path); }
  bool MakeExecutable(const std::string& path) override { return inner_.MakeExecutable(path); }
  std::string TempFolder() override { return inner_.TempFolder(); }
  std::optional<std::string> CreatePrivateFolder(const std::string& parent) override {
    return inner_.CreatePrivateFolder(parent);
  }
  std::vector<std::string> LogicalDrives() override { return inner_.LogicalDrives(); }
  TDriveType DriveType(const std::string& root) override { return inner_.DriveType(root); }
  std::optional<uint64_t> FreeSpace(const std::string& root) override { return inner_.FreeSpace(root); }
  bool FlushWrittenFiles() override { return inner_.FlushWrittenFiles(); }
  bool FlushFolder(const std::string& folder) override { return inner_.FlushFolder(folder); }

 protected:
  IFileSystem& inner_;
};

// Reports Folder as the system's temporary folder.
class TTempFolderRedirect : public TForwardingFileSystem {
 public:
  TTempFolderRedirect(IFileSystem& inner, std::string folder)
      : TForwardingFileSystem(inner), folder_(std::move(folder)) {}
  std::string TempFolder() override { return folder_; }

 private:
  std::string folder_;
};

// Serves one network share from a local folder: every path that begins with
// Share ("\\\\server\\share\\", any letter case) is taken from Folder instead,
// so a test can install into a network folder where the platform has none.
class TNetworkShareMap : public TForwardingFileSystem {
 public:
  TNetworkShareMap(IFileSystem& inner, std::string share, std::string folder)
      : TForwardingFileSystem(inner), share_(std::move(share)), folder_(std::move(folder)) {}

  std::unique_ptr<IFile> Open(const std::string& path, TFileMode mode, TFileShare share) override {
    return inner_.Open(Map(path), mode, share);
  }
  std::optional<uint32_t> Attributes(const std::string& path) override { return inner_.Attributes(Map(path)); }
  bool SetAttributes(const std::string& path, uint32_t attributes) override {
    return inner_.SetAttributes(Map(path), attributes);
  }
  std::vector<TFolderEntry> FindFiles(const std::string& pattern) override { return inner_.FindFiles(Map(pattern)); }
  bool CreateFolder(const std::string& path) override { return inner_.CreateFolder(Map(path)); }
  bool RemoveFolder(const std::string& path) override { return inner_.RemoveFolder(Map(path)); }
  bool Copy(const std::string& source, const std::string& destination, bool failIfExists) override {
    return inner_.Copy(Map(source), Map(destination), failIfExists);
  }
  bool Rename(const std::string& oldPath, const std::string& newPath) override {
    return inner_.Rename(Map(oldPath), Map(newPath));
  }
  bool RenameReplacing(const std::string& oldPath, const std::string& newPath) override {
    return inner_.RenameReplacing(Map(oldPath), Map(newPath));
  }
  bool FlushFolder(const std::string& folder) override { return inner_.FlushFolder(Map(folder)); }
  bool Delete(const std::string& path) override { return inner_.Delete(Map(path)); }
  bool MakeExecutable(const std::string& path) override { return inner_.MakeExecutable(Map(path)); }
  std::optional<uint64_t> FreeSpace(const std::string& root) override {
    return SameTextAnsi(root, share_) ? std::optional<uint64_t>(kShareFreeSpace) : inner_.FreeSpace(root);
  }

  // What the share reports as free.
  static constexpr uint64_t kShareFreeSpace = 123456789;

 private:
  std::string Map(const std::string& path) const {
    return StartsWithNoCase(path, share_) ? folder_ + path.substr(share_.size()) : path;
  }
  std::string share_;
  std::string folder_;
};

}  // namespace tailpack::test
