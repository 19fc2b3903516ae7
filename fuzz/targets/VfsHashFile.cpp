// A ".ht" hash file's records, and the table built from them again as an
// archive's saving builds it; the same bytes also as a path whose hash key
// is taken.

#include <cstdint>
#include <string_view>

#include "FuzzTargets.h"
#include "gamedata/VfsFormat.h"
#include "gamedata/VfsHashFile.h"

namespace tailpack::fuzz {

int ReadVfsHashFile(const uint8_t* data, size_t size) {
  auto records = DecodeHashFile(TBytes(data, data + size));
  THashTableBuilder builder;
  if (records) {
    for (const TVFSHashRecord& record : *records) builder.Insert(record);
    (void)EncodeHashFile(builder.Records());
  }
  std::string_view path(reinterpret_cast<const char*>(data), size);
  size_t cut = path.rfind('\\');
  (void)VfsHash(VfsHashKeyText(path, cut == std::string_view::npos ? path : path.substr(cut + 1)));
  return 0;
}

}  // namespace tailpack::fuzz
