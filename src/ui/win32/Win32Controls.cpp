#include "ui/win32/Win32Controls.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "ui/win32/Win32FolderTree.h"
#include "ui/win32/Win32Gauge.h"
#include "ui/win32/Win32Image.h"
#include "ui/win32/Win32PageArea.h"

namespace tailpack::win32 {

namespace {

// The size a control of each kind has until its layout gives one.
TBounds DefaultBounds(TControlKind kind) {
  switch (kind) {
    case TControlKind::Label: return {0, 0, 65, 17};
    case TControlKind::Edit: return {0, 0, 121, 21};
    case TControlKind::FolderTree: return {0, 0, 121, 97};
    case TControlKind::Button: return {0, 0, 75, 25};
    case TControlKind::Image: return {0, 0, 105, 105};
    case TControlKind::Panel: return {0, 0, 185, 41};
    case TControlKind::Bevel: return {0, 0, 50, 50};
    case TControlKind::Memo:
    case TControlKind::RichEdit: return {0, 0, 185, 89};
    case TControlKind::ProgressBar: return {0, 0, 200, 40};
    case TControlKind::Radio: return {0, 0, 113, 17};
  }
  return {};
}

bool HasBorderByDefault(TControlKind kind) {
  return kind == TControlKind::Edit || kind == TControlKind::Memo || kind == TControlKind::RichEdit ||
         kind == TControlKind::FolderTree;
}

void SetExStyleBit(HWND window, DWORD bit, bool on) {
  auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  DWORD wanted = on ? (style | bit) : (style & ~bit);
  if (wanted == style) return;
  SetWindowLongPtrW(window, GWL_EXSTYLE, static_cast<LONG_PTR>(wanted));
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace

// --- Common state -----------------------------------------------------------------

TWin32Control::TWin32Control(TControlKind kind, std::string name, TWin32PageArea& area)
    : kind_(kind), name_(std::move(name)), area_(area), bounds_(DefaultBounds(kind)) {
  border_ = HasBorderByDefault(kind);
  autoSize_ = kind == TControlKind::Label || kind == TControlKind::Edit;
}

TWin32Control::~TWin32Control() = default;

HFONT TWin32Control::FontHandle() {
  if (!fontHandle_ || !(fontOfHandle_ == font_)) {
    fontHandle_ = MakeFont(font_);
    fontOfHandle_ = font_;
  }
  return fontHandle_.Get();
}

// --- Windowless controls --------------------------------------------------------

void TWin32WindowlessControl::Invalidate() const {
  if (visible_) area_.Invalidate(Rect());
}

void TWin32WindowlessControl::SetBounds(const TBounds& bounds) {
  if (bounds == bounds_) return;
  Invalidate();
  bounds_ = bounds;
  Invalidate();
}

void TWin32WindowlessControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  area_.Invalidate(Rect());
  visible_ = visible;
}

void TWin32WindowlessControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Invalidate();
}

void TWin32WindowlessControl::SetText(const std::u16string& text) {
  if (text == text_) return;
  text_ = text;
  Invalidate();
}

void TWin32WindowlessControl::SetFont(const TFont& font) {
  font_ = font;
  Invalidate();
}

void TWin32WindowlessControl::SetColour(uint32_t colour) {
  colour_ = colour;
  Invalidate();
}

void TWin32WindowlessControl::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Invalidate();
}

void TWin32WindowlessControl::SendToBack() {
  area_.SendToBack(*this);
  Invalidate();
}

void TWin32WindowlessControl::RepaintNow() {
  if (visible_) area_.PaintRectNow(Rect());
}

// --- Label ------------------------------------------------------------------------

TWin32Label::TWin32Label(std::string name, TWin32PageArea& area)
    : TWin32WindowlessControl(TControlKind::Label, std::move(name), area) {}

UINT TWin32Label::DrawFlags() const { return DT_NOPREFIX | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0); }

void TWin32Label::FitToText() {
  if (!autoSize_) return;
  TWindowDC screen(nullptr);
  TSelection font(screen.Get(), FontHandle());
  std::wstring text = text_.empty() ? std::wstring(L" ") : ToWideText(text_);
  RECT extent{0, 0, wordWrap_ ? bounds_.Width : 0, 0};
  DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &extent, DrawFlags() | DT_CALCRECT);
  TBounds fitted = bounds_;
  if (!wordWrap_) fitted.Width = extent.right - extent.left;
  fitted.Height = extent.bottom - extent.top;
  TWin32WindowlessControl::SetBounds(fitted);
}

void TWin32Label::SetText(const std::u16string& text) {
  TWin32WindowlessControl::SetText(text);
  FitToText();
}

void TWin32Label::SetFont(const TFont& font) {
  TWin32WindowlessControl::SetFont(font);
  FitToText();
}

void TWin32Label::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  FitToText();
}

void TWin32Label::SetWordWrap(bool wordWrap) {
  wordWrap_ = wordWrap;
  FitToText();
  Invalidate();
}

void TWin32Label::Paint(HDC dc) {
  RECT rect = Rect();
  if (!transparent_) {
    TBrushHandle background(CreateSolidBrush(area_.Colour()));
    FillRect(dc, &rect, background.Get());
  }
  TSelection font(dc, FontHandle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled_ ? ResolveColour(font_.Colour) : GetSysColor(COLOR_GRAYTEXT));
  std::wstring text = ToWideText(text_);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DrawFlags());
}

// --- Bevel ------------------------------------------------------------------------

TWin32Bevel::TWin32Bevel(std::string name, TWin32PageArea& area)
    : TWin32WindowlessControl(TControlKind::Bevel, std::move(name), area) {}

void TWin32Bevel::Paint(HDC dc) {
  const int left = bounds_.Left;
  const int top = bounds_.Top;
  const int right = bounds_.Left + bounds_.Width - 1;
  const int bottom = bounds_.Top + bounds_.Height - 1;
  TPenHandle shadow(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
  TPenHandle light(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
  {
    TSelection pen(dc, shadow.Get());
    POINT line[] = {{left, bottom}, {left, top}, {right, top}};
    Polyline(dc, line, 3);
  }
  TSelection pen(dc, light.Get());
  POINT line[] = {{right, top}, {right, bottom}, {left, bottom}};
  Polyline(dc, line, 3);
}

// --- Windowed controls ------------------------------------------------------------

TWin32WindowedControl::TWin32WindowedControl(TControlKind kind, std::string name, TWin32PageArea& area)
    : TWin32Control(kind, std::move(name), area) {}

TWin32WindowedControl::~TWin32WindowedControl() {
  // Gone already when the page area's window went first.
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

void TWin32WindowedControl::CreateControlWindow(const wchar_t* className, DWORD style, DWORD exStyle) {
  if (border_) exStyle |= WS_EX_CLIENTEDGE;
  window_ = CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, bounds_.Left,
                            bounds_.Top, bounds_.Width, bounds_.Height, area_.Handle(), nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (window_) SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), FALSE);
}

void TWin32WindowedControl::SetBounds(const TBounds& bounds) {
  bounds_ = bounds;
  if (window_) MoveWindow(window_, bounds.Left, bounds.Top, bounds.Width, bounds.Height, TRUE);
}

void TWin32WindowedControl::SetVisible(bool visible) {
  visible_ = visible;
  if (window_) ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

void TWin32WindowedControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (window_) EnableWindow(window_, enabled);
}

std::u16string TWin32WindowedControl::Text() const {
  if (!window_ || kind_ == TControlKind::Button || kind_ == TControlKind::Radio) return text_;
  int length = GetWindowTextLengthW(window_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window_, text.data(), length + 1)));
  return WithoutLf(text);
}

void TWin32WindowedControl::SetWindowTextQuietly(const std::wstring& text) {
  quiet_ = true;
  SetWindowTextW(window_, text.c_str());
  quiet_ = false;
}

void TWin32WindowedControl::SetText(const std::u16string& text) {
  text_ = text;
  if (window_) SetWindowTextQuietly(WithCrLf(text));
}

void TWin32WindowedControl::SetFont(const TFont& font) {
  font_ = font;
  if (window_) SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
}

void TWin32WindowedControl::SetColour(uint32_t colour) {
  colour_ = colour;
  background_ = TBrushHandle(CreateSolidBrush(ResolveColour(colour)));
  if (window_) InvalidateRect(window_, nullptr, TRUE);
}

void TWin32WindowedControl::SetBorder(bool border) {
  border_ = border;
  if (window_) SetExStyleBit(window_, WS_EX_CLIENTEDGE, border);
}

void TWin32WindowedControl::SetChecked(bool checked) {
  checked_ = checked;
  if (window_ && kind_ == TControlKind::Radio)
    SendMessageW(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TWin32WindowedControl::SendToBack() {
  if (window_) SetWindowPos(window_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWin32WindowedControl::RepaintNow() {
  if (window_) RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TWin32WindowedControl::Command(WORD code) {
  if (quiet_) return;
  if (kind_ == TControlKind::Radio && code == BN_CLICKED) {
    // Checking is the user's; the page unchecks the others in its handler.
    if (!checked_) {
      SetChecked(true);
      NotifyChange();
    }
  } else if ((kind_ == TControlKind::Edit || kind_ == TControlKind::Memo) && code == EN_CHANGE) {
    NotifyChange();
  }
}

std::optional<HBRUSH> TWin32WindowedControl::Colours(HDC dc) {
  SetTextColor(dc, ResolveColour(font_.Colour));
  if (kind_ == TControlKind::Edit || kind_ == TControlKind::Memo) {
    if (!background_) return std::nullopt;
    SetBkColor(dc, ResolveColour(*colour_));
    return background_.Get();
  }
  // Buttons and radio buttons stand on the page's colour.
  SetBkMode(dc, TRANSPARENT);
  SetBkColor(dc, area_.Colour());
  return area_.BackgroundBrush();
}

// --- Rich edit ----------------------------------------------------------------------

namespace {

struct TRtfSource {
  const TBytes* Bytes;
  size_t Position;
};

DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<TRtfSource*>(cookie);
  size_t count = std::min<size_t>(static_cast<size_t>(wanted), source->Bytes->size() - source->Position);
  if (count > 0) std::memcpy(buffer, source->Bytes->data() + source->Position, count);
  source->Position += count;
  *given = static_cast<LONG>(count);
  return 0;
}

}  // namespace

TWin32RichEdit::TWin32RichEdit(std::string name, TWin32PageArea& area, const wchar_t* className)
    : TWin32WindowedControl(TControlKind::RichEdit, std::move(name), area) {
  CreateControlWindow(className, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                      0);
  if (Window()) {
    // Lines wrap at the window's width, so the horizontal bar stays away.
    SendMessageW(Window(), EM_SETTARGETDEVICE, 0, 0);
    SendMessageW(Window(), EM_SETEVENTMASK, 0, 0);
  }
}

void TWin32RichEdit::SetFont(const TFont& font) {
  TWin32WindowedControl::SetFont(font);
  if (!Window()) return;
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD;
  format.yHeight = font.Size * 20;
  format.crTextColor = ResolveColour(font.Colour);
  format.dwEffects = font.Bold ? CFE_BOLD : 0;
  std::wstring face(font.Face.begin(), font.Face.end());
  lstrcpynW(format.szFaceName, face.c_str(), LF_FACESIZE);
  SendMessageW(Window(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

void TWin32RichEdit::SetColour(uint32_t colour) {
  colour_ = colour;
  if (Window()) SendMessageW(Window(), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ResolveColour(colour)));
}

void TWin32RichEdit::LoadRichText(const TBytes& rtf) {
  if (!Window()) return;
  TRtfSource source{&rtf, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = ReadRtf;
  quiet_ = true;
  SendMessageW(Window(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  quiet_ = false;
  text_ = Text();
}

// --- Panel --------------------------------------------------------------------------

TWin32Panel::TWin32Panel(std::string name, TWin32PageArea& area)
    : TWin32Control(TControlKind::Panel, std::move(name), area), window_(*this) {
  window_.Create(area.Handle(), Rect());
}

void TWin32Panel::TPanelWindow::Create(HWND parent, const RECT& rect) {
  CreateOwnWindow(L"TailpackPanel", 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, L"", rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, parent, nullptr);
}

LRESULT TWin32Panel::TPanelWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(Handle(), &paint);
      panel_.PaintPanel(dc);
      EndPaint(Handle(), &paint);
      return 0;
    }
    default: return TWin32Window::HandleMessage(message, wParam, lParam);
  }
}

void TWin32Panel::PaintPanel(HDC dc) {
  RECT rect{0, 0, bounds_.Width, bounds_.Height};
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
  TSelection font(dc, FontHandle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, enabled_ ? ResolveColour(font_.Colour) : GetSysColor(COLOR_GRAYTEXT));
  std::wstring text = ToWideText(text_);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TWin32Panel::SetBounds(const TBounds& bounds) {
  bounds_ = bounds;
  if (window_.Handle()) MoveWindow(window_.Handle(), bounds.Left, bounds.Top, bounds.Width, bounds.Height, TRUE);
}

void TWin32Panel::SetVisible(bool visible) {
  visible_ = visible;
  if (window_.Handle()) ShowWindow(window_.Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

void TWin32Panel::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (window_.Handle()) InvalidateRect(window_.Handle(), nullptr, FALSE);
}

void TWin32Panel::SetText(const std::u16string& text) {
  text_ = text;
  if (window_.Handle()) InvalidateRect(window_.Handle(), nullptr, FALSE);
}

void TWin32Panel::SetFont(const TFont& font) {
  font_ = font;
  if (window_.Handle()) InvalidateRect(window_.Handle(), nullptr, FALSE);
}

void TWin32Panel::SendToBack() {
  if (window_.Handle())
    SetWindowPos(window_.Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWin32Panel::RepaintNow() {
  if (window_.Handle()) RedrawWindow(window_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// --- Kinds --------------------------------------------------------------------------

namespace {

class TWin32SimpleWindowedControl final : public TWin32WindowedControl {
 public:
  TWin32SimpleWindowedControl(TControlKind kind, std::string name, TWin32PageArea& area)
      : TWin32WindowedControl(kind, std::move(name), area) {
    switch (kind) {
      case TControlKind::Edit: CreateControlWindow(L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, 0); break;
      case TControlKind::Memo:
        CreateControlWindow(L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_TABSTOP, 0);
        break;
      case TControlKind::Radio: CreateControlWindow(L"BUTTON", BS_RADIOBUTTON | WS_TABSTOP, 0); break;
      default: CreateControlWindow(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0); break;
    }
  }
};

}  // namespace

std::unique_ptr<TWin32Control> MakeWin32Control(TControlKind kind, const std::string& name, TWin32PageArea& area) {
  switch (kind) {
    case TControlKind::Label: return std::make_unique<TWin32Label>(name, area);
    case TControlKind::Bevel: return std::make_unique<TWin32Bevel>(name, area);
    case TControlKind::Image: return std::make_unique<TWin32Image>(name, area);
    case TControlKind::ProgressBar: return std::make_unique<TWin32Gauge>(name, area);
    case TControlKind::Panel: return std::make_unique<TWin32Panel>(name, area);
    case TControlKind::RichEdit: return std::make_unique<TWin32RichEdit>(name, area, area.RichEditClass().c_str());
    case TControlKind::FolderTree: return std::make_unique<TWin32FolderTree>(name, area);
    case TControlKind::Edit:
    case TControlKind::Memo:
    case TControlKind::Button:
    case TControlKind::Radio: return std::make_unique<TWin32SimpleWindowedControl>(kind, name, area);
  }
  return nullptr;
}

}  // namespace tailpack::win32
