#pragma once
// A VFS file's bytes from what its chain stores: compressed files hold
// length-prefixed zlib streams of 50000 bytes each (the last one the rest),
// the others their bytes as they are.

#include "base/Bytes.h"
#include "base/Status.h"
#include "gamedata/VfsFormat.h"

namespace tailpack {

// Unpacks Stored (the entry's StoredSize bytes) into Content. Fails, saying
// why, for a chunk that runs past the end, does not inflate, or inflates to
// the wrong size, and for a total other than OriginalSize.
TStatus UnpackVfsFile(const TVFSEntry& entry, const TBytes& stored, TBytes& content);

}  // namespace tailpack
