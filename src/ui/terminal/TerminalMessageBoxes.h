#pragma once
// Message boxes as terminal prompts: the caption and text are printed with
// the choices, and the user types one (the first letter is enough; Enter
// takes the first choice). At the end of the input the same answers as the
// headless backend are taken: OK and Yes, Cancel for Retry/Cancel.

#include <memory>

#include "system/MessageBoxes.h"

namespace tailpack {

class TTerminalConsole;

class TTerminalMessageBoxes final : public IMessageBoxes {
 public:
  explicit TTerminalMessageBoxes(std::shared_ptr<TTerminalConsole> console);
  TMessageResult Show(const std::u16string& text, const std::u16string& caption, TMessageButtons buttons,
                      TMessageIcon icon, TMessageOwner owner = TMessageOwner::None) override;

 private:
  std::shared_ptr<TTerminalConsole> console_;
};

}  // namespace tailpack
