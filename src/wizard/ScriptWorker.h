#pragma once
// The wizard's view of the worker thread that runs the compiled script: it
// idles until a walk is started, runs one walk over the script and its
// end-of-run steps, and ends when asked. The patching page starts a walk and
// waits for it while it shows the progress the worker posts.

namespace tailpack {

class IScriptWorker {
 public:
  virtual ~IScriptWorker() = default;
  // Starts one walk over the script (the caller has set CurrentRow to -1).
  virtual void StartWalk() = 0;
  // True from StartWalk until the walk and its end-of-run steps are done.
  virtual bool Running() const = 0;
  // Asks the thread to end and waits for it, without a time limit.
  virtual void Stop() = 0;
};

}  // namespace tailpack
