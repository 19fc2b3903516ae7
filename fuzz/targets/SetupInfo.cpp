// The entry "SetupInfo": whatever the bytes, loading reads only inside them
// (a record cut short reads as far as it goes), and the record it gives
// serializes and loads back to itself.

#include <cstdint>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "setupinfo/SetupInfo.h"

namespace tailpack::fuzz {

int ReadSetupInfo(const uint8_t* data, size_t size) {
  TSetupInfoFile loaded;
  loaded.LoadFromBuffer(data, static_cast<uint32_t>(size));
  TSetupInfoFile again;
  again.LoadFromBuffer(loaded.Serialize());
  fuzz::Check(again.Info == loaded.Info, "a record changed on its way through its serialized form");
  return 0;
}

}  // namespace tailpack::fuzz
