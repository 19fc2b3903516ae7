#include "ui/win32/Win32FolderTree.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "system/FileHelpers.h"
#include "ui/FolderTreeWalk.h"
#include "ui/win32/Win32PageArea.h"

namespace tailpack::win32 {

namespace {

std::wstring WideOf(const std::string& ansi) { return ToWideText(AnsiToWide(ansi)); }

// A shell item: a path or one of the shell's own folders.
struct TShellItem {
  std::string Path;
  int SpecialFolder = -1;
};

// The shell's display name and icon index (small; open or closed) of an item.
bool ShellInfo(const TShellItem& item, UINT flags, SHFILEINFOW& info) {
  info = SHFILEINFOW{};
  if (item.SpecialFolder >= 0) {
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, item.SpecialFolder, &list)) || !list) return false;
    DWORD_PTR result = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info, flags | SHGFI_PIDL);
    CoTaskMemFree(list);
    return result != 0;
  }
  std::wstring path = WideOf(item.Path);
  return SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, flags) != 0;
}

int IconIndex(const TShellItem& item, bool open) {
  SHFILEINFOW info;
  if (!ShellInfo(item, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | (open ? SHGFI_OPENICON : 0), info)) return 0;
  return info.iIcon;
}

std::wstring DisplayName(const TShellItem& item, const std::wstring& fallback) {
  SHFILEINFOW info;
  if (ShellInfo(item, SHGFI_DISPLAYNAME, info) && info.szDisplayName[0]) return info.szDisplayName;
  return fallback;
}

}  // namespace

TWin32FolderTree::TWin32FolderTree(std::string name, TWin32PageArea& area)
    : TWin32WindowedControl(TControlKind::FolderTree, std::move(name), area) {
  CreateControlWindow(WC_TREEVIEWW, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP, 0);
  HWND tree = Window();
  if (!tree) return;
  SendMessageW(tree, TVM_SETEXTENDEDSTYLE, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
  SHFILEINFOW info{};
  // The system's image list of small icons; it belongs to the system.
  auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (images) SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));

  desktop_.SpecialFolder = CSIDL_DESKTOP;
  desktop_.Caption = DisplayName(TShellItem{"", CSIDL_DESKTOP}, L"Desktop");
  desktop_.Listed = true;
  TVINSERTSTRUCTW insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  insert.item.pszText = desktop_.Caption.data();
  insert.item.lParam = reinterpret_cast<LPARAM>(&desktop_);
  insert.item.iImage = insert.item.iSelectedImage = IconIndex(TShellItem{"", CSIDL_DESKTOP}, false);
  insert.item.cChildren = 1;
  desktop_.Item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));

  std::string documents;
  wchar_t buffer[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, buffer)))
    documents = WideToAnsi(FromWideText(buffer));
  AddNode(&desktop_, DisplayName(TShellItem{"", CSIDL_PERSONAL}, L"My Documents"), documents, CSIDL_PERSONAL,
          !documents.empty());
  computer_ = &AddNode(&desktop_, DisplayName(TShellItem{"", CSIDL_DRIVES}, L"My Computer"), "", CSIDL_DRIVES, true);
  AddNode(&desktop_, DisplayName(TShellItem{"", CSIDL_NETWORK}, L"My Network Places"), "", CSIDL_NETWORK, false);
  quiet_ = true;
  SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(desktop_.Item));
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(desktop_.Item));
  quiet_ = false;
}

TWin32FolderTree::~TWin32FolderTree() = default;

TWin32FolderTree::TNode& TWin32FolderTree::AddNode(TNode* parent, std::wstring caption, std::string path,
                                                   int specialFolder, bool hasChildren) {
  auto node = std::make_unique<TNode>();
  node->Caption = std::move(caption);
  node->Path = std::move(path);
  node->SpecialFolder = specialFolder;
  node->Parent = parent;
  TShellItem item{node->Path, node->Path.empty() ? specialFolder : -1};
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent->Item;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  insert.item.pszText = node->Caption.data();
  insert.item.lParam = reinterpret_cast<LPARAM>(node.get());
  insert.item.iImage = IconIndex(item, false);
  insert.item.iSelectedImage = IconIndex(item, true);
  insert.item.cChildren = hasChildren ? 1 : 0;
  node->Listed = !hasChildren;
  node->Item = reinterpret_cast<HTREEITEM>(SendMessageW(Window(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  parent->Children.push_back(std::move(node));
  return *parent->Children.back();
}

void TWin32FolderTree::List(TNode& node) {
  if (node.Listed) return;
  node.Listed = true;
  if (&node == computer_) {
    for (const std::string& root : Files().LogicalDrives())
      AddNode(&node, DisplayName(TShellItem{root, -1}, WideOf(root.substr(0, 2))), root, -1, true);
  } else if (!node.Path.empty()) {
    std::vector<std::string> names;
    for (const TFolderEntry& entry : Files().FindFiles(IncludeTrailingBackslash(node.Path) + "*")) {
      if (!entry.IsFolder() || entry.Name == "." || entry.Name == "..") continue;
      if ((entry.Attributes & kAttributeHidden) != 0) continue;
      names.push_back(entry.Name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return LowerAnsi(a) < LowerAnsi(b); });
    for (const std::string& name : names)
      AddNode(&node, WideOf(name), IncludeTrailingBackslash(node.Path) + name, -1, true);
  }
  // Without children the node loses its button.
  TVITEMW item{};
  item.mask = TVIF_CHILDREN;
  item.hItem = node.Item;
  item.cChildren = node.Children.empty() ? 0 : 1;
  SendMessageW(Window(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

std::vector<TWin32FolderTree::TNode*> TWin32FolderTree::Nodes() const {
  std::vector<TNode*> nodes;
  std::vector<TNode*> stack = {const_cast<TNode*>(&desktop_)};
  while (!stack.empty()) {
    TNode* node = stack.back();
    stack.pop_back();
    nodes.push_back(node);
    for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it) stack.push_back(it->get());
  }
  return nodes;
}

TWin32FolderTree::TNode* TWin32FolderTree::NodeOfItem(HTREEITEM handle) const {
  if (!handle) return nullptr;
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = handle;
  if (!SendMessageW(Window(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<TNode*>(item.lParam);
}

void TWin32FolderTree::Select(TNode& node) {
  quiet_ = true;
  SendMessageW(Window(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node.Item));
  SendMessageW(Window(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(node.Item));
  quiet_ = false;
}

void TWin32FolderTree::SelectPath(const std::string& folder) {
  TNode* node = DeepestFolderNode(
      *computer_, folder, [this](TNode& listed) { List(listed); },
      [](const TNode& child) { return ExtractFileName(child.Path); });
  if (node) Select(*node);
}

std::string TWin32FolderTree::SelectedPath() const {
  TNode* node = NodeOfItem(reinterpret_cast<HTREEITEM>(SendMessageW(Window(), TVM_GETNEXTITEM, TVGN_CARET, 0)));
  return node ? node->Path : std::string();
}

std::string TWin32FolderTree::NodePath(size_t index) const {
  auto nodes = Nodes();
  return index < nodes.size() ? nodes[index]->Path : std::string();
}

void TWin32FolderTree::ExpandNode(size_t index) {
  auto nodes = Nodes();
  if (index >= nodes.size()) return;
  List(*nodes[index]);
  quiet_ = true;
  SendMessageW(Window(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(nodes[index]->Item));
  quiet_ = false;
}

void TWin32FolderTree::SelectNode(size_t index) {
  auto nodes = Nodes();
  if (index < nodes.size()) Select(*nodes[index]);
}

void TWin32FolderTree::SetRepainting(bool repainting) {
  SendMessageW(Window(), WM_SETREDRAW, repainting ? TRUE : FALSE, 0);
  if (repainting) InvalidateRect(Window(), nullptr, TRUE);
}

void TWin32FolderTree::SetFont(const TFont& font) {
  TWin32WindowedControl::SetFont(font);
  SendMessageW(Window(), TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ResolveColour(font.Colour)));
}

void TWin32FolderTree::SetColour(uint32_t colour) {
  colour_ = colour;
  SendMessageW(Window(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ResolveColour(colour)));
}

void TWin32FolderTree::SetCustomFontColour(uint32_t colour) {
  customFontColour_ = colour;
  InvalidateRect(Window(), nullptr, FALSE);
}

void TWin32FolderTree::SetCustomSelFontColour(uint32_t colour) {
  customSelFontColour_ = colour;
  InvalidateRect(Window(), nullptr, FALSE);
}

void TWin32FolderTree::SetCustomSelColour(uint32_t colour) {
  customSelColour_ = colour;
  InvalidateRect(Window(), nullptr, FALSE);
}

LRESULT TWin32FolderTree::Notify(NMHDR* header) {
  switch (header->code) {
    case TVN_ITEMEXPANDINGW: {
      auto* change = reinterpret_cast<NMTREEVIEWW*>(header);
      if (change->action & TVE_EXPAND)
        if (TNode* node = reinterpret_cast<TNode*>(change->itemNew.lParam)) List(*node);
      return 0;
    }
    case TVN_SELCHANGEDW:
      // Moves the program makes are not the user's choice.
      if (!quiet_ && reinterpret_cast<NMTREEVIEWW*>(header)->action != TVC_UNKNOWN) NotifyChange();
      return 0;
    case NM_CUSTOMDRAW: return CustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(header));
    default: return 0;
  }
}

LRESULT TWin32FolderTree::CustomDraw(NMTVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    // The tree draws its lines, buttons and icon; the item itself is ours.
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT: DrawItem(draw); return CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
  }
}

void TWin32FolderTree::DrawItem(NMTVCUSTOMDRAW& draw) {
  auto handle = reinterpret_cast<HTREEITEM>(draw.nmcd.dwItemSpec);
  TNode* node = NodeOfItem(handle);
  if (!node) return;
  HDC dc = draw.nmcd.hdc;
  // The message takes the item in the rectangle it fills.
  RECT rect{};
  std::memcpy(&rect, &handle, sizeof handle);
  if (!SendMessageW(Window(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return;
  RECT client;
  GetClientRect(Window(), &client);
  rect.right = client.right;

  const bool selected = (draw.nmcd.uItemState & CDIS_SELECTED) != 0;
  const bool focused = GetFocus() == Window();
  COLORREF fill = colour_ ? ResolveColour(*colour_) : GetSysColor(COLOR_WINDOW);
  COLORREF text = ResolveColour(font_.Colour);
  if (selected) {
    fill = GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    text = GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    if (customSelFontColour_) text = ResolveColour(*customSelFontColour_);
    if (customSelColour_) fill = ResolveColour(*customSelColour_);
  } else if (customFontColour_) {
    text = ResolveColour(*customFontColour_);
  }
  TBrushHandle brush(CreateSolidBrush(fill));
  FillRect(dc, &rect, brush.Get());
  TSelection font(dc, FontHandle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text);
  TextOutW(dc, rect.left + 2, rect.top + 2, node->Caption.c_str(), static_cast<int>(node->Caption.size()));

  // Every node but the network stands for a folder.
  if (node->SpecialFolder == CSIDL_NETWORK) return;
  const bool expanded =
      (SendMessageW(Window(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(handle), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  SHFILEINFOW info;
  TShellItem item{node->Path, node->Path.empty() ? node->SpecialFolder : -1};
  if (ShellInfo(item, SHGFI_ICON | SHGFI_SMALLICON | (expanded ? SHGFI_OPENICON : 0), info) && info.hIcon) {
    DrawIconEx(dc, rect.left - 18, rect.top, info.hIcon, 16, 16, 0, nullptr, DI_NORMAL);
    DestroyIcon(info.hIcon);
  }
}

}  // namespace tailpack::win32
