#include "uninstall/UninstallList.h"

#include <algorithm>

#include "base/BufferManager.h"
#include "base/PakString.h"
#include "base/Text.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "setupinfo/PathVariables.h"
#include "system/FileHelpers.h"
#include "uninstall/Cipher.h"
#include "uninstall/CipherKeys.h"

namespace tailpack {

namespace {

constexpr size_t kMaxEntries = 0xFFFF;
constexpr size_t kMaxStringLength = 0xFFFF;

std::string WithoutTrailingBackslashes(std::string path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// Only A to Z folded, as SameTextAscii compares.
std::string AsciiKey(const std::string& text) {
  std::string key = text;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return key;
}

std::string FolderKey(const std::string& path) { return LowerAnsi(WithoutTrailingBackslashes(path)); }

bool SameFolder(const std::string& a, const std::string& b) {
  return SameTextAnsi(WithoutTrailingBackslashes(a), WithoutTrailingBackslashes(b));
}

}  // namespace

TListIndex::TListIndex(std::function<std::string(const std::string&)> key,
                       std::function<bool(const std::string&, const std::string&)> same)
    : key_(std::move(key)), same_(std::move(same)) {}

void TListIndex::CatchUp(const std::vector<std::string>& list) {
  bool replaced = list.size() < indexed_ || (indexed_ > 0 && list[indexed_ - 1] != lastIndexed_);
  if (replaced) {
    positions_.clear();
    indexed_ = 0;
  }
  for (; indexed_ < list.size(); ++indexed_) positions_.emplace(key_(list[indexed_]), indexed_);
  if (indexed_ > 0) lastIndexed_ = list[indexed_ - 1];
}

bool TListIndex::Contains(const std::vector<std::string>& list, const std::string& text) {
  CatchUp(list);
  auto found = positions_.find(key_(text));
  if (found == positions_.end()) return false;
  if (same_(list[found->second], text)) return true;
  // An entry changed in place: look again over the list as it is now.
  positions_.clear();
  indexed_ = 0;
  CatchUp(list);
  found = positions_.find(key_(text));
  return found != positions_.end() && same_(list[found->second], text);
}

TUninstallList::TUninstallList(const TPathVariables* variables)
    : variables_(variables),
      fileIndex_(AsciiKey, [](const std::string& a, const std::string& b) { return SameTextAscii(a, b); }),
      registryIndex_(AsciiKey, [](const std::string& a, const std::string& b) { return SameTextAscii(a, b); }),
      folderIndex_(FolderKey, SameFolder) {}

void TUninstallList::Clear() {
  Files.clear();
  RegistryValues.clear();
  Folders.clear();
}

bool TUninstallList::ContainsFile(const std::string& path) const { return fileIndex_.Contains(Files, path); }

bool TUninstallList::ContainsRegistryValue(const std::string& line) const {
  return registryIndex_.Contains(RegistryValues, line);
}

void TUninstallList::AddFile(const std::string& path) {
  std::string compact = variables_ ? variables_->CompactPathVars(path) : path;
  if (!ContainsFile(compact)) Files.push_back(compact);
}

void TUninstallList::AddRegistryValue(const std::string& line) {
  if (!ContainsRegistryValue(line)) RegistryValues.push_back(line);
}

bool TUninstallList::ContainsFolder(const std::string& path) const { return folderIndex_.Contains(Folders, path); }

void TUninstallList::AddFolder(const std::string& path) {
  // The first record decides the folder's place: the installation folder,
  // recorded before anything else, is removed after everything in it.
  if (!ContainsFolder(path)) Folders.push_back(path);
}

std::string TUninstallList::LogPath(const std::string& folder, const std::string& prefix) {
  // One separator whether or not the folder ends in one.
  return IncludeTrailingBackslash(folder) + prefix + "install.log";
}

TBytes TUninstallList::Serialize() const {
  TBytes bytes;
  AppendU16(bytes, static_cast<uint16_t>(Files.size()));
  AppendU16(bytes, static_cast<uint16_t>(RegistryValues.size()));
  AppendU16(bytes, static_cast<uint16_t>(Folders.size()));
  for (const auto* list : {&Files, &RegistryValues, &Folders})
    for (const std::string& entry : *list) AppendPakString(bytes, EncryptWithDigitKey(kUninstallLogKey, entry));
  return bytes;
}

TStatus TUninstallList::Deserialize(const uint8_t* data, uint32_t size) {
  Clear();
  TBufferManager reader(data, size);
  uint16_t counts[3] = {reader.ReadU16(), reader.ReadU16(), reader.ReadU16()};
  std::vector<std::string>* lists[3] = {&Files, &RegistryValues, &Folders};
  for (int list = 0; list < 3 && !reader.Overrun(); ++list) {
    for (uint16_t i = 0; i < counts[list]; ++i) {
      std::string entry = reader.ReadString();
      if (reader.Overrun()) break;  // a partial string is never replayed
      lists[list]->push_back(DecryptWithDigitKey(kUninstallLogKey, entry));
    }
  }
  if (reader.Overrun()) return TStatus::Failure("The uninstall log ends early; its complete entries were kept");
  return TStatus::Success();
}

TStatus TUninstallList::SaveToFile(const std::string& folder, const std::string& prefix) const {
  std::string path = LogPath(folder, prefix);
  for (const auto* list : {&Files, &RegistryValues, &Folders}) {
    if (list->size() > kMaxEntries)
      return TStatus::Failure("Too many entries for the uninstall log \"" + path + "\"");
    for (const std::string& entry : *list)
      if (entry.size() > kMaxStringLength)
        return TStatus::Failure("An entry is too long for the uninstall log \"" + path + "\"");
  }
  TBytes bytes = Serialize();
  // An existing log is replaced by the new one in one step: a log that
  // cannot be written leaves the one before it, not none.
  return ReplaceWholeFile(path, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

std::optional<TBytes> TUninstallList::ReadLogFile(const std::string& folder, const std::string& prefix) {
  std::string path = LogPath(folder, prefix);
  return ::tailpack::Files().FileExists(path) ? TryReadWholeFile(path) : std::nullopt;
}

TStatus TUninstallList::LoadFromFile(const std::string& folder, const std::string& prefix) {
  auto bytes = ReadLogFile(folder, prefix);
  if (!bytes)
    return TStatus::Failure("The uninstall log \"" + LogPath(folder, prefix) + "\" is missing or cannot be read");
  return Deserialize(bytes->data(), static_cast<uint32_t>(bytes->size()));
}

std::string MakeRegistryLine(const std::string& root, const std::string& key, const std::string& name,
                             const std::string& data) {
  return "\"" + root + "\" \"" + key + "\" \"" + name + "\" \"" + data + "\"";
}

std::vector<std::string> SplitRegistryLine(const std::string& line) {
  std::vector<std::string> fields;
  std::string rest = Trim(line);
  while (fields.size() < 4 && !rest.empty()) {
    size_t end = 0;
    bool quoted = false;
    while (end < rest.size()) {
      char c = rest[end];
      if (c == '"') quoted = !quoted;
      else if (!quoted && (c == ' ' || c == '\t')) break;
      ++end;
    }
    std::string field;
    for (char c : rest.substr(0, end))
      if (c != '"') field.push_back(c);
    fields.push_back(field);
    rest = Trim(rest.substr(end));
  }
  return fields;
}

}  // namespace tailpack
