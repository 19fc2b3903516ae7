#pragma once
// The layout kinds as Win32 controls. Labels, images, bevels and the gauge
// have no window of their own: the page area paints them, in their stacking
// order, so transparency shows what lies behind. Edits, memos, buttons,
// radio buttons, panels, rich edits and the folder tree are child windows
// of the page area, which hands them their notifications and colours.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/win32/Win32Gdi.h"
#include "ui/win32/Win32Window.h"
#include "wizard/Widgets.h"

namespace tailpack::win32 {

class TWin32PageArea;

// The state every kind keeps; the kinds below apply it to the screen.
class TWin32Control : public IControl {
 public:
  TWin32Control(TControlKind kind, std::string name, TWin32PageArea& area);
  ~TWin32Control() override;

  TControlKind Kind() const override { return kind_; }
  const std::string& Name() const override { return name_; }
  TBounds Bounds() const override { return bounds_; }
  bool Visible() const override { return visible_; }
  bool Enabled() const override { return enabled_; }
  std::u16string Text() const override { return text_; }
  TFont Font() const override { return font_; }
  bool Checked() const override { return checked_; }
  void SetColour(uint32_t colour) override { colour_ = colour; }
  void SetBorder(bool border) override { border_ = border; }
  void SetAutoSize(bool autoSize) override { autoSize_ = autoSize; }
  void SetWordWrap(bool wordWrap) override { wordWrap_ = wordWrap; }
  void SetTransparent(bool transparent) override { transparent_ = transparent; }
  void SetChecked(bool checked) override { checked_ = checked; }
  void LoadRichText(const TBytes&) override {}
  bool LoadPicture(const TBytes&, TPictureFormat) override { return false; }
  TSize PictureSize() const override { return {}; }
  void SetStretch(bool) override {}
  void SetCenter(bool) override {}
  void TilePicture(const std::vector<TPoint>&) override {}
  void SetChangeHandler(std::function<void()> handler) override { changeHandler_ = std::move(handler); }

  // --- What the page area asks of its controls ---------------------------------
  // Windowless kinds paint themselves onto the page area's canvas.
  virtual bool IsWindowless() const { return false; }
  virtual void Paint(HDC) {}
  virtual HWND Window() const { return nullptr; }
  // WM_COMMAND and WM_NOTIFY from the control's window.
  virtual void Command(WORD) {}
  virtual LRESULT Notify(NMHDR*) { return 0; }
  // WM_CTLCOLOR*: the brush of the control's background, or nothing for the default.
  virtual std::optional<HBRUSH> Colours(HDC) { return std::nullopt; }

 protected:
  void NotifyChange() {
    if (changeHandler_) changeHandler_();
  }
  // The control's font as a GDI object, made anew when the font changes.
  HFONT FontHandle();
  RECT Rect() const { return RECT{bounds_.Left, bounds_.Top, bounds_.Left + bounds_.Width, bounds_.Top + bounds_.Height}; }

  TControlKind kind_;
  std::string name_;
  TWin32PageArea& area_;
  TBounds bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  std::u16string text_;
  TFont font_;
  std::optional<uint32_t> colour_;
  bool border_ = false;
  bool autoSize_ = false;
  bool wordWrap_ = false;
  bool transparent_ = false;
  bool checked_ = false;

 private:
  std::function<void()> changeHandler_;
  TFontHandle fontHandle_;
  TFont fontOfHandle_;
};

// A kind without a window: every change repaints its rectangle on the page area.
class TWin32WindowlessControl : public TWin32Control {
 public:
  using TWin32Control::TWin32Control;
  bool IsWindowless() const override { return true; }
  void SetBounds(const TBounds& bounds) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetText(const std::u16string& text) override;
  void SetFont(const TFont& font) override;
  void SetColour(uint32_t colour) override;
  void SetTransparent(bool transparent) override;
  void SendToBack() override;
  void RepaintNow() override;

 protected:
  void Invalidate() const;
};

class TWin32Label final : public TWin32WindowlessControl {
 public:
  TWin32Label(std::string name, TWin32PageArea& area);
  void SetText(const std::u16string& text) override;
  void SetFont(const TFont& font) override;
  void SetAutoSize(bool autoSize) override;
  void SetWordWrap(bool wordWrap) override;
  void Paint(HDC dc) override;

 private:
  UINT DrawFlags() const;
  // With AutoSize on, the label takes the size of its text (only its height
  // when it wraps words).
  void FitToText();
};

// A box with a lowered edge: the shadow at the top and left, the light at
// the bottom and right (a line when it is 2 pixels high).
class TWin32Bevel final : public TWin32WindowlessControl {
 public:
  TWin32Bevel(std::string name, TWin32PageArea& area);
  void Paint(HDC dc) override;
};

// A kind with a child window of a system class.
class TWin32WindowedControl : public TWin32Control {
 public:
  TWin32WindowedControl(TControlKind kind, std::string name, TWin32PageArea& area);
  ~TWin32WindowedControl() override;

  HWND Window() const override { return window_; }
  void SetBounds(const TBounds& bounds) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  std::u16string Text() const override;
  void SetText(const std::u16string& text) override;
  void SetFont(const TFont& font) override;
  void SetColour(uint32_t colour) override;
  void SetBorder(bool border) override;
  void SetChecked(bool checked) override;
  void SendToBack() override;
  void RepaintNow() override;
  void Command(WORD code) override;
  std::optional<HBRUSH> Colours(HDC dc) override;

 protected:
  // Creates the window; a kind calls it from its constructor.
  void CreateControlWindow(const wchar_t* className, DWORD style, DWORD exStyle);
  // Puts text into the window without the change handler hearing of it.
  void SetWindowTextQuietly(const std::wstring& text);
  bool quiet_ = false;

 private:
  HWND window_ = nullptr;
  TBrushHandle background_;
};

// A rich edit: loads RTF documents; its own text is plain.
class TWin32RichEdit final : public TWin32WindowedControl {
 public:
  TWin32RichEdit(std::string name, TWin32PageArea& area, const wchar_t* className);
  void SetFont(const TFont& font) override;
  void SetColour(uint32_t colour) override;
  void LoadRichText(const TBytes& rtf) override;
  std::optional<HBRUSH> Colours(HDC) override { return std::nullopt; }
};

// A panel: a raised box in the button face colour with its caption centred.
class TWin32Panel final : public TWin32Control {
 public:
  TWin32Panel(std::string name, TWin32PageArea& area);
  HWND Window() const override { return window_.Handle(); }
  void SetBounds(const TBounds& bounds) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetText(const std::u16string& text) override;
  void SetFont(const TFont& font) override;
  void SendToBack() override;
  void RepaintNow() override;

 private:
  class TPanelWindow final : public TWin32Window {
   public:
    explicit TPanelWindow(TWin32Panel& panel) : panel_(panel) {}
    void Create(HWND parent, const RECT& rect);

   protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

   private:
    TWin32Panel& panel_;
  };
  void PaintPanel(HDC dc);
  TPanelWindow window_;
};

// The control of a kind, made for the page area.
std::unique_ptr<TWin32Control> MakeWin32Control(TControlKind kind, const std::string& name, TWin32PageArea& area);

}  // namespace tailpack::win32
