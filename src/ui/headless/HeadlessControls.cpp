#include "ui/headless/HeadlessControls.h"

#include <algorithm>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "system/FileHelpers.h"
#include "ui/FolderTreeWalk.h"
#include "ui/headless/PictureHeader.h"
#include "ui/headless/RichTextPlain.h"
#include "wizard/GradGauge.h"

namespace tailpack {

namespace {

bool HasBorderByDefault(TControlKind kind) {
  return kind == TControlKind::Edit || kind == TControlKind::Memo || kind == TControlKind::RichEdit ||
         kind == TControlKind::FolderTree;
}

}  // namespace

THeadlessControl::THeadlessControl(TControlKind kind, std::string name, THeadlessPageArea* area)
    : kind_(kind), name_(std::move(name)), area_(area) {
  State.Border = HasBorderByDefault(kind);
  State.AutoSize = kind == TControlKind::Label || kind == TControlKind::Edit;
  if (kind == TControlKind::ProgressBar) {
    gauge_ = std::make_unique<TGradGauge>();
    State.Bounds = TBounds{0, 0, gauge_->Width(), gauge_->Height()};
    gauge_->OnPaintNow = [this] {
      ++State.Repaints;
      State.PaintedProgress.push_back(gauge_->Progress());
    };
  }
}

THeadlessControl::~THeadlessControl() = default;

void THeadlessControl::SetBounds(const TBounds& bounds) {
  State.Bounds = bounds;
  if (gauge_) gauge_->SetBounds(bounds.Width, bounds.Height);
}

void THeadlessControl::SetText(const std::u16string& text) {
  State.Text = text;
  State.TextHistory.push_back(text);
}

void THeadlessControl::LoadRichText(const TBytes& rtf) {
  State.RichText = rtf;
  SetText(RtfToPlainText(rtf));
}

bool THeadlessControl::LoadPicture(const TBytes& bytes, TPictureFormat format) {
  State.Tiles.clear();
  auto size = PictureSizeFromBytes(bytes, format);
  if (!size) {
    State.PictureBytes.clear();
    State.PictureFormat.reset();
    State.Picture = TSize{};
    return false;
  }
  State.PictureBytes = bytes;
  State.PictureFormat = format;
  State.Picture = *size;
  return true;
}

void THeadlessControl::TilePicture(const std::vector<TPoint>& origins) {
  State.Tiles = origins;
  // The tiled bitmap is the new picture, as large as the control.
  State.Picture = TSize{State.Bounds.Width, State.Bounds.Height};
}

void THeadlessControl::RepaintNow() {
  ++State.Repaints;
  if (area_ && area_->OnControlRepaint) area_->OnControlRepaint(*this);
}

void THeadlessControl::SendToBack() {
  if (area_) area_->SendToBack(*this);
}

void THeadlessControl::UserType(const std::u16string& text) {
  SetText(text);
  NotifyChange();
}

void THeadlessControl::UserCheck() {
  State.Checked = true;
  NotifyChange();
}

void THeadlessControl::NotifyChange() {
  if (changeHandler_) changeHandler_();
}

// --- Folder tree ---------------------------------------------------------------

THeadlessFolderTree::THeadlessFolderTree(std::string name, THeadlessPageArea* area)
    : THeadlessControl(TControlKind::FolderTree, std::move(name), area) {
  desktop_.Caption = "Desktop";
  desktop_.Expanded = true;
  desktop_.Listed = true;
  for (const char* caption : {"My Documents", "My Computer", "My Network Places"}) {
    auto node = std::make_unique<TFolderNode>();
    node->Caption = caption;
    node->Parent = &desktop_;
    // Only the computer has children here: the drives.
    node->Listed = std::string(caption) != "My Computer";
    desktop_.Children.push_back(std::move(node));
  }
  computer_ = desktop_.Children[1].get();
  selected_ = &desktop_;
}

void THeadlessFolderTree::List(TFolderNode& node) {
  if (node.Listed) return;
  node.Listed = true;
  if (&node == computer_) {
    for (const std::string& root : Files().LogicalDrives()) {
      auto drive = std::make_unique<TFolderNode>();
      drive->Caption = root.substr(0, 2);
      drive->Path = root;
      drive->Parent = &node;
      node.Children.push_back(std::move(drive));
    }
    return;
  }
  if (node.Path.empty()) return;
  std::vector<std::string> names;
  for (const TFolderEntry& entry : Files().FindFiles(IncludeTrailingBackslash(node.Path) + "*"))
    if (entry.IsFolder()) names.push_back(entry.Name);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return LowerAnsi(a) < LowerAnsi(b); });
  for (const std::string& name : names) {
    auto child = std::make_unique<TFolderNode>();
    child->Caption = name;
    child->Path = IncludeTrailingBackslash(node.Path) + name;
    child->Parent = &node;
    node.Children.push_back(std::move(child));
  }
}

void THeadlessFolderTree::SelectPath(const std::string& folder) {
  TFolderNode* node = DeepestFolderNode(
      *computer_, folder, [this](TFolderNode& listed) { List(listed); },
      [](const TFolderNode& child) { return child.Caption; });
  if (!node) return;
  // The tree opens the nodes above the one it selects.
  for (TFolderNode* parent = node->Parent; parent; parent = parent->Parent) parent->Expanded = true;
  selected_ = node;
}

std::vector<TFolderNode*> THeadlessFolderTree::Nodes() const {
  std::vector<TFolderNode*> nodes;
  std::vector<TFolderNode*> stack = {const_cast<TFolderNode*>(&desktop_)};
  while (!stack.empty()) {
    TFolderNode* node = stack.back();
    stack.pop_back();
    nodes.push_back(node);
    for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it) stack.push_back(it->get());
  }
  return nodes;
}

std::string THeadlessFolderTree::NodePath(size_t index) const {
  auto nodes = Nodes();
  return index < nodes.size() ? nodes[index]->Path : std::string();
}

void THeadlessFolderTree::ExpandNode(size_t index) {
  auto nodes = Nodes();
  if (index >= nodes.size()) return;
  List(*nodes[index]);
  nodes[index]->Expanded = true;
}

void THeadlessFolderTree::SelectNode(size_t index) {
  auto nodes = Nodes();
  if (index < nodes.size()) selected_ = nodes[index];
}

const TFolderNode* THeadlessFolderTree::FindNode(const std::string& path) const {
  std::string wanted = LowerAnsi(IncludeTrailingBackslash(path));
  for (const TFolderNode* node : Nodes())
    if (!node->Path.empty() && LowerAnsi(IncludeTrailingBackslash(node->Path)) == wanted) return node;
  return nullptr;
}

void THeadlessFolderTree::UserSelect(const std::string& folder) {
  SelectPath(folder);
  NotifyChange();
}

// --- Page area -----------------------------------------------------------------

IControl& THeadlessPageArea::CreateControl(TControlKind kind, const std::string& name) {
  std::unique_ptr<THeadlessControl> control;
  if (kind == TControlKind::FolderTree) control = std::make_unique<THeadlessFolderTree>(name, this);
  else control = std::make_unique<THeadlessControl>(kind, name, this);
  zOrder_.push_back(control.get());
  controls_.push_back(std::move(control));
  return *controls_.back();
}

THeadlessControl* THeadlessPageArea::Find(const std::string& name) const {
  for (const auto& control : controls_)
    if (SameTextAnsi(control->Name(), name)) return control.get();
  return nullptr;
}

THeadlessFolderTree* THeadlessPageArea::FindTree(const std::string& name) const {
  return dynamic_cast<THeadlessFolderTree*>(Find(name));
}

std::vector<std::string> THeadlessPageArea::ZOrderNames() const {
  std::vector<std::string> names;
  for (const THeadlessControl* control : zOrder_) names.push_back(control->Name());
  return names;
}

void THeadlessPageArea::SendToBack(THeadlessControl& control) {
  auto it = std::find(zOrder_.begin(), zOrder_.end(), &control);
  if (it == zOrder_.end()) return;
  zOrder_.erase(it);
  zOrder_.insert(zOrder_.begin(), &control);
}

}  // namespace tailpack
