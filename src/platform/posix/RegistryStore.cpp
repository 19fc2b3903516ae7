#include "platform/posix/RegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>

#include "base/Text.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "platform/posix/AtomicFile.h"
#include "platform/posix/DriveMap.h"

namespace tailpack::posix {

// A value as the file holds it. Strings are decoded; every other type keeps
// its text (the part after "=" and its continuation lines) so it is written
// back exactly as it was read. Lines not understood are kept as Verbatim.
struct TRegistryValue {
  enum class TKind { String, Other, Verbatim };
  TKind Kind = TKind::String;
  std::u16string Name;  // as created; empty for the default value
  std::u16string Data;  // String
  std::vector<std::u16string> Lines;  // Other, Verbatim
};

struct TRegistryStore::TKey {
  std::u16string Name;
  std::vector<TRegistryValue> Values;
  std::map<std::u16string, std::unique_ptr<TKey>> Subkeys;  // by folded name
};

namespace {

using TKey = TRegistryStore::TKey;
using TValueKind = TRegistryValue::TKind;

struct TRootName {
  uint32_t Root;
  const char16_t* Name;
  const char16_t* ShortName;
};

// In the order a registry editor exports them.
constexpr TRootName kRoots[] = {
    {kRootClassesRoot, u"HKEY_CLASSES_ROOT", u"HKCR"},
    {kRootCurrentUser, u"HKEY_CURRENT_USER", u"HKCU"},
    {kRootLocalMachine, u"HKEY_LOCAL_MACHINE", u"HKLM"},
    {kRootUsers, u"HKEY_USERS", u"HKU"},
    {kRootCurrentConfig, u"HKEY_CURRENT_CONFIG", u"HKCC"},
};
constexpr size_t kRootCount = std::size(kRoots);

constexpr std::u16string_view kHeader = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kHeader4 = u"REGEDIT4";

std::optional<size_t> RootIndex(uint32_t root) {
  for (size_t i = 0; i < kRootCount; ++i)
    if (kRoots[i].Root == root) return i;
  return std::nullopt;
}

// Upper case of one UTF-16 unit, for the scripts key names are usually
// written in (Latin, Greek, Cyrillic); other characters compare as they are.
char16_t FoldChar(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if (c < 0xE0) return c;
  if (c <= 0xFE) return c == 0xF7 ? c : static_cast<char16_t>(c - 32);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs: even upper, odd lower, except where they shift.
    bool shifted = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (shifted) return (c % 2 == 0) ? static_cast<char16_t>(c - 1) : c;
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c % 2 == 1) ? static_cast<char16_t>(c - 1) : c;
  }
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x3B1 && c <= 0x3C9) return static_cast<char16_t>(c - 32);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  return c;
}

std::u16string Fold(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& c : folded) c = FoldChar(c);
  return folded;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && Fold(a) == Fold(b);
}

// Key path components; empty ones (doubled or outer backslashes) are skipped.
std::vector<std::u16string> SplitPath(std::u16string_view path) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool HasLineBreak(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

TRegistryValue* FindValue(TKey& key, std::u16string_view name) {
  for (TRegistryValue& value : key.Values)
    if (value.Kind != TValueKind::Verbatim && SameName(value.Name, name)) return &value;
  return nullptr;
}

void EraseValue(TKey& key, std::u16string_view name) {
  std::erase_if(key.Values, [&](const TRegistryValue& value) {
    return value.Kind != TValueKind::Verbatim && SameName(value.Name, name);
  });
}

// ---------------------------------------------------------------- decoding

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    auto lead = static_cast<uint8_t>(bytes[i]);
    size_t extra = 0;
    if (lead >= 0xC2 && lead <= 0xDF) extra = 1;
    else if (lead >= 0xE0 && lead <= 0xEF) extra = 2;
    else if (lead >= 0xF0 && lead <= 0xF4) extra = 3;
    else if (lead >= 0x80) return false;
    if (bytes.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<uint8_t>(bytes[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

std::u16string DecodeText(std::string_view bytes) {
  auto at = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  if (bytes.size() >= 2 && ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF))) {
    bool little = at(0) == 0xFF;
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      text.push_back(static_cast<char16_t>(little ? at(i) | (at(i + 1) << 8) : (at(i) << 8) | at(i + 1)));
    return text;
  }
  if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) return Utf8ToUtf16(bytes.substr(3));
  if (IsValidUtf8(bytes)) return Utf8ToUtf16(bytes);
  return AnsiToWide(bytes);
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string line(text.substr(start, end - start));
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::u16string_view TrimLeft(std::u16string_view text) {
  size_t first = text.find_first_not_of(u" \t");
  return first == std::u16string_view::npos ? std::u16string_view() : text.substr(first);
}

std::u16string_view TrimRight(std::u16string_view text) {
  size_t last = text.find_last_not_of(u" \t");
  return last == std::u16string_view::npos ? std::u16string_view() : text.substr(0, last + 1);
}

// Reads a quoted text starting at Text[Position] == '"'; \\ and \" are the
// escapes, any other backslash stays as it is. Moves Position past the
// closing quote; nothing when there is none.
std::optional<std::u16string> ReadQuoted(std::u16string_view text, size_t& position) {
  std::u16string result;
  for (size_t i = position + 1; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'\\' || text[i + 1] == u'"')) {
      result.push_back(text[++i]);
    } else if (c == u'"') {
      position = i + 1;
      return result;
    } else {
      result.push_back(c);
    }
  }
  return std::nullopt;
}

bool EndsWithContinuation(std::u16string_view line) {
  std::u16string_view trimmed = TrimRight(line);
  return !trimmed.empty() && trimmed.back() == u'\\';
}

// The bytes of a hex value's text ("hex(1):41,00,\" and its continuation
// lines), or nothing when it is not a well-formed list.
std::optional<std::vector<uint8_t>> HexBytes(const std::vector<std::u16string>& lines, size_t prefixLength) {
  std::u16string all;
  for (const auto& line : lines) all += line;
  std::vector<uint8_t> bytes;
  int digits = 0;
  unsigned current = 0;
  for (size_t i = prefixLength; i < all.size(); ++i) {
    char16_t c = all[i];
    int nibble = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10
               : c >= u'A' && c <= u'F' ? c - u'A' + 10 : -1;
    if (nibble >= 0) {
      if (++digits > 2) return std::nullopt;
      current = current * 16 + static_cast<unsigned>(nibble);
    } else if (c == u',' || c == u'\\' || c == u' ' || c == u'\t') {
      if (c == u',' && digits == 0) return std::nullopt;
      if (digits > 0 && c == u',') {
        bytes.push_back(static_cast<uint8_t>(current));
        digits = 0;
        current = 0;
      }
    } else {
      return std::nullopt;
    }
  }
  if (digits > 0) bytes.push_back(static_cast<uint8_t>(current));
  return bytes;
}

// The text of a value kept in its file form when it is a string type written
// as hex: hex(1) (a string) or hex(2) (a string with environment references).
std::optional<std::u16string> HexString(const TRegistryValue& value) {
  if (value.Lines.empty()) return std::nullopt;
  std::u16string prefix = Fold(value.Lines[0].substr(0, 7));
  if (prefix != u"HEX(1):" && prefix != u"HEX(2):") return std::nullopt;
  auto bytes = HexBytes(value.Lines, 7);
  if (!bytes) return std::nullopt;
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes->size(); i += 2) {
    auto unit = static_cast<char16_t>((*bytes)[i] | ((*bytes)[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

// --------------------------------------------------------------- encoding

void AppendEscaped(std::u16string& out, std::u16string_view text) {
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') out.push_back(u'\\');
    out.push_back(c);
  }
}

void AppendHexString(std::u16string& out, std::u16string_view data) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  out += u"hex(1):";
  size_t lineStart = out.rfind(u'\n') == std::u16string::npos ? 0 : out.rfind(u'\n') + 1;
  std::vector<uint8_t> bytes;
  for (char16_t c : data) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  for (size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 0xF]);
    if (i + 1 == bytes.size()) break;
    out.push_back(u',');
    if (out.size() - lineStart > 76) {
      out += u"\\\r\n  ";
      lineStart = out.size() - 2;
    }
  }
}

void AppendValue(std::u16string& out, const TRegistryValue& value) {
  if (value.Kind == TValueKind::Verbatim) {
    for (const auto& line : value.Lines) out += line + u"\r\n";
    return;
  }
  if (value.Name.empty()) {
    out += u"@=";
  } else {
    out += u'"';
    AppendEscaped(out, value.Name);
    out += u"\"=";
  }
  if (value.Kind == TValueKind::String) {
    if (HasLineBreak(value.Data)) {
      AppendHexString(out, value.Data);
    } else {
      out += u'"';
      AppendEscaped(out, value.Data);
      out += u'"';
    }
    out += u"\r\n";
    return;
  }
  for (size_t i = 0; i < value.Lines.size(); ++i) out += value.Lines[i] + u"\r\n";
}

void AppendKey(std::u16string& out, const TKey& key, const std::u16string& path, bool isRoot) {
  if (!isRoot || !key.Values.empty()) {
    out += u"[" + path + u"]\r\n";
    for (const auto& value : key.Values) AppendValue(out, value);
    out += u"\r\n";
  }
  for (const auto& [folded, subkey] : key.Subkeys) AppendKey(out, *subkey, path + u"\\" + subkey->Name, false);
}

std::string EncodeUtf16(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(2 + text.size() * 2);
  bytes += "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

// The folder that holds a host file; empty for a file in the root or a bare name.
std::string HostFolderOf(const std::string& hostFile) {
  size_t slash = hostFile.rfind('/');
  return slash == std::string::npos || slash == 0 ? std::string() : hostFile.substr(0, slash);
}

// Holds an exclusive advisory lock on "<store file>.lock", next to the store.
// The store's folder is created first: on a fresh account (or with
// TAILPACK_REGISTRY naming a new folder) the lock could not be made
// otherwise, and every change would be lost.
class TFileLock {
 public:
  explicit TFileLock(const std::string& storeFile) {
    if (std::string folder = HostFolderOf(storeFile); !folder.empty()) MakeHostFolders(folder);
    const std::string lockFile = storeFile + ".lock";
    fd_ = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return;
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~TFileLock() {
    if (fd_ >= 0) close(fd_);  // closing the only descriptor releases the lock
  }
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace

// ------------------------------------------------------------------ content

struct TRegistryStore::TContent {
  std::vector<std::u16string> Preamble;  // lines before the first key
  TKey Roots[kRootCount];
  // Sections under roots this store does not serve, kept as they were.
  std::vector<std::vector<std::u16string>> Foreign;

  TContent() {
    for (size_t i = 0; i < kRootCount; ++i) Roots[i].Name = kRoots[i].Name;
  }

  // The key at a path under a root; created with its parents when Create.
  static TKey* Walk(TKey& root, const std::vector<std::u16string>& parts, bool create, bool* created = nullptr) {
    TKey* key = &root;
    for (const auto& part : parts) {
      auto folded = Fold(part);
      auto found = key->Subkeys.find(folded);
      if (found == key->Subkeys.end()) {
        if (!create) return nullptr;
        auto child = std::make_unique<TKey>();
        child->Name = part;
        found = key->Subkeys.emplace(folded, std::move(child)).first;
        if (created) *created = true;
      }
      key = found->second.get();
    }
    return key;
  }

  // A header's path split into its root and the parts below it.
  std::optional<std::pair<size_t, std::vector<std::u16string>>> ResolveHeader(std::u16string_view path) {
    auto parts = SplitPath(path);
    if (parts.empty()) return std::nullopt;
    for (size_t i = 0; i < kRootCount; ++i) {
      if (SameName(parts[0], kRoots[i].Name) || SameName(parts[0], kRoots[i].ShortName)) {
        parts.erase(parts.begin());
        return std::make_pair(i, std::move(parts));
      }
    }
    return std::nullopt;
  }

  bool Parse(std::u16string_view text) {
    auto lines = SplitLines(text);
    size_t index = 0;
    while (index < lines.size() && TrimLeft(lines[index]).empty()) ++index;
    if (index < lines.size()) {
      std::u16string_view first = TrimRight(TrimLeft(lines[index]));
      if (first != kHeader && first != kHeader4) return false;
      ++index;
    }
    TKey* current = nullptr;
    std::vector<std::u16string>* foreign = nullptr;
    bool skipping = false;  // under a "[-...]" deletion header
    auto keep = [&](const std::u16string& line) {
      if (foreign) foreign->push_back(line);
      else if (current) current->Values.push_back({TValueKind::Verbatim, {}, {}, {line}});
      else if (!skipping) Preamble.push_back(line);
    };
    for (; index < lines.size(); ++index) {
      const std::u16string& line = lines[index];
      std::u16string_view trimmed = TrimLeft(line);
      if (trimmed.empty()) continue;
      if (trimmed[0] == u'[') {
        size_t close = trimmed.rfind(u']');
        std::u16string_view path = close == std::u16string_view::npos ? trimmed.substr(1) : trimmed.substr(1, close - 1);
        bool removal = !path.empty() && path[0] == u'-';
        auto resolved = ResolveHeader(removal ? path.substr(1) : path);
        current = nullptr;
        foreign = nullptr;
        skipping = false;
        if (!resolved) {
          Foreign.push_back({line});
          foreign = &Foreign.back();
        } else if (removal) {
          skipping = true;
          auto& parts = resolved->second;
          if (parts.empty()) continue;
          std::u16string last = Fold(parts.back());
          parts.pop_back();
          if (TKey* parent = Walk(Roots[resolved->first], parts, false)) parent->Subkeys.erase(last);
        } else {
          current = Walk(Roots[resolved->first], resolved->second, true);
        }
        continue;
      }
      if (!current || (trimmed[0] != u'"' && trimmed[0] != u'@')) {
        keep(line);
        continue;
      }
      // A value line: "name" or @, "=", then the data.
      std::u16string name;
      size_t position = 0;
      if (trimmed[0] == u'@') {
        position = 1;
      } else if (auto quoted = ReadQuoted(trimmed, position)) {
        name = *quoted;
      } else {
        keep(line);
        continue;
      }
      std::u16string_view rest = TrimLeft(trimmed.substr(position));
      if (rest.empty() || rest[0] != u'=') {
        keep(line);
        continue;
      }
      rest = TrimLeft(rest.substr(1));
      if (TrimRight(rest) == u"-") {
        EraseValue(*current, name);
        continue;
      }
      TRegistryValue value;
      value.Name = name;
      if (!rest.empty() && rest[0] == u'"') {
        size_t end = 0;
        auto data = ReadQuoted(rest, end);
        std::u16string_view after = TrimLeft(rest.substr(data ? end : 0));
        if (!data || (!after.empty() && after[0] != u';')) {
          keep(line);
          continue;
        }
        value.Kind = TValueKind::String;
        value.Data = *data;
      } else {
        value.Kind = TValueKind::Other;
        value.Lines.emplace_back(rest);
        while (EndsWithContinuation(value.Lines.back()) && index + 1 < lines.size())
          value.Lines.push_back(lines[++index]);
      }
      if (TRegistryValue* existing = FindValue(*current, name)) *existing = std::move(value);
      else current->Values.push_back(std::move(value));
    }
    return true;
  }

  std::u16string Serialise() const {
    std::u16string out;
    out += kHeader;
    out += u"\r\n\r\n";
    if (!Preamble.empty()) {
      for (const auto& line : Preamble) out += line + u"\r\n";
      out += u"\r\n";
    }
    for (size_t i = 0; i < kRootCount; ++i) AppendKey(out, Roots[i], Roots[i].Name, true);
    for (const auto& section : Foreign) {
      for (const auto& line : section) out += line + u"\r\n";
      out += u"\r\n";
    }
    return out;
  }
};

// ------------------------------------------------------------------- store

std::string RegistryFilePath() {
  const char* variable = std::getenv("TAILPACK_REGISTRY");
  if (variable && *variable) return variable;
  return UserDataFolder() + "/registry.reg";
}

TRegistryStore::TRegistryStore(std::string hostFile)
    : hostFile_(std::move(hostFile)), content_(std::make_unique<TContent>()) {}

TRegistryStore::~TRegistryStore() = default;

bool TRegistryStore::IsKnownRoot(uint32_t root) { return RootIndex(root).has_value(); }

bool TRegistryStore::Refresh() {
  struct stat info;
  if (stat(hostFile_.c_str(), &info) != 0) {
    if (errno != ENOENT) {
      broken_ = true;
      return false;
    }
    // No file yet: an empty registry.
    TStamp missing;
    if (stamp_ != missing) {
      content_ = std::make_unique<TContent>();
      stamp_ = missing;
      broken_ = false;
    }
    return true;
  }
  auto stampOf = [](const struct stat& s) {
    return TStamp{true, s.st_dev, s.st_ino, s.st_size, s.st_mtim.tv_sec, s.st_mtim.tv_nsec};
  };
  if (stamp_ && *stamp_ == stampOf(info)) return !broken_;

  // Read what is there now; the stamp is taken from the descriptor read, so
  // it describes exactly the content loaded even if the file is replaced.
  int fd = open(hostFile_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    broken_ = true;
    return false;
  }
  std::string bytes;
  bool readOk = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  char buffer[65536];
  while (readOk) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) readOk = false;
    if (got <= 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  auto content = std::make_unique<TContent>();
  if (!readOk || !content->Parse(DecodeText(bytes))) {
    stamp_.reset();
    broken_ = true;
    return false;
  }
  content_ = std::move(content);
  stamp_ = stampOf(info);
  broken_ = false;
  return true;
}

bool TRegistryStore::Save() {
  bool saved = ReplaceFileAtomically(hostFile_, EncodeUtf16(content_->Serialise()), 0644);
  // Either way the next operation compares with the file again: after a
  // failure the memory holds a change the file does not.
  stamp_.reset();
  if (!saved) return false;
  struct stat info;
  if (stat(hostFile_.c_str(), &info) == 0)
    stamp_ = TStamp{true, info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
  return true;
}

TRegistryStore::TKey* TRegistryStore::FindKey(uint32_t root, std::string_view path) {
  auto index = RootIndex(root);
  if (!index) return nullptr;
  return TContent::Walk(content_->Roots[*index], SplitPath(AnsiToWide(path)), false);
}

bool TRegistryStore::KeyExists(uint32_t root, std::string_view path) {
  std::lock_guard guard(mutex_);
  return Refresh() && FindKey(root, path) != nullptr;
}

bool TRegistryStore::CreateKey(uint32_t root, std::string_view path) {
  auto index = RootIndex(root);
  std::u16string widePath = AnsiToWide(path);
  // A line break in a name would split the key's header line.
  if (!index || HasLineBreak(widePath)) return false;
  std::lock_guard guard(mutex_);
  if (!Refresh()) return false;
  if (FindKey(root, path)) return true;
  TFileLock lock(hostFile_);
  if (!lock.Held() || !Refresh()) return false;
  bool created = false;
  TContent::Walk(content_->Roots[*index], SplitPath(widePath), true, &created);
  return !created || Save();
}

std::optional<std::string> TRegistryStore::ReadString(uint32_t root, std::string_view path, std::string_view name) {
  std::lock_guard guard(mutex_);
  if (!Refresh()) return std::nullopt;
  TKey* key = FindKey(root, path);
  if (!key) return std::nullopt;
  const TRegistryValue* value = FindValue(*key, AnsiToWide(name));
  if (!value) return std::nullopt;
  if (value->Kind == TValueKind::String) return WideToAnsi(value->Data);
  if (auto text = HexString(*value)) return WideToAnsi(*text);
  return std::nullopt;
}

bool TRegistryStore::WriteString(uint32_t root, std::string_view path, std::string_view name,
                                 std::string_view value) {
  std::u16string wideName = AnsiToWide(name);
  if (HasLineBreak(wideName)) return false;
  // A string value ends at its first zero character, as REG_SZ data does.
  std::u16string data = AnsiToWide(value.substr(0, value.find('\0')));
  std::lock_guard guard(mutex_);
  TFileLock lock(hostFile_);
  if (!lock.Held() || !Refresh()) return false;
  TKey* key = FindKey(root, path);
  if (!key) return false;
  TRegistryValue* existing = FindValue(*key, wideName);
  if (existing && existing->Kind == TValueKind::String && existing->Data == data) return true;
  if (existing) {
    existing->Kind = TValueKind::String;
    existing->Data = std::move(data);
    existing->Lines.clear();
  } else {
    key->Values.push_back({TValueKind::String, wideName, std::move(data), {}});
  }
  return Save();
}

bool TRegistryStore::DeleteValue(uint32_t root, std::string_view path, std::string_view name) {
  std::lock_guard guard(mutex_);
  TFileLock lock(hostFile_);
  if (!lock.Held() || !Refresh()) return false;
  TKey* key = FindKey(root, path);
  std::u16string wideName = AnsiToWide(name);
  if (!key || !FindValue(*key, wideName)) return false;
  EraseValue(*key, wideName);
  return Save();
}

bool TRegistryStore::DeleteKey(uint32_t root, std::string_view path) {
  auto index = RootIndex(root);
  auto parts = SplitPath(AnsiToWide(path));
  if (!index || parts.empty()) return false;  // a root cannot be deleted
  std::lock_guard guard(mutex_);
  TFileLock lock(hostFile_);
  if (!lock.Held() || !Refresh()) return false;
  std::u16string last = Fold(parts.back());
  parts.pop_back();
  TKey* parent = TContent::Walk(content_->Roots[*index], parts, false);
  if (!parent) return false;
  auto found = parent->Subkeys.find(last);
  // Like Windows, a key with subkeys stays.
  if (found == parent->Subkeys.end() || !found->second->Subkeys.empty()) return false;
  parent->Subkeys.erase(found);
  return Save();
}

}  // namespace tailpack::posix
