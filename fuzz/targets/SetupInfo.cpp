// The entry "SetupInfo": whatever the bytes, loading reads only inside them,
// and a record that loaded whole serializes and loads back to itself.

#include <cstdint>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "setup/SetupInfo.h"

namespace tailpack::fuzz {

int ReadSetupInfo(const uint8_t* data, size_t size) {
  TSetupInfoFile loaded;
  if (!loaded.LoadFromBuffer(data, static_cast<uint32_t>(size))) return 0;
  TSetupInfoFile again;
  fuzz::Check(again.LoadFromBuffer(loaded.Serialize()), "a serialized record does not load");
  fuzz::Check(again.Info == loaded.Info, "a record changed on its way through its serialized form");
  return 0;
}

}  // namespace tailpack::fuzz
