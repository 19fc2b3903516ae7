#pragma once
// Modal message boxes, the one piece of user interface that every part of the
// runtime may need. A backend answers them: the Win32 one shows real boxes,
// the headless one answers from a scripted queue.

#include <string>

namespace tailpack {

enum class TMessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class TMessageIcon { None, Error, Warning, Information, Question };
enum class TMessageResult { Ok, Cancel, Yes, No, Retry };
// The window a box belongs to: most have none (they stand on their own, as
// start-up's and the script's do); the wizard's own question is modal to it.
enum class TMessageOwner { None, Wizard };

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  virtual TMessageResult Show(const std::u16string& text, const std::u16string& caption,
                              TMessageButtons buttons, TMessageIcon icon,
                              TMessageOwner owner = TMessageOwner::None) = 0;
};

// The backend in place; the headless one until a GUI backend is installed.
IMessageBoxes& MessageBoxes();
void SetMessageBoxes(IMessageBoxes& backend);

// Shorthand for the common case: an OK box with an ANSI text and caption.
void ShowMessage(const std::string& text, const std::string& caption,
                 TMessageIcon icon = TMessageIcon::None);

}  // namespace tailpack
