#pragma once
// The widgets the wizard drives, as a narrow interface a backend implements:
// controls of the layout kinds on the page area, the main window with its
// buttons, language menu and close query, and the debug window. The wizard's
// behaviour (src/wizard) only ever talks to these; the headless backend keeps
// every property in plain fields, a GUI backend maps them to real controls.
//
// Handlers set on a widget run for what the user does (typing, picking a
// folder, checking a radio button, clicking); changes made through this
// interface never call them, so the wizard decides itself when its handlers
// run.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Bytes.h"

namespace tailpack {

class TGradGauge;
class IFolderTree;

// The layout kinds ("tlabel", "tedit", ...), in the order of the layout table.
enum class TControlKind : uint8_t {
  Label,
  Edit,
  FolderTree,
  Button,
  Image,
  Panel,
  Bevel,
  Memo,
  RichEdit,
  ProgressBar,
  Radio,
};

struct TBounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TBounds&) const = default;
};

struct TPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TSize&) const = default;
};

// Colours everywhere are 32-bit values with red in the low byte.
struct TFont {
  std::string Face = "MS Shell Dlg 2";
  int Size = 8;  // points
  uint32_t Colour = 0;
  bool Bold = false;
  // The control follows its parent's font until a font colour is set.
  bool ParentFont = true;
  bool operator==(const TFont&) const = default;
};

// Picture formats an image loads; the layout picks one by file extension.
enum class TPictureFormat : uint8_t { Bitmap, Icon, Metafile, Jpeg };

// One control on the page area. Properties a kind does not have are ignored
// by it (a label has no picture, an image no text).
class IControl {
 public:
  virtual ~IControl() = default;
  virtual TControlKind Kind() const = 0;
  virtual const std::string& Name() const = 0;

  // Pixels, relative to the page area (or the window for its own buttons).
  virtual TBounds Bounds() const = 0;
  virtual void SetBounds(const TBounds& bounds) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  // The caption of labels, buttons, radio buttons and panels; the text of
  // edits and memos; a rich edit's plain text. A CR is a line break.
  virtual std::u16string Text() const = 0;
  virtual void SetText(const std::u16string& text) = 0;
  virtual TFont Font() const = 0;
  virtual void SetFont(const TFont& font) = 0;
  // Background colour.
  virtual void SetColour(uint32_t colour) = 0;
  // True: a single-line border; false: none.
  virtual void SetBorder(bool border) = 0;
  virtual void SetAutoSize(bool autoSize) = 0;
  virtual void SetWordWrap(bool wordWrap) = 0;
  virtual void SetTransparent(bool transparent) = 0;
  virtual bool Checked() const = 0;
  virtual void SetChecked(bool checked) = 0;

  // Rich edits: replaces the content by an RTF document.
  virtual void LoadRichText(const TBytes& rtf) = 0;

  // Images: the picture from the bytes of a file of that format; false (and
  // no picture) when the bytes are not such a picture.
  virtual bool LoadPicture(const TBytes& bytes, TPictureFormat format) = 0;
  // The loaded picture's own size; 0 x 0 without one.
  virtual TSize PictureSize() const = 0;
  virtual void SetStretch(bool stretch) = 0;
  virtual void SetCenter(bool center) = 0;
  // Replaces the picture by a bitmap of the control's size holding the
  // loaded picture drawn at each origin (clipped at the edges).
  virtual void TilePicture(const std::vector<TPoint>& origins) = 0;

  // Moves the control behind its siblings.
  virtual void SendToBack() = 0;
  // Paints the control now, without waiting for the message loop.
  virtual void RepaintNow() = 0;
  // Called when the user changes the control: types into an edit, picks a
  // folder in the tree, checks a radio button.
  virtual void SetChangeHandler(std::function<void()> handler) = 0;

  // The progress bar's model (painted by the backend whenever it asks to be
  // painted, and sized with the control); nothing for other kinds.
  virtual TGradGauge* Gauge() { return nullptr; }
  // The folder tree's own operations; nothing for other kinds.
  virtual IFolderTree* FolderTree() { return nullptr; }
};

// The folder tree: the platform's folders under a desktop node, in display
// order (a node's children follow it). Paths are folder paths without a
// trailing backslash except for drive roots ("C:\", "C:\Games"); virtual
// nodes (the desktop, the computer) have an empty path.
class IFolderTree {
 public:
  virtual ~IFolderTree() = default;
  // Colours of the tree's own item drawing; each one, once set, is used.
  virtual void SetCustomFontColour(uint32_t colour) = 0;
  virtual void SetCustomSelFontColour(uint32_t colour) = 0;
  virtual void SetCustomSelColour(uint32_t colour) = 0;
  // Selects an existing folder through the tree's own navigation, opening
  // the nodes above it.
  virtual void SelectPath(const std::string& folder) = 0;
  virtual std::string SelectedPath() const = 0;
  // Every node the tree holds, in display order.
  virtual size_t NodeCount() const = 0;
  virtual std::string NodePath(size_t index) const = 0;
  // Lists the node's subfolders and opens it, one level.
  virtual void ExpandNode(size_t index) = 0;
  virtual void SelectNode(size_t index) = 0;
  // Suspends and resumes painting around a series of changes.
  virtual void SetRepainting(bool repainting) = 0;
};

// The white panel on which every page's controls are created.
class IPageArea {
 public:
  virtual ~IPageArea() = default;
  // A new control, owned by the page area, visible and enabled, added on top
  // of the controls created before. The caller has checked the name.
  virtual IControl& CreateControl(TControlKind kind, const std::string& name) = 0;
  // The control of that name (compared case-insensitively); nothing when none.
  virtual IControl* FindControl(const std::string& name) = 0;
  virtual void SetColour(uint32_t colour) = 0;
  virtual void RepaintNow() = 0;
};

// The main window's own buttons.
enum class TWizardButton : uint8_t { Language, Debug, Back, Next, Cancel };

struct TMenuItem {
  std::u16string Caption;
  int Tag = 0;  // the language's index
  bool Checked = false;
  bool operator==(const TMenuItem&) const = default;
};

// What the main window reports to the wizard.
class IWizardEvents {
 public:
  virtual ~IWizardEvents() = default;
  virtual void ButtonClick(TWizardButton button) = 0;
  // An item of the language menu was picked.
  virtual void LanguageItemClick(int tag) = 0;
  // Asked before the window closes; false keeps it open.
  virtual bool CloseQuery() = 0;
  // The window is closing.
  virtual void Closing() = 0;
};

class IWizardWindow {
 public:
  virtual ~IWizardWindow() = default;
  virtual void SetEvents(IWizardEvents* events) = 0;
  // The application's title (task bar) and the window's caption.
  virtual void SetTitles(const std::u16string& applicationTitle, const std::u16string& caption) = 0;
  virtual IPageArea& PageArea() = 0;
  virtual IControl& Button(TWizardButton button) = 0;
  // Replaces the language menu's items.
  virtual void SetLanguageMenu(const std::vector<TMenuItem>& items) = 0;
  virtual void SetLanguageMenuChecked(size_t index, bool checked) = 0;
  // Pops the menu up at a screen point; a pick arrives as LanguageItemClick.
  virtual void PopUpLanguageMenu(TPoint screenPoint) = 0;
  // The window's outer bounds on the screen and its client area's size.
  virtual TBounds WindowBounds() const = 0;
  virtual TSize ClientSize() const = 0;
  virtual void Show() = 0;
  // A close request: asks CloseQuery and, when allowed, reports Closing and
  // closes the window, which ends RunMessageLoop.
  virtual void Close() = 0;
  virtual bool IsClosed() const = 0;
  // Handles the user's input until the window is closed.
  virtual void RunMessageLoop() = 0;
  // Handles what input is pending and returns (used while a run works).
  virtual void ProcessMessages() = 0;
};

// The developer's window that lists the archive and the setup information.
class IDebugWindow {
 public:
  virtual ~IDebugWindow() = default;
  // Replaces the content by these lines and shows the window modally.
  virtual void ShowModal(const std::vector<std::u16string>& lines) = 0;
};

}  // namespace tailpack
