// libFuzzer target: a ".ht" hash file's records, and the table built from
// them again as an archive's saving builds it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "gamedata/VfsFormat.h"
#include "gamedata/VfsHashFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tailpack;
  auto records = DecodeHashFile(TBytes(data, data + size));
  THashTableBuilder builder;
  if (records) {
    for (const TVFSHashRecord& record : *records) builder.Insert(record);
    (void)EncodeHashFile(builder.Records());
  }
  // The same bytes as a path: its key text and hash.
  std::string_view path(reinterpret_cast<const char*>(data), size);
  size_t cut = path.rfind('\\');
  (void)VfsHash(VfsHashKeyText(path, cut == std::string_view::npos ? path : path.substr(cut + 1)));
  return 0;
}
