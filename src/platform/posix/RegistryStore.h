#pragma once
// The registry of the POSIX platform: one persistent text file in the ".reg"
// format ("Windows Registry Editor Version 5.00"), so a person can read it and
// a Windows registry editor can import it.
//
// The file is UTF-16LE with a byte-order mark and CRLF line ends; UTF-8 and
// ANSI files (also "REGEDIT4" ones) are read as well. Keys appear depth-first
// in the order of their upper-cased names, values in the order they were
// created. String values are "name"="data" with \\ and \" escapes (@ is the
// default value); a string that holds a line break is kept as hex(1): so the
// file stays one value per line. Values of other types, comments and lines
// this store does not understand are read and written back unchanged.
//
// Several processes share the file (a setup, later its uninstaller, tests
// reading it). Every change is a read-modify-write under an advisory lock on
// "<file>.lock", and the file is replaced atomically, so readers never see a
// half-written file and need no lock; every operation first loads the file
// again when it changed since it was last read. A file that cannot be parsed
// is never overwritten: reads find nothing and writes fail.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace tailpack::posix {

// The registry file named by TAILPACK_REGISTRY, or "registry.reg" in the
// user's data folder.
std::string RegistryFilePath();

class TRegistryStore {
 public:
  explicit TRegistryStore(std::string hostFile);
  ~TRegistryStore();
  TRegistryStore(const TRegistryStore&) = delete;
  TRegistryStore& operator=(const TRegistryStore&) = delete;

  const std::string& HostFile() const { return hostFile_; }

  // Roots are the predefined root numbers of platform/Registry.h; paths are
  // backslash-separated ANSI key paths below them ("" is the root itself),
  // compared case-insensitively.
  static bool IsKnownRoot(uint32_t root);
  bool KeyExists(uint32_t root, std::string_view path);
  // Creates the key and its missing parents; true when it exists afterwards.
  bool CreateKey(uint32_t root, std::string_view path);
  // A string value ("" names the default value); nothing when the key or the
  // value is missing or the value is not a string.
  std::optional<std::string> ReadString(uint32_t root, std::string_view path, std::string_view name);
  // Writes a string value of an existing key, keeping the value's place and
  // the spelling of its name when it exists.
  bool WriteString(uint32_t root, std::string_view path, std::string_view name, std::string_view value);
  bool DeleteValue(uint32_t root, std::string_view path, std::string_view name);
  // Deletes a key without subkeys, with its values.
  bool DeleteKey(uint32_t root, std::string_view path);

  struct TKey;

 private:
  struct TStamp {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    int64_t ModifiedSeconds = 0;
    int64_t ModifiedNanoseconds = 0;
    bool operator==(const TStamp&) const = default;
  };
  struct TContent;

  // Loads the file when it changed since the last load; false when it cannot
  // be read or parsed.
  bool Refresh();
  bool Save();
  TKey* FindKey(uint32_t root, std::string_view path);

  std::string hostFile_;
  std::mutex mutex_;
  std::unique_ptr<TContent> content_;
  std::optional<TStamp> stamp_;  // of the content loaded; nothing: load again
  bool broken_ = false;
};

}  // namespace tailpack::posix
