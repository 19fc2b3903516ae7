#pragma once
// The folder tree: a tree view of the desktop with the documents, the
// computer (its drives and their folders) and the network, listing a
// folder's subfolders when it is opened. It draws each item itself over the
// tree's own drawing: the row filled from the text to the right edge in the
// custom colours, the text, and the folder's small system icon (its open
// icon when expanded) left of it.

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/win32/Win32Controls.h"

namespace tailpack::win32 {

class TWin32FolderTree final : public TWin32WindowedControl, public IFolderTree {
 public:
  TWin32FolderTree(std::string name, TWin32PageArea& area);
  ~TWin32FolderTree() override;

  IFolderTree* FolderTree() override { return this; }
  void SetFont(const TFont& font) override;
  void SetColour(uint32_t colour) override;
  void Command(WORD) override {}
  LRESULT Notify(NMHDR* header) override;
  std::optional<HBRUSH> Colours(HDC) override { return std::nullopt; }

  void SetCustomFontColour(uint32_t colour) override;
  void SetCustomSelFontColour(uint32_t colour) override;
  void SetCustomSelColour(uint32_t colour) override;
  void SelectPath(const std::string& folder) override;
  std::string SelectedPath() const override;
  size_t NodeCount() const override { return Nodes().size(); }
  std::string NodePath(size_t index) const override;
  void ExpandNode(size_t index) override;
  void SelectNode(size_t index) override;
  void SetRepainting(bool repainting) override;

 private:
  struct TNode {
    std::wstring Caption;
    std::string Path;  // empty for the desktop, the computer and the network
    int SpecialFolder = -1;  // the shell's folder number of a virtual node
    bool Listed = false;
    TNode* Parent = nullptr;
    HTREEITEM Item = nullptr;
    std::vector<std::unique_ptr<TNode>> Children;
  };

  TNode& AddNode(TNode* parent, std::wstring caption, std::string path, int specialFolder, bool hasChildren);
  void List(TNode& node);
  std::vector<TNode*> Nodes() const;
  TNode* NodeOfItem(HTREEITEM item) const;
  void Select(TNode& node);
  LRESULT CustomDraw(NMTVCUSTOMDRAW& draw);
  void DrawItem(NMTVCUSTOMDRAW& draw);

  TNode desktop_;
  TNode* computer_ = nullptr;
  std::optional<uint32_t> customFontColour_;
  std::optional<uint32_t> customSelFontColour_;
  std::optional<uint32_t> customSelColour_;
};

}  // namespace tailpack::win32
