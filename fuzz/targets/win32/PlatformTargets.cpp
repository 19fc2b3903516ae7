#include "FuzzTargets.h"

namespace tailpack::fuzz {

// The registry is the system's own on Windows: no file of ours to read.
void AddPlatformTargets(std::vector<TFuzzTarget>&) {}

}  // namespace tailpack::fuzz
