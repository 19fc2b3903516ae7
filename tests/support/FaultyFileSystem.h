#pragma once
// A file system for tests that wraps the real one and misbehaves on request:
// writes that come up short after N bytes (a full disk), opens that fail for
// matching paths. It also counts what passes through, so tests can prove a
// file was never read or never handled in pieces larger than a bound.
// Put it in place with TFileSystemOverride.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tailpack::test {

class TFaultyFileSystem final : public IFileSystem {
 public:
  // Wraps the file system in place when it is constructed.
  TFaultyFileSystem();
  explicit TFaultyFileSystem(IFileSystem& inner);

  // Each file opened afterwards whose path contains PathPart (case-insensitive;
  // empty for every file) accepts only Limit bytes in total; writes beyond
  // that come up short.
  void FailWritesAfter(uint64_t limit, const std::string& pathPart = "");
  // Opens of paths containing PathPart fail.
  void FailOpens(const std::string& pathPart);
  // Back to behaving normally (counters are kept).
  void ClearFaults();

  // The largest count asked of a single Read or Write call so far.
  uint32_t LargestRead() const;
  uint32_t LargestWrite() const;
  // Bytes read from one file (by its path, case-insensitive) so far.
  uint64_t BytesRead(const std::string& path) const;
  void ResetCounters();

  // IFileSystem
  std::unique_ptr<IFile> Open(const std::string& path, TFileMode mode, TFileShare share) override;
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
  bool Delete(const std::string& path) override { return inner_.Delete(path); }
  std::string TempFolder() override { return inner_.TempFolder(); }
  std::optional<std::string> CreatePrivateFolder(const std::string& parent) override {
    return inner_.CreatePrivateFolder(parent);
  }
  std::vector<std::string> LogicalDrives() override { return inner_.LogicalDrives(); }
  TDriveType DriveType(const std::string& root) override { return inner_.DriveType(root); }
  std::optional<uint64_t> FreeSpace(const std::string& root) override { return inner_.FreeSpace(root); }

  // Called by the files it hands out.
  void CountRead(const std::string& key, uint32_t requested, uint32_t actual);
  void CountWrite(uint32_t count);

 private:
  IFileSystem& inner_;
  mutable std::mutex lock_;
  std::optional<uint64_t> writeLimit_;
  std::string writeLimitPart_;
  std::vector<std::string> failingOpens_;
  uint32_t largestRead_ = 0;
  uint32_t largestWrite_ = 0;
  std::map<std::string, uint64_t> bytesRead_;
};

}  // namespace tailpack::test
