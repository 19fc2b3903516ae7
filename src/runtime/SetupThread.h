#pragma once
// The worker thread that runs the installation script while the window stays
// responsive. It starts with its object and idles, asleep until the progress
// page starts a walk; it then runs the script line by line, performs the
// end-of-run steps (installation folder, uninstall log, uninstaller, the final
// flush of what was installed), wakes the waiting window and goes back to
// idling.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tailpack {

class TSetupRuntime;

// Runs every line of the loaded script from the row after CurrentRow on,
// until the walk passes the last line, the script is aborted or the
// application terminates. A script of a single line runs that line too.
void RunScriptLines(TSetupRuntime& runtime);
// Saves and closes a VFS archive a "vfsupdate" line left open, makes sure
// the installation folder exists (recording what it creates) and, when the
// setup has an uninstaller, saves the uninstall log and writes the
// uninstaller. What cannot be written is told to the user and marks the run
// failed.
void FinishScriptRun(TSetupRuntime& runtime);
// Both, as one walk of the worker does them.
void RunScript(TSetupRuntime& runtime);

class TSetupThread {
 public:
  // Where a failure nobody planned for goes: its message and "Setup Thread".
  using TErrorHandler = std::function<void(const std::string& message, const std::string& context)>;

  // Starts the thread at once; it idles until StartWalk. Without a handler
  // failures go to the error report, which ends the process.
  explicit TSetupThread(TSetupRuntime& runtime, TErrorHandler onError = {});
  // Requests the stop and waits for the thread.
  ~TSetupThread();
  TSetupThread(const TSetupThread&) = delete;
  TSetupThread& operator=(const TSetupThread&) = delete;

  // True while a walk and its end-of-run steps run; cleared by the thread.
  std::atomic<bool> Running{false};
  std::atomic<bool> StopRequested{false};

  // Starts one walk from the first line: CurrentRow = -1, then Running. Only
  // while the thread idles; poll Running to see the walk end.
  void StartWalk();
  // Asks the thread to end after its current walk, and the runtime's waits
  // (a program started by "execute") to stop.
  void RequestStop();
  // Waits without time limit until the thread has ended.
  void WaitFor();
  // The thread has left its loop: after a stop, or after a failure it handed
  // to the error handler.
  bool Ended() const { return ended_; }

 private:
  void Execute();
  void Fail(const std::string& message);

  TSetupRuntime& runtime_;
  TErrorHandler onError_;
  std::atomic<bool> ended_{false};
  // Wakes the idle thread for a walk or a stop.
  std::mutex idleLock_;
  std::condition_variable idleWake_;
  std::thread thread_;  // last: it starts once everything above exists
};

}  // namespace tailpack
