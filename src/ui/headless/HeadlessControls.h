#pragma once
// Controls without a screen: every property the wizard sets is kept in plain
// fields (TControlState) that tests and the terminal front end read, and the
// user's actions (typing, checking, picking a folder) are methods that call
// the change handler as a real control would.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "wizard/Widgets.h"

namespace tailpack {

class THeadlessPageArea;

struct TControlState {
  TBounds Bounds;
  bool Visible = true;
  bool Enabled = true;
  std::u16string Text;
  // Every text set, oldest first (the rich edit's plain text included).
  std::vector<std::u16string> TextHistory;
  TFont Font;
  std::optional<uint32_t> Colour;  // nothing: the kind's own colour
  bool Border = false;
  bool AutoSize = false;
  bool WordWrap = false;
  bool Transparent = false;
  bool Checked = false;
  TBytes RichText;  // the RTF loaded last
  TBytes PictureBytes;
  std::optional<TPictureFormat> PictureFormat;
  TSize Picture;  // the loaded picture's size
  bool Stretch = false;
  bool Center = false;
  std::vector<TPoint> Tiles;  // where the tiled picture repeats; empty when not tiled
  int Repaints = 0;  // immediate paints asked for
  // The gauge's position at each immediate paint (progress bars).
  std::vector<int32_t> PaintedProgress;
};

class THeadlessControl : public IControl {
 public:
  THeadlessControl(TControlKind kind, std::string name, THeadlessPageArea* area);
  ~THeadlessControl() override;

  TControlState State;

  TControlKind Kind() const override { return kind_; }
  const std::string& Name() const override { return name_; }
  TBounds Bounds() const override { return State.Bounds; }
  void SetBounds(const TBounds& bounds) override;
  bool Visible() const override { return State.Visible; }
  void SetVisible(bool visible) override { State.Visible = visible; }
  bool Enabled() const override { return State.Enabled; }
  void SetEnabled(bool enabled) override { State.Enabled = enabled; }
  std::u16string Text() const override { return State.Text; }
  void SetText(const std::u16string& text) override;
  TFont Font() const override { return State.Font; }
  void SetFont(const TFont& font) override { State.Font = font; }
  void SetColour(uint32_t colour) override { State.Colour = colour; }
  void SetBorder(bool border) override { State.Border = border; }
  void SetAutoSize(bool autoSize) override { State.AutoSize = autoSize; }
  void SetWordWrap(bool wordWrap) override { State.WordWrap = wordWrap; }
  void SetTransparent(bool transparent) override { State.Transparent = transparent; }
  bool Checked() const override { return State.Checked; }
  void SetChecked(bool checked) override { State.Checked = checked; }
  void LoadRichText(const TBytes& rtf) override;
  bool LoadPicture(const TBytes& bytes, TPictureFormat format) override;
  TSize PictureSize() const override { return State.Picture; }
  void SetStretch(bool stretch) override { State.Stretch = stretch; }
  void SetCenter(bool center) override { State.Center = center; }
  void TilePicture(const std::vector<TPoint>& origins) override;
  void SendToBack() override;
  void RepaintNow() override;
  void SetChangeHandler(std::function<void()> handler) override { changeHandler_ = std::move(handler); }
  TGradGauge* Gauge() override { return gauge_.get(); }

  // --- What a user does -------------------------------------------------------
  // Replaces an edit's text as typing would, and calls the change handler.
  void UserType(const std::u16string& text);
  // Checks a radio button as a click would, and calls the change handler.
  void UserCheck();

 protected:
  void NotifyChange();

 private:
  TControlKind kind_;
  std::string name_;
  THeadlessPageArea* area_;
  std::unique_ptr<TGradGauge> gauge_;
  std::function<void()> changeHandler_;
};

// A node of the headless folder tree.
struct TFolderNode {
  std::string Caption;
  std::string Path;  // empty for virtual nodes
  bool Expanded = false;
  bool Listed = false;  // children read from the file system
  TFolderNode* Parent = nullptr;
  std::vector<std::unique_ptr<TFolderNode>> Children;
};

// The folder tree as a model of the folders it was navigated through: a
// desktop with documents, the computer (node 2, the logical drives) and the
// network; a folder's subfolders are read through the platform when the
// folder is opened or navigated through.
class THeadlessFolderTree final : public THeadlessControl, public IFolderTree {
 public:
  THeadlessFolderTree(std::string name, THeadlessPageArea* area);

  std::optional<uint32_t> CustomFontColour;
  std::optional<uint32_t> CustomSelFontColour;
  std::optional<uint32_t> CustomSelColour;
  bool RepaintingSuspended = false;

  IFolderTree* FolderTree() override { return this; }
  void SetCustomFontColour(uint32_t colour) override { CustomFontColour = colour; }
  void SetCustomSelFontColour(uint32_t colour) override { CustomSelFontColour = colour; }
  void SetCustomSelColour(uint32_t colour) override { CustomSelColour = colour; }
  void SelectPath(const std::string& folder) override;
  std::string SelectedPath() const override { return selected_ ? selected_->Path : std::string(); }
  size_t NodeCount() const override { return Nodes().size(); }
  std::string NodePath(size_t index) const override;
  void ExpandNode(size_t index) override;
  void SelectNode(size_t index) override;
  void SetRepainting(bool repainting) override { RepaintingSuspended = !repainting; }

  // Every node in display order.
  std::vector<TFolderNode*> Nodes() const;
  const TFolderNode* Selected() const { return selected_; }
  // The node of a folder path (case-insensitive), when the tree holds one.
  const TFolderNode* FindNode(const std::string& path) const;

  // Picks a folder as a click would, and calls the change handler.
  void UserSelect(const std::string& folder);

 private:
  void List(TFolderNode& node);

  TFolderNode desktop_;
  TFolderNode* computer_ = nullptr;
  TFolderNode* selected_ = nullptr;
};

// The page area: creates the controls, owns them and keeps their stacking
// order.
class THeadlessPageArea final : public IPageArea {
 public:
  IControl& CreateControl(TControlKind kind, const std::string& name) override;
  IControl* FindControl(const std::string& name) override { return Find(name); }
  void SetColour(uint32_t colour) override { Colour = colour; }
  void RepaintNow() override {
    ++Repaints;
    if (OnRepaint) OnRepaint();
  }

  uint32_t Colour = 0xFFFFFF;
  int Repaints = 0;
  // Called on every immediate repaint of the area, and of a control on it
  // (the terminal shows progress then).
  std::function<void()> OnRepaint;
  std::function<void(THeadlessControl&)> OnControlRepaint;

  // The controls in creation order, and their stacking order (bottom first).
  const std::vector<std::unique_ptr<THeadlessControl>>& Controls() const { return controls_; }
  const std::vector<THeadlessControl*>& ZOrder() const { return zOrder_; }
  // The names in stacking order, bottom first.
  std::vector<std::string> ZOrderNames() const;
  THeadlessControl* Find(const std::string& name) const;
  THeadlessFolderTree* FindTree(const std::string& name) const;
  void SendToBack(THeadlessControl& control);

 private:
  std::vector<std::unique_ptr<THeadlessControl>> controls_;
  std::vector<THeadlessControl*> zOrder_;
};

}  // namespace tailpack
