#pragma once
// The walk from a folder tree's computer node down to a folder, shared by the
// backends' folder trees: their nodes differ, the walk does not.

#include <string>

#include "platform/TextCase.h"

namespace tailpack {

// The deepest node of Folder ("X:\a\b") below Computer: its drive, then the
// child matching each component (case-insensitive), as far as the tree goes.
// List fills a node's children before they are searched; NameOf gives the
// name a child is matched by. Nothing when no drive matches.
template <typename TNode, typename TList, typename TNameOf>
TNode* DeepestFolderNode(TNode& computer, const std::string& folder, const TList& list, const TNameOf& nameOf) {
  if (folder.size() < 3) return nullptr;
  list(computer);
  TNode* node = nullptr;
  for (auto& drive : computer.Children)
    if (SameTextAnsi(drive->Path, folder.substr(0, 3))) node = drive.get();
  if (!node) return nullptr;
  size_t start = 3;
  while (start < folder.size()) {
    size_t end = folder.find('\\', start);
    if (end == std::string::npos) end = folder.size();
    const std::string component = folder.substr(start, end - start);
    start = end + 1;
    if (component.empty()) continue;
    list(*node);
    TNode* next = nullptr;
    for (auto& child : node->Children)
      if (SameTextAnsi(nameOf(*child), component)) next = child.get();
    if (!next) break;
    node = next;
  }
  return node;
}

}  // namespace tailpack
