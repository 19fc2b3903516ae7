// A VFS archive: header, block table, root table and folder tree, opened with
// its whole tree as the setup and the tool open it, then checked and every
// file unpacked. No journal or ".ht" file lies beside it, so a rollback of an
// earlier input never mixes into this one.

#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "gamedata/VfsFile.h"
#include "gamedata/VfsHashFile.h"
#include "gamedata/VfsInspector.h"
#include "gamedata/VfsJournal.h"
#include "gamedata/VfsTree.h"
#include "platform/Platform.h"

namespace tailpack::fuzz {

int ReadVfsArchive(const uint8_t* data, size_t size) {
  const std::string path = TempFolder() + "fuzz.vfs";
  Files().Delete(TVfsJournal::PathFor(path));
  Files().Delete(VfsHashFilePath(path));
  WriteTempFile("fuzz.vfs", data, size);
  TVFSFile vfs;
  if (!vfs.Open(path, true, {}, true)) return 0;
  (void)CheckVfsArchive(vfs);
  const auto& nodes = vfs.Tree().Nodes();
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (!nodes[i].Live() || !nodes[i].Entry->IsFile()) continue;
    TBytes content;
    (void)ReadVfsContent(vfs, static_cast<int32_t>(i), content);
  }
  return 0;
}

}  // namespace tailpack::fuzz
