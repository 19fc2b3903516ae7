#include "ui/win32/Win32MessageBoxes.h"

#include <atomic>
#include <cstdlib>

#include "ui/headless/HeadlessMessageBoxes.h"
#include "ui/win32/Win32Gdi.h"

namespace tailpack::win32 {

namespace {

std::atomic<HWND> wizardOwner{nullptr};

UINT ButtonFlags(TMessageButtons buttons) {
  switch (buttons) {
    case TMessageButtons::Ok: return MB_OK;
    case TMessageButtons::OkCancel: return MB_OKCANCEL;
    case TMessageButtons::YesNo: return MB_YESNO;
    case TMessageButtons::YesNoCancel: return MB_YESNOCANCEL;
    case TMessageButtons::RetryCancel: return MB_RETRYCANCEL;
  }
  return MB_OK;
}

UINT IconFlags(TMessageIcon icon) {
  switch (icon) {
    case TMessageIcon::None: return 0;
    case TMessageIcon::Error: return MB_ICONERROR;
    case TMessageIcon::Warning: return MB_ICONWARNING;
    case TMessageIcon::Information: return MB_ICONINFORMATION;
    case TMessageIcon::Question: return MB_ICONQUESTION;
  }
  return 0;
}

// What a box that could not be shown counts as: the unattended answer.
TMessageResult Unanswered(TMessageButtons buttons) {
  switch (buttons) {
    case TMessageButtons::YesNo:
    case TMessageButtons::YesNoCancel: return TMessageResult::Yes;
    case TMessageButtons::RetryCancel:
    case TMessageButtons::OkCancel: return TMessageResult::Cancel;
    default: return TMessageResult::Ok;
  }
}

}  // namespace

void SetWizardOwnerWindow(HWND window) { wizardOwner = window; }

TWin32MessageBoxes::TWin32MessageBoxes() {
  if (std::getenv("TAILPACK_ANSWERS")) scripted_ = std::make_unique<THeadlessMessageBoxes>();
}

TWin32MessageBoxes::~TWin32MessageBoxes() = default;

TMessageResult TWin32MessageBoxes::Show(const std::u16string& text, const std::u16string& caption,
                                        TMessageButtons buttons, TMessageIcon icon, TMessageOwner owner) {
  if (scripted_) return scripted_->Show(text, caption, buttons, icon, owner);
  HWND ownerWindow = owner == TMessageOwner::Wizard ? wizardOwner.load() : nullptr;
  UINT flags = ButtonFlags(buttons) | IconFlags(icon);
  // A box without an owner must not open behind the wizard.
  if (!ownerWindow) flags |= MB_SETFOREGROUND | MB_TOPMOST;
  switch (MessageBoxW(ownerWindow, WithCrLf(text).c_str(), ToWideText(caption).c_str(), flags)) {
    case IDOK: return TMessageResult::Ok;
    case IDCANCEL: return TMessageResult::Cancel;
    case IDYES: return TMessageResult::Yes;
    case IDNO: return TMessageResult::No;
    case IDRETRY: return TMessageResult::Retry;
    default: return Unanswered(buttons);
  }
}

}  // namespace tailpack::win32
