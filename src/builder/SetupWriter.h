#pragma once
// The second half of "tailpack build": the stub program followed by the
// setup archive of a plan. Entries are packed on several threads and written
// in the plan's order, so the bytes do not depend on the thread count.

#include <cstdint>
#include <functional>
#include <string>

#include "base/Status.h"
#include "builder/SetupPlan.h"

namespace tailpack {

struct TBuildProgress {
  uint32_t EntriesDone = 0;
  uint32_t EntryCount = 0;
  uint64_t BytesDone = 0;
  uint64_t ByteCount = 0;
};

struct TWriteOptions {
  std::string StubPath;    // the program the archive is appended to; empty: a stand-alone archive
  std::string OutputPath;  // Windows path
  unsigned Threads = 0;    // 0: one per processor
  std::function<void(const TBuildProgress&)> OnProgress;
};

// Writes the setup to a temporary file beside the output and moves it into
// place only when it is complete, so a failed build leaves no half setup.
TStatus WriteSetup(const TSetupPlan& plan, const TWriteOptions& options);

}  // namespace tailpack
