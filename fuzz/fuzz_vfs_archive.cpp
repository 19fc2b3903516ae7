// libFuzzer target: a VFS archive's header, block table, root table and
// folder tree, opened with its whole tree as the setup and the tool open it,
// then checked and every file unpacked. The input is the archive file; no
// journal or ".ht" file lies beside it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "gamedata/VfsFile.h"
#include "gamedata/VfsHashFile.h"
#include "gamedata/VfsInspector.h"
#include "gamedata/VfsJournal.h"
#include "gamedata/VfsTree.h"
#include "platform/Platform.h"

namespace {

const std::string& ScratchFile() {
  static const std::string path = *tailpack::Files().CreatePrivateFolder(tailpack::Files().TempFolder()) + "\\fuzz.vfs";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tailpack;
  const std::string& path = ScratchFile();
  Files().Delete(TVfsJournal::PathFor(path));
  Files().Delete(VfsHashFilePath(path));
  {
    auto file = Files().Open(path, TFileMode::CreateAlways, TFileShare::None);
    if (!file || file->Write(data, static_cast<uint32_t>(size)) != size) return 0;
  }
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
