#include "system/MessageBoxes.h"

#include "base/Errors.h"
#include "platform/TextCodec.h"

namespace tailpack {

namespace {

IMessageBoxes*& Current() {
  static IMessageBoxes* current = nullptr;
  return current;
}

}  // namespace

IMessageBoxes& MessageBoxes() {
  // A box nobody answers would be a message nobody hears of: a program that
  // shows boxes installs its backend before anything else runs.
  if (!Current()) throw ETailpackError("No message box backend is installed");
  return *Current();
}

IMessageBoxes* InstalledMessageBoxes() { return Current(); }

void SetMessageBoxes(IMessageBoxes& backend) { Current() = &backend; }

void SetMessageBoxes(IMessageBoxes* backend) { Current() = backend; }

void ShowMessage(const std::string& text, const std::string& caption, TMessageIcon icon) {
  MessageBoxes().Show(AnsiToWide(text), AnsiToWide(caption), TMessageButtons::Ok, icon);
}

void ShowMessageIfAny(const std::string& text, const std::string& caption) {
  if (!text.empty()) ShowMessage(text, caption);
}

}  // namespace tailpack
