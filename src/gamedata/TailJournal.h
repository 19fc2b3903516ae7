#pragma once
// Keeps a data-archive update atomic. Before the archive is cut at its table,
// its tail (table, footer, trailer) is saved in a journal beside it and
// flushed; the journal is removed only once the new directory is completely
// written and flushed. An archive found with a journal beside it is put back
// into the state the journal describes: the bytes before the table were never
// changed, so writing the tail back at its place and cutting the file after
// it restores the archive byte for byte.

#include <cstdint>
#include <string>

#include "base/Status.h"

namespace tailpack {

class IFile;

// The journal of the archive at Path: the path with ".journal" appended.
std::string TailJournalPath(const std::string& archivePath);

// Saves the bytes of Archive from TableStart to its end in the journal and
// flushes it. Fails, leaving no journal, when it cannot be written.
TStatus SaveTailJournal(const std::string& archivePath, IFile& archive, uint64_t tableStart);

// When a journal lies beside the archive, restores the archive from it,
// flushes it and removes the journal. An incomplete journal was never acted
// upon (the archive is cut only after it is complete) and is simply removed.
// Succeeds when there was nothing to do; fails, keeping the journal, when the
// archive cannot be restored.
TStatus RestoreFromTailJournal(const std::string& archivePath, IFile& archive);

// Removes the journal after a successful update.
TStatus RemoveTailJournal(const std::string& archivePath);

}  // namespace tailpack
