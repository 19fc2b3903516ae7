// The setup archive as start-up and "tailpack" read it: the header from the
// last 16 bytes, the entry table, verification of every entry, extraction of
// single entries and of a whole group to disk, and look-ups by name.

#include <cstdint>
#include <set>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "archive/Pak.h"
#include "archive/Verification.h"
#include "base/Errors.h"
#include "system/FileHelpers.h"

namespace tailpack::fuzz {

namespace {

// Enough entries to reach every branch, few enough to keep runs fast.
constexpr uint32_t kEntriesLooked = 32;

}  // namespace

int ReadSetupArchive(const uint8_t* data, size_t size) {
  std::string path = fuzz::WriteTempFile("setup.pak", data, size);
  TPak pak;
  if (!pak.Create(path) || !pak.IsValid()) return 0;
  try {
    VerifyArchive(pak);
  } catch (const EDecompressionError&) {
    // A stream that cannot be inflated is reported by the caller.
  }
  std::set<uint16_t> groups;
  for (uint32_t i = 0; i < pak.FileCount() && i < kEntriesLooked; ++i) {
    const TPakFile& entry = pak.Files()[i];
    groups.insert(entry.Group);
    try {
      auto bytes = pak.ExtractFile(i);
      fuzz::Check(!bytes || bytes->size() == entry.Size, "an extracted entry has another size than its record");
      fuzz::Check(!bytes || bytes.Message.empty(), "an extracted entry comes with a length report");
    } catch (const EDecompressionError&) {
    }
  }
  uint32_t found = 0;
  pak.FindFile("SetupInfo", 0, found);
  pak.FindFile("CompiledLines", 0, found);
  std::string output = fuzz::TempFolder() + "out";
  for (uint16_t group : groups) {
    try {
      // A refused group is one outcome among others; only a crash is a finding.
      (void)pak.ExtractGroup(output, group);
    } catch (const EDecompressionError&) {
    }
  }
  DeleteTree(output);
  return 0;
}

}  // namespace tailpack::fuzz
