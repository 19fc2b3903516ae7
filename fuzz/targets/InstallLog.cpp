// The uninstall log "install.log": whatever the bytes, loading reads only
// inside them and allocates no more than they can describe; a log that
// loaded whole serializes and loads back to itself; registry lines split.

#include <cstdint>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "uninstall/UninstallList.h"

namespace tailpack::fuzz {

int ReadInstallLog(const uint8_t* data, size_t size) {
  TUninstallList loaded;
  if (!loaded.Deserialize(data, static_cast<uint32_t>(size))) return 0;
  for (const std::string& line : loaded.RegistryValues)
    fuzz::Check(SplitRegistryLine(line).size() <= 4, "a registry line split into more than four fields");
  TBytes bytes = loaded.Serialize();
  TUninstallList again;
  fuzz::Check(again.Deserialize(bytes.data(), static_cast<uint32_t>(bytes.size())).Ok(),
              "a serialized log does not load");
  fuzz::Check(again.Files == loaded.Files && again.RegistryValues == loaded.RegistryValues &&
                  again.Folders == loaded.Folders,
              "a log changed on its way through its file");
  return 0;
}

}  // namespace tailpack::fuzz
