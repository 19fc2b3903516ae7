#pragma once
// Checks of a VFS archive beyond what opening it already refuses: the
// digest, the block accounting, each folder's content, each compressed
// file's chunks, and the ".ht" file against the tree.

#include <string>
#include <vector>

#include "base/Bytes.h"
#include "base/Status.h"

namespace tailpack {

class TVFSFile;

// The content of the file at Node, unpacked.
TStatus ReadVfsContent(TVFSFile& vfs, int32_t node, TBytes& content);

// One text per fault of an archive opened with its whole tree.
std::vector<std::string> CheckVfsArchive(TVFSFile& vfs);

}  // namespace tailpack
