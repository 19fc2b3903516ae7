// A data archive: its trailer, footer and table read from memory and, as the
// setup and the tool read it, from a file; then every entry's content and the
// check of every record. Whatever the bytes, nothing is read outside them.

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "gamedata/DataArchiveFormat.h"
#include "gamedata/DataArchiveReader.h"

namespace tailpack::fuzz {

int ReadDataArchive(const uint8_t* data, size_t size) {
  TZrpDirectory directory;
  (void)ParseZrpDirectory(data, size, directory);

  const std::string path = WriteTempFile("fuzz.zrp", data, size);
  TDataArchiveReader reader;
  if (!reader.Open(path)) return 0;
  for (const TPakSystemEntry& entry : reader.Directory().Entries) {
    TBytes content;
    (void)reader.ReadContent(entry, content);
  }
  (void)reader.Check();
  return 0;
}

}  // namespace tailpack::fuzz
