#include "runtime/SetupThread.h"

#include <exception>

#include "base/Errors.h"
#include "base/ProgressChannel.h"
#include "diag/ErrorReport.h"
#include "platform/Platform.h"
#include "runtime/SetupRuntime.h"
#include "runtime/Uninstaller.h"
#include "script/commands/ArchiveUpdateCommands.h"
#include "script/commands/RunSupport.h"
#include "system/FileHelpers.h"

namespace tailpack {

namespace {

constexpr const char* kThreadContext = "Setup Thread";
constexpr const char* kFlushFailedText =
    "Error: the installed files could not all be written to the disk. The system reported a write error; the "
    "installation is incomplete.";

}  // namespace

void RunScriptLines(TSetupRuntime& runtime) {
  // The shell's link and program calls set up the component object model for
  // themselves, so the walk needs no apartment of its own.
  const auto& lines = runtime.Script.Lines;
  const auto count = static_cast<int32_t>(lines.size());
  // Every line runs, a lone one too: a one-line script that silently did
  // nothing would report an installation that never happened.
  if (count == 0) return;
  do {
    // Incremented before each step, so a jump to row R runs row R + 1 next.
    int32_t row = ++runtime.CurrentRow;
    // Only a jump to the very last row number wraps round: that is past the end.
    if (row < 0) break;
    if (row < count) {
      const TCompLine& line = lines[static_cast<size_t>(row)];
      // Start-up refuses command numbers beyond the list; a line that still
      // names none is skipped like a label.
      if (TCommandClass* command = runtime.Commands.Find(line.CommandIndex)) command->SFXProcess(runtime, line.Row);
    }
  } while (runtime.CurrentRow < count && !runtime.ScriptAborted && !runtime.Terminating);
}

void FinishScriptRun(TSetupRuntime& runtime) {
  // Its digest and hash file are only current once it is saved.
  CloseOpenVfsArchive(runtime);
  const TSetupInfo& info = runtime.SetupInfo.Info;
  CreateFolderChain(info.InstallDir, &runtime.UninstallList);
  if (info.HasUninstaller == 1) {
    // Without its log the uninstaller could remove nothing: the user must
    // hear of a log that was not written.
    if (TStatus saved = runtime.UninstallList.SaveToFile(info.InstallDir, info.UninstallPrefix); !saved)
      ReportRunFailure(runtime, saved.Message());
    if (TStatus created = CreateUninstaller(runtime); !created) ReportRunFailure(runtime, created.Message());
  }
  // The installed files were written without a flush each; one flush of
  // everything written makes them durable before the run reports success,
  // and tells of any that the disk did not take.
  if (!Files().FlushWrittenFiles()) ReportRunFailure(runtime, kFlushFailedText);
}

void RunScript(TSetupRuntime& runtime) {
  // The end-of-run steps follow an aborted walk too: what was installed so
  // far is recorded and can be uninstalled.
  RunScriptLines(runtime);
  FinishScriptRun(runtime);
}

TSetupThread::TSetupThread(TSetupRuntime& runtime, TErrorHandler onError)
    : runtime_(runtime), onError_(std::move(onError)), thread_([this] { Execute(); }) {}

TSetupThread::~TSetupThread() {
  RequestStop();
  WaitFor();
}

void TSetupThread::StartWalk() {
  runtime_.CurrentRow = -1;
  {
    std::lock_guard guard(idleLock_);
    Running = true;
  }
  idleWake_.notify_all();
}

void TSetupThread::RequestStop() {
  {
    std::lock_guard guard(idleLock_);
    StopRequested = true;
    runtime_.Terminating = true;
  }
  idleWake_.notify_all();
}

void TSetupThread::WaitFor() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void TSetupThread::Fail(const std::string& message) {
  // The handler normally ends the process; one that returns (a test's) finds
  // the thread ended and the walk over.
  try {
    if (onError_) onError_(message, kThreadContext);
    else ErrorReport(message, kThreadContext);
  } catch (...) {
    // Safe to drop: no exception may leave the thread (it would end the
    // process without a report), and the run is marked failed below.
  }
  ended_ = true;
  Running = false;
  runtime_.Progress.Wake();
}

void TSetupThread::Execute() {
  // No exception may leave the thread: it would end the process without a
  // word. Failures of the runtime's family and any other go to the report.
  for (;;) {
    {
      std::unique_lock guard(idleLock_);
      idleWake_.wait(guard, [this] { return Running || StopRequested; });
      if (StopRequested) break;
    }
    try {
      RunScript(runtime_);
    } catch (const std::exception& failure) {
      Fail(failure.what());
      return;
    } catch (...) {
      Fail("Unknown exception");
      return;
    }
    Running = false;
    // The window waits for this rather than looking every millisecond.
    runtime_.Progress.Wake();
  }
  ended_ = true;
}

}  // namespace tailpack
