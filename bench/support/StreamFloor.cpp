#include "support/StreamFloor.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <stdexcept>

#include "archive/Pak.h"

namespace tailpack {

namespace {

class THostFile {
 public:
  explicit THostFile(const std::string& path) : descriptor_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (descriptor_ < 0) throw std::runtime_error("cannot open " + path);
  }
  ~THostFile() { close(descriptor_); }
  THostFile(const THostFile&) = delete;
  THostFile& operator=(const THostFile&) = delete;

  void ReadAt(uint64_t offset, uint8_t* buffer, uint32_t length) const {
    uint32_t done = 0;
    while (done < length) {
      ssize_t got = pread(descriptor_, buffer + done, length - done, static_cast<off_t>(offset + done));
      if (got <= 0) throw std::runtime_error("short read at offset " + std::to_string(offset + done));
      done += static_cast<uint32_t>(got);
    }
  }

 private:
  int descriptor_;
};

}  // namespace

std::vector<TFloorEntry> FloorEntries(const TPak& pak, TFloorSelection selection) {
  std::vector<TFloorEntry> entries;
  for (const TPakFile& file : pak.Files()) {
    const bool compressed = file.StoredSize != 0;
    const bool wanted = selection == TFloorSelection::VerifiedEntries ? file.Size > 0 && !file.IsLarge()
                                                                      : file.Group > 0 && compressed;
    if (wanted) entries.push_back({file.Offset, file.StoredLength(), file.Size, file.Checksum, compressed});
  }
  return entries;
}

TFloorResult RunStreamFloor(const std::string& hostPath, const std::vector<TFloorEntry>& entries, bool withCrc) {
  THostFile file(hostPath);
  std::vector<uint8_t> stored;
  std::vector<uint8_t> inflated;
  TFloorResult result;
  for (const TFloorEntry& entry : entries) {
    if (stored.size() < entry.StoredLength) stored.resize(entry.StoredLength);
    file.ReadAt(entry.Offset, stored.data(), entry.StoredLength);
    if (withCrc && crc32(0, stored.data(), entry.StoredLength) != entry.Checksum)
      throw std::runtime_error("wrong checksum at offset " + std::to_string(entry.Offset));
    if (entry.Compressed) {
      if (inflated.size() < entry.Size) inflated.resize(entry.Size);
      uLongf length = entry.Size;
      if (uncompress(inflated.data(), &length, stored.data(), entry.StoredLength) != Z_OK || length != entry.Size)
        throw std::runtime_error("cannot inflate the entry at offset " + std::to_string(entry.Offset));
    }
    ++result.Entries;
    result.StoredBytes += entry.StoredLength;
    result.Bytes += entry.Size;
  }
  return result;
}

}  // namespace tailpack
