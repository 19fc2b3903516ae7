#include "archive/Verification.h"

#include "archive/Pak.h"

namespace tailpack {

TVerificationResult VerifyArchive(TPak& pak, const TVerificationStep& onStep) {
  TVerificationResult result;
  const uint32_t count = pak.FileCount();
  for (uint32_t i = 0; i < count; ++i) {
    const TPakFile& entry = pak.Files()[i];
    bool passed = entry.Size == 0 || pak.VerifyFile(i);
    if (!passed) {
      result.FailedIndex = i;
      return result;
    }
    if (entry.Group > 0) result.GroupedSize += entry.Size;
    if (onStep) onStep(i, count, entry);
  }
  return result;
}

}  // namespace tailpack
