#include "gamedata/VfsContent.h"

#include <algorithm>

#include "archive/Zlib.h"
#include "base/Errors.h"
#include "gamedata/InflateLimit.h"

namespace tailpack {

TStatus UnpackVfsFile(const TVFSEntry& entry, const TBytes& stored, TBytes& content) {
  content.clear();
  if (!entry.IsCompressed()) {
    content = stored;
    return TStatus::Success();
  }
  if (!MayInflateTo(stored.size(), entry.OriginalSize))
    return TStatus::Failure("its " + std::to_string(stored.size()) + " stored bytes cannot inflate to " +
                            std::to_string(entry.OriginalSize));
  content.reserve(entry.OriginalSize);
  size_t at = 0;
  for (uint32_t chunk = 0; at < stored.size(); ++chunk) {
    if (stored.size() - at < 4) return TStatus::Failure("chunk " + std::to_string(chunk) + " is cut short");
    uint32_t length = GetU32(stored.data() + at);
    at += 4;
    if (length > stored.size() - at) return TStatus::Failure("chunk " + std::to_string(chunk) + " runs past the end");
    uint32_t expected = std::min<uint32_t>(kVfsChunkInput, entry.OriginalSize - static_cast<uint32_t>(content.size()));
    TInflated inflated;
    try {
      inflated = Inflate(stored.data() + at, length, expected);
    } catch (const EDecompressionError&) {
      return TStatus::Failure("chunk " + std::to_string(chunk) + " is not a valid zlib stream");
    }
    if (inflated.TotalLength != expected || expected == 0)
      return TStatus::Failure("chunk " + std::to_string(chunk) + " inflates to " +
                              std::to_string(inflated.TotalLength) + " bytes, not " + std::to_string(expected));
    content.insert(content.end(), inflated.Bytes.begin(), inflated.Bytes.end());
    at += length;
  }
  if (content.size() != entry.OriginalSize)
    return TStatus::Failure("the chunks hold " + std::to_string(content.size()) + " bytes, not " +
                            std::to_string(entry.OriginalSize));
  return TStatus::Success();
}

}  // namespace tailpack
