#include "FuzzTargets.h"

namespace tailpack::fuzz {

int ReadRegistryFile(const uint8_t* data, size_t size);

void AddPlatformTargets(std::vector<TFuzzTarget>& targets) { targets.push_back({"RegistryFile", ReadRegistryFile}); }

}  // namespace tailpack::fuzz
