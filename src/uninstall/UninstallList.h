#pragma once
// What an installation put on the machine: files, registry values and created
// folders, saved enciphered as "install.log" so the uninstaller can take them
// away again.

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Bytes.h"
#include "base/InstallRecorder.h"
#include "base/Status.h"

namespace tailpack {

class TPathVariables;

// A case-insensitive look-up over a list that others may change freely: it
// takes in entries appended since the last look-up, starts over when the list
// was replaced, and confirms every hit against the list itself. Recording
// thousands of entries then costs the same per entry as recording a few.
class TListIndex {
 public:
  // Key gives equal keys for texts that Same calls equal.
  TListIndex(std::function<std::string(const std::string&)> key,
             std::function<bool(const std::string&, const std::string&)> same);
  bool Contains(const std::vector<std::string>& list, const std::string& text);

 private:
  void CatchUp(const std::vector<std::string>& list);

  std::function<std::string(const std::string&)> key_;
  std::function<bool(const std::string&, const std::string&)> same_;
  std::unordered_map<std::string, size_t> positions_;  // key -> first position in the list
  size_t indexed_ = 0;
  std::string lastIndexed_;  // tells a replaced list from a grown one
};

class TUninstallList final : public IInstallRecorder {
 public:
  // Files are recorded in the compact form of these variables; without them
  // (a list that is only loaded or shown) paths are kept as given.
  explicit TUninstallList(const TPathVariables* variables = nullptr);

  std::vector<std::string> Files;
  std::vector<std::string> RegistryValues;
  std::vector<std::string> Folders;

  void Clear();
  // Case-insensitive (A to Z) membership tests.
  bool ContainsFile(const std::string& path) const;
  bool ContainsRegistryValue(const std::string& line) const;
  // Records a file in compact form, once.
  void AddFile(const std::string& path) override;
  // Records a registry line, once.
  void AddRegistryValue(const std::string& line);
  // Whether a folder is recorded, compared without regard to letter case and
  // to a trailing backslash ("C:\Demo\" is "c:\demo").
  bool ContainsFolder(const std::string& path) const;
  // Records a created folder once; a later record of it changes nothing.
  void AddFolder(const std::string& path) override;

  // Replaces Folder\<Prefix>install.log. Fails (and writes nothing) when a
  // list or a string is too long for the format, and when the file cannot be
  // written completely.
  TStatus SaveToFile(const std::string& folder, const std::string& prefix) const;
  // Reads Folder\<Prefix>install.log. A log that is missing or cannot be
  // read fails and leaves the lists as they were; one that ends early fails
  // as Deserialize does.
  TStatus LoadFromFile(const std::string& folder, const std::string& prefix);

  // The log's bytes, and the lists back from them. Bytes that end early
  // fail, keeping the complete entries (a partial string is never kept).
  TBytes Serialize() const;
  TStatus Deserialize(const uint8_t* data, uint32_t size);

  static std::string LogPath(const std::string& folder, const std::string& prefix);
  // The bytes of that log; nothing when it is missing or cannot be read.
  static std::optional<TBytes> ReadLogFile(const std::string& folder, const std::string& prefix);

 private:
  const TPathVariables* variables_;
  mutable TListIndex fileIndex_;
  mutable TListIndex registryIndex_;
  mutable TListIndex folderIndex_;
};

// A registry record: four double-quoted fields (root, key, value name, data)
// separated by single spaces.
std::string MakeRegistryLine(const std::string& root, const std::string& key, const std::string& name,
                             const std::string& data);
// The fields of a registry record, at most four: each runs to the first blank
// or tab outside double quotes, with every double quote removed.
std::vector<std::string> SplitRegistryLine(const std::string& line);

}  // namespace tailpack
