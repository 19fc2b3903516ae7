#pragma once
// The floor that reading a setup archive is measured against: an entry's
// stored bytes read with one plain positioned read of the host file and
// inflated with zlib's one-call API into a reused buffer, optionally with the
// CRC-32 of the stored bytes. No runtime code runs on this path; only the
// table comes from TPak.

#include <cstdint>
#include <string>
#include <vector>

namespace tailpack {

class TPak;

struct TFloorEntry {
  uint64_t Offset = 0;
  uint32_t StoredLength = 0;
  uint32_t Size = 0;
  uint32_t Checksum = 0;
  bool Compressed = false;
};

enum class TFloorSelection {
  // What start-up verification reads: every entry of size > 0 below the
  // large-entry limit, raw or compressed.
  VerifiedEntries,
  // What an installation inflates: the compressed entries of the data groups.
  GroupedStreams,
};

std::vector<TFloorEntry> FloorEntries(const TPak& pak, TFloorSelection selection);

struct TFloorResult {
  uint64_t Entries = 0;
  uint64_t StoredBytes = 0;
  uint64_t Bytes = 0;  // the entries' sizes: bytes inflated or, for raw entries, read
};

// Reads (and inflates) every entry from the host file HostPath; with
// WithCrc also checks each one's CRC-32 against the table. Throws
// std::runtime_error for a short read, a stream zlib refuses or a wrong
// checksum, so a floor is never measured on a broken archive.
TFloorResult RunStreamFloor(const std::string& hostPath, const std::vector<TFloorEntry>& entries, bool withCrc);

}  // namespace tailpack
