#pragma once
// What long work reports so that someone can show it: its latest status line
// and one step per item done. The setup's progress channel hears it and the
// window shows it; the tool prints the lines; code that shows nothing passes
// no reporter.

#include <string>

namespace tailpack {

class IProgressReporter {
 public:
  virtual ~IProgressReporter() = default;
  virtual void SetStatusText(const std::u16string& text) = 0;
  // One item done; with Notify the count is handed on to whoever shows it.
  virtual void StepProgress(bool notify) = 0;
};

}  // namespace tailpack
