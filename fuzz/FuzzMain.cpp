// The entry of one libFuzzer executable: TAILPACK_FUZZ_TARGET names the
// reader it feeds (FuzzTargets.h).

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "FuzzTargets.h"

namespace {

int (*TargetReader())(const uint8_t*, size_t) {
  for (const auto& target : tailpack::fuzz::FuzzTargets())
    if (target.Name == TAILPACK_FUZZ_TARGET) return target.Read;
  tailpack::fuzz::Check(false, "no fuzz target of that name");
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto read = TargetReader();
  tailpack::fuzz::Prepare();
  return read(data, size);
}
