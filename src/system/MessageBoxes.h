#pragma once
// Modal message boxes, the one piece of user interface that every part of the
// runtime may need. A backend answers them: the Win32 one shows real boxes,
// the headless one (ui/headless) answers from a scripted queue, the tool's
// prints them. This layer holds only the interface and the dispatch: each
// program installs its backend at start-up.

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

// The backend in place; raises ETailpackError when none is.
IMessageBoxes& MessageBoxes();
// The backend in place, or null when none is (for whoever puts one in place
// for a while and restores the one before).
IMessageBoxes* InstalledMessageBoxes();
void SetMessageBoxes(IMessageBoxes& backend);
// Null removes the backend.
void SetMessageBoxes(IMessageBoxes* backend);

// Shorthand for the common case: an OK box with an ANSI text and caption.
void ShowMessage(const std::string& text, const std::string& caption,
                 TMessageIcon icon = TMessageIcon::None);
// The same box only when Text is not empty: for a notice that a result may
// carry (the archive's DecompSize text of an entry).
void ShowMessageIfAny(const std::string& text, const std::string& caption);

}  // namespace tailpack
