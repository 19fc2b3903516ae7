#include "ui/win32/Win32WizardWindow.h"

#include <commctrl.h>

#include "ui/WindowDesign.h"
#include "ui/win32/Win32MessageBoxes.h"

namespace tailpack::win32 {

namespace {

constexpr int kFirstButtonId = 100;
constexpr UINT kFirstMenuId = 1000;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

int ButtonId(TWizardButton button) { return kFirstButtonId + static_cast<int>(button); }

// The small arrow right of the language button's caption, as an image list.
HIMAGELIST ArrowGlyph() {
  constexpr int kWidth = 7;
  constexpr int kHeight = 4;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TBitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return nullptr;
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      pixels[y * kWidth + x] = (x >= y && x < kWidth - y) ? 0xFF000000u : 0u;  // opaque black triangle
  HIMAGELIST list = ImageList_Create(kWidth, kHeight, ILC_COLOR32, 1, 0);
  if (list) ImageList_Add(list, bitmap.Get(), nullptr);
  return list;
}

}  // namespace

// One of the window's own buttons; only the common properties matter.
class TWin32WizardButton final : public IControl {
 public:
  TWin32WizardButton(HWND parent, const TButtonDesign& design, HFONT font) : bounds_(design.Bounds) {
    std::wstring caption(design.Caption, design.Caption + std::char_traits<char>::length(design.Caption));
    text_.assign(caption.begin(), caption.end());
    DWORD style = WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS |
                  (design.Button == TWizardButton::Next ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) |
                  (design.Visible ? WS_VISIBLE : 0);
    window_ = CreateWindowExW(0, L"BUTTON", caption.c_str(), style, bounds_.Left, bounds_.Top, bounds_.Width,
                              bounds_.Height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ButtonId(design.Button))),
                              GetModuleHandleW(nullptr), nullptr);
    visible_ = design.Visible;
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  ~TWin32WizardButton() override {
    if (glyph_) ImageList_Destroy(glyph_);
  }

  HWND Window() const { return window_; }
  void SetGlyph(HIMAGELIST glyph) {
    glyph_ = glyph;
    if (!glyph_) return;
    BUTTON_IMAGELIST images{};
    images.himl = glyph_;
    images.margin = RECT{2, 0, 4, 0};
    images.uAlign = BUTTON_IMAGELIST_ALIGN_RIGHT;
    SendMessageW(window_, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
  }

  TControlKind Kind() const override { return TControlKind::Button; }
  const std::string& Name() const override { return name_; }
  TBounds Bounds() const override { return bounds_; }
  void SetBounds(const TBounds& bounds) override {
    bounds_ = bounds;
    MoveWindow(window_, bounds.Left, bounds.Top, bounds.Width, bounds.Height, TRUE);
  }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override {
    visible_ = visible;
    ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
  }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override {
    enabled_ = enabled;
    EnableWindow(window_, enabled);
  }
  std::u16string Text() const override { return text_; }
  void SetText(const std::u16string& text) override {
    text_ = text;
    SetWindowTextW(window_, ToWideText(text).c_str());
  }
  TFont Font() const override { return TFont{}; }
  void SetFont(const TFont&) override {}
  void SetColour(uint32_t) override {}
  void SetBorder(bool) override {}
  void SetAutoSize(bool) override {}
  void SetWordWrap(bool) override {}
  void SetTransparent(bool) override {}
  bool Checked() const override { return false; }
  void SetChecked(bool) override {}
  void LoadRichText(const TBytes&) override {}
  bool LoadPicture(const TBytes&, TPictureFormat) override { return false; }
  TSize PictureSize() const override { return {}; }
  void SetStretch(bool) override {}
  void SetCenter(bool) override {}
  void TilePicture(const std::vector<TPoint>&) override {}
  void SendToBack() override {}
  void RepaintNow() override { RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
  void SetChangeHandler(std::function<void()>) override {}

 private:
  HWND window_ = nullptr;
  std::string name_;
  TBounds bounds_;
  std::u16string text_;
  bool visible_ = true;
  bool enabled_ = true;
  HIMAGELIST glyph_ = nullptr;
};

TWin32WizardWindow::TWin32WizardWindow(std::wstring richEditClass)
    : pageArea_(std::move(richEditClass)), font_(MakeFont(TFont{})) {
  RECT outer = CentredWindowRect(kMainClientSize.Width, kMainClientSize.Height, kWindowStyle, 0);
  CreateOwnWindow(L"TailpackWizard", WS_EX_CONTROLPARENT, kWindowStyle, L"", outer.left, outer.top,
                  outer.right - outer.left, outer.bottom - outer.top, nullptr, GetSysColorBrush(COLOR_BTNFACE));
  pageArea_.Create(Handle(), kPageAreaBounds);
  for (const TButtonDesign& design : kMainButtons)
    buttons_[static_cast<size_t>(design.Button)] = std::make_unique<TWin32WizardButton>(Handle(), design, font_.Get());
  buttons_[static_cast<size_t>(TWizardButton::Language)]->SetGlyph(ArrowGlyph());
  languageMenu_ = CreatePopupMenu();
  SetWizardOwnerWindow(Handle());
}

TWin32WizardWindow::~TWin32WizardWindow() {
  SetWizardOwnerWindow(nullptr);
  // The window and its controls go before the font and pictures they use.
  DestroyOwnWindow();
  if (languageMenu_) DestroyMenu(languageMenu_);
}

void TWin32WizardWindow::SetTitles(const std::u16string&, const std::u16string& caption) {
  // The window is its own entry on the task bar: its caption is the title.
  if (Handle()) SetWindowTextW(Handle(), ToWideText(caption).c_str());
}

IControl& TWin32WizardWindow::Button(TWizardButton button) { return *buttons_[static_cast<size_t>(button)]; }

void TWin32WizardWindow::SetLanguageMenu(const std::vector<TMenuItem>& items) {
  menuItems_ = items;
  while (GetMenuItemCount(languageMenu_) > 0) DeleteMenu(languageMenu_, 0, MF_BYPOSITION);
  for (size_t i = 0; i < items.size(); ++i) {
    std::wstring caption = ToWideText(items[i].Caption);
    AppendMenuW(languageMenu_, MF_STRING | (items[i].Checked ? MF_CHECKED : MF_UNCHECKED),
                kFirstMenuId + static_cast<UINT>(i), caption.c_str());
  }
}

void TWin32WizardWindow::SetLanguageMenuChecked(size_t index, bool checked) {
  if (index >= menuItems_.size()) return;
  menuItems_[index].Checked = checked;
  CheckMenuItem(languageMenu_, kFirstMenuId + static_cast<UINT>(index), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TWin32WizardWindow::PopUpLanguageMenu(TPoint screenPoint) {
  if (!Handle()) return;
  SetForegroundWindow(Handle());
  UINT picked = TrackPopupMenuEx(languageMenu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                 screenPoint.X, screenPoint.Y, Handle(), nullptr);
  if (picked < kFirstMenuId) return;
  size_t index = picked - kFirstMenuId;
  if (index < menuItems_.size() && events_) events_->LanguageItemClick(menuItems_[index].Tag);
}

TBounds TWin32WizardWindow::WindowBounds() const {
  RECT rect{};
  if (Handle()) GetWindowRect(Handle(), &rect);
  return TBounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

TSize TWin32WizardWindow::ClientSize() const {
  RECT rect{};
  if (Handle()) GetClientRect(Handle(), &rect);
  return TSize{rect.right - rect.left, rect.bottom - rect.top};
}

void TWin32WizardWindow::Show() {
  if (!Handle()) return;
  ShowWindow(Handle(), SW_SHOWNORMAL);
  SetForegroundWindow(Handle());
  UpdateWindow(Handle());
  HWND next = buttons_[static_cast<size_t>(TWizardButton::Next)]->Window();
  if (IsWindowVisible(next) && IsWindowEnabled(next)) SetFocus(next);
}

void TWin32WizardWindow::Close() {
  if (closed_) return;
  if (events_ && !events_->CloseQuery()) return;
  if (events_) events_->Closing();
  closed_ = true;
  DestroyOwnWindow();
}

bool TWin32WizardWindow::Dispatch(MSG& message) {
  if (message.message == WM_QUIT) return false;
  if (Handle() && IsDialogMessageW(Handle(), &message)) return true;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

void TWin32WizardWindow::RunMessageLoop() {
  MSG message;
  while (!closed_ && GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
}

void TWin32WizardWindow::ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!Dispatch(message)) {
      // The loop that waits for it takes the quit message.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
  }
}

void TWin32WizardWindow::Click(TWizardButton button) {
  const IControl& control = Button(button);
  if (closed_ || !control.Visible() || !control.Enabled() || !events_) return;
  events_->ButtonClick(button);
}

LRESULT TWin32WizardWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDOK) Click(TWizardButton::Next);
      else if (id == IDCANCEL) Click(TWizardButton::Cancel);
      else if (id >= kFirstButtonId && id < kFirstButtonId + 5 && HIWORD(wParam) == BN_CLICKED)
        Click(static_cast<TWizardButton>(id - kFirstButtonId));
      return 0;
    }
    case DM_GETDEFID: return MAKELRESULT(ButtonId(TWizardButton::Next), DC_HASDEFID);
    case WM_CLOSE: Close(); return 0;
    case WM_PAINT: {
      // The line under the page area: shadow above light.
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(Handle(), &paint);
      RECT shadow{kBevelBounds.Left, kBevelBounds.Top, kBevelBounds.Left + kBevelBounds.Width, kBevelBounds.Top + 1};
      RECT light{shadow.left, shadow.top + 1, shadow.right, shadow.bottom + 1};
      FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
      FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
      EndPaint(Handle(), &paint);
      return 0;
    }
    default: return TWin32Window::HandleMessage(message, wParam, lParam);
  }
}

}  // namespace tailpack::win32
