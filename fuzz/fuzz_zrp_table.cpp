// libFuzzer target: a data archive's trailer, footer and table, read from
// memory and, as the tool reads it, from a file; then every entry's content
// and the check of every record.

#include <cstddef>
#include <cstdint>
#include <string>

#include "gamedata/DataArchiveFormat.h"
#include "gamedata/DataArchiveReader.h"
#include "platform/Platform.h"

namespace {

// A private folder for the file this target reads, made once.
const std::string& ScratchFile() {
  static const std::string path = *tailpack::Files().CreatePrivateFolder(tailpack::Files().TempFolder()) + "\\fuzz.zrp";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tailpack;
  TZrpDirectory directory;
  (void)ParseZrpDirectory(data, size, directory);

  const std::string& path = ScratchFile();
  {
    auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
    if (!file || file->Write(data, static_cast<uint32_t>(size)) != size) return 0;
  }
  TDataArchiveReader reader;
  if (!reader.Open(path)) return 0;
  for (const TPakSystemEntry& entry : reader.Directory().Entries) {
    TBytes content;
    (void)reader.ReadContent(entry, content);
  }
  (void)reader.Check();
  return 0;
}
