#include "system/MessageBoxes.h"

#include "platform/TextCodec.h"
#include "system/HeadlessMessageBoxes.h"

namespace tailpack {

namespace {

IMessageBoxes*& Current() {
  static THeadlessMessageBoxes headless;
  static IMessageBoxes* current = &headless;
  return current;
}

}  // namespace

IMessageBoxes& MessageBoxes() { return *Current(); }

void SetMessageBoxes(IMessageBoxes& backend) { Current() = &backend; }

void ShowMessage(const std::string& text, const std::string& caption, TMessageIcon icon) {
  MessageBoxes().Show(AnsiToWide(text), AnsiToWide(caption), TMessageButtons::Ok, icon);
}

}  // namespace tailpack
