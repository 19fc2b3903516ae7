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

#include "support/ForwardingFileSystem.h"

namespace tailpack::test {

class TFaultyFileSystem final : public TForwardingFileSystem {
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
  // Write call Number from now on (1 for the next, counting the calls on
  // every file) writes nothing; with Persistent every later call fails too,
  // as on a disk that stays full.
  void FailWriteCall(uint64_t number, bool persistent = false);
  // Back to behaving normally (counters are kept).
  void ClearFaults();

  // The largest count asked of a single Read or Write call so far.
  uint32_t LargestRead() const;
  uint32_t LargestWrite() const;
  // Bytes read from one file (by its path, case-insensitive) so far.
  uint64_t BytesRead(const std::string& path) const;
  void ResetCounters();

  std::unique_ptr<IFile> Open(const std::string& path, TFileMode mode, TFileShare share) override;

  // Write calls so far (ResetCounters starts again at 0).
  uint64_t WriteCalls() const;

  // Called by the files it hands out. CountWrite tells whether the call must fail.
  void CountRead(const std::string& key, uint32_t requested, uint32_t actual);
  bool CountWrite(uint32_t count);

 private:
  mutable std::mutex lock_;
  std::optional<uint64_t> writeLimit_;
  std::string writeLimitPart_;
  std::vector<std::string> failingOpens_;
  uint32_t largestRead_ = 0;
  uint32_t largestWrite_ = 0;
  uint64_t writeCalls_ = 0;
  std::optional<uint64_t> failingWriteCall_;
  bool failingWritesPersist_ = false;
  std::map<std::string, uint64_t> bytesRead_;
};

}  // namespace tailpack::test
