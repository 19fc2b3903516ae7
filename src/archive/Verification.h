#pragma once
// The check of a whole setup archive before anything is installed: every
// entry, the first that fails in table order ending it. The entries are
// checked on as many threads as there are cores (up to four), each with a
// reader of its own; the verdicts, the progress steps and any message are
// taken in table order on the calling thread, so the outcome is that of
// checking one entry after the other. The caller shows the progress
// (start-up its window, the tool its terminal line).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tailpack {

class TPak;
struct TPakFile;

struct TVerificationResult {
  // The 0-based table index of the first entry that failed; nothing when all passed.
  std::optional<uint32_t> FailedIndex;
  // The sum of the sizes of the entries that belong to a data group (Group > 0)
  // up to the failure, or of all of them.
  uint64_t GroupedSize = 0;
  // What the user must be told of the failure before anything else: the
  // DecompSize message (caption kDecompSizeCaption) when the failed entry
  // inflated to another length than its Size; empty otherwise.
  std::string Message;
};

// Called on the calling thread after each entry that passed, in table order,
// with its index, the number of entries and the entry.
using TVerificationStep = std::function<void(uint32_t index, uint32_t count, const TPakFile& entry)>;

// Verifies entries 0..FileCount-1 (entries of size 0 always pass). Shows no
// user interface of its own; an entry that cannot be inflated at all raises
// EDecompressionError.
TVerificationResult VerifyArchive(TPak& pak, const TVerificationStep& onStep = {});

}  // namespace tailpack
