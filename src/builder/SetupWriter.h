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
  unsigned Threads = 0;    // 0: one per processor; more than PackingThreads allows are not started
  std::function<void(const TBuildProgress&)> OnProgress;
  // Looked at between entries and while waiting for one: true ends the build
  // (the result says Interrupted) with nothing written.
  std::function<bool()> StopRequested;
};

struct TWriteResult {
  TStatus Status = TStatus::Success();
  // The setup would not fit the format (its data would pass 4 GiB): the
  // script asks for too much, rather than the disk failing.
  bool ScriptError = false;
  int LineNumber = 0;  // the script line of the entry that failed; 0: none
  bool Interrupted = false;  // StopRequested ended it

  explicit operator bool() const { return Status.Ok(); }
};

// The packing threads worth starting: the number asked for (0: one per
// processor), at most twice the processors, since packing is bound by them,
// and never more than there are entries; at least one.
unsigned PackingThreads(unsigned requested, size_t entryCount);

// Writes the setup to "OUT.partial" beside the output and moves it into place
// only when it is complete. Whatever fails (a source, the disk, a thread that
// cannot start, the format's 4 GiB) or ends it (StopRequested), no
// "OUT.partial" stays behind.
TWriteResult WriteSetup(const TSetupPlan& plan, const TWriteOptions& options);

}  // namespace tailpack
