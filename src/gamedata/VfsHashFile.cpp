#include "gamedata/VfsHashFile.h"

#include <algorithm>

#include "gamedata/VfsFormat.h"
#include "system/FileHelpers.h"

namespace tailpack {

std::string VfsHashFilePath(const std::string& archivePath) {
  std::string name = ExtractFileName(archivePath);
  size_t dot = name.rfind('.');
  std::string stem =
      archivePath.substr(0, archivePath.size() - name.size()) + (dot == std::string::npos ? name : name.substr(0, dot));
  return stem + ".ht";
}

void THashTableBuilder::Insert(const TVFSHashRecord& record) {
  if (record.Hash == 0) return;
  auto at = std::lower_bound(records_.begin(), records_.end(), record.Hash,
                             [](const TVFSHashRecord& r, uint32_t hash) { return r.Hash < hash; });
  if (at != records_.end() && at->Hash == record.Hash) {
    at->Unique = 0;
    return;
  }
  TVFSHashRecord inserted = record;
  inserted.Unique = 1;
  records_.insert(at, inserted);
}

TBytes EncodeHashFile(const std::vector<TVFSHashRecord>& records) {
  TBytes bytes;
  bytes.reserve(4 + records.size() * kVfsHashRecordSize);
  AppendU32(bytes, static_cast<uint32_t>(records.size()));
  for (const TVFSHashRecord& record : records) {
    AppendU32(bytes, record.Hash);
    AppendU32(bytes, record.Flags);
    AppendU32(bytes, record.StoredSize);
    AppendU32(bytes, record.OriginalSize);
    AppendU32(bytes, static_cast<uint32_t>(record.FirstBlock));
    AppendU8(bytes, record.Unique);
  }
  return bytes;
}

std::optional<std::vector<TVFSHashRecord>> DecodeHashFile(const TBytes& bytes) {
  if (bytes.size() < 4) return std::nullopt;
  uint64_t count = GetU32(bytes.data());
  if (4 + count * kVfsHashRecordSize != bytes.size()) return std::nullopt;
  std::vector<TVFSHashRecord> records(static_cast<size_t>(count));
  const uint8_t* at = bytes.data() + 4;
  for (TVFSHashRecord& record : records) {
    record.Hash = GetU32(at);
    record.Flags = GetU32(at + 4);
    record.StoredSize = GetU32(at + 8);
    record.OriginalSize = GetU32(at + 12);
    record.FirstBlock = static_cast<int32_t>(GetU32(at + 16));
    record.Unique = at[20];
    at += kVfsHashRecordSize;
  }
  return records;
}

TStatus TVFSHashFile::Load(const std::string& path) {
  Clear();
  auto bytes = TryReadWholeFile(path);
  if (!bytes) return TStatus::Failure("The hash file \"" + path + "\" is missing or cannot be read");
  loaded_ = true;
  auto records = DecodeHashFile(*bytes);
  if (!records) return TStatus::Failure("The hash file \"" + path + "\" is damaged: its count does not match its size");
  records_ = std::move(*records);
  return TStatus::Success();
}

void TVFSHashFile::Clear() {
  loaded_ = false;
  records_.clear();
}

}  // namespace tailpack
