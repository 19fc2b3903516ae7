#pragma once
// Empty archives made from the documented layouts, for testing updates: the
// setup itself only ever updates archives the installed software brought.

#include <array>
#include <cstdint>
#include <string>

#include "base/Status.h"

namespace tailpack {

// A data archive without entries, password or official flag. Fails when the
// file exists or cannot be written completely.
TStatus CreateEmptyDataArchive(const std::string& path);

struct TVfsGeometry {
  // The format does not fix the identifier; the software that reads the
  // archive may expect its own.
  std::array<uint8_t, 4> Ident = {'V', 'F', 'S', '1'};
  int32_t BlockSize = 4096;
  int32_t BlockCount = 1024;
  uint32_t RootCount = 256;
};

// A VFS archive without entries (all blocks free, all root slots empty, an
// empty text area) with a valid digest, and no ".ht" file. Fails for a
// geometry the format cannot hold, when the file exists, or when it cannot
// be written completely.
TStatus CreateEmptyVfsArchive(const std::string& path, const TVfsGeometry& geometry);

}  // namespace tailpack
